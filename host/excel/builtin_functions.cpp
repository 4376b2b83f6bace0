// Excel's own worksheet functions the add-in calls by number: ISTEXT, OR, LINKS, TIMEVALUE,
// REPLACE and COS (the automation bridge's), and the p-values TDIST, FDIST and CHIDIST.
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "excel_host.h"
#include "kvplatform/ansi.h"
#include "values.h"

namespace kvhost {
namespace {

// The cells a reference argument covers, row by row (one rectangle only); nothing for a
// reference kvhost cannot read (several rectangles, a sheet that is not open).
struct CellBlock {
  std::size_t rows = 0;
  std::size_t columns = 0;
  std::vector<Value> values;
};

template <class Oper>
std::optional<CellBlock> ReadReference(ExcelHost& host, const Oper& reference) {
  const auto cells = ResolveReference(host, reference);
  if (!cells || cells->areas.size() != 1) return std::nullopt;
  const Sheet* sheet = cells->sheet;
  const CellRange rectangle = cells->areas[0];
  if (rectangle.last_row < rectangle.first_row || rectangle.last_column < rectangle.first_column)
    return std::nullopt;
  CellBlock block;
  block.rows = std::size_t{rectangle.last_row} - rectangle.first_row + 1;
  block.columns = std::size_t{rectangle.last_column} - rectangle.first_column + 1;
  for (std::uint32_t row = rectangle.first_row; row <= rectangle.last_row; ++row)
    for (std::uint32_t column = rectangle.first_column; column <= rectangle.last_column; ++column)
      block.values.push_back(sheet->cells.Get(row, column));
  return block;
}

template <class Oper> bool IsReference(const Oper& value) {
  return BaseType(value) == xltypeRef || BaseType(value) == xltypeSRef;
}

// One value from an argument that is a value or a one-cell reference.
template <class Oper> std::optional<Value> ScalarArgument(ExcelHost& host, const Oper& argument) {
  if (IsReference(argument)) {
    const auto block = ReadReference(host, argument);
    if (!block || block->values.size() != 1) return std::nullopt;
    return block->values[0];
  }
  switch (BaseType(argument)) {
  case xltypeNum:
  case xltypeInt: return Value::Number(*NumberOf(argument));
  case xltypeStr: return Value::Text(*Utf8Text(argument));
  case xltypeBool: return Value::Boolean(argument.val.xbool != 0);
  case xltypeErr: return Value::Error(argument.val.err);
  case xltypeNil:
  case xltypeMissing: return Value{};
  default: return std::nullopt;
  }
}

// ISTEXT(value): TRUE for a text. Given a range of cells it answers for each cell, an array
// of the range's shape, which OR then folds: "does the range hold a text?".
template <class Oper> int IsText(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  const Oper& value = *args[0];
  std::optional<CellBlock> block;
  if (IsReference(value)) {
    block = ReadReference(host, value);
    if (!block) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
  } else if (BaseType(value) == xltypeMulti && value.val.array.lparray != nullptr) {
    block.emplace();
    block->rows = static_cast<std::size_t>(value.val.array.rows);
    block->columns = static_cast<std::size_t>(value.val.array.columns);
    for (std::size_t i = 0; i < block->rows * block->columns; ++i)
      block->values.push_back(BaseType(value.val.array.lparray[i]) == xltypeStr ? Value::Text({})
                                                                                : Value{});
  } else {
    SetBoolean(result, BaseType(value) == xltypeStr);
    return xlretSuccess;
  }
  if (block->values.size() == 1) {
    SetBoolean(result, block->values[0].type == ValueType::Text);
    return xlretSuccess;
  }
  if (result == nullptr) return xlretSuccess;
  Oper* elements = host.memory().template NewArray<Oper>(block->rows, block->columns);
  for (std::size_t i = 0; i < block->values.size(); ++i) {
    elements[i].xltype = xltypeBool;
    elements[i].val.xbool = block->values[i].type == ValueType::Text ? 1 : 0;
  }
  result->xltype = xltypeMulti;
  result->val.array.lparray = elements;
  result->val.array.rows = static_cast<decltype(result->val.array.rows)>(block->rows);
  result->val.array.columns = static_cast<decltype(result->val.array.columns)>(block->columns);
  return xlretSuccess;
}

// OR(logical1, ...): TRUE when any logical value is TRUE. Numbers count (non-zero is TRUE);
// texts and empty cells inside ranges and arrays are passed over; a text given directly counts
// only as "TRUE" or "FALSE". An error anywhere is the answer; no logical value at all: #VALUE!.
template <class Oper> int Or(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.empty() || args.size() > 30) return xlretInvCount;
  bool any = false, seen = false;
  std::optional<std::uint16_t> error;
  auto take = [&](const Value& value, bool direct) {
    switch (value.type) {
    case ValueType::Boolean:
      seen = true;
      any = any || value.boolean;
      break;
    case ValueType::Number:
      seen = true;
      any = any || value.number != 0;
      break;
    case ValueType::Error:
      if (!error) error = value.error;
      break;
    case ValueType::Text:
      if (!direct) break;
      if (EqualsIgnoringCase(value.text, "TRUE") || EqualsIgnoringCase(value.text, "FALSE")) {
        seen = true;
        any = any || EqualsIgnoringCase(value.text, "TRUE");
      } else if (!error) {
        error = xlerrValue;
      }
      break;
    case ValueType::Empty: break;
    }
  };
  for (Oper* argument : args) {
    if (IsReference(*argument)) {
      const auto block = ReadReference(host, *argument);
      if (!block) {
        error = error.value_or(xlerrValue);
        continue;
      }
      for (const Value& value : block->values)
        take(value, false);
    } else if (BaseType(*argument) == xltypeMulti && argument->val.array.lparray != nullptr) {
      const auto count = static_cast<std::size_t>(argument->val.array.rows) *
                         static_cast<std::size_t>(argument->val.array.columns);
      for (std::size_t i = 0; i < count; ++i)
        if (const auto value = ScalarArgument(host, argument->val.array.lparray[i]))
          take(*value, false);
    } else if (const auto value = ScalarArgument(host, *argument)) {
      take(*value, true);
    } else {
      error = error.value_or(xlerrValue);
    }
  }
  if (error)
    SetError(result, *error);
  else if (!seen)
    SetError(result, xlerrValue);
  else
    SetBoolean(result, any);
  return xlretSuccess;
}

// LINKS([document_text], [type_num]): the workbooks the document's external references name.
// kvhost's workbooks hold values only, so there are none: #N/A, as Excel answers for a
// workbook without links or one that is not open.
template <class Oper> int Links(ExcelHost&, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() > 2) return xlretInvCount;
  if (args.size() == 2 && !IsOmitted(*args[1])) {
    const auto type = NumberOf(*args[1]);
    if (!type || *type < 1 || *type > 6) {
      SetError(result, xlerrValue);
      return xlretSuccess;
    }
  }
  SetError(result, xlerrNA);
  return xlretSuccess;
}

// TIMEVALUE(time_text): the fraction of a day a time text stands for: "h:mm", "h:mm:ss" with
// optional fractions of a second, and an optional AM/PM. Anything else: #VALUE!.
template <class Oper> int TimeValue(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  SetError(result, xlerrValue);
  const auto value = ScalarArgument(host, *args[0]);
  if (!value || value->type != ValueType::Text) return xlretSuccess;
  std::string_view text = value->text;
  while (!text.empty() && text.front() == ' ')
    text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ')
    text.remove_suffix(1);
  std::optional<bool> afternoon;
  if (text.size() >= 2) {
    const std::string_view tail = text.substr(text.size() - 2);
    if (EqualsIgnoringCase(tail, "AM") || EqualsIgnoringCase(tail, "PM")) {
      afternoon = EqualsIgnoringCase(tail, "PM");
      text.remove_suffix(2);
      while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    }
  }
  double parts[3] = {0, 0, 0};
  int count = 0;
  while (count < 3) {
    const std::size_t colon = text.find(':');
    const auto number = NumberFromText(text.substr(0, colon));
    if (!number || *number < 0) return xlretSuccess;
    parts[count++] = *number;
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
  }
  if (count < 2 || parts[0] != std::trunc(parts[0]) || parts[1] != std::trunc(parts[1]) ||
      parts[1] >= 60 || parts[2] >= 60)
    return xlretSuccess;
  double hours = parts[0];
  if (afternoon) {
    if (hours < 1 || hours > 12) return xlretSuccess;
    hours = std::fmod(hours, 12) + (*afternoon ? 12 : 0);
  }
  const double seconds = hours * 3600 + parts[1] * 60 + parts[2];
  SetNumber(result, std::fmod(seconds, 86400) / 86400);
  return xlretSuccess;
}

// REPLACE(old_text, start_num, num_chars, new_text): old_text with num_chars characters from
// start_num on replaced by new_text. Characters are those of the ANSI code page.
template <class Oper> int Replace(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 4) return xlretInvCount;
  SetError(result, xlerrValue);
  const auto old_value = ScalarArgument(host, *args[0]);
  const auto start = ScalarArgument(host, *args[1]);
  const auto length = ScalarArgument(host, *args[2]);
  const auto new_value = ScalarArgument(host, *args[3]);
  if (!old_value || !start || !length || !new_value || start->type != ValueType::Number ||
      length->type != ValueType::Number || start->number < 1 || length->number < 0)
    return xlretSuccess;
  for (const Value* value : {&*old_value, &*new_value})
    if (value->type == ValueType::Error) {
      SetError(result, value->error);
      return xlretSuccess;
    }
  std::string text = kvp::Utf8ToAnsi(DisplayText(*old_value));
  const std::string insert = kvp::Utf8ToAnsi(DisplayText(*new_value));
  const std::size_t from = std::min(static_cast<std::size_t>(start->number) - 1, text.size());
  const std::size_t count = std::min(static_cast<std::size_t>(length->number), text.size() - from);
  text.replace(from, count, insert);
  if (text.size() > 255) return xlretSuccess;
  SetText(host, result, kvp::AnsiToUtf8(text));
  return xlretSuccess;
}

// A number argument as Excel reads one: a number, a Boolean (1 or 0), an empty cell or an omitted
// argument (0), a text holding a number; an error value is the function's answer, and anything
// else (another text, a reference kvhost cannot read or one of several cells) is #VALUE!.
struct NumberArgument {
  std::optional<double> number;
  std::uint16_t error = xlerrValue;
};

template <class Oper> NumberArgument NumberArgumentOf(ExcelHost& host, const Oper& argument) {
  const auto value = ScalarArgument(host, argument);
  if (!value) return {};
  switch (value->type) {
  case ValueType::Number: return {value->number};
  case ValueType::Boolean: return {value->boolean ? 1.0 : 0.0};
  case ValueType::Empty: return {0.0};
  case ValueType::Text: return {NumberFromText(value->text)};
  case ValueType::Error: return {std::nullopt, value->error};
  }
  return {};
}

// The arguments read in order: the first that is not a number decides the error, before any
// check of their ranges, as Excel converts every argument before it calls the function.
template <std::size_t N, class Oper>
std::optional<std::array<double, N>> ReadNumbers(ExcelHost& host, Oper* result,
                                                 ArgumentsOf<Oper> args) {
  std::array<double, N> numbers{};
  for (std::size_t i = 0; i < N; ++i) {
    const NumberArgument read = NumberArgumentOf(host, *args[i]);
    if (!read.number) {
      SetError(result, read.error);
      return std::nullopt;
    }
    numbers[i] = *read.number;
  }
  return numbers;
}

// COS(number), in radians.
template <class Oper> int Cos(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 1) return xlretInvCount;
  const auto number = ReadNumbers<1>(host, result, args);
  if (number) SetNumber(result, std::cos((*number)[0]));
  return xlretSuccess;
}

// Boost.Math reports a domain error, an overflow or a failed series as a NaN (errno set), never
// an exception that would cross into the add-in; a result that underflows is 0.
using QuietPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::errno_on_error>,
    boost::math::policies::pole_error<boost::math::policies::errno_on_error>,
    boost::math::policies::overflow_error<boost::math::policies::errno_on_error>,
    boost::math::policies::evaluation_error<boost::math::policies::errno_on_error>>;

// A right-tail probability as the result; #NUM! for one Boost could not compute.
template <class Oper> void SetProbability(Oper* result, double probability) {
  if (std::isfinite(probability))
    SetNumber(result, probability);
  else
    SetError(result, xlerrNum);
}

// TDIST(x, deg_freedom, tails): P(X > x) for Student's t with deg_freedom degrees (tails 1),
// P(|X| > x) = 2 P(X > x) (tails 2). Degrees and tails are truncated to integers; x < 0,
// degrees below 1 and tails other than 1 or 2 are #NUM!.
template <class Oper> int TDist(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 3) return xlretInvCount;
  const auto numbers = ReadNumbers<3>(host, result, args);
  if (!numbers) return xlretSuccess;
  const auto [x, degrees_given, tails_given] = *numbers;
  const double degrees = std::trunc(degrees_given), tails = std::trunc(tails_given);
  if (!(x >= 0) || !(degrees >= 1) || (tails != 1 && tails != 2)) {
    SetError(result, xlerrNum);
    return xlretSuccess;
  }
  const boost::math::students_t_distribution<double, QuietPolicy> t(degrees);
  SetProbability(result, tails * boost::math::cdf(boost::math::complement(t, x)));
  return xlretSuccess;
}

// Degrees of freedom FDIST and CHIDIST take (10^10): FDIST refuses this many, CHIDIST more.
constexpr double kDegreesLimit = 1e10;

// FDIST(x, deg_freedom1, deg_freedom2): P(F > x) for Fisher's F with those degrees, truncated to
// integers. x < 0, degrees below 1 or from 10^10 on are #NUM!.
template <class Oper> int FDist(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 3) return xlretInvCount;
  const auto numbers = ReadNumbers<3>(host, result, args);
  if (!numbers) return xlretSuccess;
  const double x = (*numbers)[0];
  const double numerator = std::trunc((*numbers)[1]), denominator = std::trunc((*numbers)[2]);
  if (!(x >= 0) || !(numerator >= 1) || !(denominator >= 1) || numerator >= kDegreesLimit ||
      denominator >= kDegreesLimit) {
    SetError(result, xlerrNum);
    return xlretSuccess;
  }
  const boost::math::fisher_f_distribution<double, QuietPolicy> f(numerator, denominator);
  SetProbability(result, boost::math::cdf(boost::math::complement(f, x)));
  return xlretSuccess;
}

// CHIDIST(x, deg_freedom): P(X > x) for chi-squared with deg_freedom degrees, truncated to an
// integer. x < 0, degrees below 1 or above 10^10 are #NUM!.
template <class Oper> int ChiDist(ExcelHost& host, Oper* result, ArgumentsOf<Oper> args) {
  if (args.size() != 2) return xlretInvCount;
  const auto numbers = ReadNumbers<2>(host, result, args);
  if (!numbers) return xlretSuccess;
  const double x = (*numbers)[0], degrees = std::trunc((*numbers)[1]);
  if (!(x >= 0) || !(degrees >= 1) || degrees > kDegreesLimit) {
    SetError(result, xlerrNum);
    return xlretSuccess;
  }
  const boost::math::chi_squared_distribution<double, QuietPolicy> chi(degrees);
  SetProbability(result, boost::math::cdf(boost::math::complement(chi, x)));
  return xlretSuccess;
}

} // namespace

void AddBuiltInFunctions(HandlerTable& table) {
  table[xlfIstext] = KV_HANDLER(IsText);
  table[xlfOr] = KV_HANDLER(Or);
  table[xlfLinks] = KV_HANDLER(Links);
  table[xlfTimevalue] = KV_HANDLER(TimeValue);
  table[xlfReplace] = KV_HANDLER(Replace);
  table[xlfCos] = KV_HANDLER(Cos);
  table[xlfTdist] = KV_HANDLER(TDist);
  table[xlfFdist] = KV_HANDLER(FDist);
  table[xlfChidist] = KV_HANDLER(ChiDist);
}

} // namespace kvhost
