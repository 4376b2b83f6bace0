#include "Distribuicoes.h"

#include <initializer_list>

#include "xll/ExcelCall.h"
#include "xll/xloper.h"

namespace {
// A worksheet function of numbers; false when Excel refuses it or answers no number.
bool AskNumber(int function, std::initializer_list<double> arguments, double& answer) {
  LPXLOPER values[3];
  int count = 0;
  for (double argument : arguments)
    values[count++] = TempNumber(argument);
  xl::ExcelValue value;
  if (ExcelCallv(function, value.Fill(), count, values) != xlretSuccess) {
    value.Forget();
    return false;
  }
  const bool number = value.Type() == xltypeNum;
  if (number) answer = value->val.num;
  return number;
}
} // namespace

bool ExcelTdist(double t, double df, double& p) {
  return AskNumber(xlfTdist, {t, df, 2}, p);
}

bool ExcelFdist(double f, double df1, double df2, double& p) {
  return AskNumber(xlfFdist, {f, df1, df2}, p);
}

bool ExcelChidist(double x, double df, double& p) {
  return AskNumber(xlfChidist, {x, df}, p);
}
