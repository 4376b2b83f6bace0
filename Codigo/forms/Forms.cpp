#include "Forms.h"

#include <algorithm>
#include <cctype>

#include "ModalView.h"

namespace forms {

void Control::Click() {
  if (OnClick) OnClick(*this);
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
  if (OnClick) OnClick(*this);
}

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(Items.size()) || index == item_index_) return;
  item_index_ = index;
  if (OnChange) OnChange(*this);
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
    if (pattern[i] == '\\') {
      ++i;
      ++literal_places_;
    } else if (pattern[i] == '0' || pattern[i] == '9') {
      ++digit_places_;
    } else {
      ++literal_places_;
    }
  }
}

void MaskEdit::SetText(const std::string& text) {
  // What the mask refuses never reaches the text: only digits, and no more than its places.
  std::string digits;
  for (char c : text)
    if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < digit_places_) digits += c;
  StoreText(std::move(digits));
}

void UpDown::ClickButton(UpDownButton button) {
  if (OnArrowClick) OnArrowClick(*this, button);
}

Form::Form(std::string caption) : Caption(std::move(caption)) {}
Form::~Form() = default;

Control* Form::Find(const std::string& name) const {
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [&](const auto& control) { return control->Name() == name; });
  return found == controls_.end() ? nullptr : found->get();
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
