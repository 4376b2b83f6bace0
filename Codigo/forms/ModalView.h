// The platform's view of a form: its controls as plain states, and the user's actions routed
// through the controls themselves so that their events fire and their states are respected.
#pragma once

#include "Forms.h"
#include "kvplatform/modal.h"

namespace forms {

class ModalView : public kvp::ModalForm {
public:
  explicit ModalView(Form& form) : form_(form) {}
  std::string Caption() const override { return form_.Caption; }
  std::vector<kvp::ControlState> Controls() const override;
  kvp::FormSize ClientSize() const override { return {form_.ClientWidth, form_.ClientHeight}; }
  bool Click(const std::string& control, std::string& why) override;
  bool SetValue(const std::string& control, const std::string& value, std::string& why) override;
  bool ClickUpDown(const std::string& control, bool up, std::string& why) override;
  void CloseByFrame() override { form_.Close(); }
  bool Showing() const override { return form_.Showing(); }
  std::vector<std::uint32_t> ImagePixels(const std::string& control) const override;

private:
  // The control a person can act on, or null with the reason.
  Control* Usable(const std::string& name, std::string& why) const;
  Form& form_;
};

} // namespace forms
