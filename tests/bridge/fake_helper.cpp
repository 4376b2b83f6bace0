// A Linux stand-in for kvxlbridge.exe: it speaks the helper's side of the conversation for a
// tiny add-in of its own, so that kvhost's remote add-in (ownership of records, nested Excel4v
// calls, dialogs) is tested without Wine. Its procedures:
//   echo (PP or QQ)    returns a copy of its argument (a text) marked xlbitDLLFree
//   last_freed_ok (J)  1 when xlAutoFree (xlAutoFree12 for QQ) got back exactly the last
//                      echo's pointer, bit set
//   sheet12 (J)        asks kvhost for xlSheetNm of A1 through Excel12v: the return code, or
//                      100 + the sheet name's length in UTF-16 units when it succeeded
//   name_kept (J)      asks kvhost for xlGetName and keeps the answer: blocks held after
//   name_freed (J)     gives the kept answer back with xlFree: blocks held after
//   name_result (P)    returns the xlGetName answer, marked xlbitXLFree
//   blocks (J)         blocks of kvhost's answers the helper holds
//   hwnd (J)           what xlGetHwnd answers
//   dialog (J)         shows a dialog (check box "c", button "ok") to kvhost's driver; the
//                      number of questions kvhost asked about it
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>

#include "form_wire.h"
#include "peer.h"
#include "protocol.h"
#include "xloper_wire.h"

using namespace kvbridge;

namespace {

class FdStream final : public ByteStream {
public:
  bool ReadAll(void* data, std::size_t size) override {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t got = read(0, at, size);
      if (got <= 0) return false;
      at += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }
  bool WriteAll(const void* data, std::size_t size) override {
    return write(1, data, size) == static_cast<ssize_t>(size);
  }
};

class FakeForm final : public kvp::ModalForm {
public:
  std::string Caption() const override { return "Fake"; }
  std::vector<kvp::ControlState> Controls() const override {
    kvp::ControlState box;
    box.name = "c";
    box.kind = "check box";
    box.caption = "Op\xE7\xE3o"; // code page 1252
    box.checked = checked;
    kvp::ControlState ok;
    ok.name = "ok";
    ok.kind = "button";
    ok.caption = "OK";
    return {box, ok};
  }
  bool Click(const std::string& control, std::string& why) override {
    if (control == "ok")
      showing = false;
    else if (control == "c")
      checked = !checked;
    else {
      why = "no control " + control;
      return false;
    }
    return true;
  }
  bool SetValue(const std::string&, const std::string&, std::string& why) override {
    why = "no edits here";
    return false;
  }
  bool ClickUpDown(const std::string&, bool, std::string& why) override {
    why = "no up-downs here";
    return false;
  }
  void CloseByFrame() override { showing = false; }
  bool Showing() const override { return showing; }
  std::vector<std::uint32_t> ImagePixels(const std::string&) const override { return {}; }
  bool showing = true, checked = false;
};

Peer* g_peer = nullptr;
WireMemory g_excel_memory; // kvhost's answers, until xlFree
XLOPER g_kept{};
void* g_last_echo = nullptr;
bool g_last_freed_ok = false;
FakeForm* g_form = nullptr;
int g_form_questions = 0;

template <class Oper> int Excel(int xlfn, Oper* result, const Oper* argument = nullptr) {
  Writer body;
  body.I32(xlfn);
  body.U8(1);
  body.U16(argument != nullptr ? 1 : 0);
  if (argument != nullptr) PutXloper(body, *argument);
  const auto answer = g_peer->Ask(std::is_same_v<Oper, XLOPER> ? kExcel : kExcel12, body);
  Reader in(answer);
  const int code = in.I32();
  GetXloper(in, *result, g_excel_memory);
  return code;
}

template <class Oper> void Echo(Reader& in, Writer& out) {
  using Char = std::remove_pointer_t<decltype(Oper{}.val.str)>;
  WireMemory arguments;
  Oper argument{};
  if (in.U8() != 0) GetXloper(in, argument, arguments);
  auto* copy = new Oper{};
  copy->xltype = xltypeStr | xlbitDLLFree;
  const std::size_t units = static_cast<std::size_t>(argument.val.str[0]) + 2;
  copy->val.str = new Char[units];
  std::memcpy(copy->val.str, argument.val.str, units * sizeof(Char));
  g_last_echo = copy;
  out.U8(1);
  out.U64(reinterpret_cast<std::uintptr_t>(copy));
  PutXloper(out, *copy);
}

template <class Oper> void AutoFree(Reader& in) {
  auto* record = reinterpret_cast<Oper*>(static_cast<std::uintptr_t>(in.U64()));
  g_last_freed_ok = record == g_last_echo && (record->xltype & xlbitDLLFree);
  delete[] record->val.str;
  delete record;
  g_last_echo = nullptr;
}

const char* const kProcedures[] = {"",          "xlAutoOpen", "echo",        "last_freed_ok",
                                   "name_kept", "name_freed", "name_result", "blocks",
                                   "hwnd",      "dialog",     "sheet12"};

void Call(Reader& in, Writer& out) {
  const std::uint64_t id = in.U64();
  const std::string letters = in.Bytes();
  const std::string name = id < std::size(kProcedures) ? kProcedures[id] : "";
  if (name == "echo" && letters == "PP") return Echo<XLOPER>(in, out);
  if (name == "echo" && letters == "QQ") return Echo<XLOPER12>(in, out);
  out.U8(1);
  std::int32_t number = 0;
  if (name == "sheet12") {
    XLOPER12 a1{};
    a1.xltype = xltypeSRef;
    a1.val.sref.count = 1;
    XLOPER12 answer{};
    number = Excel(xlSheetNm, &answer, &a1);
    if (number == xlretSuccess) {
      const std::u16string sheet(answer.val.str + 1, answer.val.str[0]);
      number = 100 + static_cast<std::int32_t>(sheet.size() - sheet.find(u']') - 1);
    }
    g_excel_memory.Release(answer);
  }
  if (name == "name_result") {
    XLOPER answer{};
    Excel(xlGetName, &answer);
    answer.xltype |= xlbitXLFree;
    out.U64(0x5000);
    PutXloper(out, answer);
    g_excel_memory.Release(answer); // Excel frees it once copied
    return;
  }
  if (name == "last_freed_ok") number = g_last_freed_ok;
  if (name == "name_kept") {
    Excel(xlGetName, &g_kept);
    number = static_cast<std::int32_t>(g_excel_memory.BlocksInUse());
  }
  if (name == "name_freed") {
    g_excel_memory.Release(g_kept);
    number = static_cast<std::int32_t>(g_excel_memory.BlocksInUse());
  }
  if (name == "blocks") number = static_cast<std::int32_t>(g_excel_memory.BlocksInUse());
  if (name == "hwnd") {
    XLOPER answer{};
    Excel(xlGetHwnd, &answer);
    number = static_cast<std::uint16_t>(answer.val.w);
  }
  if (name == "dialog") {
    FakeForm form;
    g_form = &form;
    g_form_questions = 0;
    Writer body;
    body.U64(77);
    body.U64(0x2A2A);
    g_peer->Ask(kDialog, body);
    g_form = nullptr;
    number = form.showing ? -1 : g_form_questions;
  }
  out.I32(number);
}

void Answer(std::uint8_t operation, Reader& in, Writer& out) {
  switch (operation) {
  case kLoad:
    in.Bytes();
    out.U8(1);
    out.Bytes("");
    out.Bytes("C:\\fake\\fixture.xll");
    out.U64(0x12A2A);
    return;
  case kLookup: {
    const std::string name = in.Bytes();
    std::uint64_t id = 0;
    for (std::size_t i = 1; i < std::size(kProcedures); ++i)
      if (name == kProcedures[i]) id = i;
    out.U64(id);
    return;
  }
  case kCall: Call(in, out); return;
  case kAutoFree: AutoFree<XLOPER>(in); return;
  case kAutoFree12: AutoFree<XLOPER12>(in); return;
  case kForm: {
    if (in.U64() != 77 || g_form == nullptr) throw BadMessage("no such dialog");
    ++g_form_questions;
    const std::uint8_t question = in.U8();
    AnswerForm(*g_form, question, in, out);
    return;
  }
  default: throw BadMessage("unknown operation");
  }
}

} // namespace

int main() {
  FdStream stream;
  if (!stream.WriteAll(kGreeting, sizeof kGreeting)) return 3;
  Peer peer(stream, Answer);
  g_peer = &peer;
  try {
    peer.Serve(kQuit);
  } catch (const PeerBroken&) {
    return 3;
  }
  return 0;
}
