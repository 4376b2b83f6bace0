// The dialogs' form model: controls with the properties and events the dialogs use, in the
// manner of the VCL form library the dialogs were designed with. Setting Checked fires OnClick,
// a radio group's move to another item fires OnClick, a text change fires OnChange, an up-down
// click moves its position within its limits and fires OnArrowClick with the arrow. Events fire
// on changes made by code as well as by a person, as in the VCL; the forms' constructors set
// their design-time properties before they connect their handlers, so nothing fires while a
// form is being built. Showing a form hands a toolkit-neutral view of it to the platform's modal
// loop (kvp::RunModal), which drives it as a person would.
//
// Texts are held in the Windows ANSI code page, like every text of the add-in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kvplatform/bitmap.h"
#include "kvplatform/windows.h"

namespace forms {

// VCL colour values: 0x00BBGGRR, or a system colour.
using Color = std::uint32_t;
constexpr Color clBtnFace = 0x8000000F;
constexpr Color clWindow = 0x80000005;
constexpr Color clWindowText = 0x80000008;
constexpr Color clWhite = 0x00FFFFFF;
constexpr Color clBlack = 0x00000000;
constexpr Color clRed = 0x000000FF;  // the colour value 255
constexpr Color clGray = 0x00808080; // RGB 128/128/128

class Form;

class Control {
public:
  virtual ~Control() = default;
  const std::string& Name() const { return name_; }
  virtual const char* Kind() const = 0;
  Form& Owner() const { return owner_; }

  std::string Caption;
  bool Enabled = true;
  bool Visible = true;
  Color ControlColor = clBtnFace;
  Color FontColor = clWindowText;
  bool Bold = false;
  // Where the control sits in the form's client area, in dialog units (a quarter of the
  // dialog font's average character width, an eighth of its height), so that the layout
  // follows the font. Positions are the form's, not the group box's.
  int Left = 0, Top = 0, Width = 0, Height = 0;
  void SetBounds(int left, int top, int width, int height);
  // The group box the control sits in, or null: a control shows only while its group shows,
  // and can be used only while its group is enabled.
  Control* Parent = nullptr;
  std::function<void(Control&)> OnClick;

  // A click by the user or by code (Button.Click in the VCL).
  virtual void Click();
  // Visible and Enabled as a person meets them: the control's own and every group's around it.
  // A person can act only on a control that is both.
  bool Showing() const;
  bool Usable() const;

  Control(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) {}

private:
  Form& owner_;
  std::string name_;
};

class Label : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "label"; }
};

class Panel : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "panel"; }
};

class GroupBox : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "group box"; }
};

enum class ModalResult { None = 0, Ok = 1, Cancel = 2 };

class Button : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "button"; }
  void Click() override;
  // A button with a modal result closes its form with that result when clicked.
  ModalResult Result = ModalResult::None;
  // Enter presses the default button, Esc the cancel button.
  bool Default = false;
  bool Cancel = false;
};

class CheckBox : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "check box"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked); // fires OnClick when the state changes
  void Click() override;         // toggles

private:
  bool checked_ = false;
};

class RadioGroup : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "radio group"; }
  std::vector<std::string> Items;
  int Columns = 1; // the items are laid out in this many columns
  int ItemIndex() const { return item_index_; }
  // Chooses an item; -1 clears the choice. Choosing another item fires OnClick; clearing does
  // not, as no item was clicked (the VCL's behaviour, which the dialogs rely on).
  void SetItemIndex(int index);

private:
  int item_index_ = -1;
};

// A drop-down list: the choice is one of its items, never a typed text.
class ComboBox : public Control {
public:
  ComboBox(Form& owner, std::string name) : Control(owner, std::move(name)) {
    ControlColor = clWindow;
  }
  const char* Kind() const override { return "drop-down list"; }
  std::vector<std::string> Items;
  int ItemIndex() const { return item_index_; }
  // Chosen by code: no event, as in the VCL. -1 clears the choice.
  void SetItemIndex(int index);
  // Chosen by a person: fires OnChange when the choice changes.
  void Select(int index);
  // Empties the list and clears the choice.
  void Clear();
  std::function<void(Control&)> OnChange;

private:
  int item_index_ = -1;
};

class Edit : public Control {
public:
  Edit(Form& owner, std::string name) : Control(owner, std::move(name)) { ControlColor = clWindow; }
  const char* Kind() const override { return "edit"; }
  const std::string& Text() const { return text_; }
  // Sets the text as typed; a masked edit keeps only what its mask accepts. Fires OnChange
  // when the text changes.
  virtual void SetText(const std::string& text);
  int MaxLength = 0; // 0: no limit
  std::function<void(Control&)> OnChange;

protected:
  void StoreText(std::string text);

private:
  std::string text_;
};

// An edit with a VCL edit mask such as "99;0; ": '0' a required digit, '9' an optional
// digit, '\' makes the next character a literal, other characters are literals; the part after
// the first ';' says whether literals are kept in the text ("0": not kept) and the blank
// character. The dialogs' masks take digits only, so the text keeps the typed digits, at most
// as many as the mask has digit places and as MaxLength allows; the literals ("0," before a
// fraction, a percent sign) are shown around them and never part of the text; a text typed
// with the literals in front, as the edit shows it ("0,001"), keeps only its digits ("001").
class MaskEdit : public Edit {
public:
  MaskEdit(Form& owner, std::string name, std::string mask);
  const char* Kind() const override { return "masked edit"; }
  const std::string& EditMask() const { return mask_; }
  void SetText(const std::string& text) override;
  // Undoes the last change of the text: the edit shows what it held before (fires OnChange).
  void Reset();

private:
  std::string mask_;
  std::size_t digit_places_ = 0;
  std::string leading_literals_; // shown before the first digit place
  std::string previous_text_;
};

enum class UpDownButton { Up, Down };

class UpDown : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "up-down"; }
  int Min = 0, Max = 100;
  // Without Wrap an arrow stops at the limit; with it, it goes round to the other end.
  bool Wrap = false;
  int Position() const { return position_; }
  // Kept within Min..Max, as the control keeps it.
  void SetPosition(int position);
  // The user pressed one of the arrows: the position moves one step (within the limits, or
  // round them with Wrap), then OnArrowClick tells the handler which arrow it was.
  void ClickButton(UpDownButton button);
  std::function<void(UpDown&, UpDownButton)> OnArrowClick;

private:
  int position_ = 0;
};

class Image : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "image"; }
  kvp::Image Picture;
  bool Stretch = false; // the picture fills the control's bounds
};

class Memo : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "memo"; }
  std::vector<std::string> Lines;
  bool ReadOnly = true;
};

class Form {
public:
  explicit Form(std::string caption);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  std::string Caption;
  // The client area's size in dialog units, as the controls' bounds.
  int ClientWidth = 0, ClientHeight = 0;

  // Creates a control owned by the form, in declaration order.
  template <typename T, typename... Args> T* Add(std::string name, Args&&... args) {
    auto control = std::make_unique<T>(*this, std::move(name), std::forward<Args>(args)...);
    T* raw = control.get();
    controls_.push_back(std::move(control));
    return raw;
  }
  Control* Find(const std::string& name) const;
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

  // Shows the form modally, owned by `owner` (by default the application's window), until it is
  // closed or hidden.
  ModalResult ShowModal(kvp::WindowHandle owner);
  ModalResult ShowModal();
  bool Showing() const { return showing_; }
  void Hide() { showing_ = false; }
  // Closes the form: OnClose may ask for the form to be freed (FreeOnClose), as the dialogs do.
  void Close();
  void SetModalResult(ModalResult result);
  ModalResult Result() const { return result_; }

  enum class CloseAction { Hide, Free };
  std::function<void(Form&, CloseAction&)> OnClose;
  // True once a close asked for the form to be freed; its owner then lets it go.
  bool ReleaseRequested() const { return release_requested_; }

private:
  std::vector<std::unique_ptr<Control>> controls_;
  bool showing_ = false;
  bool release_requested_ = false;
  ModalResult result_ = ModalResult::None;
};

// The application object of the form library: the window its dialogs belong to. The tool
// launches set it to Excel's main window.
struct ApplicationObject {
  kvp::WindowHandle Handle = 0;
};
extern ApplicationObject Application;

} // namespace forms
