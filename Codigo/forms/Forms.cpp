#include "Forms.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "ModalView.h"

namespace forms {

ApplicationObject Application;

void Control::Click() {
  if (OnClick) OnClick(*this);
}

void Control::SetBounds(int left, int top, int width, int height) {
  Left = left;
  Top = top;
  Width = width;
  Height = height;
}

bool Control::Showing() const {
  for (const Control* c = this; c != nullptr; c = c->Parent)
    if (!c->Visible) return false;
  return true;
}

bool Control::Usable() const {
  for (const Control* c = this; c != nullptr; c = c->Parent)
    if (!c->Enabled) return false;
  return true;
}

void Button::Click() {
  Control::Click();
  if (Result != ModalResult::None) Owner().SetModalResult(Result);
}

void CheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (OnClick) OnClick(*this);
}

void CheckBox::Click() {
  SetChecked(!checked_);
}

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(Items.size()) || index == item_index_) return;
  item_index_ = index;
  if (index >= 0 && OnClick) OnClick(*this);
}

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(Items.size())) return;
  item_index_ = index;
}

void ComboBox::Select(int index) {
  if (index < 0 || index >= static_cast<int>(Items.size()) || index == item_index_) return;
  item_index_ = index;
  if (OnChange) OnChange(*this);
}

void ComboBox::Clear() {
  Items.clear();
  item_index_ = -1;
}

void Edit::StoreText(std::string text) {
  if (MaxLength > 0 && text.size() > static_cast<std::size_t>(MaxLength))
    text.resize(static_cast<std::size_t>(MaxLength));
  if (text == text_) return;
  text_ = std::move(text);
  if (OnChange) OnChange(*this);
}

void Edit::SetText(const std::string& text) {
  StoreText(text);
}

MaskEdit::MaskEdit(Form& owner, std::string name, std::string mask)
    : Edit(owner, std::move(name)), mask_(std::move(mask)) {
  const std::string pattern = mask_.substr(0, mask_.find(';'));
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool escaped = pattern[i] == '\\' && i + 1 < pattern.size();
    if (escaped) ++i;
    if (!escaped && (pattern[i] == '0' || pattern[i] == '9'))
      ++digit_places_;
    else if (digit_places_ == 0)
      leading_literals_ += pattern[i];
  }
}

void MaskEdit::SetText(const std::string& text) {
  // What the mask refuses never reaches the text: only digits, and no more than its places.
  // Typed as the edit shows it, the literals in front of the digits ("0," of a fraction) are
  // the mask's own, not digits of the value.
  std::string_view typed = text;
  if (!leading_literals_.empty() && typed.starts_with(leading_literals_))
    typed.remove_prefix(leading_literals_.size());
  std::string digits;
  for (char c : typed)
    if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < digit_places_) digits += c;
  if (MaxLength > 0 && digits.size() > static_cast<std::size_t>(MaxLength))
    digits.resize(static_cast<std::size_t>(MaxLength));
  if (digits == Text()) return;
  previous_text_ = Text();
  StoreText(std::move(digits));
}

void MaskEdit::Reset() {
  const std::string before = previous_text_;
  SetText(before);
}

void UpDown::SetPosition(int position) {
  position_ = std::clamp(position, Min, std::max(Min, Max));
}

void UpDown::ClickButton(UpDownButton button) {
  int next = position_ + (button == UpDownButton::Up ? 1 : -1);
  if (next > Max) next = Wrap ? Min : Max;
  if (next < Min) next = Wrap ? Max : Min;
  position_ = next;
  if (OnArrowClick) OnArrowClick(*this, button);
}

Form::Form(std::string caption) : Caption(std::move(caption)) {}
Form::~Form() = default;

Control* Form::Find(const std::string& name) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const auto& control) { return control->Name() == name; });
  return found == controls_.end() ? nullptr : found->get();
}

ModalResult Form::ShowModal() {
  return ShowModal(Application.Handle);
}

ModalResult Form::ShowModal(kvp::WindowHandle owner) {
  showing_ = true;
  result_ = ModalResult::None;
  ModalView view(*this);
  kvp::RunModal(view, owner);
  showing_ = false;
  return result_;
}

void Form::SetModalResult(ModalResult result) {
  result_ = result;
  if (result != ModalResult::None) Close();
}

void Form::Close() {
  CloseAction action = CloseAction::Hide;
  if (OnClose) OnClose(*this, action);
  if (action == CloseAction::Free) release_requested_ = true;
  showing_ = false;
}

} // namespace forms
