// kvhost's questions: load the add-in, look up an export, call a procedure, free a result.
#include <memory>
#include <string>
#include <vector>

#include "helper.h"
#include "kvplatform/bitmap.h"
#include "native_call.h"
#include "protocol.h"

namespace kvbridge {
namespace {

// Windows' reason for the last failure, its "%1" standing for `subject`.
std::string LastErrorText(const std::string& subject) {
  char text[512] = {};
  const DWORD code = GetLastError();
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string reason = text;
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  if (reason.empty()) return "Windows error " + std::to_string(code);
  if (const auto at = reason.find("%1"); at != std::string::npos) reason.replace(at, 2, subject);
  return reason;
}

void Load(Reader& in, Writer& out) {
  Helper& helper = TheHelper();
  const std::string path = in.Bytes();
  std::string reason;
  if (helper.addin == nullptr) {
    helper.addin = LoadLibraryA(path.c_str());
    if (helper.addin == nullptr) {
      reason = LastErrorText(path);
    } else if (GetProcAddress(helper.addin, "xlAutoOpen") == nullptr) {
      reason = "it exports no xlAutoOpen, so it is not an Excel add-in";
      FreeLibrary(helper.addin);
      helper.addin = nullptr;
    }
  } else {
    reason = "the helper has an add-in loaded already";
  }
  char module[MAX_PATH] = {};
  if (helper.addin != nullptr) GetModuleFileNameA(helper.addin, module, MAX_PATH);
  out.U8(reason.empty());
  out.Bytes(reason);
  out.Bytes(module);
  out.U64(reinterpret_cast<std::uintptr_t>(helper.main_window));
}

void Lookup(Reader& in, Writer& out) {
  const std::string name = in.Bytes();
  HMODULE addin = TheHelper().addin;
  const auto address = addin != nullptr ? GetProcAddress(addin, name.c_str()) : nullptr;
  out.U64(reinterpret_cast<std::uintptr_t>(reinterpret_cast<void*>(address)));
}

// A P or Q result: its pointer in the helper (kvhost hands it back for xlAutoFree), then the
// record, or #VALUE! for one the wire cannot carry.
template <class Oper> void PutResult(Oper* record, Writer& out) {
  out.U64(reinterpret_cast<std::uintptr_t>(record));
  if (record == nullptr) return;
  Writer copy;
  if (!PutXloper(copy, *record)) {
    copy = Writer{};
    Oper refused{};
    refused.xltype = xltypeErr;
    refused.val.err = xlerrValue;
    PutXloper(copy, refused);
  }
  out.Raw(copy.bytes().data(), copy.bytes().size());
  // Memory Excel lent the add-in, handed back in a result: Excel frees it once copied.
  if (record->xltype & xlbitXLFree) TheHelper().excel_memory.Release(*record);
}

void Call(Reader& in, Writer& out) {
  void* procedure = reinterpret_cast<void*>(static_cast<std::uintptr_t>(in.U64()));
  const std::string letters = in.Bytes();
  if (letters.empty() || letters.size() > kMaxNativeArguments + 1 || procedure == nullptr)
    throw BadMessage("a call without a procedure or with a bad type text");
  const std::size_t count = letters.size() - 1;
  // The records passed by pointer live in `memory` for the length of the call.
  WireMemory memory;
  std::vector<XLOPER> records(count);
  std::vector<XLOPER12> records12(count);
  NativeArgument arguments[kMaxNativeArguments];
  for (std::size_t i = 0; i < count; ++i) {
    NativeArgument& argument = arguments[i];
    switch (letters[i + 1]) {
    case 'A':
    case 'I':
      argument.bits = static_cast<std::uint64_t>(static_cast<std::int16_t>(in.U16()));
      break;
    case 'J': argument.bits = static_cast<std::uint64_t>(std::int64_t{in.I32()}); break;
    case 'B':
      argument.number = in.F64();
      argument.is_double = true;
      break;
    case 'P':
      if (in.U8() != 0) {
        GetXloper(in, records[i], memory);
        argument.bits = reinterpret_cast<std::uintptr_t>(&records[i]);
      }
      break;
    case 'Q':
      if (in.U8() != 0) {
        GetXloper(in, records12[i], memory);
        argument.bits = reinterpret_cast<std::uintptr_t>(&records12[i]);
      }
      break;
    default: throw BadMessage("a type letter the helper does not pass");
    }
  }
  const char result_letter = letters[0];
  const NativeResult result =
      CallNative(procedure, arguments, static_cast<int>(count), result_letter == 'B');
  out.U8(1);
  switch (result_letter) {
  case 'A':
  case 'I': out.U16(static_cast<std::uint16_t>(result.bits)); break;
  case 'J': out.I32(static_cast<std::int32_t>(result.bits)); break;
  case 'B': out.F64(result.number); break;
  case 'P':
    PutResult(reinterpret_cast<XLOPER*>(static_cast<std::uintptr_t>(result.bits)), out);
    break;
  case 'Q':
    PutResult(reinterpret_cast<XLOPER12*>(static_cast<std::uintptr_t>(result.bits)), out);
    break;
  default: throw BadMessage("a result letter the helper does not take");
  }
}

void ClipboardPicture(Writer& out) {
  kvp::Image picture;
  const bool taken = kvp::TakeBitmapFromClipboard(picture);
  out.U8(taken);
  if (!taken) return;
  out.U32(static_cast<std::uint32_t>(picture.width));
  out.U32(static_cast<std::uint32_t>(picture.height));
  for (std::uint32_t pixel : picture.pixels)
    out.U32(pixel);
}

template <class Oper> void AutoFree(Reader& in, const char* entry) {
  auto* record = reinterpret_cast<Oper*>(static_cast<std::uintptr_t>(in.U64()));
  HMODULE addin = TheHelper().addin;
  using FreeEntry = void (*)(Oper*);
  // Through void*: FARPROC has no arguments, the entry point has one.
  const auto auto_free =
      addin != nullptr
          ? reinterpret_cast<FreeEntry>(reinterpret_cast<void*>(GetProcAddress(addin, entry)))
          : nullptr;
  if (auto_free != nullptr && record != nullptr) auto_free(record);
}

} // namespace

void AnswerHost(std::uint8_t operation, Reader& in, Writer& out) {
  switch (operation) {
  case kLoad: Load(in, out); return;
  case kLookup: Lookup(in, out); return;
  case kCall: Call(in, out); return;
  case kAutoFree: AutoFree<XLOPER>(in, "xlAutoFree"); return;
  case kAutoFree12: AutoFree<XLOPER12>(in, "xlAutoFree12"); return;
  case kClipboardPicture: ClipboardPicture(out); return;
  case kSettingsForRun: SetSettingsForRun(in); return;
  case kReadSettings: ReadSettings(out); return;
#if defined(KV_HELPER_DRIVES_DIALOGS)
  case kForm: AnswerDialog(in, out); return;
#endif
  default: throw BadMessage("kvhost asked for unknown operation " + std::to_string(operation));
  }
}

} // namespace kvbridge
