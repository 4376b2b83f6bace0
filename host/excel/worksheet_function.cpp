#include "worksheet_function.h"

#include <cmath>

#include "../formula/formula.h"
#include "arguments.h"
#include "procedure_call.h"
#include "values.h"

namespace kvhost {
namespace {

FormulaResult Shows(Value value, std::string problem = {}) {
  FormulaResult result;
  result.values.push_back(std::move(value));
  result.problem = std::move(problem);
  return result;
}

FormulaResult ShowsError(std::uint16_t code, std::string problem) {
  return Shows(Value::Error(code), std::move(problem));
}

Value NumberShown(double number) {
  return std::isfinite(number) ? Value::Number(number) : Value::Error(xlerrNum);
}

// One value of a returned record, as the cell keeps it. Excel shows nil or missing as 0.
template <class Oper> Value CopyScalar(const Oper& record) {
  switch (BaseType(record)) {
  case xltypeNum: return NumberShown(record.val.num);
  case xltypeStr: return Value::Text(Utf8Text(record).value_or(std::string{}));
  case xltypeBool: return Value::Boolean(record.val.xbool != 0);
  case xltypeErr:
    return Value::Error(ErrorName(record.val.err).empty() ? xlerrValue : record.val.err);
  case xltypeInt: return Value::Number(record.val.w);
  case xltypeNil:
  case xltypeMissing: return Value::Number(0);
  default: return Value::Error(xlerrValue); // a reference or anything else is no value
  }
}

template <class Oper> FormulaResult CopyRecord(const Oper* record) {
  if (record == nullptr) return ShowsError(xlerrNum, {});
  if (BaseType(*record) != xltypeMulti) return Shows(CopyScalar(*record));
  const auto& array = record->val.array;
  if (array.lparray == nullptr || array.rows <= 0 || array.columns <= 0)
    return ShowsError(xlerrValue, "the function returned an empty array");
  FormulaResult result;
  result.rows = static_cast<std::size_t>(array.rows);
  result.columns = static_cast<std::size_t>(array.columns);
  const std::size_t count = result.rows * result.columns;
  result.values.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    result.values.push_back(CopyScalar(array.lparray[i]));
  return result;
}

// Resolves a formula argument: a reference becomes the cells of its sheet.
std::optional<Operand> Resolve(Application& app, const Argument& argument, std::string& problem) {
  Operand operand;
  if (std::holds_alternative<Omitted>(argument)) return operand;
  if (const auto* reference = std::get_if<Reference>(&argument)) {
    const Sheet* sheet = reference->sheet ? app.FindSheet(*reference->sheet) : &app.ActiveSheet();
    if (sheet == nullptr) {
      problem = "there is no sheet named \"" + *reference->sheet + "\"";
      return std::nullopt;
    }
    operand.kind = Operand::Kind::Cells;
    operand.cells = &sheet->cells;
    operand.range = reference->range;
    return operand;
  }
  operand.kind = Operand::Kind::Constant;
  if (const auto* number = std::get_if<double>(&argument))
    operand.constant = Value::Number(*number);
  else if (const auto* flag = std::get_if<bool>(&argument))
    operand.constant = Value::Boolean(*flag);
  else
    operand.constant = Value::Text(std::get<std::string>(argument));
  return operand;
}

// The record a procedure returned, copied before anything is released (the add-in may hand
// back one of its arguments), then given back.
template <class Oper> FormulaResult TakeRecord(ExcelHost& host, AddIn& addin, Oper* record) {
  FormulaResult result = CopyRecord(record);
  if (record != nullptr) {
    if (record->xltype & xlbitXLFree) host.memory().Release(*record);
    addin.ReturnToAddIn(record);
  }
  return result;
}

} // namespace

FormulaResult EvaluateFormula(ExcelHost& host, AddIn& addin, std::string_view formula) {
  const ParsedFormula parsed = ParseFormula(formula, host.app().grid);
  if (!parsed.call) return ShowsError(xlerrName, parsed.error);
  const FunctionCall& call = *parsed.call;

  const Registration* registration = host.app().FindRegistration(call.function);
  if (registration == nullptr || registration->address == nullptr)
    return ShowsError(xlerrName, "no worksheet function is registered as " + call.function);
  if (registration->IsCommand())
    return ShowsError(xlerrName, call.function + " is a command, not a worksheet function");

  std::string problem;
  const auto signature = ReadSignature(registration->type_text, problem);
  if (!signature) return ShowsError(xlerrValue, registration->function_text + ": " + problem);
  if (call.arguments.size() > signature->arguments.size())
    return ShowsError(xlerrValue, registration->function_text + " takes at most " +
                                      std::to_string(signature->arguments.size()) +
                                      " arguments, not " + std::to_string(call.arguments.size()));

  // Arguments not given are omitted ones. Excel builds them from left to right; the first one
  // it refuses decides the error the cell shows.
  CallArguments arguments;
  for (std::size_t i = 0; i < signature->arguments.size(); ++i) {
    const Argument given = i < call.arguments.size() ? call.arguments[i] : Argument{Omitted{}};
    const auto operand = Resolve(host.app(), given, problem);
    if (!operand) return ShowsError(xlerrRef, problem);
    problem.clear();
    if (const auto refused = arguments.Add(signature->arguments[i], *operand, problem))
      // An error value in a cell just passes on, as in Excel; a refusal says why.
      return ShowsError(*refused, problem.empty()
                                      ? std::string{}
                                      : "argument " + std::to_string(i + 1) + " of " +
                                            registration->function_text + ": " + problem);
  }

  std::optional<NativeValue> returned;
  {
    const ExcelHost::Recalculation recalculation(host); // the procedure runs in calling class 1
    returned = addin.Call(registration->address, *signature, arguments.values());
  }
  if (!returned)
    return ShowsError(xlerrValue,
                      "cannot build a call for the type text " + registration->type_text);
  switch (returned->letter) {
  case 'A': return Shows(Value::Boolean(returned->short_value != 0));
  case 'I': return Shows(Value::Number(returned->short_value));
  case 'J': return Shows(Value::Number(returned->long_value));
  case 'B': return Shows(NumberShown(returned->number));
  default: break;
  }
  return returned->letter == 'Q' ? TakeRecord(host, addin, returned->record12)
                                 : TakeRecord(host, addin, returned->record);
}

} // namespace kvhost
