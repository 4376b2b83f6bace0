#include "application.h"

#include <algorithm>
#include <cctype>

namespace kvhost {
namespace {
// Excel's names are matched without regard to case.
std::string NameKey(const std::string& name) {
  std::string key = name;
  for (char& c : key)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

std::string DescribeMacroType(int macro_type) {
  switch (macro_type) {
  case 0: return "hidden function";
  case 1: return "function";
  case 2: return "command";
  default: return "macro type " + std::to_string(macro_type);
  }
}
} // namespace

std::vector<SheetFormats::Formatted> SheetFormats::FormattedCells() const {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed(cells_.begin(), cells_.end());
  std::sort(keyed.begin(), keyed.end());
  std::vector<Formatted> cells;
  cells.reserve(keyed.size());
  for (const auto& [key, format] : keyed)
    cells.push_back(Formatted{static_cast<std::uint32_t>(key >> 32),
                              static_cast<std::uint32_t>(key), &distinct_[format]});
  return cells;
}

std::uint32_t SheetFormats::Intern(CellFormat format) {
  // A sheet holds few distinct formats: a search is quicker than hashing them.
  for (std::size_t i = distinct_.size(); i-- > 0;)
    if (distinct_[i] == format) return static_cast<std::uint32_t>(i);
  distinct_.push_back(std::move(format));
  return static_cast<std::uint32_t>(distinct_.size() - 1);
}

bool SameSheetName(std::string_view a, std::string_view b) {
  // UTF-8 in the model: the case of letters is folded on code points, not bytes.
  const auto folded = [](std::string_view text) {
    std::u32string points;
    for (std::size_t at = 0; at < text.size();) {
      const auto lead = static_cast<unsigned char>(text[at++]);
      int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
      char32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
      for (; extra > 0 && at < text.size(); --extra)
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
      const bool upper =
          (code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7);
      points.push_back(upper ? code + 0x20 : code);
    }
    return points;
  };
  return EqualsIgnoringCase(a, b) || folded(a) == folded(b);
}

Application::Application() {
  // Excel starts with one empty workbook.
  workbooks_.push_back(Workbook{"Book1", {Sheet{next_sheet_id_++, "Sheet1", Cells{}}}, 0});
}

Workbook& Application::OpenWorkbook(Workbook book) {
  for (Sheet& sheet : book.sheets)
    sheet.id = next_sheet_id_++;
  const bool start_untouched =
      workbooks_.size() == 1 && workbooks_[0].name == "Book1" &&
      std::all_of(workbooks_[0].sheets.begin(), workbooks_[0].sheets.end(),
                  [](const Sheet& sheet) { return sheet.cells.IsEmpty(); });
  if (start_untouched) workbooks_.clear();
  workbooks_.push_back(std::move(book));
  active_workbook_ = workbooks_.size() - 1;
  selected_sheet_ = 0;
  return workbooks_.back();
}

Workbook& Application::NewWorkbook(std::string sheet_name) {
  Workbook book{"Book" + std::to_string(next_book_number_++),
                {Sheet{next_sheet_id_++, std::move(sheet_name), Cells{}}},
                0};
  workbooks_.push_back(std::move(book));
  active_workbook_ = workbooks_.size() - 1;
  selected_sheet_ = 0;
  return workbooks_.back();
}

Sheet& Application::InsertSheet(std::size_t position, Sheet sheet) {
  Workbook& book = ActiveWorkbook();
  position = std::min(position, book.sheets.size());
  sheet.id = next_sheet_id_++;
  book.sheets.insert(book.sheets.begin() + static_cast<std::ptrdiff_t>(position), std::move(sheet));
  if (book.sheets.size() > 1 && position <= book.active_sheet) ++book.active_sheet;
  return book.sheets[position];
}

void Application::ActivateSheet(std::size_t index) {
  ActiveWorkbook().active_sheet = index;
  selected_sheet_ = 0;
}

Workbook* Application::WorkbookOf(SheetId id) {
  for (Workbook& book : workbooks_)
    for (const Sheet& sheet : book.sheets)
      if (sheet.id == id) return &book;
  return nullptr;
}

Workbook* Application::FindWorkbook(std::string_view name) {
  for (Workbook& book : workbooks_)
    if (SameSheetName(book.name, name)) return &book;
  return nullptr;
}

bool Application::CloseActiveWorkbook() {
  if (workbooks_.size() < 2) return false;
  workbooks_.erase(workbooks_.begin() + static_cast<std::ptrdiff_t>(active_workbook_));
  active_workbook_ = workbooks_.size() - 1;
  selected_sheet_ = 0;
  return true;
}

bool Application::ActivateWorkbook(std::string_view name) {
  for (std::size_t i = 0; i < workbooks_.size(); ++i) {
    if (SameSheetName(workbooks_[i].name, name)) {
      if (i != active_workbook_) selected_sheet_ = 0;
      active_workbook_ = i;
      return true;
    }
  }
  return false;
}

Sheet* Application::FindSheet(std::string_view name) {
  for (Sheet& sheet : ActiveWorkbook().sheets)
    if (SameSheetName(sheet.name, name)) return &sheet;
  return nullptr;
}

Sheet* Application::FindSheet(SheetId id) {
  for (Workbook& book : workbooks_)
    for (Sheet& sheet : book.sheets)
      if (sheet.id == id) return &sheet;
  return nullptr;
}

Selection Application::CurrentSelection() {
  const Sheet* sheet = selected_sheet_ != 0 ? FindSheet(selected_sheet_) : nullptr;
  if (sheet == nullptr) sheet = &ActiveSheet();
  if (sheet->selection.empty()) return Selection{sheet->id, {CellRange{}}};
  return Selection{sheet->id, sheet->selection};
}

void Application::Select(Selection selection) {
  Sheet* sheet = FindSheet(selection.sheet);
  if (sheet == nullptr || selection.areas.empty()) {
    selected_sheet_ = 0;
    return;
  }
  sheet->active_cell = {selection.areas[0].first_row, selection.areas[0].first_column};
  sheet->selection = std::move(selection.areas);
  selected_sheet_ = sheet->id;
}

Registration& Application::Register(Registration registration) {
  std::string entry = registration.function_text + " -> " + registration.procedure + " (" +
                      registration.type_text + "), " + DescribeMacroType(registration.macro_type);
  auto same = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& r) {
    return r.module == registration.module && r.procedure == registration.procedure;
  });
  Registration* stored = nullptr;
  if (same != registrations_.end()) {
    registration.id = same->id;
    registration.use_count = same->use_count + 1;
    *same = std::move(registration);
    stored = &*same;
  } else {
    registration.id = next_register_id_++;
    registration.use_count = 1;
    registrations_.push_back(std::move(registration));
    stored = &registrations_.back();
  }
  if (!stored->function_text.empty())
    DefineName(DefinedName{stored->function_text, stored->id, std::nullopt, true});
  journal_.push_back({JournalEntry::Kind::Registered, stored->procedure,
                      "registered " + entry + ", id " + std::to_string(int(stored->id))});
  return *stored;
}

std::size_t Application::UnregisterModule(const std::string& module) {
  return std::erase_if(registrations_, [&](const Registration& r) { return r.module == module; });
}

bool Application::Unregister(double id) {
  auto found = std::find_if(registrations_.begin(), registrations_.end(),
                            [&](const Registration& r) { return r.id == id; });
  if (found == registrations_.end()) return false;
  const bool released = --found->use_count <= 0;
  journal_.push_back({JournalEntry::Kind::Unregistered, found->procedure,
                      "unregistered " + found->procedure + ", id " + std::to_string(int(id)) +
                          (released ? ", released" : ", still in use")});
  if (released) registrations_.erase(found);
  return true;
}

const Registration* Application::FindProcedure(const std::string& module,
                                               const std::string& procedure) const {
  for (const auto& r : registrations_)
    if (r.module == module && r.procedure == procedure) return &r;
  return nullptr;
}

const Registration* Application::FindRegistration(const std::string& function_text) const {
  const std::string key = NameKey(function_text);
  for (const auto& r : registrations_)
    if (NameKey(r.function_text) == key) return &r;
  return nullptr;
}

void Application::DefineName(DefinedName name) {
  const std::string key = NameKey(name.name);
  names_[key] = std::move(name);
}

bool Application::DeleteName(const std::string& name) {
  const bool existed = names_.erase(NameKey(name)) > 0;
  journal_.push_back({JournalEntry::Kind::NameDeleted, name,
                      "deleted name " + name + (existed ? "" : " (there was no such name)")});
  return existed;
}

const DefinedName* Application::FindName(const std::string& name) const {
  auto found = names_.find(NameKey(name));
  return found == names_.end() ? nullptr : &found->second;
}

void Application::RecordRefusedRegistration(Registration attempted, const std::string& reason) {
  journal_.push_back({JournalEntry::Kind::RegisterRefused, attempted.procedure,
                      "refused REGISTER of " + attempted.procedure + " (" +
                          attempted.function_text + "): " + reason});
  refused_.push_back(Refusal{std::move(attempted), reason});
}

bool Application::ErrorShownSince(std::size_t from) const {
  for (std::size_t i = from; i < alerts_.size(); ++i)
    if (alerts_[i].IsError()) return true;
  return false;
}

void Application::RecordAlert(AlertRecord alert) {
  journal_.push_back({JournalEntry::Kind::Alert, {}, alert.text});
  alerts_.push_back(std::move(alert));
}

} // namespace kvhost
