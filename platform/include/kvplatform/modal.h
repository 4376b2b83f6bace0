// The modal loop that shows a dialog (ShowModal's message loop on Windows).
//
// A dialog is described to the platform through ModalForm, a toolkit-neutral view of its
// controls with the actions a person can take on them. On Linux the loop is whatever the host
// installed: kvhost drives the dialog from a script or a terminal prompt. The actions go
// through the form's own model, so a control that is disabled or hidden cannot be used, as a
// person could not use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api.h"
#include "windows.h"

namespace kvp {

// What the driver sees of one control. Texts are ANSI (code page 1252), as the add-in holds them.
struct ControlState {
  std::string name;
  std::string kind; // "label", "button", "check box", "radio group", "group box", "drop-down list",
                    // "edit", "masked edit", "up-down", "image", "memo", "panel"
  std::string caption; // labels, buttons, check boxes, group captions
  std::string text;    // edits
  std::string parent;  // the group box the control sits in; empty when none
  // As a person meets them: a control in a hidden group is hidden, in a disabled one disabled.
  bool enabled = true;
  bool visible = true;
  bool checked = false;
  int item_index = -1;
  std::vector<std::string> items; // radio groups, drop-down lists; the memo's lines
  int columns = 1;                // a radio group's columns of items
  int position = 0, min = 0, max = 0;
  bool wrap = false; // an up-down goes round from one limit to the other
  int max_length = 0;
  std::string mask;
  std::uint32_t color = 0; // VCL colour value: 0x00BBGGRR, or a system colour 0x8000000n
  std::uint32_t font_color = 0;
  bool bold = false;
  int image_width = 0, image_height = 0;
  // The control's bounds in the form's client area, in dialog units (4 to the dialog font's
  // average character width, 8 to its height).
  int left = 0, top = 0, width = 0, height = 0;
  // Buttons: the one Enter presses, the one Esc presses.
  bool default_button = false, cancel_button = false;
};

// The form's client area in dialog units.
struct FormSize {
  int width = 0, height = 0;
};

class ModalForm {
public:
  virtual ~ModalForm() = default;
  virtual std::string Caption() const = 0;
  virtual std::vector<ControlState> Controls() const = 0;
  // Where the form gives no layout, the size is 0 by 0 and a driver lays the controls out itself.
  virtual FormSize ClientSize() const { return {}; }
  // A person's actions. Each answers false, with the reason in `why`, when it cannot be taken
  // (no such control, disabled or hidden, not that kind of control, a value it cannot hold).
  virtual bool Click(const std::string& control, std::string& why) = 0;
  // Check boxes "1"/"0", radio groups and drop-down lists an item index, edits the typed text.
  virtual bool SetValue(const std::string& control, const std::string& value, std::string& why) = 0;
  virtual bool ClickUpDown(const std::string& control, bool up, std::string& why) = 0;
  // Closing by the window frame.
  virtual void CloseByFrame() = 0;
  // The loop ends as soon as the form is closed or hidden.
  virtual bool Showing() const = 0;
  // The image control's pixels (0xAARRGGBB, top row first), for a driver that shows them.
  virtual std::vector<std::uint32_t> ImagePixels(const std::string& control) const = 0;
};

// Runs `form` until it stops showing; `owner` is the window it belongs to.
using ModalDriver = void (*)(void* context, ModalForm& form, WindowHandle owner);
KVP_API void RunModal(ModalForm& form, WindowHandle owner);
KVP_API void SetModalDriver(ModalDriver driver, void* context);

} // namespace kvp
