#include "StatusBar.h"

#include "xll/ExcelCall.h"

StatusBar::~StatusBar() {
  if (shown_) ExcelCall(xlcMessage, nullptr, 1, TempBoolean(0));
}

void StatusBar::Show(const std::string& text) {
  std::string counted = " " + text.substr(0, 255);
  ExcelCall(xlcMessage, nullptr, 2, TempBoolean(1), TempText(counted.data()));
  shown_ = true;
}
