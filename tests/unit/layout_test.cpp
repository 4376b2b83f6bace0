// The dialogs' layouts as the model gives them to a driver: every control placed, inside the
// form, and no two visible controls on top of each other, in both languages and after the
// switches that show other controls.
#include <gtest/gtest.h>

#include "Arch/Arch.h"
#include "forms/ModalView.h"
#include "support/dialog_catalogue.h"
#include "support/layout_check.h"

namespace {
std::vector<std::string> Problems(forms::Form& form) {
  forms::ModalView view(form);
  std::vector<PlacedControl> placed;
  for (const kvp::ControlState& c : view.Controls())
    placed.push_back({c.name, c.kind, c.visible, c.left, c.top, c.width, c.height});
  const kvp::FormSize size = view.ClientSize();
  return LayoutProblems(placed, size.width, size.height);
}
} // namespace

TEST(DialogLayout, EveryDialogIsLaidOutInBothLanguages) {
  for (const DialogCase& dialog : AllDialogs())
    for (bool english : {false, true}) {
      auto form = dialog.make(english);
      EXPECT_GT(form->ClientWidth, 0) << dialog.name;
      for (const auto& control : form->Controls())
        EXPECT_TRUE(control->Width > 0 && control->Height > 0)
            << dialog.name << ": " << control->Name() << " has no bounds";
      for (const std::string& problem : Problems(*form))
        ADD_FAILURE() << dialog.name << (english ? " (en): " : " (pt): ") << problem;
    }
}

// The best-model search hides the model's radio group and shows its check boxes in its place.
TEST(DialogLayout, ArchModelChecksTakeTheRadioGroupsPlace) {
  Tf_arch dialog;
  dialog.SetDefaults(100);
  dialog.o_melhor->SetChecked(true);
  ASSERT_FALSE(dialog.r_grupo->Showing());
  ASSERT_TRUE(dialog.o_garch->Showing());
  for (const std::string& problem : Problems(dialog))
    ADD_FAILURE() << problem;
}

// The checker itself: a control on another, or past the edge, is caught; a group around its
// items is not.
TEST(DialogLayout, CheckerTellsOverlapFromContainment) {
  const PlacedControl group{"g", "group box", true, 0, 0, 100, 50};
  const PlacedControl inside{"a", "check box", true, 10, 10, 50, 10};
  const PlacedControl across{"b", "label", true, 40, 15, 80, 8};
  EXPECT_TRUE(LayoutProblems({group, inside}, 100, 50).empty());
  const auto problems = LayoutProblems({group, inside, across}, 100, 50);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0], "g overlaps b");
  EXPECT_EQ(problems[1], "a overlaps b");
  EXPECT_EQ(problems[2], "b lies outside the client area");
}
