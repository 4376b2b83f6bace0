// Internal: one form shown as a native dialog window, with a standard Windows control for each
// of its controls. Every event of a control goes to the form's own action; after each, the
// windows are brought in line with the form's controls again.
#pragma once

#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "kvplatform/modal.h"
#include "native_dialog.h"

namespace kvp::win32 {

class DialogWindow {
public:
  DialogWindow(ModalForm& form, HWND owner);
  ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Shows the window and runs its messages until the form stops showing.
  void Run();

  // The dialog class's window procedure.
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnCommand(WPARAM wparam, LPARAM lparam);
  LRESULT OnColor(HDC dc, HWND control);

  void CreateControls(std::vector<ControlState> states);
  void Create(const ControlState& state, int order, const RECT& bounds);
  HWND Child(const char* window_class, const std::string& text, DWORD style, const RECT& bounds,
             DWORD extended = 0);
  void Mark(HWND window, const char* property, const void* value);
  const char* Keep(const std::string& text);
  HBRUSH Brush(COLORREF color);

  // Brings every window in line with the form's controls, without telling the form.
  void Update();
  void UpdateControl(const ControlState& state);

  ModalForm& form_;
  HWND owner_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr, bold_font_ = nullptr;
  BaseUnits units_;
  std::deque<std::string> texts_;                    // the marks' texts, at stable addresses
  std::map<std::string, std::vector<HWND>> windows_; // per control; a radio group's box first
  std::vector<std::pair<HWND, const char*>> marks_;
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<HWND, COLORREF> backdrops_; // labels and pictures on a panel take its colour
  std::vector<HBITMAP> bitmaps_;
  int next_id_ = 100;
  bool updating_ = false;
};

// Shows `form` as a native dialog owned by `owner` until it stops showing (modal.cpp).
void RunNativeModal(ModalForm& form, HWND owner);

// The masked edit's keyboard filter (masked_edit.cpp): only what the mask accepts is typed.
void FilterMaskedEdit(HWND edit);

} // namespace kvp::win32
