#include "kvplatform/automation.h"

namespace kvp {
namespace {
// No Excel runs on this system: there is no object to find, and nothing to fail at either.
class NoAutomation : public AutomationSystem {
public:
  bool Initialize() override { return true; }
  void Uninitialize() override {}
  std::unique_ptr<ExcelAutomation> ActiveExcel() override { return nullptr; }
  std::vector<std::unique_ptr<ExcelAutomation>> RunningObjects() override { return {}; }
};
} // namespace

AutomationSystem& SystemAutomation() {
  static NoAutomation automation;
  return automation;
}

} // namespace kvp
