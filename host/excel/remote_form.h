// A dialog the Windows add-in shows in the helper, seen by kvhost's modal driver: every
// question and action of the driver is asked of the helper, which performs it on the dialog's
// windows, as a person's clicks and typing would.
#pragma once

#include "helper_process.h"
#include "kvplatform/modal.h"

namespace kvhost {

class RemoteForm final : public kvp::ModalForm {
public:
  RemoteForm(kvbridge::HelperProcess& helper, std::uint64_t window)
      : helper_(helper), window_(window) {}

  std::string Caption() const override;
  std::vector<kvp::ControlState> Controls() const override;
  bool Click(const std::string& control, std::string& why) override;
  bool SetValue(const std::string& control, const std::string& value, std::string& why) override;
  bool ClickUpDown(const std::string& control, bool up, std::string& why) override;
  void CloseByFrame() override;
  bool Showing() const override;
  std::vector<std::uint32_t> ImagePixels(const std::string& control) const override;

private:
  // Asks `question` with `body` after it and hands the answer to `read`.
  template <class Read>
  auto Ask(std::uint8_t question, const kvbridge::Writer& body, Read read) const;
  bool Act(std::uint8_t question, const kvbridge::Writer& body, std::string& why);

  kvbridge::HelperProcess& helper_;
  std::uint64_t window_;
};

} // namespace kvhost
