// The dialog driver: scripted actions, printing and the terminal prompt, on a small form that
// refuses what a disabled or hidden control refuses.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "ui/dialog_driver.h"

using namespace kvhost;

namespace {
// A dialog: OK, Cancel, a check box, an edit, an up-down, a disabled button, a list.
class FakeForm : public kvp::ModalForm {
public:
  FakeForm() {
    Add("b_ok", "button", "&OK");
    Add("b_cancelar", "button", "Cancelar");
    Add("c_log", "check box", "Log");
    Add("e_name", "edit", "");
    Add("ud_n", "up-down", "");
    controls_["ud_n"].position = 3;
    controls_["ud_n"].max = 5;
    Add("b_more", "button", "More");
    controls_["b_more"].enabled = false;
    Add("rg", "radio group", "Kind");
    controls_["rg"].items = {"Sample", "Popula\xE7\xE3o"};
    controls_["rg"].item_index = 1;
    Add("Image1", "image", "");
    controls_["Image1"].image_width = controls_["Image1"].image_height = 41;
    Add("Memo1", "memo", "");
    controls_["Memo1"].items = {"first", "", "last"};
  }
  std::string Caption() const override {
    return "Op\xE7\xF5"
           "es";
  }
  std::vector<kvp::ControlState> Controls() const override {
    std::vector<kvp::ControlState> states;
    for (const auto& name : order_)
      states.push_back(controls_.at(name));
    return states;
  }
  bool Click(const std::string& name, std::string& why) override {
    auto* c = Usable(name, why);
    if (c == nullptr) return false;
    if (c->kind == "check box") c->checked = !c->checked;
    if (name == "b_ok" && ok_closes) showing = false;
    if (name == "b_cancelar") showing = false;
    log.push_back("click " + name);
    return true;
  }
  bool SetValue(const std::string& name, const std::string& value, std::string& why) override {
    auto* c = Usable(name, why);
    if (c == nullptr) return false;
    c->text = value;
    log.push_back("set " + name + "=" + value);
    return true;
  }
  bool ClickUpDown(const std::string& name, bool up, std::string& why) override {
    auto* c = Usable(name, why);
    if (c == nullptr) return false;
    c->position += up ? 1 : -1;
    log.push_back(std::string(up ? "up " : "down ") + name);
    return true;
  }
  void CloseByFrame() override {
    showing = false;
    log.push_back("frame");
  }
  bool Showing() const override { return showing; }
  std::vector<std::uint32_t> ImagePixels(const std::string&) const override { return {}; }

  bool showing = true;
  bool ok_closes = true;
  std::vector<std::string> log;
  std::map<std::string, kvp::ControlState> controls_;

private:
  void Add(const std::string& name, const std::string& kind, const std::string& caption) {
    kvp::ControlState state;
    state.name = name;
    state.kind = kind;
    state.caption = caption;
    state.color = 0x8000000F; // clBtnFace
    controls_[name] = state;
    order_.push_back(name);
  }
  kvp::ControlState* Usable(const std::string& name, std::string& why) {
    auto found = controls_.find(name);
    if (found == controls_.end()) {
      why = "no control named " + name;
      return nullptr;
    }
    if (!found->second.enabled) {
      why = name + " is disabled";
      return nullptr;
    }
    return &found->second;
  }
  std::vector<std::string> order_;
};

using Kind = DialogAction::Kind;

// Shows `form` as the add-in does, through the platform's modal loop.
void Show(FakeForm& form) {
  kvp::RunModal(form, 0);
}
} // namespace

TEST(DialogDriver, ScriptTakesItsActionsThenPressesOk) {
  std::ostringstream out;
  std::istringstream in;
  DialogDriver driver(DialogMode::Script, out, in);
  driver.Install();
  FakeForm untouched;
  Show(untouched);
  EXPECT_EQ(untouched.log, std::vector<std::string>{"click b_ok"});
  EXPECT_TRUE(out.str().empty()) << "script mode prints nothing";

  driver.AddActions({{Kind::Set, "e_name", "Jos\xC3\xA9"},
                     {Kind::Click, "c_log", ""},
                     {Kind::Up, "ud_n", ""},
                     {Kind::Cancel, "", ""},
                     {Kind::Down, "ud_n", ""}});
  FakeForm first, second;
  Show(first);
  EXPECT_EQ(first.log, (std::vector<std::string>{"set e_name=Jos\xE9", "click c_log", "up ud_n",
                                                 "click b_cancelar"}))
      << "texts reach the form in the ANSI code page";
  Show(second);
  EXPECT_EQ(second.log, (std::vector<std::string>{"down ud_n", "click b_ok"}))
      << "the next dialog takes what is left";
  ASSERT_EQ(driver.Dialogs().size(), 3u);
  EXPECT_EQ(driver.Dialogs()[1].caption, "Opções");
  EXPECT_EQ(driver.Dialogs()[1].closed_by, "b_cancelar");
  EXPECT_EQ(driver.Dialogs()[2].closed_by, "b_ok");
  EXPECT_FALSE(driver.Refused());
}

TEST(DialogDriver, ARefusedActionClosesTheDialogAndDropsTheRest) {
  std::ostringstream out;
  std::istringstream in;
  DialogDriver driver(DialogMode::Script, out, in);
  driver.Install();
  driver.AddActions({{Kind::Click, "b_more", ""}, {Kind::Ok, "", ""}});
  FakeForm form, next;
  Show(form);
  EXPECT_EQ(form.log, std::vector<std::string>{"frame"});
  EXPECT_TRUE(driver.Refused());
  EXPECT_NE(driver.Dialogs()[0].refusal.find("b_more is disabled"), std::string::npos);
  Show(next);
  EXPECT_EQ(next.log, std::vector<std::string>{"click b_ok"}) << "the --ok went with the rest";

  // An OK button that does not close the dialog (its handler refused the input) leaves the
  // frame; a disabled one cannot be pressed at all.
  FakeForm stubborn, disabled;
  stubborn.ok_closes = false;
  Show(stubborn);
  EXPECT_EQ(stubborn.log, (std::vector<std::string>{"click b_ok", "frame"}));
  driver.AddActions({{Kind::Ok, "", ""}});
  FakeForm refusing;
  refusing.ok_closes = false;
  Show(refusing);
  EXPECT_EQ(refusing.log, (std::vector<std::string>{"click b_ok", "frame"}))
      << "a scripted OK is pressed once";
  disabled.controls_["b_ok"].enabled = false;
  Show(disabled);
  EXPECT_EQ(disabled.log, std::vector<std::string>{"frame"});
  EXPECT_EQ(driver.Dialogs().back().closed_by, "its frame");
}

TEST(DialogDriver, PrintShowsEveryControlThenPressesOk) {
  std::ostringstream out;
  std::istringstream in;
  DialogDriver driver(DialogMode::Print, out, in);
  driver.Install();
  FakeForm form;
  form.controls_["c_log"].checked = true;
  form.controls_["e_name"].text = "x";
  form.controls_["e_name"].max_length = 8;
  Show(form);
  const std::string printed = out.str();
  for (const char* expected :
       {"Dialog \"Opções\"\n", "  b_ok: button \"&OK\", enabled, visible",
        "  c_log: check box \"Log\", enabled, visible, checked", "  e_name: edit, text \"x\"",
        "    max length 8\n", "    position 3, from 0 to 5\n",
        "  b_more: button \"More\", disabled, visible", "    item index 1\n",
        "    * 1 \"População\"\n", "    picture 41x41\n", "    3 lines\n    | first\n    |\n",
        "colour clBtnFace, font clBlack"})
    EXPECT_NE(printed.find(expected), std::string::npos) << expected << " not in\n" << printed;
  EXPECT_EQ(form.log, std::vector<std::string>{"click b_ok"});
}

TEST(DialogDriver, PromptFollowsThePersonAndRefusesWhatTheFormRefuses) {
  std::ostringstream out;
  std::istringstream in("set e_name two words\nclick b_more\nfly away\nup ud_n\nok\n");
  DialogDriver driver(DialogMode::Prompt, out, in);
  driver.Install();
  FakeForm form;
  Show(form);
  EXPECT_EQ(form.log, (std::vector<std::string>{"set e_name=two words", "up ud_n", "click b_ok"}));
  EXPECT_NE(out.str().find("refused: b_more is disabled"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("not understood"), std::string::npos);
  EXPECT_FALSE(driver.Refused()) << "a person may try again";

  std::istringstream nothing("list\n");
  DialogDriver leaving(DialogMode::Prompt, out, nothing);
  leaving.Install();
  FakeForm left;
  Show(left);
  EXPECT_EQ(left.log, std::vector<std::string>{"frame"}) << "end of input: closed by the frame";
}

TEST(DialogDriver, SetActionsAreControlEqualsValue) {
  EXPECT_EQ(ParseSetAction("e_bins=12"), (DialogAction{Kind::Set, "e_bins", "12"}));
  EXPECT_EQ(ParseSetAction("e_title=a=b"), (DialogAction{Kind::Set, "e_title", "a=b"}));
  EXPECT_EQ(ParseSetAction("e_empty="), (DialogAction{Kind::Set, "e_empty", ""}));
  EXPECT_FALSE(ParseSetAction("=3"));
  EXPECT_FALSE(ParseSetAction("no_value"));
}

TEST(DialogDriver, ShowDialogsPrintsTheDialogAgainOnceItsActionsAreDone) {
  std::ostringstream out;
  std::istringstream in;
  DialogDriver driver(DialogMode::Script, out, in);
  driver.ShowDialogs(true);
  driver.Install();
  driver.AddActions({{Kind::Up, "ud_n", ""}, {Kind::Ok, "", ""}, {Kind::Set, "e_name", "x"}});
  FakeForm changed, changed_too, untouched;
  Show(changed);
  const std::string first = out.str();
  const std::size_t after = first.find("After the actions:\n");
  ASSERT_NE(after, std::string::npos) << first;
  EXPECT_LT(first.find("    position 3, from 0 to 5\n    no wrap\n"), after);
  EXPECT_NE(first.find("    position 4, from 0 to 5\n", after), std::string::npos);
  EXPECT_EQ(changed.log, (std::vector<std::string>{"up ud_n", "click b_ok"}));
  ASSERT_EQ(driver.Pending().size(), 1u) << "the next dialog's";
  EXPECT_EQ(Describe(driver.Pending()[0]), "set e_name to \"x\"");

  driver.AddActions({{Kind::Cancel, "", ""}, {Kind::Cancel, "", ""}});
  Show(changed_too);
  EXPECT_NE(out.str().find("text \"x\"", out.str().rfind("After the actions:\n")),
            std::string::npos);
  out.str("");
  Show(untouched);
  EXPECT_EQ(out.str().find("After the actions"), std::string::npos)
      << "answered at once: shown only when it opened";
  EXPECT_NE(out.str().find("Dialog \"Opções\""), std::string::npos);
}
