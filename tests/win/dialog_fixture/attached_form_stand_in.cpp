// TEMPORARY, for the Wine test only: a small stand-in for kvplatform's attached_form.cpp (the
// native dialog driver's view of its own windows), enough for the fixture's check box and
// button. The helper that ships is built with the real one once it is in kvplatform.
#include <cstring>
#include <vector>

#include "attached_form.h"

namespace kvp::win32 {
namespace {

class StandInForm final : public ModalForm {
public:
  explicit StandInForm(HWND dialog) : dialog_(dialog) {}
  std::string Caption() const override { return TextOf(dialog_); }
  std::vector<ControlState> Controls() const override {
    std::vector<ControlState> controls;
    for (HWND child : Children()) {
      ControlState c;
      c.name = NameOf(child);
      const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
      c.kind = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX ? "check box" : "button";
      c.caption = TextOf(child);
      c.checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
      c.enabled = IsWindowEnabled(child);
      c.visible = IsWindowVisible(child);
      controls.push_back(c);
    }
    return controls;
  }
  bool Click(const std::string& control, std::string& why) override {
    HWND child = Find(control, why);
    if (child != nullptr) SendMessageA(child, BM_CLICK, 0, 0);
    return child != nullptr;
  }
  bool SetValue(const std::string& control, const std::string& value, std::string& why) override {
    HWND child = Find(control, why);
    if (child == nullptr) return false;
    const bool checked = SendMessageA(child, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (checked != (value == "1")) SendMessageA(child, BM_CLICK, 0, 0);
    return true;
  }
  bool ClickUpDown(const std::string&, bool, std::string& why) override {
    why = "the fixture has no up-down";
    return false;
  }
  void CloseByFrame() override { SendMessageA(dialog_, WM_CLOSE, 0, 0); }
  bool Showing() const override { return IsWindow(dialog_) && IsWindowVisible(dialog_); }
  std::vector<std::uint32_t> ImagePixels(const std::string&) const override { return {}; }

private:
  static std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  static std::string NameOf(HWND window) {
    const auto* name = static_cast<const char*>(GetPropA(window, kNameProperty));
    return name != nullptr ? name : "";
  }
  std::vector<HWND> Children() const {
    std::vector<HWND> children;
    if (!IsWindow(dialog_)) return children;
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
      children.push_back(child);
    return children;
  }
  HWND Find(const std::string& control, std::string& why) const {
    for (HWND child : Children())
      if (NameOf(child) == control) {
        if (!IsWindowEnabled(child) || !IsWindowVisible(child)) break;
        return child;
      }
    why = "no control " + control + " can be used";
    return nullptr;
  }
  HWND dialog_;
};

} // namespace

bool IsNativeDialog(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, kDialogClass) == 0;
}

std::unique_ptr<ModalForm> AttachToDialog(HWND dialog) {
  return std::make_unique<StandInForm>(dialog);
}

} // namespace kvp::win32
