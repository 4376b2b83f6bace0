// Reference coercion. Excel converts references to values itself on every version this build
// serves, so CoerceReference passes each request straight through.
#include "ExcelCall.h"

int CoerceReference(LPXLOPER result, int count, LPXLOPER* args) {
  if (count != 1 && count != 2) return xlretInvCount;
  XLOPER omitted{};
  omitted.xltype = xltypeMissing;
  LPXLOPER type = count == 2 ? args[1] : &omitted;
  return Excel4(xlCoerce, result, 2, args[0], type);
}
