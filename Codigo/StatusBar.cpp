#include "StatusBar.h"

#include "xll/MacroCall.h"

StatusBar::~StatusBar() {
  if (shown_) xl::Macro(xlcMessage, {xl::MacroArg::Boolean(false)});
}

void StatusBar::Show(const std::string& text) {
  xl::Macro(xlcMessage, {xl::MacroArg::Boolean(true), xl::MacroArg::Text(text)});
  shown_ = true;
}
