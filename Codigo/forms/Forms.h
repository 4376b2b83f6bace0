// The dialogs' form model: controls with the properties and events the dialogs use, in the
// manner of the VCL form library the dialogs were designed with. Setting Checked fires OnClick,
// a new ItemIndex fires OnClick, a text change fires OnChange, an up-down click fires OnClick
// with its direction. Showing a form hands a toolkit-neutral view of it to the platform's modal
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
constexpr Color clRed = 0x000000FF; // the colour value 255

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
  std::function<void(Control&)> OnClick;

  // A click by the user or by code (Button.Click in the VCL).
  virtual void Click();

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
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int index); // -1 for none; fires OnClick when it changes

private:
  int item_index_ = -1;
};

class ComboBox : public Control { // a drop-down list
public:
  using Control::Control;
  const char* Kind() const override { return "drop-down list"; }
  std::vector<std::string> Items;
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int index); // fires OnChange when it changes
  std::function<void(Control&)> OnChange;

private:
  int item_index_ = -1;
};

class Edit : public Control {
public:
  using Control::Control;
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
// as many as the mask has digit places and as MaxLength allows.
class MaskEdit : public Edit {
public:
  MaskEdit(Form& owner, std::string name, std::string mask);
  const char* Kind() const override { return "masked edit"; }
  const std::string& EditMask() const { return mask_; }
  void SetText(const std::string& text) override;

private:
  std::string mask_;
  std::size_t digit_places_ = 0;
  std::size_t literal_places_ = 0;
};

enum class UpDownButton { Up, Down };

class UpDown : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "up-down"; }
  int Min = 0, Max = 100, Position = 0;
  bool Wrap = false;
  // The user pressed one of the arrows: the handler decides what changes.
  void ClickButton(UpDownButton button);
  std::function<void(UpDown&, UpDownButton)> OnArrowClick;
};

class Image : public Control {
public:
  using Control::Control;
  const char* Kind() const override { return "image"; }
  kvp::Image Picture;
  int Width = 0, Height = 0; // on the form
  bool Stretch = false;
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

  // Creates a control owned by the form, in declaration order.
  template <typename T, typename... Args> T* Add(std::string name, Args&&... args) {
    auto control = std::make_unique<T>(*this, std::move(name), std::forward<Args>(args)...);
    T* raw = control.get();
    controls_.push_back(std::move(control));
    return raw;
  }
  Control* Find(const std::string& name) const;
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }

  // Shows the form modally, owned by `owner`, until it is closed or hidden.
  ModalResult ShowModal(kvp::WindowHandle owner);
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

} // namespace forms
