// Add-in management: REGISTER, SET.NAME and ALERT.
#include <dlfcn.h>

#include <cctype>
#include <cstring>

#include "excel_host.h"
#include "values.h"

namespace kvhost {
namespace {

// An optional text argument: absent when omitted, nil or empty.
std::string OptionalText(Arguments args, std::size_t index) {
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
int Register(ExcelHost& host, LPXLOPER result, Arguments args) {
  SetError(result, xlerrValue);
  Application& app = host.app();
  Registration entry;
  if (args.size() > 1) entry.procedure = AnsiText(*args[1]).value_or(std::string{});
  auto refuse = [&](const std::string& reason) {
    app.RecordRefusedRegistration(std::move(entry), reason);
    return xlretSuccess;
  };
  if (args.size() < 3) return refuse("fewer than 3 arguments");
  entry.module = Utf8Text(*args[0]).value_or(std::string{});
  entry.type_text = AnsiText(*args[2]).value_or(std::string{});
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
  if (entry.module != app.current_addin_path || app.current_addin_handle == nullptr)
    return refuse("the module is not the loaded add-in");
  if (entry.procedure.empty()) return refuse("no procedure name");
  if (!ValidTypeText(entry.type_text)) return refuse("invalid type text");
  if (!macro_type || (*macro_type != 0 && *macro_type != 1 && *macro_type != 2))
    return refuse("invalid macro type");
  entry.address = dlsym(app.current_addin_handle, entry.procedure.c_str());
  if (entry.address == nullptr) return refuse("the add-in exports no such procedure");
  const Registration& stored = app.Register(std::move(entry));
  SetNumber(result, stored.id);
  return xlretSuccess;
}

// SET.NAME(name_text, [value]): with the value omitted the name is deleted.
int SetName(ExcelHost& host, LPXLOPER result, Arguments args) {
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
int Alert(ExcelHost& host, LPXLOPER result, Arguments args) {
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
  table[xlfRegister] = Register;
  table[xlfSetName] = SetName;
  table[xlcAlert] = Alert;
}

} // namespace kvhost
