// The form model: events as the dialogs rely on them, what a person may do through the modal
// view, and the welcome dialog.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "Configuracao.h"
#include "Instalador.h"
#include "Tabelas.h"
#include "forms/ModalView.h"
#include "kvplatform/ansi.h"
#include "kvplatform/modal.h"

using namespace forms;

namespace {
struct Dialog : Form {
  Dialog() : Form("Teste") {
    ok = Add<Button>("b_ok");
    ok->Result = ModalResult::Ok;
    box = Add<CheckBox>("o_cores");
    group = Add<RadioGroup>("r_grupo");
    group->Items = {"Amostra", "População"};
    bins = Add<MaskEdit>("faixas", "99;0; ");
    bins->MaxLength = 2;
    arrows = Add<UpDown>("seta");
    hidden = Add<Edit>("escondido");
    hidden->Visible = false;
  }
  Button* ok;
  CheckBox* box;
  RadioGroup* group;
  MaskEdit* bins;
  UpDown* arrows;
  Edit* hidden;
};

// A driver that plays a list of actions, for the tests.
struct Script {
  std::vector<std::string> refusals;
  std::function<void(kvp::ModalForm&, Script&)> play;
};
void Play(void* context, kvp::ModalForm& form, kvp::WindowHandle) {
  auto* script = static_cast<Script*>(context);
  script->play(form, *script);
}
} // namespace

TEST(Forms, EventsFireOnChangesOnly) {
  Dialog dialog;
  int clicks = 0, changes = 0, arrows = 0;
  dialog.box->OnClick = [&](Control&) { ++clicks; };
  dialog.group->OnClick = [&](Control&) { ++clicks; };
  dialog.bins->OnChange = [&](Control&) { ++changes; };
  dialog.arrows->OnArrowClick = [&](UpDown&, UpDownButton b) {
    arrows += b == UpDownButton::Up ? 1 : -1;
  };
  dialog.box->SetChecked(true);
  dialog.box->SetChecked(true); // no change, no event
  dialog.group->SetItemIndex(1);
  dialog.group->SetItemIndex(1);
  dialog.group->SetItemIndex(5); // no such item: ignored
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(dialog.group->ItemIndex(), 1);
  dialog.bins->SetText("12");
  dialog.bins->SetText("12");
  EXPECT_EQ(changes, 1);
  dialog.arrows->ClickButton(UpDownButton::Up);
  dialog.arrows->ClickButton(UpDownButton::Up);
  dialog.arrows->ClickButton(UpDownButton::Down);
  EXPECT_EQ(arrows, 1);
}

TEST(Forms, MaskKeepsOnlyWhatItAccepts) {
  Dialog dialog;
  dialog.bins->SetText("7a3x9");
  EXPECT_EQ(dialog.bins->Text(), "73") << "digits only, two places";
  MaskEdit percent(dialog, "perc", "99%;0; ");
  percent.SetText("80%");
  EXPECT_EQ(percent.Text(), "80") << "the percent sign is a literal, not kept";
  MaskEdit precision(dialog, "precisao", "\\0,09999;0; ");
  precision.SetText("0012345");
  EXPECT_EQ(precision.Text(), "00123") << "five digit places after the fixed 0,";
}

TEST(Forms, ModalViewRefusesWhatAPersonCouldNotDo) {
  Dialog dialog;
  ModalView view(dialog);
  std::string why;
  EXPECT_FALSE(view.Click("b_nada", why));
  EXPECT_NE(why.find("no control named b_nada"), std::string::npos);
  EXPECT_FALSE(view.SetValue("escondido", "x", why));
  EXPECT_NE(why.find("hidden"), std::string::npos);
  dialog.box->Enabled = false;
  EXPECT_FALSE(view.SetValue("o_cores", "1", why));
  EXPECT_NE(why.find("disabled"), std::string::npos);
  EXPECT_FALSE(dialog.box->Checked());
  EXPECT_FALSE(view.SetValue("r_grupo", "2", why)) << "no third item";
  EXPECT_FALSE(view.Click("r_grupo", why)) << "a radio group is not clicked";
  EXPECT_FALSE(view.ClickUpDown("faixas", true, why));
  EXPECT_TRUE(view.SetValue("r_grupo", "0", why));
  EXPECT_TRUE(view.SetValue("faixas", "5", why));
  const auto states = view.Controls();
  ASSERT_EQ(states.size(), 6u);
  EXPECT_EQ(states[2].item_index, 0);
  EXPECT_EQ(states[3].text, "5");
  EXPECT_EQ(states[3].mask, "99;0; ");
  EXPECT_FALSE(states[5].visible);
}

TEST(Forms, ShowModalRunsTheDriverUntilTheFormCloses) {
  Dialog dialog;
  Script script;
  script.play = [](kvp::ModalForm& form, Script& self) {
    std::string why;
    if (!form.SetValue("faixas", "12", why)) self.refusals.push_back(why);
    if (!form.Click("b_ok", why)) self.refusals.push_back(why);
    EXPECT_FALSE(form.Showing()) << "OK closed it";
  };
  kvp::SetModalDriver(&Play, &script);
  bool freed = false;
  dialog.OnClose = [&](Form&, Form::CloseAction& action) {
    action = Form::CloseAction::Free;
    freed = true;
  };
  EXPECT_EQ(dialog.ShowModal(0), ModalResult::Ok);
  EXPECT_TRUE(script.refusals.empty());
  EXPECT_TRUE(freed);
  EXPECT_TRUE(dialog.ReleaseRequested());
  EXPECT_EQ(dialog.bins->Text(), "12");

  // A driver that does nothing leaves no dialog open: it is closed as by its frame.
  script.play = [](kvp::ModalForm&, Script&) {};
  Dialog second;
  EXPECT_EQ(second.ShowModal(0), ModalResult::None);
  EXPECT_FALSE(second.Showing());
  kvp::SetModalDriver(nullptr, nullptr);
}

TEST(Welcome, TextsInBothLanguagesAndThePicture) {
  std::snprintf(InstallFolder, sizeof InstallFolder, "%s\\", KV_SOURCE_DIR);
  Tf_instalador portuguese;
  EXPECT_EQ(kvp::AnsiToUtf8(portuguese.titulo1->Caption),
            "Você está instalando o suplemento dinâmico KAVENLOR da Corvane Lathi.");
  EXPECT_TRUE(portuguese.titulo1->Bold);
  EXPECT_EQ(portuguese.Image1->Picture.width, 41);
  EXPECT_EQ(portuguese.Image1->Picture.height, 41);
  const std::size_t lines = portuguese.Memo1->Lines.size();

  Tf_instalador english;
  english.UseEnglish();
  EXPECT_EQ(english.Caption, "Kavenlor - Metrics for Financial Market");
  EXPECT_EQ(english.titulo1->Caption,
            "You are about to install KAVENLOR dynamic add-in from Corvane Lathi.");
  EXPECT_EQ(english.Memo1->Lines.size(), lines) << "the same lines, in the same order";
  EXPECT_EQ(english.Memo1->Lines[1], "") << "heading, then a blank line";

  std::snprintf(InstallFolder, sizeof InstallFolder, "%s\\", "/nonexistent/kavenlor");
  Tf_instalador without_picture; // the folder holds no picture: the dialog still shows
  EXPECT_EQ(without_picture.Image1->Picture.width, 0);
}

TEST(Welcome, OkClosesTheDialog) {
  CurrentLanguage = Language::English;
  Script script;
  std::string caption;
  script.play = [&caption](kvp::ModalForm& form, Script& self) {
    caption = form.Caption();
    std::string why;
    if (!form.Click("b_ok", why)) self.refusals.push_back(why);
  };
  kvp::SetModalDriver(&Play, &script);
  carrega_instalador();
  kvp::SetModalDriver(nullptr, nullptr);
  EXPECT_EQ(caption, "Kavenlor - Metrics for Financial Market");
  EXPECT_TRUE(script.refusals.empty());
}

TEST(Forms, GroupBoxesHideAndDisableWhatTheyHold) {
  Form form("Teste");
  auto* group = form.Add<GroupBox>("r_grupo_2");
  auto* inside = form.Add<CheckBox>("o_garch");
  inside->Parent = group;
  ModalView view(form);
  std::string why;
  group->Visible = false;
  EXPECT_FALSE(view.Click("o_garch", why));
  EXPECT_EQ(why, "o_garch is hidden (its group r_grupo_2 is)");
  EXPECT_FALSE(view.Controls()[1].visible) << "the driver sees what a person sees";
  EXPECT_EQ(view.Controls()[1].parent, "r_grupo_2");
  group->Visible = true;
  group->Enabled = false;
  EXPECT_FALSE(view.SetValue("o_garch", "1", why));
  EXPECT_EQ(why, "o_garch is disabled (its group r_grupo_2 is)");
  group->Enabled = true;
  EXPECT_TRUE(view.Click("o_garch", why));
  EXPECT_TRUE(inside->Checked());
}

TEST(Forms, ChoicesFireAsInTheVcl) {
  Form form("Teste");
  auto* group = form.Add<RadioGroup>("r_grupo");
  group->Items = {"ARCH (q)", "GARCH (q,p)"};
  auto* list = form.Add<ComboBox>("c_q");
  list->Items = {"1", "2", "3"};
  int clicks = 0, changes = 0;
  group->OnClick = [&](Control&) { ++clicks; };
  list->OnChange = [&](Control&) { ++changes; };
  group->SetItemIndex(1);
  group->SetItemIndex(-1); // clearing clicks no item
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(group->ItemIndex(), -1);
  list->SetItemIndex(2); // chosen by code
  EXPECT_EQ(changes, 0);
  ModalView view(form);
  std::string why;
  EXPECT_TRUE(view.SetValue("c_q", "0", why)); // chosen by a person
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(view.SetValue("c_q", "3", why));
  list->Clear();
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_TRUE(list->Items.empty());
}

TEST(Forms, UpDownStaysWithinItsLimitsUnlessItWraps) {
  Dialog dialog;
  UpDown& arrows = *dialog.arrows;
  arrows.Min = 1;
  arrows.Max = 3;
  arrows.SetPosition(7);
  EXPECT_EQ(arrows.Position(), 3) << "kept within the limits";
  std::vector<int> seen;
  arrows.OnArrowClick = [&](UpDown& sender, UpDownButton) { seen.push_back(sender.Position()); };
  arrows.ClickButton(UpDownButton::Up);
  arrows.ClickButton(UpDownButton::Down);
  arrows.ClickButton(UpDownButton::Down);
  arrows.ClickButton(UpDownButton::Down);
  arrows.Wrap = true;
  arrows.ClickButton(UpDownButton::Down);
  EXPECT_EQ(seen, (std::vector<int>{3, 2, 1, 1, 3})) << "the handler sees the new position";
}

TEST(Forms, MaskedEditTakesTheTextAsShownAndCanBeReset) {
  Dialog dialog;
  MaskEdit precision(dialog, "precisao", "\\0,09999;0; ");
  precision.MaxLength = 7;
  precision.SetText("0,001");
  EXPECT_EQ(precision.Text(), "001") << "the fixed 0, is the mask's";
  precision.SetText("000");
  precision.Reset();
  EXPECT_EQ(precision.Text(), "001");
  MaskEdit sweeps(dialog, "iteracao", "0999;0; ");
  sweeps.SetText("12345");
  EXPECT_EQ(sweeps.Text(), "1234");
}
