// Excel's status bar while a long computation runs.
#pragma once

#include <string>

// MESSAGE(TRUE, text) when shown, MESSAGE(FALSE) when destroyed, if it ever showed anything.
class StatusBar {
public:
  StatusBar() = default;
  ~StatusBar();
  StatusBar(const StatusBar&) = delete;
  StatusBar& operator=(const StatusBar&) = delete;
  void Show(const std::string& text);

private:
  bool shown_ = false;
};
