// The person in front of the add-in's dialogs. kvhost installs itself as the platform's modal
// driver and answers each dialog from a script of actions, prints the dialog first, or asks
// someone at the terminal. Every action goes through the form's own model (kvp::ModalForm), so
// a control that is disabled or hidden refuses it, as it would refuse a person.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kvplatform/modal.h"

namespace kvhost {

enum class DialogMode {
  Script, // take the scripted actions, then press OK if the dialog is still open
  Print,  // print the dialog and its controls, then as Script
  Prompt, // a line-oriented prompt for a person at a terminal
};

// One thing a person does to a dialog. Texts are UTF-8.
struct DialogAction {
  enum class Kind { Set, Click, Up, Down, Ok, Cancel };
  Kind kind = Kind::Click;
  std::string control;
  std::string value; // Set: a check box 1/0, an item index, an edit's text

  bool operator==(const DialogAction&) const = default;
};

// "CONTROL=VALUE" as --set gives it; nothing without a control name and an '='.
std::optional<DialogAction> ParseSetAction(std::string_view text);

// The action as a person would say it: "set faixas to "12"", "clicked o_cores", "pressed OK".
std::string Describe(const DialogAction& action);

// What happened to one dialog.
struct DialogRecord {
  std::string caption;                     // UTF-8
  std::vector<kvp::ControlState> controls; // as the dialog opened
  std::vector<std::string> actions;        // each action taken, as a person would say it
  std::string closed_by;                   // the button that closed it, or "its frame"
  std::string refusal; // why the dialog refused a scripted action; empty when none did
};

class DialogDriver {
public:
  // Prints to `out`; the prompt reads `in`.
  DialogDriver(DialogMode mode, std::ostream& out, std::istream& in);
  ~DialogDriver(); // no longer the modal driver
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  // Becomes the platform's modal driver.
  void Install();

  // Scripted dialogs are printed when they open and again once their actions are done, before
  // they are answered (kvhost run --show-dialog).
  void ShowDialogs(bool show) { show_dialogs_ = show; }

  // Actions for the dialogs to come, in order: each dialog takes them up to and including the
  // first Ok or Cancel; what is left waits for the next dialog. A dialog still open when its
  // actions are done is answered with its OK button if it can be pressed (and the script did
  // not press it already), else closed by its frame. When a dialog refuses an action it is
  // closed by its frame and the actions left are dropped.
  void AddActions(const std::vector<DialogAction>& actions);

  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  // True when some dialog refused a scripted action.
  bool Refused() const;
  // Scripted actions no dialog has taken yet.
  const std::vector<DialogAction>& Pending() const { return pending_; }

private:
  static void Drive(void* context, kvp::ModalForm& form, kvp::WindowHandle owner);
  void RunScript(kvp::ModalForm& form, DialogRecord& record);
  void RunPrompt(kvp::ModalForm& form, DialogRecord& record);
  // Takes one action; false, with the reason, when the dialog refuses it.
  bool Take(kvp::ModalForm& form, const DialogAction& action, DialogRecord& record,
            std::string& why);
  // Presses OK when the dialog is still open and the script did not answer it, else closes
  // it by its frame.
  void Finish(kvp::ModalForm& form, DialogRecord& record, bool answered);

  DialogMode mode_;
  std::ostream& out_;
  std::istream& in_;
  std::vector<DialogAction> pending_;
  std::vector<DialogRecord> dialogs_;
  bool show_dialogs_ = false;
};

// The dialog's caption, then each control: name, kind, caption or text, the group box it sits
// in, enabled/visible (and checked for a check box), colours and bold, then what the kind has:
// items with the chosen index (and the columns of a radio group laid out in several), up-down
// position, limits and wrapping, mask and maximum length, a picture's size, a memo's lines.
void PrintDialog(const kvp::ModalForm& form, std::ostream& out);

// The button a person presses to accept the dialog (named b_ok, or captioned "OK"), or to
// leave it (b_cancel/b_cancelar, or captioned "Cancel"/"Cancelar"); empty when it has none.
std::string OkButton(const std::vector<kvp::ControlState>& controls);
std::string CancelButton(const std::vector<kvp::ControlState>& controls);

} // namespace kvhost
