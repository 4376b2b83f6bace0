// A minimal add-in for host tests: it registers one procedure it exports and one it does not,
// as the real add-in's tables will.
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "xlcall.h"

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

extern "C" __attribute__((visibility("default"))) int xlAutoOpen() {
  XLOPER macro_type = Text("1");
  const int ok = RegisterEcho(macro_type);
  std::free(macro_type.val.str);
  return ok;
}

extern "C" __attribute__((visibility("default"))) int xlAutoRemove() {
  XLOPER hidden{};
  hidden.xltype = xltypeInt;
  hidden.val.w = 0;
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

extern "C" __attribute__((visibility("default"))) void xlAutoFree(LPXLOPER value) {
  if (value == &name_record()) ++fixture_auto_free_calls;
}
