// What makes a dialog's layout readable, on the bounds a driver reports: every visible control
// inside the client area and none on top of another, except a group box or panel around the
// controls it holds.
#pragma once

#include <string>
#include <vector>

struct PlacedControl {
  std::string name;
  std::string kind;
  bool visible = true;
  int left = 0, top = 0, width = 0, height = 0;
};

inline bool Contains(const PlacedControl& outer, const PlacedControl& inner) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

inline bool Overlap(const PlacedControl& a, const PlacedControl& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Each problem as a sentence; none for a good layout.
inline std::vector<std::string> LayoutProblems(const std::vector<PlacedControl>& controls,
                                               int client_width, int client_height) {
  std::vector<std::string> problems;
  auto frames = [](const PlacedControl& c) {
    return c.kind == "group box" || c.kind == "radio group" || c.kind == "panel";
  };
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const PlacedControl& a = controls[i];
    if (!a.visible) continue;
    if (a.width <= 0 || a.height <= 0) problems.push_back(a.name + " has no size");
    if (a.left < 0 || a.top < 0 || a.left + a.width > client_width ||
        a.top + a.height > client_height)
      problems.push_back(a.name + " lies outside the client area");
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      const PlacedControl& b = controls[j];
      if (!b.visible || !Overlap(a, b)) continue;
      if ((frames(a) && Contains(a, b)) || (frames(b) && Contains(b, a))) continue;
      problems.push_back(a.name + " overlaps " + b.name);
    }
  }
  return problems;
}
