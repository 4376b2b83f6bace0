// The built add-in, loaded through kvhost's loader as Excel loads it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "excel/addin.h"

using namespace kvhost;

namespace {
std::unique_ptr<AddIn> LoadBuiltAddIn(ExcelHost& host) {
  std::string error;
  auto addin = AddIn::Load(host, KV_ADDIN_PATH, error);
  EXPECT_NE(addin, nullptr) << error;
  return addin;
}

struct Expected {
  const char* procedure;
  const char* function_text;
  const char* type_text;
  const char* argument_text;
};
const Expected kRows[] = {
    {"skew", "KV.SKEW", "PPAAII", "Data, Returns, Sample, Type, Intervals"},
    {"kurt", "KV.KURT", "PPAA", "Data, Returns, Sample"},
    {"interpol", "KV.INTERPOLEX", "PIPB", "Workdays, Yield Curve, Years Flat"},
    {"cspline", "KV.CSPLINE", "PIP", "Workdays, Yield Curve"},
    {"ewv", "KV.EWV", "PPBAIA", "Data, Decay, Order, Returns, Null Avg."},
    {"kv_chama_hist", "kv_menu_hist", "A", ""},
    {"kv_chama_cmp", "kv_menu_cmp", "A", ""},
    {"kv_chama_pca", "kv_menu_pca", "A", ""},
    {"kv_chama_ica", "kv_menu_ica", "A", ""},
    {"kv_chama_rlm", "kv_menu_rlm", "A", ""},
    {"kv_chama_ewv", "kv_menu_ewv", "A", ""},
    {"kv_chama_arch", "kv_menu_arch", "A", ""},
    {"kv_chama_exibir", "kv_menu_exibir", "A", ""},
    {"kv_chama_port", "kv_menu_port", "A", ""},
    {"kv_chama_ing", "kv_menu_ing", "A", ""},
    {"kv_chama_ajuda", "kv_menu_ajuda", "A", ""},
    {"kv_chama_sobre", "kv_menu_sobre", "A", ""},
};

std::vector<const JournalEntry*> RegisterAttempts(const Application& app) {
  std::vector<const JournalEntry*> attempts;
  for (const auto& entry : app.Journal())
    if (entry.kind == JournalEntry::Kind::Registered ||
        entry.kind == JournalEntry::Kind::RegisterRefused)
      if (entry.subject != "CheckInstance") // the automation bridge's own procedure
        attempts.push_back(&entry);
  return attempts;
}
} // namespace

// Every row is offered to REGISTER in table order; Excel registers the procedures the add-in
// exports and answers #VALUE! for the others.
TEST(AddInLoad, OpenOffersEveryRowAndRegistersTheExportedProcedures) {
  ExcelHost host;
  auto addin = LoadBuiltAddIn(host);
  ASSERT_NE(addin, nullptr);
  addin->Open();
  const auto attempts = RegisterAttempts(host.app());
  ASSERT_EQ(attempts.size(), std::size(kRows));
  std::size_t registered = 0;
  for (std::size_t i = 0; i < attempts.size(); ++i) {
    const Expected& row = kRows[i];
    SCOPED_TRACE(row.procedure);
    EXPECT_EQ(attempts[i]->subject, row.procedure);
    const Registration* r = host.app().FindRegistration(row.function_text);
    if (attempts[i]->kind == JournalEntry::Kind::RegisterRefused) {
      EXPECT_NE(attempts[i]->text.find("exports no such procedure"), std::string::npos)
          << attempts[i]->text;
      EXPECT_EQ(r, nullptr);
      continue;
    }
    ++registered;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->procedure, row.procedure);
    EXPECT_EQ(r->type_text, row.type_text);
    EXPECT_EQ(r->argument_text, row.argument_text);
    EXPECT_EQ(r->category, "Kavenlor");
    EXPECT_EQ(r->macro_type, i < 5 ? 1 : 2);
    EXPECT_NE(host.app().FindName(row.function_text), nullptr);
  }
  EXPECT_EQ(host.app().Registrations().size(), registered + 1) << "and the bridge's CheckInstance";
  EXPECT_EQ(host.memory().BlocksInUse(), 0u) << "the add-in freed its file name";
  EXPECT_EQ(addin->ManagerInfo(1), "Kavenlor - Metrics for Financial Market");
  EXPECT_EQ(addin->ManagerInfo(2), std::nullopt);
}

TEST(AddInLoad, UntickingRegistersTheFunctionsAsHiddenThenCloseDeletesTheNames) {
  ExcelHost host;
  auto addin = LoadBuiltAddIn(host);
  ASSERT_NE(addin, nullptr);
  addin->Open();
  const std::size_t before = host.app().Journal().size();
  addin->Remove();
  addin->Close();
  ASSERT_EQ(host.app().Alerts().size(), 1u);
  EXPECT_NE(host.app().Alerts()[0].text.find("will be removed!"), std::string::npos);

  std::vector<std::string> offered, deleted, unregistered;
  const auto& journal = host.app().Journal();
  for (std::size_t i = before; i < journal.size(); ++i) {
    if (journal[i].kind == JournalEntry::Kind::NameDeleted)
      deleted.push_back(journal[i].subject);
    else if (journal[i].kind == JournalEntry::Kind::Unregistered)
      unregistered.push_back(journal[i].subject);
    else if (journal[i].kind != JournalEntry::Kind::Alert)
      offered.push_back(journal[i].subject);
    if (journal[i].kind == JournalEntry::Kind::Registered) {
      EXPECT_NE(journal[i].text.find("hidden function"), std::string::npos) << journal[i].text;
    }
  }
  EXPECT_EQ(offered, (std::vector<std::string>{"skew", "kurt", "interpol", "cspline", "ewv"}));
  EXPECT_EQ(unregistered, std::vector<std::string>{"CheckInstance"})
      << "the bridge gives back the procedure that kept the library loaded";
  std::vector<std::string> names;
  for (const auto& row : kRows)
    names.push_back(row.function_text);
  EXPECT_EQ(deleted, names);
  EXPECT_TRUE(host.app().Registrations().empty()) << "Excel drops them after xlAutoClose";
  EXPECT_EQ(host.app().FindName("KV.SKEW"), nullptr);
}

TEST(AddInLoad, FilesThatAreNotAddInsAreRefusedWithTheirName) {
  ExcelHost host;
  std::string error;
  EXPECT_EQ(AddIn::Load(host, "/nonexistent/kavenlor.so", error), nullptr);
  EXPECT_NE(error.find("/nonexistent/kavenlor.so"), std::string::npos) << error;
  EXPECT_EQ(AddIn::Load(host, KV_NOT_AN_ADDIN_PATH, error), nullptr);
  EXPECT_NE(error.find("xlAutoOpen"), std::string::npos) << error;
}

// Registration as Excel keeps it, through a small add-in that exports one of the procedures it
// registers.
TEST(FixtureAddIn, RegisterKeepsExportedProceduresAndTheirTexts) {
  ExcelHost host;
  std::string error;
  auto addin = AddIn::Load(host, KV_FIXTURE_ADDIN_PATH, error);
  ASSERT_NE(addin, nullptr) << error;
  addin->Open();
  EXPECT_EQ(host.app().FindRegistration("FIX.MISSING"), nullptr)
      << "the unexported procedure is refused";
  ASSERT_NE(host.app().FindRegistration("FIX.ECHO"), nullptr);
  const Registration& echo = *host.app().FindRegistration("FIX.ECHO");
  EXPECT_EQ(echo.macro_type, 1) << "the macro type sent as the text \"1\"";
  EXPECT_EQ(echo.category, "Fixture");
  EXPECT_EQ(echo.use_count, 2) << "registered twice: one entry, one more use";
  ASSERT_NE(echo.address, nullptr);
  const DefinedName* name = host.app().FindName("fix.echo");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->number, echo.id) << "the function text names the register id";
  const auto& refused = host.app().RefusedRegistrations();
  ASSERT_EQ(refused.size(), 3u);
  EXPECT_EQ(refused[0].attempted.function_text, "FIX.MISSING");
  EXPECT_EQ(refused[1].attempted.function_text, "FIX.ECHO12")
      << "an Excel before 12 knows no Q letter";
  EXPECT_NE(refused[1].reason.find("Excel 12"), std::string::npos) << refused[1].reason;

  addin->Remove();
  EXPECT_EQ(host.app().FindRegistration("FIX.ECHO")->macro_type, 0) << "the integer 0 hides it";

  EXPECT_EQ(addin->ManagerInfo(1), "Fixture XLL");
  auto* frees =
      static_cast<int*>(dlsym(host.app().current_addin_handle, "fixture_auto_free_calls"));
  ASSERT_NE(frees, nullptr);
  EXPECT_EQ(*frees, 1) << "a value marked xlbitDLLFree goes back through xlAutoFree";

  addin->Close();
  EXPECT_TRUE(host.app().Registrations().empty());
}

namespace {
XLOPER CountedText(std::string& storage, const std::string& text) {
  storage = std::string(1, static_cast<char>(text.size())) + text;
  XLOPER x{};
  x.xltype = xltypeStr;
  x.val.str = storage.data();
  return x;
}
} // namespace

TEST(FixtureAddIn, RegisterIdFindsRegistersOrAsksTheAddIn) {
  ExcelHost host;
  std::string error;
  auto addin = AddIn::Load(host, KV_FIXTURE_ADDIN_PATH, error);
  ASSERT_NE(addin, nullptr) << error;
  addin->Open();
  std::string a, b, c;
  XLOPER file = CountedText(a, host.app().current_addin_path), result{};
  auto register_id = [&](const std::string& procedure, const char* type = nullptr) {
    XLOPER name = CountedText(b, procedure), type_text = CountedText(c, type ? type : "");
    result = XLOPER{};
    EXPECT_EQ(Excel4(xlfRegisterId, &result, type ? 3 : 2, &file, &name, &type_text), xlretSuccess);
    return result;
  };

  const Registration& echo = *host.app().FindRegistration("FIX.ECHO");
  EXPECT_EQ(register_id("echo").val.num, echo.id);
  EXPECT_EQ(echo.use_count, 2) << "asking for the id is no new use";

  const XLOPER automatic = register_id("fix_auto");
  ASSERT_EQ(automatic.xltype, xltypeNum) << "the id REGISTER gave xlAutoRegister";
  const Registration* registered = host.app().FindProcedure(addin->path(), "fix_auto");
  ASSERT_NE(registered, nullptr);
  EXPECT_EQ(registered->type_text, "PP");
  EXPECT_EQ(registered->id, automatic.val.num);

  EXPECT_EQ(register_id("fix_loop").xltype, xltypeErr) << "no endless recursion";
  EXPECT_EQ(host.app().FindProcedure(addin->path(), "fix_loop"), nullptr);
  EXPECT_EQ(register_id("unknown").xltype, xltypeErr) << "xlAutoRegister does not know it";
  EXPECT_EQ(register_id("fix_loop", "PP").xltype, xltypeNum) << "with a type text, as REGISTER";

  // UNREGISTER takes one use at a time; the module form takes everything.
  XLOPER id{};
  id.xltype = xltypeNum;
  id.val.num = echo.id;
  for (bool expected : {true, true, false}) {
    ASSERT_EQ(Excel4(xlfUnregister, &result, 1, &id), xlretSuccess);
    EXPECT_EQ(result.xltype, xltypeBool);
    EXPECT_EQ(result.val.xbool != 0, expected);
  }
  EXPECT_EQ(host.app().FindRegistration("FIX.ECHO"), nullptr) << "both uses given back";
  EXPECT_NE(host.app().FindName("FIX.ECHO"), nullptr) << "UNREGISTER leaves the name";
  ASSERT_EQ(Excel4(xlfUnregister, &result, 1, &file), xlretSuccess);
  EXPECT_EQ(result.val.xbool, 1);
  EXPECT_TRUE(host.app().Registrations().empty());
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);
}

// Loading where the menu and the toolbar are already there: the menu gets the language
// submenu, nothing else changes.
TEST(AddInLoad, AnExistingMenuAndToolbarAreLeftAsTheyAre) {
  ExcelHost host;
  MenuBar& bar = *host.app().Bars().FindBar(10);
  Menu mine;
  mine.name = "K&avenlor";
  mine.items.push_back(MenuItem{"&Own", "own_macro", "", "", "", false, false, {}});
  bar.menus.insert(bar.menus.begin() + 2, mine);
  Toolbar toolbar;
  toolbar.name = "KAVENLOR";
  toolbar.visible = true;
  toolbar.tools.push_back(Tool{});
  ASSERT_TRUE(host.app().Bars().AddToolbar(toolbar));
  const std::size_t menus = bar.menus.size();

  auto addin = LoadBuiltAddIn(host);
  ASSERT_NE(addin, nullptr);
  addin->Open();
  ASSERT_EQ(bar.menus.size(), menus) << "no second menu";
  const Menu& menu = bar.menus[2];
  ASSERT_EQ(menu.items.size(), 2u);
  EXPECT_EQ(menu.items[0].text, "&Own");
  EXPECT_FALSE(menu.items[0].checked);
  EXPECT_TRUE(menu.items[1].is_submenu) << "position 9 past the end: the submenu goes last";
  EXPECT_EQ(menu.items[1].text, "Idio&m");
  const Toolbar& kept = *host.app().Bars().FindToolbar("Kavenlor");
  EXPECT_EQ(kept.name, "KAVENLOR");
  ASSERT_EQ(kept.tools.size(), 1u);
  EXPECT_TRUE(kept.tools[0].IsGap());
  EXPECT_FALSE(kept.tools[0].pasted_face);
  EXPECT_TRUE(kept.visible);
  EXPECT_FALSE(kept.y) << "not shown again";
}

// An Excel that says it is version 8.0 takes the add-in down its automation path: a
// temporary workbook opened with screen updating off, then closed again.
TEST(AddInLoad, VersionEightOpensAndClosesTheBridgesWorkbook) {
  ExcelHost host;
  host.app().version_text = "8.0";
  auto addin = LoadBuiltAddIn(host);
  ASSERT_NE(addin, nullptr);
  addin->Open();
  ASSERT_EQ(host.app().Workbooks().size(), 1u);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book1");
  EXPECT_TRUE(host.app().screen_updating);
  EXPECT_NE(host.app().Bars().FindToolbar("Kavenlor"), nullptr) << "and the load goes on";
  ASSERT_EQ(Excel4(xlcNew, nullptr, 0), xlretSuccess);
  EXPECT_EQ(host.app().ActiveWorkbook().name, "Book3") << "the bridge's was Book2";
}
