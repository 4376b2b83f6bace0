// What kvhost and the Windows helper ask each other, and the bodies both ends agree on.
#pragma once

#include <cstdint>

namespace kvbridge {

// The helper's first bytes on its standard output, before any frame: kvhost knows it talks to
// the helper, and of which version, before it believes a frame count.
constexpr char kGreeting[8] = {'K', 'V', 'X', 'B', 'R', 'D', 'G', '1'};

// kvhost asks the helper.
enum HostAsks : std::uint8_t {
  // Load: path (bytes, Windows file name). Answer: u8 loaded, error text, the module's file
  // name (code-page bytes), u64 the main window "XLMAIN".
  kLoad = 1,
  // Lookup: name. Answer: u64 the export's address, 0 when there is none.
  kLookup = 2,
  // Call: u64 address, type text letters (bytes: result then arguments), then each argument
  // (see PutNative; for P and Q a u8 present and the record). Answer: u8 called, then the
  // result: for P and Q a u64 pointer (0 for null) and, when not null, the record.
  kCall = 3,
  // AutoFree: u64 the pointer a P result had in the helper. The add-in's xlAutoFree gets it
  // back.
  kAutoFree = 4,
  // Quit: the helper frees the add-in and ends.
  kQuit = 5,
  // ClipboardPicture. Answer: u8 there is one, then u32 width, u32 height and the pixels
  // (u32 0xAARRGGBB each, top row first).
  kClipboardPicture = 6,
  // SettingsForRun: u8 language (1 Portuguese, 2 English), the add-in's folder. The helper sets
  // IDIOMA, and PATH when none is stored, in HKLM\Software\Kavenlor until it ends, when it
  // puts back what was there. Answer: nothing.
  kSettingsForRun = 7,
  // ReadSettings. Answer: u16 count, then each value present: name, u8 type (kTextValue or
  // kBinaryValue), data (a text without its zero).
  kReadSettings = 8,
  // Form: u64 the dialog window, u8 the question (FormAsks in form_wire.h), its body. Answer:
  // as that question's.
  kForm = 9,
  // AutoFree12: the same for a Q result, given to xlAutoFree12.
  kAutoFree12 = 10,
};

constexpr std::uint8_t kTextValue = 1;
constexpr std::uint8_t kBinaryValue = 2;

// The helper asks kvhost.
enum HelperAsks : std::uint8_t {
  // Excel: i32 function number, u8 a result wanted, u16 count, the records. Answer: i32 return
  // code, then the result record when one was wanted.
  kExcel = 20,
  // MessageBox: u64 owner, title, text (code-page bytes), u32 style. Answer: i32 the button.
  kMessageBox = 21,
  // Dialog: u64 the dialog window, u64 its owner. A dialog of the add-in is showing: kvhost's
  // modal driver acts on it (kForm questions) until it is no longer showing. Answer: nothing.
  kDialog = 22,
  // Excel12: as kExcel, with Excel 12 records (the add-in called MdCallBack12).
  kExcel12 = 23,
};

} // namespace kvbridge
