#include "remote_addin.h"

#include <limits.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "kvplatform/ansi.h"
#include "kvplatform/module.h"
#include "protocol.h"
#include "remote_form.h"

namespace kvhost {
namespace {

namespace fs = std::filesystem;
using kvbridge::Reader;
using kvbridge::Writer;

constexpr char kHelperName[] = "kvxlbridge.exe";

std::string FindHelper(const fs::path& addin) {
  if (const char* named = std::getenv("KVHOST_XLL_HELPER"); named != nullptr && *named != '\0')
    return named;
  std::error_code ignored;
  const fs::path beside_addin = addin.parent_path() / kHelperName;
  if (fs::exists(beside_addin, ignored)) return beside_addin.string();
  return (fs::path(kvp::ModuleFileName(nullptr)).parent_path() / kHelperName).string();
}

// Wine shows the Linux file system as drive Z:.
std::string WindowsFileName(const std::string& linux_path) {
  std::string name = "Z:" + linux_path;
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

void PutNative(Writer& out, const NativeValue& value) {
  switch (value.letter) {
  case 'A':
  case 'I': out.U16(static_cast<std::uint16_t>(value.short_value)); break;
  case 'J': out.I32(value.long_value); break;
  case 'B': out.F64(value.number); break;
  default: break; // P and Q are written by the caller
  }
}

template <class Oper> bool PutRecord(Writer& out, const Oper* record) {
  out.U8(record != nullptr);
  return record == nullptr || kvbridge::PutXloper(out, *record);
}

} // namespace

std::unique_ptr<AddIn> LoadRemoteAddIn(ExcelHost& host, const std::string& path, std::string& error,
                                       const std::string& run_language) {
  char full[PATH_MAX];
  if (realpath(path.c_str(), full) == nullptr) {
    error = "cannot load add-in " + path + ": no such file";
    return nullptr;
  }
  const std::string helper_path = FindHelper(full);
  std::error_code ignored;
  if (!fs::exists(helper_path, ignored)) {
    error = "cannot load add-in " + path + ": it is a Windows DLL and its helper " + helper_path +
            " is missing";
    return nullptr;
  }
  // Wine's own diagnostics would mix with kvhost's messages on standard error; whoever wants
  // them sets WINEDEBUG.
  setenv("WINEDEBUG", "-all", 0);
  auto helper = kvbridge::HelperProcess::Start({"wine", helper_path}, error);
  if (!helper) {
    error = "cannot load add-in " + path + ": " + error;
    return nullptr;
  }
  const std::string windows_name = kvp::Utf8ToAnsi(WindowsFileName(full));
  if (!run_language.empty()) {
    Writer settings;
    settings.U8(run_language == "pt" ? 1 : 2);
    settings.Bytes(windows_name.substr(0, windows_name.find_last_of('\\')));
    helper->Ask(kvbridge::kSettingsForRun, settings);
  }
  Writer body;
  body.Bytes(windows_name);
  const auto answer = helper->Ask(kvbridge::kLoad, body);
  Reader in(answer);
  try {
    const bool loaded = in.U8() != 0;
    const std::string reason = in.Bytes();
    const std::string module = in.Bytes();
    const std::uint64_t window = in.U64();
    if (!loaded) {
      error = "cannot load add-in " + path + ": " + kvp::AnsiToUtf8(reason);
      return nullptr;
    }
    auto addin = std::make_unique<RemoteAddIn>(host, std::move(helper), kvp::AnsiToUtf8(module));
    host.app().main_window = static_cast<std::uintptr_t>(window);
    return addin;
  } catch (const kvbridge::PeerBroken& broken) {
    helper->Stopped(broken.what());
  }
}

RemoteAddIn::RemoteAddIn(ExcelHost& host, std::unique_ptr<kvbridge::HelperProcess> helper,
                         std::string module_name)
    : AddIn(host, std::move(module_name)), helper_(std::move(helper)) {
  helper_->SetHandler(
      [this](std::uint8_t operation, Reader& in, Writer& out) { Answer(operation, in, out); });
  host_.set_clipboard_source([this](kvp::Image& picture) { return ClipboardPicture(picture); });
}

RemoteAddIn::~RemoteAddIn() {
  EndSession();
  host_.set_clipboard_source(kvp::TakeBitmapFromClipboard);
  host_.app().main_window = kMainWindow;
}

void* RemoteAddIn::Procedure(const char* name) {
  auto known = exports_.find(name);
  if (known == exports_.end()) {
    Writer body;
    body.Bytes(name);
    const auto answer = helper_->Ask(kvbridge::kLookup, body);
    Reader in(answer);
    try {
      known = exports_.emplace(name, in.U64()).first;
    } catch (const kvbridge::PeerBroken& broken) {
      helper_->Stopped(broken.what());
    }
  }
  return reinterpret_cast<void*>(static_cast<std::uintptr_t>(known->second));
}

std::optional<NativeValue> RemoteAddIn::Call(void* procedure, const Signature& signature,
                                             std::span<const NativeValue> arguments) {
  Writer body;
  body.U64(reinterpret_cast<std::uintptr_t>(procedure));
  body.Bytes(signature.result + signature.arguments);
  for (const NativeValue& argument : arguments) {
    // A record the wire cannot carry: no call can be built.
    if (argument.letter == 'P' && !PutRecord(body, argument.record)) return std::nullopt;
    if (argument.letter == 'Q' && !PutRecord(body, argument.record12)) return std::nullopt;
    if (argument.letter != 'P' && argument.letter != 'Q') PutNative(body, argument);
  }
  const auto answer = helper_->Ask(kvbridge::kCall, body);
  try {
    Reader in(answer);
    if (in.U8() == 0) return std::nullopt;
    NativeValue result;
    result.letter = signature.result;
    switch (signature.result) {
    case 'A':
    case 'I': result.short_value = static_cast<std::int16_t>(in.U16()); break;
    case 'J': result.long_value = in.I32(); break;
    case 'B': result.number = in.F64(); break;
    case 'P': TakeResult<XLOPER>(in, result); break;
    case 'Q': TakeResult<XLOPER12>(in, result); break;
    default: break;
    }
    return result;
  } catch (const kvbridge::PeerBroken& broken) {
    helper_->Stopped(broken.what());
  }
}

template <class Oper> void RemoteAddIn::TakeResult(Reader& in, NativeValue& result) {
  RecordOf<Oper>(result) = nullptr;
  const std::uint64_t remote = in.U64();
  if (remote == 0) return;
  auto record = std::make_unique<Oper>();
  kvbridge::GetXloper(in, *record, copies_);
  Oper* copy = record.get();
  RecordOf<Oper>(result) = copy;
  ReturnedOf<Oper>()[copy] = Returned<Oper>{std::move(record), remote};
}

template <class Oper> void RemoteAddIn::Return(Oper* value) {
  auto& returned = ReturnedOf<Oper>();
  const auto copy = returned.find(value);
  if (copy == returned.end()) return;
  const bool add_in_frees = (value->xltype & xlbitDLLFree) != 0;
  const std::uint64_t remote = copy->second.remote;
  copies_.Release(*value);
  returned.erase(copy);
  if (!add_in_frees) return;
  Writer body;
  body.U64(remote);
  helper_->Ask(std::is_same_v<Oper, XLOPER> ? kvbridge::kAutoFree : kvbridge::kAutoFree12, body);
}

SettingValues RemoteAddIn::ReadSettings() {
  const auto answer = helper_->Ask(kvbridge::kReadSettings, Writer{});
  SettingValues values;
  try {
    Reader in(answer);
    for (std::uint16_t count = in.U16(); count > 0; --count) {
      std::string name = in.Bytes();
      SettingValue value;
      value.type =
          in.U8() == kvbridge::kBinaryValue ? kvp::RegistryType::Binary : kvp::RegistryType::Text;
      value.data = in.Bytes();
      values.emplace(std::move(name), std::move(value));
    }
  } catch (const kvbridge::PeerBroken& broken) {
    helper_->Stopped(broken.what());
  }
  return values;
}

bool RemoteAddIn::ClipboardPicture(kvp::Image& picture) {
  const auto answer = helper_->Ask(kvbridge::kClipboardPicture, Writer{});
  try {
    Reader in(answer);
    if (in.U8() == 0) return false;
    const std::uint32_t width = in.U32();
    const std::uint32_t height = in.U32();
    in.ExpectRoomFor(std::uint64_t{width} * height, 4);
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    picture.pixels.resize(std::size_t{width} * height);
    for (std::uint32_t& pixel : picture.pixels)
      pixel = in.U32();
    return true;
  } catch (const kvbridge::PeerBroken& broken) {
    helper_->Stopped(broken.what());
  }
}

void RemoteAddIn::Answer(std::uint8_t operation, Reader& in, Writer& out) {
  switch (operation) {
  case kvbridge::kExcel: AnswerExcel<XLOPER>(in, out); return;
  case kvbridge::kExcel12: AnswerExcel<XLOPER12>(in, out); return;
  case kvbridge::kMessageBox: {
    const std::uint64_t owner = in.U64();
    const std::string title = in.Bytes();
    const std::string text = in.Bytes();
    const std::uint32_t style = in.U32();
    out.I32(host_.ShowMessageBox(kvp::AnsiToUtf8(text), kvp::AnsiToUtf8(title), style,
                                 static_cast<kvp::WindowHandle>(owner)));
    return;
  }
  case kvbridge::kDialog: {
    // A dialog is up in the helper: kvhost's driver runs it as kvp::RunModal runs any dialog.
    const std::uint64_t window = in.U64();
    const std::uint64_t owner = in.U64();
    RemoteForm form(*helper_, window);
    kvp::RunModal(form, static_cast<kvp::WindowHandle>(owner));
    return;
  }
  default:
    throw kvbridge::BadMessage("the helper asked for unknown operation " +
                               std::to_string(operation));
  }
}

template <class Oper> void RemoteAddIn::AnswerExcel(Reader& in, Writer& out) {
  const int xlfn = in.I32();
  const bool wants_result = in.U8() != 0;
  const std::uint16_t count = in.U16();
  in.ExpectRoomFor(count, 2);
  // The add-in's arguments, copied into kvhost for the length of the call.
  kvbridge::WireMemory memory;
  std::vector<Oper> records(count);
  std::vector<Oper*> pointers(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    kvbridge::GetXloper(in, records[i], memory);
    pointers[i] = &records[i];
  }
  Oper result{};
  result.xltype = xltypeNil;
  // An Excel before 12 has no Excel12v: every call through it fails, as MdCallBack12 answers
  // on Linux without the host's Excel 12 dispatcher.
  int code =
      std::is_same_v<Oper, XLOPER> || host_.offers_excel12()
          ? host_.CallFromAddIn(xlfn, wants_result ? &result : nullptr, ArgumentsOf<Oper>(pointers))
          : xlretFailed;
  Writer answer;
  if (wants_result && !kvbridge::PutXloper(answer, result)) {
    code = xlretFailed; // a record the wire cannot carry reaches the add-in as a failure
    answer = Writer{};
    Oper nil{};
    nil.xltype = xltypeNil;
    kvbridge::PutXloper(answer, nil);
  }
  // The add-in's copy lives in the helper until its xlFree; kvhost's own is done with.
  if (wants_result) host_.memory().Release(result);
  out.I32(code);
  out.Raw(answer.bytes().data(), answer.bytes().size());
}

} // namespace kvhost
