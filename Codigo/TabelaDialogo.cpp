#include "TabelaDialogo.h"

#include <stdexcept>
#include <string>

namespace {
std::vector<std::string> Texts(const std::vector<const char*>& items) {
  return std::vector<std::string>(items.begin(), items.end());
}

forms::Control* Create(forms::Form& form, const ControlRow& row) {
  switch (row.kind) {
  case ControlKind::Label: return form.Add<forms::Label>(row.name);
  case ControlKind::Edit: return form.Add<forms::Edit>(row.name);
  case ControlKind::MaskEdit: return form.Add<forms::MaskEdit>(row.name, row.mask);
  case ControlKind::CheckBox: return form.Add<forms::CheckBox>(row.name);
  case ControlKind::RadioGroup: return form.Add<forms::RadioGroup>(row.name);
  case ControlKind::ComboBox: return form.Add<forms::ComboBox>(row.name);
  case ControlKind::UpDown: return form.Add<forms::UpDown>(row.name);
  case ControlKind::GroupBox: return form.Add<forms::GroupBox>(row.name);
  case ControlKind::Button: return form.Add<forms::Button>(row.name);
  }
  throw std::logic_error("a control of no known kind");
}

// Everything of the initial state but the text; the state setters fire the events they fire.
void ApplyState(forms::Control& control, const ControlRow& row) {
  control.Enabled = row.enabled;
  control.Visible = row.visible;
  if (row.colour) control.ControlColor = *row.colour;
  if (auto* box = dynamic_cast<forms::CheckBox*>(&control)) box->SetChecked(row.checked);
  if (auto* group = dynamic_cast<forms::RadioGroup*>(&control)) group->SetItemIndex(row.item_index);
  if (auto* list = dynamic_cast<forms::ComboBox*>(&control)) list->SetItemIndex(row.item_index);
  if (auto* arrows = dynamic_cast<forms::UpDown*>(&control)) arrows->SetPosition(row.position);
}

forms::Control& Find(const forms::Form& form, const ControlRow& row) {
  return *Bound<forms::Control>(form, row.name);
}
} // namespace

void BuildControls(forms::Form& form, const DialogTable& table) {
  form.Caption = table.caption_pt;
  form.ClientWidth = table.width;
  form.ClientHeight = table.height;
  for (const ControlRow& row : table.rows) {
    forms::Control* control = Create(form, row);
    if (row.pt != nullptr) control->Caption = row.pt;
    control->SetBounds(row.at.left, row.at.top, row.at.width, row.at.height);
    if (row.parent != nullptr) control->Parent = Bound<forms::Control>(form, row.parent);
    if (auto* edit = dynamic_cast<forms::Edit*>(control)) edit->MaxLength = row.max_length;
    if (auto* group = dynamic_cast<forms::RadioGroup*>(control)) {
      group->Items = Texts(row.items_pt);
      group->Columns = row.columns;
    }
    if (auto* list = dynamic_cast<forms::ComboBox*>(control)) list->Items = Texts(row.items_pt);
    if (auto* arrows = dynamic_cast<forms::UpDown*>(control)) {
      arrows->Min = row.min;
      arrows->Max = row.max;
      arrows->Wrap = false;
    }
    ApplyState(*control, row);
  }
}

void UseEnglishCaptions(forms::Form& form, const DialogTable& table) {
  form.Caption = table.caption_en;
  for (const ControlRow& row : table.rows) {
    forms::Control& control = Find(form, row);
    if (row.en != nullptr) control.Caption = row.en;
    if (row.items_en.empty()) continue;
    if (auto* group = dynamic_cast<forms::RadioGroup*>(&control))
      group->Items = Texts(row.items_en);
    if (auto* list = dynamic_cast<forms::ComboBox*>(&control)) list->Items = Texts(row.items_en);
  }
}

void ApplyInitialState(forms::Form& form, const DialogTable& table) {
  for (const ControlRow& row : table.rows) {
    forms::Control& control = Find(form, row);
    ApplyState(control, row);
    if (row.text == nullptr) continue;
    if (auto* edit = dynamic_cast<forms::Edit*>(&control)) edit->SetText(row.text);
  }
}
