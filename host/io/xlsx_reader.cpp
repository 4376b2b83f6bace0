#include "xlsx_reader.h"

#include <cstdio>
#include <map>

#include "xlsx_worksheet_reader.h"
#include "zip_xml.h"

namespace kvhost {
namespace {

using xlsx::Attribute;
using xlsx::ZipPackage;

struct Relationship {
  std::string type; // the last segment of the type URI: "worksheet", "sharedStrings", ...
  std::string target;
  bool external = false;
};

// A part's relationships (Transitional and Strict URIs alike: only the last segment counts).
class RelationshipsReader final : public xlsx::XmlHandler {
public:
  void Start(std::string_view name, const char** attributes) override {
    if (name != "Relationship") return;
    const char* id = Attribute(attributes, "Id");
    const char* type = Attribute(attributes, "Type");
    const char* target = Attribute(attributes, "Target");
    if (id == nullptr || type == nullptr || target == nullptr) return;
    const std::string_view uri(type);
    const char* mode = Attribute(attributes, "TargetMode");
    relationships[id] = Relationship{std::string(uri.substr(uri.rfind('/') + 1)), target,
                                     mode != nullptr && std::string_view(mode) == "External"};
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}
  bool WantsText() const override { return false; }

  std::map<std::string, Relationship> relationships;
};

struct SheetEntry {
  std::string name;
  std::string relationship;
  bool visible = true;
  bool very_hidden = false;
};

class WorkbookReader final : public xlsx::XmlHandler {
public:
  void Start(std::string_view name, const char** attributes) override {
    if (name == "workbookPr") {
      const char* flag = Attribute(attributes, "date1904");
      date1904 =
          flag != nullptr && (std::string_view(flag) == "1" || std::string_view(flag) == "true");
    } else if (name == "sheet") {
      const char* sheet_name = Attribute(attributes, "name");
      const char* id = Attribute(attributes, "id"); // r:id
      if (sheet_name == nullptr || id == nullptr) {
        failure = "the workbook part lists a sheet without a name or a relationship";
        return;
      }
      const std::string_view state =
          Attribute(attributes, "state") ? Attribute(attributes, "state") : "visible";
      sheets.push_back(SheetEntry{sheet_name, id, state == "visible", state == "veryHidden"});
    }
  }
  void End(std::string_view) override {}
  void Text(std::string_view) override {}
  bool WantsText() const override { return false; }

  bool date1904 = false;
  std::vector<SheetEntry> sheets;
};

// The relationships part of `part`: xl/workbook.xml -> xl/_rels/workbook.xml.rels.
std::string RelationshipsPart(const std::string& part) {
  const auto slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + file + ".rels";
}

bool ReadRelationships(const ZipPackage& package, const std::string& part,
                       std::map<std::string, Relationship>& out, std::string& error) {
  RelationshipsReader reader;
  if (!package.Parse(part, reader, error)) return false;
  out = std::move(reader.relationships);
  return true;
}

// The first bytes of an OLE2 compound file, the container Excel keeps an encrypted .xlsx in.
bool IsCompoundFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  unsigned char magic[8] = {};
  const std::size_t got = std::fread(magic, 1, sizeof magic, file);
  std::fclose(file);
  static constexpr unsigned char kOle2[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  return got == sizeof magic && std::equal(magic, magic + 8, kOle2);
}

std::optional<std::vector<DataSheet>> ReadPackage(const std::string& path, const Grid& grid,
                                                  std::string& error) {
  auto package = ZipPackage::Open(path, error);
  if (!package) return std::nullopt;

  // The package's own relationships name the workbook part.
  std::map<std::string, Relationship> root;
  if (!ReadRelationships(*package, "_rels/.rels", root, error)) return std::nullopt;
  std::optional<std::string> workbook_part;
  for (const auto& [id, relationship] : root)
    if (relationship.type == "officeDocument" && !relationship.external)
      workbook_part = xlsx::ResolveTarget("", relationship.target);
  if (!workbook_part) {
    error = "the package names no workbook part (not a spreadsheet)";
    return std::nullopt;
  }

  WorkbookReader workbook;
  if (!package->Parse(*workbook_part, workbook, error)) return std::nullopt;
  std::map<std::string, Relationship> links;
  if (!ReadRelationships(*package, RelationshipsPart(*workbook_part), links, error))
    return std::nullopt;

  xlsx::WorkbookContext context;
  context.date1904 = workbook.date1904;
  context.grid = grid;
  for (const auto& [id, relationship] : links) {
    if (relationship.type != "sharedStrings" || relationship.external) continue;
    const auto part = xlsx::ResolveTarget(*workbook_part, relationship.target);
    if (!part || !xlsx::ReadSharedStrings(*package, *part, context, error)) return std::nullopt;
  }

  std::vector<DataSheet> sheets;
  for (const SheetEntry& entry : workbook.sheets) {
    const auto link = links.find(entry.relationship);
    if (link == links.end()) {
      error = "sheet '" + entry.name + "' has no part in the package";
      return std::nullopt;
    }
    // Chart sheets, dialog sheets and macro sheets bring no data.
    if (link->second.type != "worksheet" || link->second.external) continue;
    const auto part = xlsx::ResolveTarget(*workbook_part, link->second.target);
    if (!part) {
      error = "sheet '" + entry.name + "' points outside the package";
      return std::nullopt;
    }
    for (const DataSheet& known : sheets)
      if (SameSheetName(known.name, entry.name)) {
        error = "two sheets are named '" + entry.name + "'";
        return std::nullopt;
      }
    DataSheet sheet{entry.name, {}, entry.visible, entry.very_hidden};
    if (entry.name.empty()) {
      error = "a sheet has an empty name";
      return std::nullopt;
    }
    if (!xlsx::ReadWorksheetPart(*package, *part, entry.name, context, sheet.cells, error))
      return std::nullopt;
    sheets.push_back(std::move(sheet));
  }
  if (sheets.empty()) {
    error = "the workbook holds no worksheet";
    return std::nullopt;
  }
  return sheets;
}

} // namespace

std::optional<std::vector<DataSheet>> ReadXlsxSheets(const std::string& path, std::string& error,
                                                     const Grid& grid) {
  if (IsCompoundFile(path)) {
    error = path +
            ": the workbook is encrypted or password-protected (it is not a zip package but an "
            "encrypted container); save it without a password";
    return std::nullopt;
  }
  std::string why;
  auto sheets = ReadPackage(path, grid, why);
  if (!sheets) error = path + ": " + why;
  return sheets;
}

} // namespace kvhost
