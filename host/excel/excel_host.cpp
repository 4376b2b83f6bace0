#include "excel_host.h"

#include <cstdio>

#include "xlcall32.h"

namespace kvhost {

ExcelHost::ExcelHost() {
  AddInterfaceFunctions(handlers_);
  AddAddInManagement(handlers_);
  XlInstallDispatcher(&ExcelHost::Dispatch, this);
  kvp::RegisterTopLevelWindow(kMainWindow, "XLMAIN");
}

ExcelHost::~ExcelHost() {
  kvp::UnregisterTopLevelWindow(kMainWindow);
  XlInstallDispatcher(nullptr, nullptr);
}

int ExcelHost::Dispatch(void* context, int xlfn, LPXLOPER result, int count, LPXLOPER* args) {
  for (int i = 0; i < count; ++i)
    if (args[i] == nullptr) return xlretInvXloper;
  return static_cast<ExcelHost*>(context)->Call(xlfn, result,
                                                Arguments(args, static_cast<std::size_t>(count)));
}

int ExcelHost::Call(int xlfn, LPXLOPER result, Arguments args) {
  auto handler = handlers_.find(xlfn);
  if (handler == handlers_.end()) return xlretInvXlfn;
  return handler->second(*this, result, args);
}

void ExcelHost::ShowAlert(const std::string& utf8_text, int type) {
  std::fprintf(stderr, "[Alert] %s\n", utf8_text.c_str());
  app_.RecordAlert(AlertRecord{utf8_text, type});
}

void SetError(LPXLOPER result, std::uint16_t code) {
  if (result == nullptr) return;
  result->xltype = xltypeErr;
  result->val.err = code;
}

void SetBoolean(LPXLOPER result, bool flag) {
  if (result == nullptr) return;
  result->xltype = xltypeBool;
  result->val.xbool = flag ? 1 : 0;
}

void SetNumber(LPXLOPER result, double number) {
  if (result == nullptr) return;
  result->xltype = xltypeNum;
  result->val.num = number;
}

} // namespace kvhost
