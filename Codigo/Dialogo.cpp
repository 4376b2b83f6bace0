#include "Dialogo.h"

#include <algorithm>
#include <string>

#include "Kavenlor.h"
#include "Tabelas.h"
#include "kvplatform/messagebox.h"

const char* BilingualText::Text() const {
  return CurrentLanguage == Language::Portuguese ? pt : en;
}

void ShowToolMessage(const BilingualText& message) {
  ShowToolMessage(std::string(message.Text()));
}

void ShowToolMessage(const std::string& text) {
  FindExcelMainWindow(ExcelMainWindow);
  const BilingualText title{"Atenção", "Warning"};
  kvp::ShowMessageBox(ExcelMainWindow, text.c_str(), title.Text(), kvp::kMbOk | kvp::kMbIconError);
}

ToolDialog::ToolDialog(const DialogTable& table) : Form(table.caption_pt), table_(table) {
  OnClose = [this](forms::Form& sender, CloseAction& action) { FormClose(sender, action); };
  BuildControls(*this, table);
  b_ok = Bound<forms::Button>(*this, "b_ok");
  b_ok->Default = true;
  b_cancelar = Bound<forms::Button>(*this, "b_cancelar");
  b_cancelar->Cancel = true;
  b_cancelar->OnClick = [this](forms::Control& sender) { b_cancelarClick(sender); };
}

void ToolDialog::UseEnglish() {
  UseEnglishCaptions(*this, table_);
}

void ToolDialog::ApplyDefaults() {
  ApplyInitialState(*this, table_);
}

void ToolDialog::FormClose(forms::Form&, CloseAction& action) {
  action = CloseAction::Free;
}

void ToolDialog::b_cancelarClick(forms::Control&) {
  Close();
}

int DigitsValue(const std::string& text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') continue;
    if (value > 99999999) break; // the dialogs' edits hold at most a few digits
    value = value * 10 + (c - '0');
  }
  return value;
}

void StepNumber(forms::UpDown& arrows, forms::Edit& edit, forms::UpDownButton button) {
  const int v = DigitsValue(edit.Text());
  const int value =
      button == forms::UpDownButton::Up ? std::min(v + 1, arrows.Max) : std::max(v - 1, arrows.Min);
  arrows.SetPosition(value);
  edit.SetText(std::to_string(value));
}
