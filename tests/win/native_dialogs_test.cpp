// The native dialogs under Wine: each of the add-in's dialogs, in both languages, shown as a real
// window and driven from outside through AttachToDialog as kvhost's helper drives it. What the
// windows show must be what the form model holds, a person's actions must reach the model's
// handlers and their effects the screen, and the layout must be readable.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "Pca/Pca.h"
#include "attached_form.h"
#include "forms/ModalView.h"
#include "native_dialog.h"
#include "support/dialog_catalogue.h"
#include "support/layout_check.h"
#include "xll/xlcall.h"

// The add-in's calls into Excel: nothing here needs Excel, and none of them must succeed.
extern "C" int XL_CDECL Excel4(int, LPXLOPER, int, ...) {
  return xlretFailed;
}
extern "C" int XL_PASCAL Excel4v(int, LPXLOPER, int, LPXLOPER[]) {
  return xlretFailed;
}

namespace {

// A small check harness: each failure printed with the dialog it happened in.
int g_failures = 0;
std::string g_where;

void Fail(const std::string& what) {
  ++g_failures;
  std::printf("FAIL [%s] %s\n", g_where.c_str(), what.c_str());
}

void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

template <class T> std::string Show(const T& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}
std::string Show(const std::vector<std::string>& items) {
  std::string text = "{";
  for (const auto& item : items)
    text += "\"" + item + "\" ";
  return text + "}";
}

template <class T> void Same(const T& screen, const T& model, const std::string& what) {
  if (!(screen == model))
    Fail(what + ": the window shows " + Show(screen) + ", the form holds " + Show(model));
}

// (a) The dialog read back from its windows is the form's own view, field by field.
void CompareWithModel(const kvp::ModalForm& native, const kvp::ModalForm& model) {
  Same(native.Caption(), model.Caption(), "caption");
  // A form without a layout of its own is laid out by the driver: no bounds to compare.
  const bool laid_out = model.ClientSize().width > 0;
  if (laid_out) {
    Same(native.ClientSize().width, model.ClientSize().width, "client width");
    Same(native.ClientSize().height, model.ClientSize().height, "client height");
  }
  const auto screen = native.Controls(), held = model.Controls();
  Same(screen.size(), held.size(), "number of controls");
  for (std::size_t i = 0; i < std::min(screen.size(), held.size()); ++i) {
    const kvp::ControlState &s = screen[i], &m = held[i];
    const std::string n = m.name + " ";
    Same(s.name, m.name, "control " + std::to_string(i));
    Same(s.kind, m.kind, n + "kind");
    Same(s.caption, m.caption, n + "caption");
    Same(s.text, m.text, n + "text");
    Same(s.parent, m.parent, n + "group");
    Same(s.enabled, m.enabled, n + "enabled");
    Same(s.visible, m.visible, n + "visible");
    Same(s.checked, m.checked, n + "checked");
    Same(s.item_index, m.item_index, n + "item index");
    Same(s.items, m.items, n + "items");
    if (m.kind == "radio group" && m.items.size() > 1) Same(s.columns, m.columns, n + "columns");
    Same(s.position, m.position, n + "position");
    Same(s.min, m.min, n + "min");
    Same(s.max, m.max, n + "max");
    Same(s.wrap, m.wrap, n + "wrap");
    Same(s.max_length, m.max_length, n + "max length");
    Same(s.mask, m.mask, n + "mask");
    Same(s.color, m.color, n + "colour");
    Same(s.font_color, m.font_color, n + "font colour");
    Same(s.bold, m.bold, n + "bold");
    Same(s.image_width, m.image_width, n + "picture width");
    Same(s.image_height, m.image_height, n + "picture height");
    if (laid_out) {
      Same(s.left, m.left, n + "left");
      Same(s.top, m.top, n + "top");
      Same(s.width, m.width, n + "width");
      Same(s.height, m.height, n + "height");
    }
    Same(s.default_button, m.default_button, n + "default button");
    Same(s.cancel_button, m.cancel_button, n + "cancel button");
  }
}

std::string Prop(HWND window, const char* property) {
  const auto* text = static_cast<const char*>(GetPropA(window, property));
  return text != nullptr ? text : "";
}

// The windows of one control: its own (a radio group's box) first, then a radio group's items.
std::vector<HWND> WindowsOf(HWND dialog, const std::string& name) {
  std::vector<HWND> found;
  for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
    if (Prop(w, kvp::win32::kNameProperty) == name) {
      if (GetPropA(w, kvp::win32::kItemProperty) == nullptr)
        found.insert(found.begin(), w);
      else
        found.push_back(w);
    }
  if (found.empty()) Fail("no window for " + name);
  return found;
}

HWND WindowOf(HWND dialog, const std::string& name) {
  auto found = WindowsOf(dialog, name);
  return found.empty() ? nullptr : found.front();
}

// (c) Every visible window inside the client area, none on another but in its frame, and each
// text within its window in the dialog's font.
void CheckLayout(HWND dialog) {
  std::vector<PlacedControl> placed;
  HDC dc = GetDC(dialog);
  for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    std::string name = Prop(w, kvp::win32::kNameProperty);
    if (name.empty()) continue;
    std::string kind = Prop(w, kvp::win32::kKindProperty);
    if (auto item = reinterpret_cast<std::uintptr_t>(GetPropA(w, kvp::win32::kItemProperty))) {
      name += " item " + std::to_string(item - 1);
      kind = "radio item";
    }
    const RECT r = kvp::win32::ClientBounds(dialog, w);
    const bool visible = (GetWindowLongPtrA(w, GWL_STYLE) & WS_VISIBLE) != 0;
    placed.push_back({name, kind, visible, r.left, r.top, r.right - r.left, r.bottom - r.top});
    if (!visible) continue;
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    const std::string text = kvp::win32::WindowText(w);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int box = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    if (kind == "label") {
      RECT need{0, 0, width, 0};
      DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      Check(need.bottom <= height && need.right <= width,
            name + ": its text needs " + std::to_string(need.right) + "x" +
                std::to_string(need.bottom) + " pixels, it has " + std::to_string(width) + "x" +
                std::to_string(height));
    } else if (kind == "check box" || kind == "radio item" || kind == "button" ||
               kind == "group box" || kind == "radio group") {
      const int room = kind == "button"                              ? width - 8
                       : kind == "check box" || kind == "radio item" ? width - box
                                                                     : width - 16;
      Check(size.cx <= room, name + ": its text is " + std::to_string(size.cx) +
                                 " pixels wide, it has room for " + std::to_string(room));
    }
  }
  ReleaseDC(dialog, dc);
  RECT client{};
  GetClientRect(dialog, &client);
  for (const std::string& problem : LayoutProblems(placed, client.right, client.bottom))
    Fail(problem);
}

// One showing of a dialog: the hook notices the native dialog being created and a timer, in
// the dialog's own modal loop, runs the script on it.
struct Showing {
  kvp::ModalForm* model = nullptr;
  std::function<void(kvp::ModalForm& native, HWND dialog)> script;
  HWND dialog = nullptr;
  HWND owner = nullptr;
  bool owner_disabled = false;
  bool ran = false;
  UINT_PTR watchdog = 0;
};
Showing* g_showing = nullptr;
HHOOK g_hook = nullptr;

void CALLBACK GiveUp(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_showing != nullptr && g_showing->dialog != nullptr && IsWindow(g_showing->dialog)) {
    Fail("the dialog was still up after 20 s");
    PostMessageA(g_showing->dialog, WM_CLOSE, 0, 0);
  }
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  Showing& s = *g_showing;
  s.ran = true;
  s.owner_disabled = s.owner != nullptr && !IsWindowEnabled(s.owner);
  auto native = kvp::win32::AttachToDialog(s.dialog);
  if (native == nullptr) return Fail("AttachToDialog refused the dialog");
  CompareWithModel(*native, *s.model);
  CheckLayout(s.dialog);
  if (s.script) s.script(*native, s.dialog);
}

LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
  HWND window = reinterpret_cast<HWND>(wparam);
  if (code == HCBT_CREATEWND && g_showing != nullptr && g_showing->dialog == nullptr &&
      kvp::win32::IsNativeDialog(window)) {
    g_showing->dialog = window;
    SetTimer(nullptr, 0, 20, &RunScript);
    g_showing->watchdog = SetTimer(nullptr, 0, 20000, &GiveUp);
  }
  return CallNextHookEx(g_hook, code, wparam, lparam);
}

// Shows `form` owned by `owner` and runs `script` on it while it is up; the script must close
// it. Afterwards the dialog is gone and the owner takes input again.
forms::ModalResult ShowAndDrive(forms::Form& form, HWND owner,
                                std::function<void(kvp::ModalForm&, HWND)> script) {
  forms::ModalView model(form);
  Showing showing;
  showing.model = &model;
  showing.owner = owner;
  showing.script = std::move(script);
  g_showing = &showing;
  const forms::ModalResult result = form.ShowModal(reinterpret_cast<kvp::WindowHandle>(owner));
  g_showing = nullptr;
  KillTimer(nullptr, showing.watchdog);
  Check(showing.ran, "the dialog never showed");
  Check(showing.owner_disabled, "the owner took input while the dialog was up");
  Check(IsWindowEnabled(owner) != FALSE, "the owner stays disabled after the dialog");
  Check(showing.dialog == nullptr || !IsWindow(showing.dialog), "the dialog window outlives it");
  return result;
}

// Acts through the dialog's windows; the form's own view must agree after every step.
struct Driver {
  kvp::ModalForm& native;
  kvp::ModalForm& model;
  HWND dialog;
  void Act(bool done, const std::string& why, const std::string& what) {
    Check(done, what + " was refused: " + why);
    CompareWithModel(native, model);
  }
  void Click(const std::string& c) {
    std::string why;
    Act(native.Click(c, why), why, "clicking " + c);
  }
  void Set(const std::string& c, const std::string& v) {
    std::string why;
    Act(native.SetValue(c, v, why), why, "setting " + c + " to " + v);
  }
  void Arrow(const std::string& c, bool up) {
    std::string why;
    Act(native.ClickUpDown(c, up, why), why, "an arrow of " + c);
  }
  // A refusal reads as the form's own, and changes nothing.
  template <class Action> void Refused(const std::string& what, Action action) {
    std::string on_screen, in_model;
    const bool screen_done = action(native, on_screen);
    const bool model_done = action(model, in_model);
    Check(!screen_done && !model_done, what + " should be refused");
    Same(on_screen, in_model, what + ": the reason");
    CompareWithModel(native, model);
  }
  bool Checked(const std::string& c) {
    return SendMessageA(WindowOf(dialog, c), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  bool Enabled(const std::string& c) { return IsWindowEnabled(WindowOf(dialog, c)) != FALSE; }
  std::string Text(const std::string& c) { return kvp::win32::WindowText(WindowOf(dialog, c)); }
  // The colours the dialog paints an edit with, as it answers the edit's WM_CTLCOLOREDIT.
  std::pair<COLORREF, COLORREF> Painted(const std::string& c) {
    HWND edit = WindowOf(dialog, c);
    HDC dc = GetDC(edit);
    SendMessageA(dialog, IsWindowEnabled(edit) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                 reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    const std::pair colours(GetBkColor(dc), GetTextColor(dc));
    ReleaseDC(edit, dc);
    return colours;
  }
  void Close() {
    if (native.Showing()) native.CloseByFrame();
    Check(!native.Showing(), "the frame's close button left the dialog up");
  }
};

void Press(HWND dialog, WPARAM key) {
  HWND focus = GetFocus();
  PostMessageA(focus != nullptr && IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, key, 0);
}

using Script = std::function<void(Driver&)>;

// (b) What each dialog's handlers do, done through its windows.
std::vector<std::pair<std::string, Script>> Scripts() {
  return {
      {"ica",
       [](Driver& d) {
         // Tab goes in reading order: the first usable control has the focus, OK comes last.
         Same(Prop(GetFocus(), kvp::win32::kNameProperty), std::string("o_limite"),
              "the control with the focus");
         Same(Prop(GetNextDlgTabItem(d.dialog, WindowOf(d.dialog, "o_limite"), TRUE),
                   kvp::win32::kNameProperty),
              std::string("b_cancelar"), "the control before the first");
         d.Refused("clicking o_mix",
                   [](kvp::ModalForm& f, std::string& why) { return f.Click("o_mix", why); });
         d.Click("o_ica");
         Check(d.Enabled("o_mix"), "ticking o_ica enables o_mix on screen");
         d.Set("o_mix", "0");
         d.Click("o_ica");
         Check(d.Checked("o_mix") && !d.Enabled("o_mix"),
               "unticking o_ica ticks and disables o_mix on screen");
         d.Click("o_convergencia");
         Check(d.Checked("o_convergencia"), "the convergence report ticked on screen");
         d.Click("o_limite");
         d.Arrow("seta", true);
         Same(d.Text("limite"), std::string("2"), "the limit after the up arrow");
         d.Set("limite", "0");
         Check(d.Painted("limite") == std::pair(RGB(255, 0, 0), RGB(255, 255, 255)),
               "a limit of 0 is painted white on red");
         Check(!d.Enabled("b_ok"), "a limit of 0 disables OK on screen");
         d.Set("limite", "x3y");
         Same(d.Text("limite"), std::string("3"), "letters typed into the limit");
         Check(d.Enabled("b_ok"), "a limit of 3 enables OK again");
         d.Refused("a word for a check box", [](kvp::ModalForm& f, std::string& why) {
           return f.SetValue("o_cores", "sim", why);
         });
         d.Refused("an arrow of a check box", [](kvp::ModalForm& f, std::string& why) {
           return f.ClickUpDown("o_cores", true, why);
         });
         d.Refused("an unknown control",
                   [](kvp::ModalForm& f, std::string& why) { return f.Click("o_nada", why); });
         d.Close();
       }},
      {"pca",
       [](Driver& d) {
         d.Set("precisao", "0,0000");
         Same(d.Text("precisao"), std::string("0,0000"), "the precision's edit");
         Check(d.Painted("precisao") == std::pair(RGB(255, 0, 0), RGB(255, 255, 255)),
               "a precision of zeros is painted white on red");
         Check(!d.Enabled("b_ok"), "a precision of zeros disables OK on screen");
         d.Set("precisao", "001");
         Same(d.Text("precisao"), std::string("0,001"), "the precision's edit");
         Check(d.Enabled("b_ok"), "a precision of 0,001 enables OK");
         Check(d.Painted("precisao") == std::pair(RGB(255, 255, 255), RGB(0, 0, 0)),
               "a precision of 0,001 is painted black on white");
         d.Set("iteracao", "0");
         Same(d.Text("iteracao"), std::string("100"), "the sweeps after a 0 the form refuses");
         d.Set("r_grupo", "1");
         const auto items = WindowsOf(d.dialog, "r_grupo"); // the box, then the items
         Check(items.size() == 3 && SendMessageA(items[1], BM_GETCHECK, 0, 0) == BST_UNCHECKED &&
                   SendMessageA(items[2], BM_GETCHECK, 0, 0) == BST_CHECKED,
               "the proportion item is the one ticked on screen");
         Same(d.Text("perc"), std::string("80%"), "the percentage with its literal");
         d.Arrow("seta", false);
         Same(d.Text("perc"), std::string("79%"), "the percentage after the down arrow");
         d.Refused("a radio item out of range", [](kvp::ModalForm& f, std::string& why) {
           return f.SetValue("r_grupo", "2", why);
         });
         d.Refused("clicking o_correl of a selection that is not square",
                   [](kvp::ModalForm& f, std::string& why) { return f.Click("o_correl", why); });
         for (const char* option : {"o_escores", "o_adequacao", "o_paralela"}) {
           d.Click(option);
           Check(d.Checked(option), std::string(option) + " ticked on screen");
         }
         Press(d.dialog, VK_ESCAPE); // Esc presses Cancel
       }},
      {"histogram",
       [](Driver& d) {
         d.Set("r_grupo", "1");
         d.Arrow("seta", true);
         d.Set("faixas", "a12b");
         Same(d.Text("faixas"), std::string("12"), "the ranges typed with letters");
         Same(static_cast<int>(SendMessageA(WindowOf(d.dialog, "c_regra"), CB_GETCOUNT, 0, 0)), 4,
              "the typed number and the three bin rules");
         d.Set("c_regra", "3");
         Check(!d.Enabled("faixas") && !d.Enabled("seta"), "a bin rule leaves the number untyped");
         d.Set("c_regra", "0");
         Check(d.Enabled("faixas") && d.Enabled("seta"), "back to the typed number");
         d.Click("b_cancelar");
       }},
      {"arch",
       [](Driver& d) {
         d.Refused("a choice in a disabled list",
                   [](kvp::ModalForm& f, std::string& why) { return f.SetValue("c_q", "1", why); });
         d.Refused("a model check of the hidden group",
                   [](kvp::ModalForm& f, std::string& why) { return f.Click("o_garch", why); });
         d.Click("o_melhor");
         Check(!IsWindowVisible(WindowOf(d.dialog, "r_grupo")) &&
                   IsWindowVisible(WindowOf(d.dialog, "o_garch")),
               "the best-model search shows the model checks in the radio group's place");
         CheckLayout(d.dialog);
         d.Set("c_q", "2");
         d.Click("o_garch");
         d.Set("r_akaike", "2");
         // "All" joins the distributions on screen in best-model mode and leaves with it.
         d.Set("c_dist", "3");
         d.Set("horizonte", "300");
         Same(d.Text("horizonte"), std::string("250"), "a horizon past 250 days");
         d.Arrow("seta", false);
         d.Click("o_melhor");
         Same(static_cast<int>(SendMessageA(WindowOf(d.dialog, "c_dist"), CB_GETCOUNT, 0, 0)), 3,
              "the distributions without \"All\"");
         d.Close();
       }},
      {"regression",
       [](Driver& d) {
         Same(static_cast<int>(SendMessageA(WindowOf(d.dialog, "c_erros"), CB_GETCOUNT, 0, 0)), 6,
              "the six covariances of the standard errors");
         d.Set("c_erros", "5");
         d.Click("o_diagnosticos");
         d.Click("o_residuos");
         d.Close();
       }},
      {"decay",
       [](Driver& d) {
         d.Set("c_tol", "4");
         d.Click("o_retorno");
         Check(d.Enabled("o_log"), "returns enable the log returns");
         d.Close();
       }},
      {"welcome",
       [](Driver& d) {
         Check(Prop(WindowOf(d.dialog, "Image1"), "KvName") == "Image1", "the picture is marked");
         Press(d.dialog, VK_RETURN); // Enter presses OK
       }},
  };
}

// A form with one of every kind, for what the add-in's dialogs do not show: a drop-down list
// with OnChange, a group's refusal, a picture, and the driver's own layout for a form without.
struct EveryKind : forms::Form {
  explicit EveryKind(bool laid_out) : Form("Every kind") {
    auto* panel = Add<forms::Panel>("painel");
    auto* label = Add<forms::Label>("rotulo");
    label->Caption = "Rótulo";
    group = Add<forms::GroupBox>("grupo");
    group->Caption = "Grupo";
    inner = Add<forms::CheckBox>("dentro");
    inner->Caption = "Dentro";
    inner->Parent = group;
    list = Add<forms::ComboBox>("lista");
    list->Items = {"um", "dois", "três"};
    list->SetItemIndex(0);
    list->OnChange = [this](forms::Control&) { ++changes; };
    auto* radio = Add<forms::RadioGroup>("radio");
    radio->Items = {"a", "b", "c", "d"};
    radio->Columns = 2;
    auto* edit = Add<forms::Edit>("texto");
    edit->MaxLength = 5;
    auto* image = Add<forms::Image>("figura");
    image->Picture.width = 2;
    image->Picture.height = 2;
    image->Stretch = true;
    image->Picture.pixels = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    hide = Add<forms::CheckBox>("esconde");
    hide->Caption = "Esconder o grupo";
    hide->OnClick = [this](forms::Control&) {
      group->Visible = !hide->Checked();
      Caption = "Grupo escondido"; // the frame's caption follows the form's
    };
    auto* memo = Add<forms::Memo>("memo");
    memo->Lines = {"linha 1", "linha 2"};
    auto* ok = Add<forms::Button>("b_ok");
    ok->Caption = "OK";
    ok->Default = true;
    ok->Result = forms::ModalResult::Ok;
    if (!laid_out) return;
    ClientWidth = 200;
    ClientHeight = 190;
    panel->SetBounds(0, 0, 200, 20);
    label->SetBounds(7, 6, 60, 8);
    group->SetBounds(7, 24, 90, 26);
    inner->SetBounds(14, 36, 60, 10);
    list->SetBounds(103, 30, 60, 14);
    radio->SetBounds(7, 54, 186, 36);
    edit->SetBounds(7, 94, 60, 12);
    image->SetBounds(80, 94, 12, 12);
    hide->SetBounds(100, 95, 90, 10);
    memo->SetBounds(7, 110, 186, 50);
    ok->SetBounds(143, 168, 50, 14);
  }
  forms::GroupBox* group;
  forms::CheckBox* inner;
  forms::CheckBox* hide;
  forms::ComboBox* list;
  int changes = 0;
};

// A square selection may be a correlation matrix: with it ticked there are no observations to
// score or to simulate, so those two boxes go grey on screen, and come back when it is cleared.
void PcaOfACorrelationMatrix(HWND owner) {
  for (bool english : {false, true}) {
    g_where = english ? "pca of a square selection (en)" : "pca of a square selection (pt)";
    Tf_pca form;
    if (english) form.UseEnglish();
    form.SetDefaults(true);
    forms::ModalView model(form);
    ShowAndDrive(form, owner, [&](kvp::ModalForm& native, HWND dialog) {
      Driver d{native, model, dialog};
      d.Click("o_escores");
      d.Click("o_correl");
      Check(!d.Enabled("o_escores") && !d.Enabled("o_paralela") && d.Enabled("o_adequacao"),
            "a correlation matrix leaves only the adequacy");
      d.Refused("clicking o_paralela of a correlation matrix",
                [](kvp::ModalForm& f, std::string& why) { return f.Click("o_paralela", why); });
      d.Click("o_correl");
      Check(d.Enabled("o_escores") && d.Enabled("o_paralela") && d.Checked("o_escores"),
            "observations again: the scores come back as they were ticked");
      d.Close();
    });
  }
}

void EveryKindOfControl(HWND owner, bool laid_out) {
  g_where = laid_out ? "every kind" : "every kind, no layout";
  EveryKind form(laid_out);
  forms::ModalView model(form);
  const auto result = ShowAndDrive(form, owner, [&](kvp::ModalForm& native, HWND dialog) {
    Driver d{native, model, dialog};
    d.Set("lista", "2");
    Same(form.changes, 1, "OnChange calls after a choice from the list");
    Same(static_cast<int>(SendMessageA(WindowOf(dialog, "lista"), CB_GETCURSEL, 0, 0)), 2,
         "the list's choice on screen");
    d.Set("radio", "3");
    d.Set("texto", "abcdefgh");
    Same(d.Text("texto"), std::string("abcde"), "an edit of at most 5 characters");
    Check(native.ImagePixels("figura") == model.ImagePixels("figura"),
          "the picture's pixels on screen are the form's");
    d.Click("esconde");
    Check(!IsWindowVisible(WindowOf(dialog, "dentro")), "the check of a hidden group on screen");
    d.Refused("a check in a hidden group",
              [](kvp::ModalForm& f, std::string& why) { return f.Click("dentro", why); });
    d.Click("b_ok");
  });
  Check(result == forms::ModalResult::Ok, "OK gives the form the result OK");
}

} // namespace

void CALLBACK CloseLater(HWND window, UINT, UINT_PTR id, DWORD) {
  KillTimer(window, id);
  PostMessageA(window, WM_CLOSE, 0, 0);
}

// With --show MS, each dialog is only shown, for MS milliseconds, its name printed as it comes
// up, so that a script can take its picture (dialog_shots.sh).
void ShowEach(HWND owner, int milliseconds) {
  static int wait = 0;
  wait = milliseconds;
  for (const DialogCase& dialog : AllDialogs())
    for (bool english : {false, true}) {
      g_where = dialog.name + (english ? "-en" : "-pt");
      auto form = dialog.make(english);
      ShowAndDrive(*form, owner, [&](kvp::ModalForm&, HWND window) {
        std::printf("dialog %s\n", g_where.c_str());
        std::fflush(stdout);
        SetTimer(window, 1, static_cast<UINT>(wait), &CloseLater);
      });
    }
}

int main(int argc, char** argv) {
  g_hook = SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
  HWND owner = CreateWindowExA(0, "STATIC", "Excel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                               600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (argc == 3 && std::string(argv[1]) == "--show") {
    ShowEach(owner, std::atoi(argv[2]));
    return 0;
  }
  const auto scripts = Scripts();
  for (const DialogCase& dialog : AllDialogs())
    for (bool english : {false, true}) {
      g_where = dialog.name + (english ? " (en)" : " (pt)");
      auto form = dialog.make(english);
      forms::ModalView model(*form);
      Script script;
      for (const auto& [name, s] : scripts)
        if (name == dialog.name) script = s;
      ShowAndDrive(*form, owner, [&](kvp::ModalForm& native, HWND window) {
        Driver d{native, model, window};
        if (script)
          script(d);
        else
          d.Close();
      });
      Check(!form->Showing(), "the form still showing after its dialog");
    }
  PcaOfACorrelationMatrix(owner);
  EveryKindOfControl(owner, true);
  EveryKindOfControl(owner, false);
  UnhookWindowsHookEx(g_hook);
  DestroyWindow(owner);
  std::printf("%s: %d failure(s)\n", g_failures == 0 ? "PASS" : "FAIL", g_failures);
  return g_failures == 0 ? 0 : 1;
}
