// A minimal add-in for host tests: it registers one procedure it exports and one it does not,
// as the real add-in's tables will, and probe worksheet functions that report what Excel
// passed them, for the tests of kvhost's calls from type texts.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "xloper.h"

namespace {
char g_name[256];
XLOPER Text(const char* s) {
  XLOPER x{};
  x.xltype = xltypeStr;
  x.val.str = static_cast<char*>(std::malloc(std::strlen(s) + 2));
  x.val.str[0] = static_cast<char>(std::strlen(s));
  std::strcpy(x.val.str + 1, s);
  return x;
}

int RegisterEcho(XLOPER& macro_type) {
  XLOPER file{};
  Excel4(xlGetName, &file, 0);
  XLOPER proc = Text("echo"), type = Text("PP"), name = Text("FIX.ECHO"), args = Text("Value"),
         category = Text("Fixture");
  XLOPER missing_proc = Text("missing"), missing_name = Text("FIX.MISSING");
  XLOPER id{};
  Excel4(xlfRegister, &id, 6, &file, &proc, &type, &name, &args, &macro_type);
  Excel4(xlfRegister, nullptr, 7, &file, &proc, &type, &name, &args, &macro_type, &category);
  Excel4(xlfRegister, nullptr, 4, &file, &missing_proc, &type, &missing_name);
  Excel4(xlFree, nullptr, 1, &file);
  for (XLOPER* x : {&proc, &type, &name, &args, &category, &missing_proc, &missing_name})
    std::free(x->val.str);
  return id.xltype == xltypeNum ? 1 : 0;
}
} // namespace

extern "C" __attribute__((visibility("default"))) LPXLOPER echo(LPXLOPER value) {
  return value;
}

// The probes: procedure, type text, function text, macro type.
struct Probe {
  const char* procedure;
  const char* type_text;
  const char* function_text;
  const char* macro_type;
};
constexpr Probe kProbes[] = {
    {"fix_report", "PPAAII", "FIX.REPORT", "1"},
    {"fix_mixed", "PBIJA", "FIX.MIXED", "1"},
    {"fix_ratio", "BBB", "FIX.RATIO", "1"},
    {"fix_not", "AA", "FIX.NOT", "1"},
    {"fix_half", "II", "FIX.HALF", "1"},
    {"fix_next", "JJ", "FIX.NEXT", "1"},
    {"fix_column", "PB", "FIX.COLUMN", "1"},
    {"fix_null", "P", "FIX.NULL", "1"},
    {"fix_nothing", "PA", "FIX.NOTHING", "1"},
    {"fix_overflow", "PB", "FIX.OVERFLOW", "1"},
    {"fix_as_text", "PP", "FIX.AS.TEXT", "1"},
    {"fix_command", "A", "FIX.COMMAND", "2"},
    // Excel 12's record: REGISTER refuses the Q letter where Excel offers only the Excel 4
    // interface.
    {"fix_echo12", "QQ", "FIX.ECHO12", "1"},
    {"fix_shape12", "BQ", "FIX.SHAPE12", "1"},
};

void RegisterProbes() {
  XLOPER file{};
  Excel4(xlGetName, &file, 0);
  for (const Probe& probe : kProbes) {
    XLOPER proc = Text(probe.procedure), type = Text(probe.type_text),
           name = Text(probe.function_text), args = Text(""), macro = Text(probe.macro_type);
    Excel4(xlfRegister, nullptr, 6, &file, &proc, &type, &name, &args, &macro);
    for (XLOPER* x : {&proc, &type, &name, &args, &macro})
      std::free(x->val.str);
  }
  Excel4(xlFree, nullptr, 1, &file);
}

extern "C" __attribute__((visibility("default"))) int xlAutoOpen() {
  XLOPER macro_type = Text("1");
  const int ok = RegisterEcho(macro_type);
  std::free(macro_type.val.str);
  RegisterProbes();
  return ok;
}

extern "C" __attribute__((visibility("default"))) int xlAutoRemove() {
  XLOPER hidden = xl::Integer(0);
  return RegisterEcho(hidden);
}

XLOPER& name_record() {
  static XLOPER name{};
  return name;
}

extern "C" __attribute__((visibility("default"))) LPXLOPER xlAddInManagerInfo(LPXLOPER) {
  std::strcpy(g_name, "\x0B"
                      "Fixture XLL");
  name_record().xltype = xltypeStr | xlbitDLLFree; // handed back through xlAutoFree
  name_record().val.str = g_name;
  return &name_record();
}

// How often Excel gave a returned value back, for the test to read.
extern "C" {
__attribute__((visibility("default"))) int fixture_auto_free_calls = 0;
}

// How often a probe ran, and how often the array FIX.COLUMN returned came back.
extern "C" {
__attribute__((visibility("default"))) int fixture_calls = 0;
__attribute__((visibility("default"))) int fixture_column_frees = 0;
}

namespace {
XLOPER g_column{};

std::string NumberText(double n) {
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr);
}

// GCC 12 warns wrongly (-Wrestrict) about "literal" + std::string at -O3.
std::string Tagged(const char* tag, const std::string& value) {
  std::string text(tag);
  text += value;
  return text;
}

// "n:1.5", "s:text", "b:1", "e:7", "nil", "missing", "multi 2x3[n:1,nil;b:0,s:a]".
std::string Describe(const XLOPER& x) {
  switch (x.xltype & ~(xlbitXLFree | xlbitDLLFree)) {
  case xltypeNum: return Tagged("n:", NumberText(x.val.num));
  case xltypeStr:
    return Tagged("s:", std::string(x.val.str + 1, static_cast<unsigned char>(x.val.str[0])));
  case xltypeBool: return Tagged("b:", std::to_string(x.val.xbool));
  case xltypeErr: return Tagged("e:", std::to_string(x.val.err));
  case xltypeInt: return Tagged("int:", std::to_string(x.val.w));
  case xltypeNil: return "nil";
  case xltypeMissing: return "missing";
  case xltypeMulti: {
    const auto& a = x.val.array;
    std::string text = Tagged("multi ", std::to_string(a.rows));
    text += 'x';
    text += std::to_string(a.columns);
    text += '[';
    for (int r = 0; r < a.rows; ++r)
      for (int c = 0; c < a.columns; ++c) {
        if (c > 0 || r > 0) text += c > 0 ? ',' : ';';
        text += Describe(a.lparray[r * a.columns + c]);
      }
    return text + "]";
  }
  default: return Tagged("type:", std::to_string(x.xltype)); // a reference would show here
  }
}

// The probes' text results: static, as Excel copies a result before the next call.
LPXLOPER Report(const std::string& text) {
  static char buffer[257];
  static XLOPER result;
  const std::size_t length = text.size() < 255 ? text.size() : 255;
  buffer[0] = static_cast<char>(length);
  std::memcpy(buffer + 1, text.data(), length);
  result.xltype = xltypeStr;
  result.val.str = buffer;
  return &result;
}
} // namespace

#define PROBE(result_type) extern "C" __attribute__((visibility("default"))) result_type

// "PPAAII": the result, then one value record, two Booleans and two integers.
PROBE(LPXLOPER) fix_report(LPXLOPER data, short a1, short a2, short i1, short i2) {
  ++fixture_calls;
  return Report(Describe(*data) + " | a:" + std::to_string(a1) + " | a:" + std::to_string(a2) +
                " | i:" + std::to_string(i1) + " | i:" + std::to_string(i2));
}

PROBE(LPXLOPER) fix_mixed(double b, short i, std::int32_t j, short a) {
  ++fixture_calls;
  return Report(Tagged("b:", NumberText(b)) + " i:" + std::to_string(i) +
                " j:" + std::to_string(j) + " a:" + std::to_string(a));
}

PROBE(double) fix_ratio(double a, double b) {
  ++fixture_calls;
  return a / b;
}

PROBE(short) fix_not(short a) {
  ++fixture_calls;
  return a ? 0 : 1;
}

PROBE(short) fix_half(short i) {
  ++fixture_calls;
  return static_cast<short>(i / 2);
}

PROBE(std::int32_t) fix_next(std::int32_t j) {
  ++fixture_calls;
  return j + 1;
}

// A 3x1 array the add-in owns: it comes back through xlAutoFree.
PROBE(LPXLOPER) fix_column(double b) {
  ++fixture_calls;
  auto* elements = static_cast<XLOPER*>(std::calloc(3, sizeof(XLOPER)));
  elements[0] = xl::Number(b);
  elements[1] = Text("x");
  elements[2] = xl::Boolean(true);
  g_column.xltype = xltypeMulti | xlbitDLLFree;
  g_column.val.array.lparray = elements;
  g_column.val.array.rows = 3;
  g_column.val.array.columns = 1;
  return &g_column;
}

PROBE(LPXLOPER) fix_null() {
  ++fixture_calls;
  return nullptr;
}

PROBE(LPXLOPER) fix_nothing(short nil) {
  ++fixture_calls;
  static XLOPER result;
  result.xltype = nil ? xltypeNil : xltypeMissing;
  return &result;
}

PROBE(LPXLOPER) fix_overflow(double b) {
  ++fixture_calls;
  static XLOPER result;
  result = xl::Number(b * 1e308);
  return &result;
}

// Returns a text Excel made (xlCoerce) and marks it for Excel to free.
PROBE(LPXLOPER) fix_as_text(LPXLOPER value) {
  ++fixture_calls;
  static XLOPER text;
  XLOPER type{};
  type.xltype = xltypeInt;
  type.val.w = xltypeStr;
  Excel4(xlCoerce, &text, 2, value, &type);
  text.xltype |= xlbitXLFree;
  return &text;
}

PROBE(short) fix_command() {
  ++fixture_calls;
  return 1;
}

// The Excel 12 value record as it came, and an array's shape as rows * 100000 + columns (-1
// for anything else).
PROBE(LPXLOPER12) fix_echo12(LPXLOPER12 value) {
  ++fixture_calls;
  return value;
}

PROBE(double) fix_shape12(LPXLOPER12 value) {
  ++fixture_calls;
  if ((value->xltype & ~(xlbitXLFree | xlbitDLLFree)) != xltypeMulti) return -1;
  return value->val.array.rows * 100000.0 + value->val.array.columns;
}

extern "C" __attribute__((visibility("default"))) void xlAutoFree(LPXLOPER value) {
  if (value == &name_record()) ++fixture_auto_free_calls;
  if (value == &g_column && (value->xltype & xlbitDLLFree)) {
    ++fixture_column_frees;
    std::free(g_column.val.array.lparray[1].val.str);
    std::free(g_column.val.array.lparray);
    g_column = XLOPER{};
  }
}

// Registers what Excel asks for by procedure name: fix_auto with its type text, as an add-in
// that keeps its registrations in tables does; fix_loop by asking REGISTER.ID again without a
// type text, which would recurse for ever in Excel; anything else is unknown (#VALUE!).
PROBE(LPXLOPER) fix_auto(LPXLOPER value) {
  return value;
}

PROBE(LPXLOPER) fix_loop(LPXLOPER value) {
  return value;
}

extern "C" __attribute__((visibility("default"))) LPXLOPER xlAutoRegister(LPXLOPER name) {
  static XLOPER result;
  result.xltype = xltypeErr;
  result.val.err = xlerrValue;
  const std::string asked(name->val.str + 1, static_cast<unsigned char>(name->val.str[0]));
  if (asked != "fix_auto" && asked != "fix_loop") return &result;
  XLOPER file{};
  Excel4(xlGetName, &file, 0);
  XLOPER proc = Text(asked.c_str()), type = Text("PP");
  if (asked == "fix_auto")
    Excel4(xlfRegister, &result, 3, &file, &proc, &type);
  else
    Excel4(xlfRegisterId, &result, 2, &file, &proc);
  Excel4(xlFree, nullptr, 1, &file);
  std::free(proc.val.str);
  std::free(type.val.str);
  return &result;
}
