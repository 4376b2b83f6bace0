#include "ModalView.h"

#include <charconv>

namespace forms {

std::vector<kvp::ControlState> ModalView::Controls() const {
  std::vector<kvp::ControlState> states;
  for (const auto& control : form_.Controls()) {
    kvp::ControlState s;
    s.name = control->Name();
    s.kind = control->Kind();
    s.caption = control->Caption;
    s.enabled = control->Usable();
    s.visible = control->Showing();
    if (control->Parent != nullptr) s.parent = control->Parent->Name();
    s.color = control->ControlColor;
    s.font_color = control->FontColor;
    s.bold = control->Bold;
    s.left = control->Left;
    s.top = control->Top;
    s.width = control->Width;
    s.height = control->Height;
    if (auto* button = dynamic_cast<const Button*>(control.get())) {
      s.default_button = button->Default;
      s.cancel_button = button->Cancel;
    }
    if (auto* box = dynamic_cast<const CheckBox*>(control.get())) s.checked = box->Checked();
    if (auto* group = dynamic_cast<const RadioGroup*>(control.get())) {
      s.items = group->Items;
      s.item_index = group->ItemIndex();
      s.columns = group->Columns;
    }
    if (auto* list = dynamic_cast<const ComboBox*>(control.get())) {
      s.items = list->Items;
      s.item_index = list->ItemIndex();
    }
    if (auto* edit = dynamic_cast<const Edit*>(control.get())) {
      s.text = edit->Text();
      s.max_length = edit->MaxLength;
    }
    if (auto* masked = dynamic_cast<const MaskEdit*>(control.get())) s.mask = masked->EditMask();
    if (auto* arrows = dynamic_cast<const UpDown*>(control.get())) {
      s.position = arrows->Position();
      s.min = arrows->Min;
      s.max = arrows->Max;
      s.wrap = arrows->Wrap;
    }
    if (auto* image = dynamic_cast<const Image*>(control.get())) {
      s.image_width = image->Picture.width;
      s.image_height = image->Picture.height;
    }
    if (auto* memo = dynamic_cast<const Memo*>(control.get())) s.items = memo->Lines;
    states.push_back(std::move(s));
  }
  return states;
}

Control* ModalView::Usable(const std::string& name, std::string& why) const {
  Control* control = form_.Find(name);
  // A control inside a group box shares the group's fate; the reason names the group.
  auto group = [](const Control* c, bool Control::*state) -> std::string {
    for (const Control* p = c->Parent; p != nullptr; p = p->Parent)
      if (!(p->*state)) return " (its group " + p->Name() + " is)";
    return {};
  };
  if (control == nullptr)
    why = "the dialog has no control named " + name;
  else if (!control->Showing())
    why = name + " is hidden" + (control->Visible ? group(control, &Control::Visible) : "");
  else if (!control->Usable())
    why = name + " is disabled" + (control->Enabled ? group(control, &Control::Enabled) : "");
  else
    return control;
  return nullptr;
}

bool ModalView::Click(const std::string& name, std::string& why) {
  Control* control = Usable(name, why);
  if (control == nullptr) return false;
  if (dynamic_cast<Button*>(control) == nullptr && dynamic_cast<CheckBox*>(control) == nullptr) {
    why = name + " is a " + control->Kind() + ", not something to click";
    return false;
  }
  control->Click();
  return true;
}

namespace {
bool ParseIndex(const std::string& value, int& index) {
  const char* end = value.data() + value.size();
  auto [last, error] = std::from_chars(value.data(), end, index);
  return error == std::errc{} && last == end;
}
} // namespace

bool ModalView::SetValue(const std::string& name, const std::string& value, std::string& why) {
  Control* control = Usable(name, why);
  if (control == nullptr) return false;
  if (auto* box = dynamic_cast<CheckBox*>(control)) {
    if (value != "1" && value != "0" && value != "on" && value != "off") {
      why = "a check box takes 1/on or 0/off, not " + value;
      return false;
    }
    box->SetChecked(value == "1" || value == "on");
    return true;
  }
  // Radio groups and drop-down lists: an item index.
  auto choose = [&](const std::vector<std::string>& items, auto&& select) {
    int index = 0;
    if (!ParseIndex(value, index) || index < 0 || index >= static_cast<int>(items.size())) {
      why = name + " has no item " + value;
      return false;
    }
    select(index);
    return true;
  };
  if (auto* group = dynamic_cast<RadioGroup*>(control))
    return choose(group->Items, [&](int index) { group->SetItemIndex(index); });
  if (auto* list = dynamic_cast<ComboBox*>(control))
    return choose(list->Items, [&](int index) { list->Select(index); });
  if (auto* edit = dynamic_cast<Edit*>(control)) {
    edit->SetText(value);
    return true;
  }
  why = name + " is a " + control->Kind() + ", which takes no value";
  return false;
}

bool ModalView::ClickUpDown(const std::string& name, bool up, std::string& why) {
  Control* control = Usable(name, why);
  if (control == nullptr) return false;
  auto* arrows = dynamic_cast<UpDown*>(control);
  if (arrows == nullptr) {
    why = name + " is a " + control->Kind() + ", not an up-down";
    return false;
  }
  arrows->ClickButton(up ? UpDownButton::Up : UpDownButton::Down);
  return true;
}

std::vector<std::uint32_t> ModalView::ImagePixels(const std::string& name) const {
  if (auto* image = dynamic_cast<const Image*>(form_.Find(name))) return image->Picture.pixels;
  return {};
}

} // namespace forms
