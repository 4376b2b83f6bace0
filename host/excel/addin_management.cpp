// Add-in management: REGISTER, REGISTER.ID, UNREGISTER, SET.NAME, GET.WORKSPACE and ALERT.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "addin.h"
#include "excel_host.h"
#include "kvplatform/ansi.h"
#include "values.h"

namespace kvhost {
namespace {

// An optional text argument: absent when omitted, nil or empty.
template <class Oper> std::string OptionalText(ArgumentsOf<Oper> args, std::size_t index) {
  if (index >= args.size()) return {};
  return Utf8Text(*args[index]).value_or(std::string{});
}

// The letters REGISTER accepts in a type text, with the volatile/macro-sheet/thread-safe marks.
bool ValidTypeText(const std::string& type_text) {
  if (type_text.empty()) return false;
  for (char c : type_text) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (std::strchr("ABCDEFGHIJKLMNOPQR!#$", upper) == nullptr) return false;
  }
  return true;
}

// REGISTER(module_text, procedure, type_text, function_text, argument_text, macro_type,
//          category, shortcut_text, help_topic, function_help, argument_help1, ...)
template <class Oper> int Register(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  SetError(result, xlerrValue);
  Application& app = host.app();
  Registration entry;
  if (args.size() > 1) entry.procedure = AnsiTextOf(*args[1]).value_or(std::string{});
  auto refuse = [&](const std::string& reason) {
    app.RecordRefusedRegistration(std::move(entry), reason);
    return xlretSuccess;
  };
  if (args.size() < 3) return refuse("fewer than 3 arguments");
  entry.module = Utf8Text(*args[0]).value_or(std::string{});
  entry.type_text = AnsiTextOf(*args[2]).value_or(std::string{});
  entry.function_text = OptionalText(args, 3);
  entry.argument_text = OptionalText(args, 4);
  std::optional<double> macro_type = 1.0;
  // The add-in sends the macro type as a text ("1", "2") and, to hide, as the integer 0.
  if (args.size() > 5 && !IsOmitted(*args[5])) macro_type = NumberOf(*args[5]);
  if (macro_type) entry.macro_type = static_cast<int>(*macro_type);
  if (args.size() > 6) {
    const auto category_number =
        BaseType(*args[6]) == xltypeStr ? std::nullopt : NumberOf(*args[6]);
    entry.category = category_number ? GeneralNumberText(*category_number) : OptionalText(args, 6);
  }
  entry.shortcut = OptionalText(args, 7);
  entry.help_topic = OptionalText(args, 8);
  entry.function_help = OptionalText(args, 9);
  for (std::size_t i = 10; i < args.size(); ++i)
    entry.argument_help.push_back(OptionalText(args, i));

  // The module must be the add-in that is loaded, and the procedure one of its exports.
  if (entry.module != app.current_addin_path || host.addin() == nullptr)
    return refuse("the module is not the loaded add-in");
  if (entry.procedure.empty()) return refuse("no procedure name");
  if (!ValidTypeText(entry.type_text)) return refuse("invalid type text");
  if (!host.offers_excel12() && entry.type_text.find_first_of("Qq") != std::string::npos)
    return refuse("the type letter Q needs the Excel 12 interface (Excel 2007 or later)");
  if (!macro_type || (*macro_type != 0 && *macro_type != 1 && *macro_type != 2))
    return refuse("invalid macro type");
  entry.address = host.addin()->Procedure(entry.procedure.c_str());
  if (entry.address == nullptr) return refuse("the add-in exports no such procedure");
  const Registration& stored = app.Register(std::move(entry));
  SetNumber(result, stored.id);
  return xlretSuccess;
}

// The procedures whose xlAutoRegister call is under way.
std::vector<std::string> g_auto_registering;

// REGISTER.ID(module_text, procedure, [type_text]): the register id of a registered procedure
// (its use count unchanged). One not registered is registered: as REGISTER would with a type
// text; without one, Excel asks the add-in's xlAutoRegister and answers what that returns (the
// result of the add-in's own REGISTER, or #VALUE! when it does not know the name). Should the
// add-in ask for the same name again from inside xlAutoRegister, Excel would recurse until its
// stack overflows; kvhost answers #VALUE! instead.
template <class Oper> int RegisterId(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 3) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.size() < 2 || BaseType(*args[0]) != xltypeStr || BaseType(*args[1]) != xltypeStr)
    return xlretSuccess;
  Application& app = host.app();
  const std::string module = *Utf8Text(*args[0]);
  const std::string procedure = *AnsiTextOf(*args[1]);
  if (const Registration* registered = app.FindProcedure(module, procedure)) {
    SetNumber(result, registered->id);
    return xlretSuccess;
  }
  if (!OptionalText(args, 2).empty()) return Register(host, result, args);

  AddIn* addin = host.addin();
  if (module != app.current_addin_path || addin == nullptr) return xlretSuccess;
  // Excel 12 asks the add-in's Excel 12 entry point, with an Excel 12 record.
  void* auto_register =
      addin->Procedure(std::is_same_v<Oper, XLOPER> ? "xlAutoRegister" : "xlAutoRegister12");
  if (auto_register == nullptr || std::find(g_auto_registering.begin(), g_auto_registering.end(),
                                            procedure) != g_auto_registering.end())
    return xlretSuccess;

  g_auto_registering.push_back(procedure);
  Oper name{};
  SetText(host, &name, kvp::AnsiToUtf8(procedure));
  NativeValue argument;
  argument.letter = kRecordLetter<Oper>;
  RecordOf<Oper>(argument) = &name;
  const auto answered = addin->Call(
      auto_register, Signature{kRecordLetter<Oper>, std::string(1, kRecordLetter<Oper>)},
      std::span(&argument, 1));
  host.memory().Release(name);
  g_auto_registering.pop_back();
  Oper* answer = answered ? RecordOf<Oper>(*answered) : nullptr;
  if (answer == nullptr) return xlretSuccess; // Excel reads a null answer as #VALUE!
  if (BaseType(*answer) == xltypeNum)
    SetNumber(result, answer->val.num);
  else if (BaseType(*answer) == xltypeErr)
    SetError(result, answer->val.err);
  addin->ReturnToAddIn(answer);
  return xlretSuccess;
}

// UNREGISTER(register_id) takes one use of that registration away (the procedure goes when no
// use is left); UNREGISTER(module_text) drops every procedure of the module at once. The
// names REGISTER defined stay. TRUE when something was unregistered; FALSE for an id or a
// module with nothing registered (Excel documents only the successful case).
template <class Oper> int Unregister(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.empty()) return xlretSuccess;
  if (BaseType(*args[0]) == xltypeStr) {
    SetBoolean(result, host.app().UnregisterModule(*Utf8Text(*args[0])) > 0);
    return xlretSuccess;
  }
  const auto id = NumberOf(*args[0]);
  if (id) SetBoolean(result, host.app().Unregister(*id));
  return xlretSuccess;
}

// GET.WORKSPACE(type_num). kvhost answers type 2, the version of Excel as a text ("16.0"
// unless told to play another); the other types describe a workspace kvhost does not have
// and answer #VALUE!.
template <class Oper> int GetWorkspace(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 1) return xlretInvCount;
  SetError(result, xlerrValue);
  if (args.empty()) return xlretSuccess;
  const auto type = BaseType(*args[0]) == xltypeStr ? std::nullopt : NumberOf(*args[0]);
  if (type && *type == 2) SetText(host, result, host.app().version_text);
  return xlretSuccess;
}

// SET.NAME(name_text, [value]): with the value omitted the name is deleted.
template <class Oper> int SetName(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 2) return xlretInvCount;
  const auto name = Utf8Text(*args[0]);
  if (!name || name->empty()) {
    SetError(result, xlerrValue);
    return xlretSuccess;
  }
  if (args.size() == 1 || IsOmitted(*args[1])) {
    SetBoolean(result, host.app().DeleteName(*name));
    return xlretSuccess;
  }
  DefinedName defined{*name, std::nullopt, std::nullopt, false};
  if (BaseType(*args[1]) == xltypeStr)
    defined.text = Utf8Text(*args[1]);
  else
    defined.number = NumberOf(*args[1]);
  if (!defined.text && !defined.number) {
    SetError(result, xlerrValue);
    return xlretSuccess;
  }
  host.app().DefineName(std::move(defined));
  SetBoolean(result, true);
  return xlretSuccess;
}

// ALERT(message_text, [type_num], [help_ref]): never blocks; the scripted user presses OK.
template <class Oper> int Alert(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 3) return xlretInvCount;
  std::string text;
  if (const auto message = Utf8Text(*args[0]))
    text = *message;
  else if (const auto number = NumberOf(*args[0]))
    text = GeneralNumberText(*number);
  else {
    SetError(result, xlerrValue);
    return xlretSuccess;
  }
  int type = 2;
  if (args.size() > 1 && !IsOmitted(*args[1])) {
    const auto requested = NumberOf(*args[1]);
    if (!requested || *requested < 1 || *requested > 3) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
    type = static_cast<int>(*requested);
  }
  host.ShowAlert(text, type);
  SetBoolean(result, true);
  return xlretSuccess;
}

} // namespace

void AddAddInManagement(HandlerTable& table) {
  table[xlfRegister] = KV_HANDLER(Register);
  table[xlfRegisterId] = KV_HANDLER(RegisterId);
  table[xlfUnregister] = KV_HANDLER(Unregister);
  table[xlfGetWorkspace] = KV_HANDLER(GetWorkspace);
  table[xlfSetName] = KV_HANDLER(SetName);
  table[xlcAlert] = KV_HANDLER(Alert);
}

} // namespace kvhost
