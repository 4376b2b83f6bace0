#include "kvplatform/windows.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kvp {
namespace {
struct TopLevelWindow {
  WindowHandle handle;
  std::string class_name;
};

// Front of the list = top of the z-order.
std::vector<TopLevelWindow>& Windows() {
  static std::vector<TopLevelWindow> windows;
  return windows;
}
} // namespace

void RegisterTopLevelWindow(WindowHandle window, const char* class_name) {
  UnregisterTopLevelWindow(window);
  Windows().insert(Windows().begin(), TopLevelWindow{window, class_name ? class_name : ""});
}

void UnregisterTopLevelWindow(WindowHandle window) {
  auto& windows = Windows();
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [&](const TopLevelWindow& w) { return w.handle == window; }),
                windows.end());
}

void EnumerateTopLevelWindows(WindowVisitor visit, void* context) {
  // A copy, so that a visitor may open or close windows while we walk.
  const std::vector<TopLevelWindow> snapshot = Windows();
  for (const auto& window : snapshot)
    if (!visit(context, window.handle)) return;
}

int WindowClassName(WindowHandle window, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  for (const auto& w : Windows()) {
    if (w.handle != window) continue;
    const int length = std::min<int>(static_cast<int>(w.class_name.size()), size - 1);
    std::memcpy(buffer, w.class_name.data(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
  }
  return 0;
}

} // namespace kvp
