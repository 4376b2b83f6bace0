#include "BarraMenu.h"

#include <string>
#include <vector>

#include "Configuracao.h"
#include "Tabelas.h"
#include "kvplatform/bitmap.h"
#include "xll/ExcelCall.h"

namespace {
constexpr double kWorksheetMenuBar = 10;
constexpr std::int16_t kToolbarQuery = 7; // GET.TOOLBAR's "is there such a toolbar" question

char MenuNameText[] = " &Kavenlor";
char MenuNameWithoutAmpersand[] = " Kavenlor";
char ToolbarNameText[] = " Kavenlor";
char HelpMenu[] = " Help";
char AjudaMenu[] = " Ajuda";
char ShowItem[2][32] = {" &Exibir barra Kavenlor", " &Show Kavenlor bar"};
char LanguageSubmenu[2][16] = {" Idio&ma", " Idio&m"};
char LanguageItem[2][32] = {" &Português (Brasil)", " &English (USA)"};

// A table handed to Excel as an array of texts pointing at the (stamped) table cells; the
// elements live only for the calls that use them.
template <std::size_t Columns> class TableArray {
public:
  TableArray(TableCell (*rows)[Columns], int row_count)
      : elements_(static_cast<std::size_t>(row_count) * Columns) {
    for (int r = 0; r < row_count; ++r) {
      for (std::size_t c = 0; c < Columns; ++c) {
        XLOPER& e = elements_[static_cast<std::size_t>(r) * Columns + c];
        e.xltype = xltypeStr;
        e.val.str = rows[r][c];
      }
    }
    record_.xltype = xltypeMulti;
    record_.val.array.lparray = elements_.data();
    record_.val.array.rows = static_cast<std::uint16_t>(row_count);
    record_.val.array.columns = static_cast<std::uint16_t>(Columns);
  }
  LPXLOPER get() { return &record_; }

private:
  std::vector<XLOPER> elements_;
  XLOPER record_{};
};

bool MenuIsAbsent(xl::ExcelValue& query, char* name) {
  ExcelCall(xlfGetBar, query.Fill(), 3, TempInteger(10), TempText(name), TempInteger(0));
  return query->xltype == xltypeErr;
}

bool ToolbarIsAbsent(xl::ExcelValue& query) {
  ExcelCall(xlfGetToolbar, query.Fill(), 2, TempInteger(kToolbarQuery), TempText(ToolbarNameText));
  return query->xltype == xltypeErr;
}

// A refusal is only traced by the call layer: the other placement is still tried.
void AddMainMenu(TableArray<kMenuColumns>& menu, char* before) {
  ExcelCall(xlfAddMenuIntl, nullptr, 3, TempNumber(kWorksheetMenuBar), menu.get(),
            TempText(before));
}

// Pastes each button's picture from the install folder; the first picture that cannot be
// loaded ends the pasting, and the buttons left keep their default face.
void PastePictures() {
  try {
    for (int row = 0; row < kToolbarRows; ++row) {
      if (ToolbarPictures[row][0] == '\0') continue; // the gap
      const kvp::Image picture =
          kvp::LoadBitmapFile(std::string(InstallFolder) + ToolbarPictures[row]);
      kvp::PutBitmapOnClipboard(picture);
      ExcelCall(xlcPasteTool, nullptr, 2, TempText(ToolbarNameText),
                TempInteger(static_cast<std::int16_t>(row + 1)));
    }
  } catch (...) {
  }
  kvp::EmptyClipboard();
}
} // namespace

char* MenuName() {
  return MenuNameText;
}
char* ToolbarName() {
  return ToolbarNameText;
}
char* ShowToolbarItem() {
  return ShowItem[LanguageIndex(CurrentLanguage)];
}

// SHOW.TOOLBAR's arguments, the same at creation and from the show-toolbar command.
int ShowToolbar(bool visible) {
  return ExcelCall(xlcShowToolbar, nullptr, 8, TempText(ToolbarNameText), TempBoolean(visible),
                   TempInteger(1), TempOmitted(), TempInteger(100), TempOmitted(), TempInteger(2),
                   TempBoolean(1));
}

void BuildMenus(xl::ExcelValue& query) {
  const int language = LanguageIndex(CurrentLanguage);
  if (MenuIsAbsent(query, MenuNameText)) {
    TableArray<kMenuColumns> menu(MenuTable(CurrentLanguage), kMenuRows);
    AddMainMenu(menu, HelpMenu);  // an English Excel
    AddMainMenu(menu, AjudaMenu); // a Portuguese one
    ExcelCall(xlfCheckCommand, nullptr, 4, TempNumber(kWorksheetMenuBar), TempText(MenuNameText),
              TempText(ShowItem[language]), TempBoolean(ShowToolbarFlag));
  }
  if (!MenuIsAbsent(query, MenuNameText)) {
    TableArray<kMenuColumns> submenu(SubmenuTable(CurrentLanguage), kSubmenuRows);
    // Item position 9: after the first separator, before the show-toolbar item.
    ExcelCall(xlfAddMenuIntl, nullptr, 4, TempInteger(10), submenu.get(), TempText(MenuNameText),
              TempInteger(9));
    ExcelCall(xlfCheckCommand, nullptr, 5, TempNumber(kWorksheetMenuBar), TempText(MenuNameText),
              TempText(LanguageSubmenu[language]), TempBoolean(1),
              TempText(LanguageItem[language]));
  }
}

void BuildToolbar(xl::ExcelValue& query) {
  if (!ToolbarIsAbsent(query)) return; // an existing toolbar is left as it is
  TableArray<kToolbarColumns> tools(ToolbarTable(CurrentLanguage), kToolbarRows);
  ExcelCall(xlfAddToolbar, nullptr, 2, TempText(ToolbarNameText), tools.get());
  ShowToolbar(ShowToolbarFlag != 0);
  PastePictures();
}

// Each answer that found its bar is given back after the deletion; one that found nothing
// carries no memory and is not.
void RemoveMenuAndToolbar() {
  {
    xl::ExcelValue query;
    if (MenuIsAbsent(query, MenuNameWithoutAmpersand))
      query.Forget();
    else
      ExcelCall(xlfDeleteMenu, nullptr, 2, TempNumber(kWorksheetMenuBar),
                TempText(MenuNameWithoutAmpersand));
  }
  xl::ExcelValue query;
  if (ToolbarIsAbsent(query))
    query.Forget();
  else
    ExcelCall(xlfDeleteToolbar, nullptr, 1, TempText(ToolbarNameText));
}
