// A tool dialog as one table: one row per control with its name, kind, captions in both
// languages, place, limits and initial state. The dialog's constructor builds its controls from
// the table, the launch puts the English captions on when English is in use and applies the
// initial state as its defaults; only the event handlers stay code, beside the table.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Forms.h"

enum class ControlKind {
  Label,
  Edit,
  MaskEdit,
  CheckBox,
  RadioGroup,
  ComboBox,
  UpDown,
  GroupBox,
  Button
};

// Where a control sits, in dialog units (see forms::Control).
struct Place {
  int left = 0, top = 0, width = 0, height = 0;
};

struct ControlRow {
  const char* name;
  ControlKind kind;
  // Captions: the form's own (Portuguese) and the one the launch sets for English. Controls
  // without a caption (edits, up-downs) have none.
  const char* pt = nullptr;
  const char* en = nullptr;
  // The items of a radio group or a drop-down list, in each language.
  std::vector<const char*> items_pt = {};
  std::vector<const char*> items_en = {};
  Place at = {};
  const char* parent = nullptr; // the group box it sits in
  // Limits: a masked edit's mask and length, an up-down's range, a radio group's columns.
  const char* mask = nullptr;
  int max_length = 0;
  int min = 0, max = 0;
  int columns = 1;
  // Initial state. `text` is what the launch types into an edit (its handlers see it typed);
  // the others are the form's own and the launch's defaults alike.
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  int item_index = -1;
  int position = 0;
  const char* text = nullptr;
  std::optional<forms::Color> colour = std::nullopt;
};

struct DialogTable {
  const char* caption_pt;
  const char* caption_en;
  int width, height; // the client area, in dialog units
  std::vector<ControlRow> rows;
};

// Creates the table's controls on `form` in the table's order, with the Portuguese captions,
// places, limits and initial state (texts left empty), before any handler is connected.
void BuildControls(forms::Form& form, const DialogTable& table);
// The English captions and items.
void UseEnglishCaptions(forms::Form& form, const DialogTable& table);
// The initial state again, texts typed in, as the launch sets its defaults: handlers see every
// change, as they would see a person's.
void ApplyInitialState(forms::Form& form, const DialogTable& table);

// The control named `name`, of the type the caller expects; a table that does not hold it is a
// programming error (std::logic_error).
template <class C> C* Bound(const forms::Form& form, const char* name) {
  C* control = dynamic_cast<C*>(form.Find(name));
  if (control == nullptr) throw std::logic_error(std::string("no control ") + name);
  return control;
}
