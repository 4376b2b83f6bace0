// What the seven tool dialogs share: the selection they were opened on, closing by Cancel,
// freeing themselves whenever they close, and the tools' message boxes.
#pragma once

#include <string>

#include "TabelaDialogo.h"
#include "forms/Forms.h"

// The selected rectangle of the active sheet, rows and columns counted from 0 as in Excel's
// references.
struct SelectionBounds {
  unsigned first_row = 0;
  unsigned last_row = 0;
  unsigned first_column = 0;
  unsigned last_column = 0;

  unsigned Rows() const { return last_row - first_row + 1; }
  unsigned Columns() const { return last_column - first_column + 1; }
};

// A text in both languages; Text() is the one of CurrentLanguage.
struct BilingualText {
  const char* pt;
  const char* en;
  const char* Text() const;
};

// A tool's message: a modal box with the error icon and an OK button, owned by Excel's main
// window (looked up again just before), titled "Atenção" or "Warning".
void ShowToolMessage(const BilingualText& message);
// The same with a text already in the language in use.
void ShowToolMessage(const std::string& text);

class ToolDialog : public forms::Form {
public:
  // Filled by the launch before the dialog is shown.
  SelectionBounds bounds;
  forms::Button* b_ok = nullptr;
  forms::Button* b_cancelar = nullptr; // closes the dialog

  // The English captions of the dialog's table, set by the launch when English is in use.
  void UseEnglish();

protected:
  // The dialog of `table`, its controls built, OK and Cancel among them (Cancel closes it).
  explicit ToolDialog(const DialogTable& table);

  // The table's initial state as the launch's defaults (see ApplyInitialState).
  void ApplyDefaults();

  // Connects a handler of the dialog class D to an event.
  template <class D>
  std::function<void(forms::Control&)> Handler(void (D::*method)(forms::Control&)) {
    return [this, method](forms::Control& sender) { (static_cast<D*>(this)->*method)(sender); };
  }

  // Every tool dialog frees itself when it closes, by OK, Cancel, its frame or an error.
  void FormClose(forms::Form& sender, CloseAction& action);
  void b_cancelarClick(forms::Control& sender);

private:
  const DialogTable& table_;
};

// The whole number a masked edit holds: its digits in decimal, 0 when it holds none.
int DigitsValue(const std::string& text);

// An up-down arrow on the number in `edit`: one more or one less, kept within the up-down's
// limits; the up-down's position and the text both follow.
void StepNumber(forms::UpDown& arrows, forms::Edit& edit, forms::UpDownButton button);

// Gives `dialog` a new instance of D, freeing the one it held.
template <class D> D* Recreate(D*& dialog) {
  delete dialog;
  dialog = new D;
  return dialog;
}

// Shows the dialog modally, owned by the application's window; once it has closed, frees it
// when it asked to be freed (its close handler always does) and clears the global that held it.
template <class D> void ShowAndRelease(D*& dialog) {
  dialog->ShowModal();
  if (dialog->ReleaseRequested()) {
    delete dialog;
    dialog = nullptr;
  }
}
