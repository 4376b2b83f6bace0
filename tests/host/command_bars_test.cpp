// kvhost's menu bars and toolbars, through the calls an add-in makes.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <optional>

#include "excel/excel_host.h"
#include "excel/values.h"
#include "kvplatform/bitmap.h"

using namespace kvhost;

namespace {
// Records built for one test; they live as long as the Records object.
class Records {
public:
  LPXLOPER Text(const std::string& ansi) {
    texts_.push_back(std::string(1, static_cast<char>(ansi.size())) + ansi);
    return Add([&](XLOPER& x) {
      x.xltype = xltypeStr;
      x.val.str = texts_.back().data();
    });
  }
  LPXLOPER Num(double n) {
    return Add([&](XLOPER& x) {
      x.xltype = xltypeNum;
      x.val.num = n;
    });
  }
  LPXLOPER Int(std::int16_t n) {
    return Add([&](XLOPER& x) {
      x.xltype = xltypeInt;
      x.val.w = n;
    });
  }
  LPXLOPER Bool(bool b) {
    return Add([&](XLOPER& x) {
      x.xltype = xltypeBool;
      x.val.xbool = b;
    });
  }
  LPXLOPER Missing() {
    return Add([](XLOPER& x) { x.xltype = xltypeMissing; });
  }
  // A table of texts, as the add-in passes its menu and toolbar descriptions.
  LPXLOPER Table(const std::vector<std::vector<std::string>>& rows) {
    auto& cells = arrays_.emplace_back();
    for (const auto& row : rows)
      for (const auto& cell : row)
        cells.push_back(*Text(cell));
    return Add([&](XLOPER& x) {
      x.xltype = xltypeMulti;
      x.val.array.lparray = cells.data();
      x.val.array.rows = static_cast<std::uint16_t>(rows.size());
      x.val.array.columns = static_cast<std::uint16_t>(rows[0].size());
    });
  }

private:
  template <typename Fill> LPXLOPER Add(Fill fill) {
    XLOPER& x = records_.emplace_back();
    fill(x);
    return &x;
  }
  std::deque<std::string> texts_;
  std::deque<XLOPER> records_;
  std::deque<std::vector<XLOPER>> arrays_;
};

// The shape of the add-in's main menu: a title, commands, separators.
const std::vector<std::vector<std::string>> kMenu = {{"&Tools2", "", "", "Status of the menu", ""},
                                                     {"&First", "run_first", "", "first", ""},
                                                     {"-", " ", "", "", ""},
                                                     {"&Second", "run_second", "", "second", ""},
                                                     {"-", " ", "", "", ""},
                                                     {"&Third", "run_third", "", "third", ""}};
const std::vector<std::vector<std::string>> kSubmenu = {{"Lan&guage", "", "", "pick one", ""},
                                                        {"&Portugu\xEAs", "run_pt", "", "", ""},
                                                        {"&English", "run_en", "", "", ""}};

std::vector<std::string> MenuNames(ExcelHost& host) {
  std::vector<std::string> names;
  for (const Menu& menu : host.app().Bars().FindBar(10)->menus)
    names.push_back(menu.name);
  return names;
}

const Menu& MenuNamed(ExcelHost& host, const std::string& name) {
  const MenuBar& bar = *host.app().Bars().FindBar(10);
  return bar.menus.at(bar.FindMenu(name).value());
}

bool IsError(const XLOPER& x, std::uint16_t code) {
  return x.xltype == xltypeErr && x.val.err == code;
}
} // namespace

TEST(MenuNames, MatchIgnoringTheAccessKeyAndCase) {
  EXPECT_TRUE(SameMenuText("&Kavenlor", "Kavenlor"));
  EXPECT_TRUE(SameMenuText("Sh&ow Kavenlor bar", "&Show Kavenlor bar"));
  EXPECT_TRUE(SameMenuText("&Português (Brasil)", "PORTUGUÊS (BRASIL)")) << "accents fold too";
  EXPECT_TRUE(SameMenuText("Save && Close", "SAVE && CLOSE"));
  EXPECT_FALSE(SameMenuText("Save && Close", "Save Close")) << "&& is a literal ampersand";
  EXPECT_FALSE(SameMenuText("Open...", "Open")) << "the ellipsis is part of the name";
  EXPECT_FALSE(SameMenuText("Idio&m", "Idioma"));
}

TEST(MenuBar10, StartsWithExcelsMenusInTheInterfaceLanguage) {
  ExcelHost host;
  EXPECT_EQ(MenuNames(host),
            (std::vector<std::string>{"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools",
                                      "&Data", "&Window", "&Help"}));
  host.app().SetInterfaceLanguage(InterfaceLanguage::Portuguese);
  EXPECT_EQ(MenuNames(host),
            (std::vector<std::string>{"&Arquivo", "&Editar", "E&xibir", "&Inserir", "F&ormatar",
                                      "Ferramen&tas", "&Dados", "&Janela", "Aj&uda"}));
}

TEST(AddMenu, GoesBeforeTheMenuNamedAndNowhereWhenThereIsNone) {
  for (auto language : {InterfaceLanguage::English, InterfaceLanguage::Portuguese}) {
    ExcelHost host;
    host.app().SetInterfaceLanguage(language);
    Records r;
    XLOPER english{}, portuguese{};
    // The add-in's two attempts: before "Help", then before "Ajuda".
    ASSERT_EQ(Excel4(xlfAddMenuIntl, &english, 3, r.Num(10), r.Table(kMenu), r.Text("Help")),
              xlretSuccess);
    ASSERT_EQ(Excel4(xlfAddMenuIntl, &portuguese, 3, r.Num(10), r.Table(kMenu), r.Text("Ajuda")),
              xlretSuccess);
    const auto names = MenuNames(host);
    ASSERT_EQ(names.size(), 10u) << "exactly one menu added";
    EXPECT_EQ(names[8], "&Tools2");
    const bool is_english = language == InterfaceLanguage::English;
    const XLOPER& placed = is_english ? english : portuguese;
    const XLOPER& refused = is_english ? portuguese : english;
    EXPECT_EQ(placed.xltype, xltypeNum);
    EXPECT_EQ(placed.val.num, 9);
    EXPECT_TRUE(IsError(refused, xlerrValue));
    const Menu& menu = MenuNamed(host, "tools2");
    ASSERT_EQ(menu.items.size(), 5u);
    EXPECT_EQ(menu.status_text, "Status of the menu");
    EXPECT_EQ(menu.items[0].command, "run_first");
    EXPECT_TRUE(menu.items[1].IsSeparator());
  }
}

TEST(AddMenu, PositionsByNumberOrAtTheEndAndDuplicatesAllowed) {
  ExcelHost host;
  Records r;
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 2, r.Int(10), r.Table(kMenu)), xlretSuccess);
  EXPECT_EQ(result.val.num, 10) << "no position: at the end";
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 3, r.Int(10), r.Table(kMenu), r.Int(1)), xlretSuccess);
  EXPECT_EQ(result.val.num, 1);
  EXPECT_EQ(MenuNames(host).front(), "&Tools2") << "Excel adds a second menu of the same name";
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 3, r.Int(10), r.Table({{"T", ""}}), r.Int(1)),
            xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "a description needs two rows";
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 2, r.Int(77), r.Table(kMenu)), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "no menu bar 77";
  EXPECT_EQ(MenuNames(host).size(), 11u);
}

TEST(AddMenu, SubmenuPositionsCountSeparators) {
  struct Case {
    const char* description;
    std::function<LPXLOPER(Records&)> position;
    std::optional<std::size_t> at; // index of the submenu; nothing: refused
  };
  const Case cases[] = {
      {"number 2 is the first separator", [](Records& r) { return r.Int(2); }, 1},
      {"number 5: before Third", [](Records& r) { return r.Num(5); }, 4},
      {"past the end: last", [](Records& r) { return r.Int(40); }, 5},
      {"a command's name", [](Records& r) { return r.Text("second"); }, 2},
      {"-- the second separator", [](Records& r) { return r.Text("--"); }, 3},
      {"no such command", [](Records& r) { return r.Text("Fourth"); }, std::nullopt},
      {"no third separator", [](Records& r) { return r.Text("---"); }, std::nullopt},
      {"position 0", [](Records& r) { return r.Int(0); }, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description);
    ExcelHost host;
    Records r;
    XLOPER result{};
    Excel4(xlfAddMenu, nullptr, 3, r.Int(10), r.Table(kMenu), r.Text("Help"));
    ASSERT_EQ(Excel4(xlfAddMenuIntl, &result, 4, r.Int(10), r.Table(kSubmenu), r.Text("&TOOLS2"),
                     c.position(r)),
              xlretSuccess);
    const Menu& menu = MenuNamed(host, "Tools2");
    if (!c.at) {
      EXPECT_TRUE(IsError(result, xlerrValue));
      EXPECT_EQ(menu.items.size(), 5u) << "nothing added";
      continue;
    }
    ASSERT_EQ(result.xltype, xltypeNum);
    EXPECT_EQ(result.val.num, static_cast<double>(*c.at + 1));
    ASSERT_EQ(menu.items.size(), 6u);
    const MenuItem& submenu = menu.items[*c.at];
    EXPECT_TRUE(submenu.is_submenu);
    EXPECT_EQ(submenu.text, "Lan&guage");
    EXPECT_EQ(submenu.status_text, "pick one");
    ASSERT_EQ(submenu.items.size(), 2u);
    EXPECT_EQ(submenu.items[0].text, "&Português");
  }
  ExcelHost host;
  Records r;
  XLOPER result{};
  ASSERT_EQ(
      Excel4(xlfAddMenuIntl, &result, 4, r.Int(10), r.Table(kSubmenu), r.Text("Nowhere"), r.Int(1)),
      xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "into a menu that is not there";
}

TEST(GetBar, AnswersPositionsForNamesAndNamesForPositions) {
  ExcelHost host;
  Records r;
  Excel4(xlfAddMenu, nullptr, 3, r.Num(10), r.Table(kMenu), r.Text("Help"));
  Excel4(xlfAddMenu, nullptr, 4, r.Num(10), r.Table(kSubmenu), r.Text("Tools2"), r.Int(4));
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfGetBar, &result, 0), xlretSuccess);
  EXPECT_EQ(result.val.num, 10) << "the active bar";

  ASSERT_EQ(Excel4(xlfGetBar, &result, 3, r.Int(10), r.Text("&tools2"), r.Int(0)), xlretSuccess);
  ASSERT_EQ(result.xltype, xltypeNum);
  EXPECT_EQ(result.val.num, 9);
  ASSERT_EQ(Excel4(xlfGetBar, &result, 3, r.Int(10), r.Int(9), r.Int(0)), xlretSuccess);
  EXPECT_EQ(AnsiText(result), "&Tools2") << "a name keeps its ampersand";
  Excel4(xlFree, nullptr, 1, &result);
  ASSERT_EQ(Excel4(xlfGetBar, &result, 3, r.Int(10), r.Text("Tools2"), r.Text("Third")),
            xlretSuccess);
  EXPECT_EQ(result.val.num, 6) << "separators and the submenu count";
  ASSERT_EQ(Excel4(xlfGetBar, &result, 3, r.Int(10), r.Text("Tools2"), r.Int(1)), xlretSuccess);
  EXPECT_EQ(AnsiText(result), "&First");
  Excel4(xlFree, nullptr, 1, &result);
  ASSERT_EQ(Excel4(xlfGetBar, &result, 4, r.Int(10), r.Text("Tools2"), r.Text("language"),
                   r.Text("English")),
            xlretSuccess);
  EXPECT_EQ(result.val.num, 2);
  ASSERT_EQ(Excel4(xlfGetBar, &result, 4, r.Int(10), r.Text("Tools2"), r.Int(4), r.Int(1)),
            xlretSuccess);
  EXPECT_EQ(AnsiText(result), "&Portugu\xEAs") << "texts go back in the ANSI code page";
  Excel4(xlFree, nullptr, 1, &result);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u);

  struct Missing {
    const char* description;
    std::vector<LPXLOPER> args;
    std::uint16_t error;
  };
  const Missing missing[] = {
      {"menu", {r.Int(10), r.Text("Kavenlor"), r.Int(0)}, xlerrNA},
      {"menu number", {r.Int(10), r.Int(11), r.Int(0)}, xlerrNA},
      {"command", {r.Int(10), r.Text("Tools2"), r.Text("Fourth")}, xlerrNA},
      {"a command, not a submenu", {r.Int(10), r.Text("Tools2"), r.Int(1), r.Int(1)}, xlerrNA},
      {"bar", {r.Int(3), r.Text("Tools2"), r.Int(0)}, xlerrValue},
      {"too few arguments", {r.Int(10), r.Text("Tools2")}, xlerrValue},
  };
  for (const Missing& m : missing) {
    SCOPED_TRACE(m.description);
    XLOPER answer{};
    ASSERT_EQ(Excel4v(xlfGetBar, &answer, static_cast<int>(m.args.size()),
                      const_cast<LPXLOPER*>(m.args.data())),
              xlretSuccess);
    EXPECT_TRUE(IsError(answer, m.error));
  }
}

TEST(CheckCommand, MarksACommandOrOneInsideASubmenu) {
  ExcelHost host;
  Records r;
  Excel4(xlfAddMenu, nullptr, 3, r.Num(10), r.Table(kMenu), r.Text("Help"));
  Excel4(xlfAddMenu, nullptr, 4, r.Num(10), r.Table(kSubmenu), r.Text("Tools2"), r.Int(4));
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfCheckCommand, &result, 4, r.Num(10), r.Text("&Tools2"), r.Text("S&econd"),
                   r.Bool(true)),
            xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(Excel4(xlfCheckCommand, &result, 5, r.Num(10), r.Text("Tools2"), r.Text("Lan&guage"),
                   r.Bool(true), r.Text("english")),
            xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  const Menu& menu = MenuNamed(host, "Tools2");
  EXPECT_TRUE(menu.items[2].checked);
  EXPECT_FALSE(menu.items[3].checked) << "the submenu itself stays unmarked";
  EXPECT_FALSE(menu.items[3].items[0].checked);
  EXPECT_TRUE(menu.items[3].items[1].checked);

  ASSERT_EQ(
      Excel4(xlfCheckCommand, &result, 4, r.Num(10), r.Text("Tools2"), r.Int(3), r.Bool(false)),
      xlretSuccess);
  EXPECT_FALSE(menu.items[2].checked) << "by position too";
  for (auto* missing : {r.Text("Fourth"), r.Text("Language")}) {
    ASSERT_EQ(Excel4(xlfCheckCommand, &result, 5, r.Num(10), r.Text("Tools2"), missing,
                     r.Bool(true), r.Text("Klingon")),
              xlretSuccess);
    EXPECT_TRUE(IsError(result, xlerrValue));
  }
  EXPECT_FALSE(menu.items[3].items[0].checked);
}

TEST(DeleteMenu, RemovesWhatIsThereAndRefusesWhatIsNot) {
  ExcelHost host;
  Records r;
  Excel4(xlfAddMenu, nullptr, 3, r.Num(10), r.Table(kMenu), r.Text("Help"));
  Excel4(xlfAddMenu, nullptr, 4, r.Num(10), r.Table(kSubmenu), r.Text("Tools2"), r.Int(4));
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfDeleteMenu, &result, 3, r.Num(10), r.Text("Tools2"), r.Text("Language")),
            xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(MenuNamed(host, "Tools2").items.size(), 5u);
  ASSERT_EQ(Excel4(xlfDeleteMenu, &result, 3, r.Num(10), r.Text("Tools2"), r.Text("First")),
            xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "a command is not a submenu";

  ASSERT_EQ(Excel4(xlfDeleteMenu, &result, 2, r.Num(10), r.Text("Tools2")), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(Excel4(xlfDeleteMenu, &result, 2, r.Num(10), r.Text("Tools2")), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "gone already";
  EXPECT_EQ(MenuNames(host).size(), 9u);

  // Excel's own menus can go, and come back by name.
  ASSERT_EQ(Excel4(xlfDeleteMenu, &result, 2, r.Num(10), r.Text("Data")), xlretSuccess);
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 3, r.Num(10), r.Text("data"), r.Int(7)), xlretSuccess);
  EXPECT_EQ(result.val.num, 7);
  EXPECT_EQ(MenuNames(host)[6], "&Data");
  ASSERT_EQ(Excel4(xlfAddMenu, &result, 2, r.Num(10), r.Text("Data")), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "not deleted: nothing to put back";
}

namespace {
const std::vector<std::vector<std::string>> kTools = {
    {"211", "run_a", "FALSE", "TRUE", "", "status a", "", "", "tip a"},
    {"0", " ", "", "", "", "", "", "", ""},
    {"211", "run_b", "TRUE", "false", "", "status b", "", "", "tip b"}};

kvp::Image Picture(int width, int height) {
  kvp::Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, 0xFF336699);
  return image;
}
} // namespace

TEST(Toolbars, AddedHiddenThenShownAndAskedAbout) {
  ExcelHost host;
  Records r;
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 2, r.Int(7), r.Text("Bar")), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr) << "no such toolbar";
  ASSERT_EQ(Excel4(xlfAddToolbar, &result, 2, r.Text("Bar"), r.Table(kTools)), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 2, r.Int(7), r.Text("BAR")), xlretSuccess);
  ASSERT_EQ(result.xltype, xltypeBool);
  EXPECT_EQ(result.val.xbool, 0) << "hidden until shown";

  const Toolbar& bar = *host.app().Bars().FindToolbar("Bar");
  ASSERT_EQ(bar.tools.size(), 3u);
  EXPECT_EQ(bar.tools[0].id, 211);
  EXPECT_EQ(bar.tools[0].tip_text, "tip a");
  EXPECT_TRUE(bar.tools[1].IsGap());
  EXPECT_TRUE(bar.tools[2].down);
  EXPECT_FALSE(bar.tools[2].enabled) << "logical cells as texts, in any case";

  ASSERT_EQ(Excel4(xlcShowToolbar, nullptr, 8, r.Text("Bar"), r.Bool(true), r.Int(1), r.Missing(),
                   r.Int(100), r.Missing(), r.Int(2), r.Bool(true)),
            xlretSuccess);
  EXPECT_TRUE(bar.visible);
  EXPECT_EQ(bar.y, 100);
  EXPECT_FALSE(bar.x) << "an omitted position stays as it was";
  EXPECT_EQ(bar.protection, 2);
  EXPECT_EQ(Excel4(xlcShowToolbar, nullptr, 3, r.Text("Bar"), r.Bool(false), r.Int(6)),
            xlretFailed);
  EXPECT_TRUE(bar.visible) << "a refused SHOW.TOOLBAR changes nothing";
  EXPECT_EQ(Excel4(xlcShowToolbar, nullptr, 2, r.Text("Nope"), r.Bool(true)), xlretFailed);

  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 2, r.Int(1), r.Text("Bar")), xlretSuccess);
  ASSERT_EQ(result.xltype, xltypeMulti);
  ASSERT_EQ(result.val.array.columns, 3);
  EXPECT_EQ(result.val.array.lparray[0].val.num, 211);
  EXPECT_EQ(result.val.array.lparray[1].val.num, 0) << "a gap is tool 0";
  Excel4(xlFree, nullptr, 1, &result);
  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 1, r.Int(9)), xlretSuccess);
  ASSERT_EQ(result.xltype, xltypeMulti);
  ASSERT_EQ(result.val.array.columns, 3) << "Standard, Formatting and Bar are visible";
  EXPECT_EQ(AnsiText(result.val.array.lparray[2]), "Bar");
  Excel4(xlFree, nullptr, 1, &result);
  EXPECT_EQ(host.memory().BlocksInUse(), 0u) << "an array's texts go with it";

  ASSERT_EQ(Excel4(xlfAddToolbar, &result, 2, r.Text("bar"), r.Table(kTools)), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "that name is taken";
  ASSERT_EQ(Excel4(xlfAddToolbar, &result, 2, r.Text("Other"), r.Table({{"", "run"}})),
            xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "a tool needs an id";
  EXPECT_EQ(host.app().Bars().FindToolbar("Other"), nullptr);
}

TEST(Toolbars, PasteToolTakesTheClipboardPicture) {
  ExcelHost host;
  Records r;
  Excel4(xlfAddToolbar, nullptr, 2, r.Text("Bar"), r.Table(kTools));
  const Toolbar& bar = *host.app().Bars().FindToolbar("Bar");
  kvp::EmptyClipboard();
  EXPECT_EQ(Excel4(xlcPasteTool, nullptr, 2, r.Text("Bar"), r.Int(1)), xlretFailed)
      << "nothing on the clipboard";
  EXPECT_FALSE(bar.tools[0].pasted_face);

  kvp::PutBitmapOnClipboard(Picture(16, 15));
  XLOPER result{};
  ASSERT_EQ(Excel4(xlcPasteTool, &result, 2, r.Text("Bar"), r.Int(3)), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_TRUE(bar.tools[2].pasted_face);
  EXPECT_EQ(bar.tools[2].pasted_face->width, 16);
  EXPECT_EQ(bar.tools[2].pasted_face->height, 15);
  EXPECT_EQ(bar.tools[2].pasted_face->pixels.front(), 0xFF336699u);
  EXPECT_EQ(Excel4(xlcPasteTool, nullptr, 2, r.Text("Bar"), r.Int(2)), xlretFailed) << "a gap";
  EXPECT_EQ(Excel4(xlcPasteTool, nullptr, 2, r.Text("Bar"), r.Int(4)), xlretFailed);
  EXPECT_EQ(Excel4(xlcPasteTool, nullptr, 2, r.Text("Nope"), r.Int(1)), xlretFailed);
  EXPECT_FALSE(bar.tools[0].pasted_face);
  kvp::EmptyClipboard();
}

TEST(Toolbars, DeleteToolbarOnlyForCustomOnes) {
  ExcelHost host;
  Records r;
  Excel4(xlfAddToolbar, nullptr, 2, r.Text("Bar"), r.Table(kTools));
  XLOPER result{};
  ASSERT_EQ(Excel4(xlfDeleteToolbar, &result, 1, r.Text("bar")), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool);
  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 2, r.Int(7), r.Text("Bar")), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeErr);
  ASSERT_EQ(Excel4(xlfDeleteToolbar, &result, 1, r.Text("Bar")), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "gone already";
  ASSERT_EQ(Excel4(xlfDeleteToolbar, &result, 1, r.Text("Standard")), xlretSuccess);
  EXPECT_TRUE(IsError(result, xlerrValue)) << "Excel's own";
  ASSERT_EQ(Excel4(xlfGetToolbar, &result, 2, r.Int(7), r.Int(1)), xlretSuccess);
  EXPECT_EQ(result.xltype, xltypeBool) << "Standard is still toolbar 1";
}
