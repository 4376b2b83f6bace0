// The package step: opens the file libxlsxwriter wrote and finishes, part by part, what it
// cannot write itself. The parts are found by following the package's relationships from the
// workbook, never by guessing libxlsxwriter's part names, and each is changed as XML, never as
// text: the small parts as trees (xml_edit.h), the sheets, which can be very large, as they
// stream through (xml_stream.h).
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <map>

#include "deflated_source.h"
#include "xlsx_parts.h"
#include "xml_edit.h"
#include "xml_stream.h"
#include "zip_xml.h"

namespace kvhost::xlsx {
namespace {

using xml::Node;

std::string RelationshipsPart(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder(slash == std::string_view::npos ? "" : part.substr(0, slash + 1));
  return folder + "_rels/" + std::string(part.substr(slash + 1)) + ".rels";
}

// The package, with the parts read so far as trees, changed in memory until Save.
class Package {
public:
  bool Open(const std::string& path, std::string& error) {
    int code = 0;
    zip_ = zip_open(path.c_str(), 0, &code);
    if (zip_ == nullptr) {
      zip_error_t zip_error;
      zip_error_init_with_code(&zip_error, code);
      error = std::string("cannot reopen the written file: ") + zip_error_strerror(&zip_error);
      zip_error_fini(&zip_error);
    }
    return zip_ != nullptr;
  }
  ~Package() {
    if (zip_ != nullptr) zip_discard(zip_);
  }

  // The part's tree, to read or change; null when the package has no such part or when the
  // part cannot be read (then Missing says why).
  xml::Document* Part(const std::string& name) {
    if (auto found = parts_.find(name); found != parts_.end()) return &found->second;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        !(stat.valid & ZIP_STAT_INDEX))
      return nullptr;
    std::string text;
    if (!ReadWhole(stat, text)) {
      failure_ = "cannot read the part " + name + " of the written file";
      return nullptr;
    }
    xml::Document document;
    std::string why;
    if (!xml::Parse(text, document, why)) {
      failure_ = "the part " + name + " " + why;
      return nullptr;
    }
    return &parts_.emplace(name, std::move(document)).first->second;
  }

  // Streams the part through `edits` and puts what comes out in its place, stamped `created`.
  // False when the package has no such part or when it cannot be read or written (then
  // Missing says why).
  bool StreamPart(const std::string& name, xml::StreamEdits& edits, std::time_t created) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip_, name.c_str(), 0, &stat) != 0) return false;
    zip_file_t* file = zip_fopen(zip_, name.c_str(), 0);
    if (file == nullptr) return false;
    DeflatingStream deflated;
    std::string why;
    const bool streamed = xml::Stream(
        [&](char* buffer, std::size_t size) -> long long { return zip_fread(file, buffer, size); },
        edits, [&](std::string_view text) { return deflated.Add(text); }, why);
    zip_fclose(file);
    if (!streamed) {
      failure_ = "the part " + name + " " + why;
      return false;
    }
    zip_source_t* source = deflated.Finish(zip_, why);
    if (source == nullptr) {
      failure_ = "cannot replace " + name + ": " + why;
      return false;
    }
    const zip_int64_t index =
        zip_file_add(zip_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      failure_ = "cannot replace " + name + ": " + zip_strerror(zip_);
      return false;
    }
    zip_file_set_mtime(zip_, static_cast<zip_uint64_t>(index), created, 0);
    return true;
  }

  // `missing` as the reason a part was not found, unless one was there and could not be read.
  std::string Missing(std::string missing) const { return failure_.empty() ? missing : failure_; }

  // The target of the first relationship of `part` whose type ends with `type`.
  std::optional<std::string> Related(const std::string& part, std::string_view type) {
    return FirstRelated(part, [&](const Node& relationship) {
      const std::string* relation = relationship.Attribute("Type");
      return relation != nullptr && relation->ends_with(type);
    });
  }

  // The target of the relationship of `part` with this id.
  std::optional<std::string> RelatedById(const std::string& part, const std::string& id) {
    return FirstRelated(part, [&](const Node& relationship) {
      const std::string* own = relationship.Attribute("Id");
      return own != nullptr && *own == id;
    });
  }

  // Writes the parts back, stamped with `created`, and closes the package. libxlsxwriter stored
  // its parts (stored_parts.h): the ones not written here are deflated now, keeping their times.
  bool Save(std::time_t created, std::string& error) {
    for (const auto& [name, document] : parts_) {
      std::string why;
      zip_source_t* source = DeflatedSource(zip_, xml::Write(document), why);
      if (source == nullptr) {
        error = "cannot replace " + name + ": " + why;
        return false;
      }
      const zip_int64_t index =
          zip_file_add(zip_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
      if (index < 0) {
        zip_source_free(source);
        error = "cannot replace " + name + ": " + zip_strerror(zip_);
        return false;
      }
      zip_file_set_mtime(zip_, static_cast<zip_uint64_t>(index), created, 0);
    }
    const zip_int64_t entries = zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < entries; ++i)
      if (!DeflateStored(static_cast<zip_uint64_t>(i), error)) return false;
    if (zip_close(zip_) != 0) {
      error = std::string("cannot rewrite the written file: ") + zip_strerror(zip_);
      return false;
    }
    zip_ = nullptr;
    return true;
  }

private:
  // The whole of the entry `stat` describes (its index and size known).
  bool ReadWhole(const zip_stat_t& stat, std::string& text) {
    zip_file_t* file = zip_fopen_index(zip_, stat.index, 0);
    if (file == nullptr) return false;
    text.assign(stat.size, '\0');
    const zip_int64_t read = zip_fread(file, text.data(), text.size());
    zip_fclose(file);
    return read >= 0 && static_cast<zip_uint64_t>(read) == stat.size;
  }

  // Deflates entry `index` when it is still as libxlsxwriter stored it: a part written here
  // comes from a source that is deflated already.
  bool DeflateStored(zip_uint64_t index, std::string& error) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    const zip_uint64_t needed =
        ZIP_STAT_NAME | ZIP_STAT_INDEX | ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD;
    if (zip_stat_index(zip_, index, 0, &stat) != 0 || (stat.valid & needed) != needed ||
        stat.comp_method != ZIP_CM_STORE)
      return true;
    const std::string name = stat.name;
    std::string text;
    if (!ReadWhole(stat, text)) {
      error = "cannot read the part " + name + " of the written file";
      return false;
    }
    std::string why;
    zip_source_t* source = DeflatedSource(zip_, text, why);
    if (source == nullptr || zip_file_replace(zip_, index, source, 0) != 0) {
      if (source != nullptr) zip_source_free(source), why = zip_strerror(zip_);
      error = "cannot deflate " + name + ": " + why;
      return false;
    }
    if (stat.valid & ZIP_STAT_MTIME) zip_file_set_mtime(zip_, index, stat.mtime, 0);
    return true;
  }

  // The target, resolved against `part`, of the first of its relationships that `matches`.
  template <class Match>
  std::optional<std::string> FirstRelated(const std::string& part, Match matches) {
    const xml::Document* rels = Part(RelationshipsPart(part));
    if (rels == nullptr) return {};
    for (const Node& relationship : rels->root.children) {
      if (!relationship.Is("Relationship")) continue;
      const std::string* target = relationship.Attribute("Target");
      if (target != nullptr && matches(relationship)) return ResolveTarget(part, *target);
    }
    return {};
  }

  zip_t* zip_ = nullptr;
  std::map<std::string, xml::Document> parts_;
  std::string failure_; // why a part that is there could not be read
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Gives every run of text below `title` an explicit b="0", where it has no b of its own.
void MakePlain(Node& title) {
  title.ForEachElement([](Node& element) {
    if ((element.Is("a:defRPr") || element.Is("a:rPr")) && element.Attribute("b") == nullptr)
      element.SetAttribute("b", "0", Node::At::Front);
  });
}

bool IsAxis(const Node& node) {
  return node.Is("c:catAx") || node.Is("c:valAx") || node.Is("c:dateAx") || node.Is("c:serAx");
}

// The axis of the plot area whose id is `id`.
Node* AxisElement(Node& plot_area, const std::string& id) {
  for (Node& axis : plot_area.children) {
    if (!IsAxis(axis)) continue;
    const Node* own = axis.Child("c:axId");
    const std::string* value = own != nullptr ? own->Attribute("val") : nullptr;
    if (value != nullptr && *value == id) return &axis;
  }
  return nullptr;
}

// libxlsxwriter writes only the data-label flags that are set (a series labelled with its
// categories gets <c:showCatName val="1"/> alone). The schema wants all six, and readers differ
// on a missing one (LibreOffice shows the values of a file it does not take for Excel 2007's),
// so every label element gets the six, those not written set to 0, in the schema's order,
// where the first written one stood. Labels that are deleted (<c:delete>) take none.
void CompleteDataLabelFlags(Node& labels) {
  static constexpr std::string_view kFlags[] = {"c:showLegendKey", "c:showVal",
                                                "c:showCatName",   "c:showSerName",
                                                "c:showPercent",   "c:showBubbleSize"};
  if (labels.Child("c:delete") != nullptr) return;
  std::vector<Node> flags;
  for (const std::string_view flag : kFlags) {
    if (const Node* found = labels.Child(flag))
      flags.push_back(*found);
    else
      flags.push_back(Node::Element(std::string(flag), {{"val", "0"}}));
  }
  auto is_flag = [](const Node& node) {
    return std::any_of(std::begin(kFlags), std::end(kFlags),
                       [&](std::string_view flag) { return node.Is(flag); });
  };
  std::vector<Node>& children = labels.children;
  auto at = std::find_if(children.begin(), children.end(), is_flag);
  if (at == children.end()) {
    // None written: after the formats and position, before the separator and leader lines.
    at = std::find_if(children.begin(), children.end(), [](const Node& node) {
      return node.Is("c:separator") || node.Is("c:showLeaderLines") || node.Is("c:leaderLines") ||
             node.Is("c:extLst");
    });
  }
  const auto index = at - children.begin();
  const auto before = std::count_if(children.begin(), at, is_flag);
  children.erase(std::remove_if(children.begin(), children.end(), is_flag), children.end());
  children.insert(children.begin() + (index - before), std::make_move_iterator(flags.begin()),
                  std::make_move_iterator(flags.end()));
}

// The XML of a chart addition, its axis-id tokens given the chart's ids, as nodes to insert.
bool Addition(std::string text, const std::vector<std::string>& ids, unsigned long long largest,
              std::vector<Node>& nodes, std::string& error) {
  ReplaceAll(text, kPrimaryCategoryAxisId, ids[0]);
  ReplaceAll(text, kPrimaryValueAxisId, ids[1]);
  ReplaceAll(text, kSecondCategoryAxisId, std::to_string(largest + 1));
  ReplaceAll(text, kSecondValueAxisId, std::to_string(largest + 2));
  if (xml::ParseFragment(text, nodes, error)) return true;
  error = "an addition to the chart " + error;
  return false;
}

void Insert(std::vector<Node>& children, std::vector<Node>::iterator at, std::vector<Node> nodes) {
  children.insert(at, std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()));
}

bool EditChart(xml::Document& part, const ChartEdits& edits, std::string& error) {
  Node* chart = part.root.Child("c:chart");
  Node* plot_area = chart != nullptr ? chart->Child("c:plotArea") : nullptr;
  if (plot_area == nullptr) {
    error = "a chart part without a plot area";
    return false;
  }
  // Axis ids: the first group's pair, and two past the largest for a second axis pair.
  std::vector<std::string> ids;
  unsigned long long largest = 0;
  plot_area->ForEachElement([&](Node& element) {
    const std::string* id = element.Is("c:axId") ? element.Attribute("val") : nullptr;
    if (id == nullptr) return;
    unsigned long long value = 0;
    std::from_chars(id->data(), id->data() + id->size(), value);
    largest = std::max(largest, value);
    ids.push_back(*id);
  });
  if (ids.size() < 2) {
    error = "a chart part without axes";
    return false;
  }

  // libxlsxwriter names the bar markers "short_dash" and "long_dash", which DrawingML does not
  // know (readers refuse the chart); both are its "dash".
  part.root.ForEachElement([](Node& element) {
    const std::string* symbol = element.Is("c:symbol") ? element.Attribute("val") : nullptr;
    if (symbol != nullptr && (*symbol == "short_dash" || *symbol == "long_dash"))
      element.SetAttribute("val", "dash");
  });

  if (edits.plain_title)
    if (Node* title = chart->Child("c:title")) MakePlain(*title);
  for (const auto& [plain, id] : {std::pair{edits.plain_category_axis_title, ids[0]},
                                  std::pair{edits.plain_value_axis_title, ids[1]}}) {
    if (!plain) continue;
    if (Node* axis = AxisElement(*plot_area, id))
      if (Node* title = axis->Child("c:title")) MakePlain(*title);
  }

  plot_area->ForEachElement([](Node& element) {
    if (element.Is("c:dLbls")) CompleteDataLabelFlags(element);
  });

  // Series: the stand-in of an empty chart; X values an XY series was not given. Series are
  // counted over the chart groups in order.
  std::vector<std::pair<Node*, std::size_t>> series; // group, index among its children
  for (Node& group : plot_area->children)
    for (std::size_t i = 0; i < group.children.size(); ++i)
      if (group.children[i].Is("c:ser")) series.emplace_back(&group, i);
  if (edits.drop_series && !series.empty()) {
    auto& [group, index] = series.front();
    group->children.erase(group->children.begin() + static_cast<std::ptrdiff_t>(index));
    series.erase(series.begin());
    for (auto& [other, other_index] : series)
      if (other == group) --other_index;
  }
  for (const std::size_t index : edits.series_without_x) {
    if (index >= series.size()) continue;
    std::vector<Node>& children = series[index].first->children[series[index].second].children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [](const Node& node) { return node.Is("c:xVal"); }),
                   children.end());
  }

  // Groups after the first one, then their axes after the last axis of the plot area.
  std::vector<Node>& contents = plot_area->children;
  if (!edits.extra_groups.empty()) {
    std::vector<Node> groups;
    if (!Addition(edits.extra_groups, ids, largest, groups, error)) return false;
    const auto first_group = std::find_if(contents.begin(), contents.end(), [](const Node& node) {
      return node.kind == Node::Kind::Element && !node.Is("c:layout");
    });
    if (first_group == contents.end() || IsAxis(*first_group)) {
      error = "a chart part without a chart group";
      return false;
    }
    Insert(contents, first_group + 1, std::move(groups));
  }
  if (!edits.extra_axes.empty()) {
    std::vector<Node> axes;
    if (!Addition(edits.extra_axes, ids, largest, axes, error)) return false;
    const auto last_axis = std::find_if(contents.rbegin(), contents.rend(), IsAxis);
    if (last_axis == contents.rend()) {
      error = "a chart part without axes";
      return false;
    }
    Insert(contents, last_axis.base(), std::move(axes));
  }

  if (!edits.legend_shape.empty()) {
    if (Node* legend = chart->Child("c:legend")) {
      std::vector<Node> shape;
      if (!Addition(edits.legend_shape, ids, largest, shape, error)) return false;
      std::vector<Node>& entries = legend->children;
      const auto text = std::find_if(entries.begin(), entries.end(), [](const Node& node) {
        return node.Is("c:txPr") || node.Is("c:extLst");
      });
      Insert(entries, text, std::move(shape));
    }
  }
  return true;
}

// The error values a formula cell may stand for.
bool IsErrorCode(std::string_view text) {
  for (const std::string_view code :
       {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"})
    if (text == code) return true;
  return false;
}

// A cell libxlsxwriter could only write as the formula of its error value with that text as the
// result (<c t="str"><f>#N/A</f><v>#N/A</v></c>) becomes the error value itself.
void MakeErrorCell(Node& cell) {
  const std::string* type = cell.Attribute("t");
  if (type == nullptr || *type != "str" || cell.children.size() != 2) return;
  const Node& formula = cell.children[0];
  const Node& value = cell.children[1];
  if (!formula.Is("f") || !value.Is("v") || !formula.attributes.empty() ||
      !value.attributes.empty())
    return;
  const std::string code = formula.Text();
  if (!IsErrorCode(code) || value.Text() != code) return;
  cell.SetAttribute("t", "e");
  cell.children.erase(cell.children.begin());
}

// Rows as high as the Normal style's Arial 10 makes them, as Excel writes it, unless the sheet's
// default height was set.
void EditRowHeight(Node& format) {
  const std::string* height = format.Attribute("defaultRowHeight");
  if (height != nullptr && *height == "15" && format.Attribute("customHeight") == nullptr)
    format.SetAttribute("defaultRowHeight", "12.75");
}

void MarkBestFit(Node& columns, const std::vector<std::uint32_t>& best_fit_columns) {
  for (const std::uint32_t column : best_fit_columns) {
    const std::string number = std::to_string(column + 1);
    for (Node& col : columns.children) {
      const std::string *min = col.Attribute("min"), *max = col.Attribute("max");
      if (col.Is("col") && min != nullptr && max != nullptr && *min == number && *max == number) {
        col.SetAttribute("bestFit", "1", Node::At::Front);
        break;
      }
    }
  }
}

// The edits of a sheet's part, made as it streams: only the elements they change are held, a
// cell at a time for the error values. Each applies to the first such element, as a sheet
// holds one.
class SheetStreamEdits : public xml::StreamEdits {
public:
  explicit SheetStreamEdits(const SheetEdits& sheet) : sheet_(sheet) {}

  bool Hold(const std::vector<std::string>& open, std::string_view name,
            const char* const* attributes) override {
    if (open.empty()) return false;
    const bool worksheet = open[0] == "worksheet";
    if (open.size() == 1) {
      if (name == "sheetViews") ++views_;
      if (name == "sheetData") ++data_;
      if (worksheet && name == "sheetFormatPr") return ++formats_ == 1;
      if (worksheet && name == "cols") return ++columns_ == 1 && !sheet_.best_fit_columns.empty();
      return false;
    }
    if (open.size() == 2 && name == "sheetView" && open[1] == "sheetViews" && views_ == 1)
      return ++view_ == 1 && sheet_.zoom_to_fit;
    if (open.size() == 3 && name == "c" && worksheet && sheet_.has_errors &&
        open[1] == "sheetData" && data_ == 1) {
      for (; attributes[0] != nullptr; attributes += 2)
        if (std::string_view(attributes[0]) == "t") return std::string_view(attributes[1]) == "str";
    }
    return false;
  }

  // The elements edited come before the cells; the cells themselves only for error values.
  bool CopyRest(const std::vector<std::string>& open, std::string_view name) override {
    return open.size() == 1 && name == "sheetData" && !sheet_.has_errors;
  }

  void Edit(Node& element) override {
    if (element.Is("sheetFormatPr")) {
      EditRowHeight(element);
    } else if (element.Is("cols")) {
      MarkBestFit(element, sheet_.best_fit_columns);
    } else if (element.Is("sheetView")) {
      if (element.Attribute("zoomToFit") == nullptr)
        element.SetAttribute("zoomToFit", "1", Node::At::Front);
    } else if (element.Is("c")) {
      MakeErrorCell(element);
    }
  }

private:
  const SheetEdits& sheet_;
  int formats_ = 0, columns_ = 0, views_ = 0, view_ = 0, data_ = 0;
};

} // namespace

bool FinishPackage(const std::string& path, const std::vector<SheetEdits>& edits,
                   std::time_t created, std::string& error) {
  Package package;
  if (!package.Open(path, error)) return false;
  const std::string workbook_part = "xl/workbook.xml";
  xml::Document* workbook = package.Part(workbook_part);
  if (workbook == nullptr) {
    error = package.Missing("the written file has no workbook part");
    return false;
  }

  for (const SheetEdits& sheet : edits) {
    // The sheet's entry in the workbook, and through its relationship the sheet's part.
    Node* entry = nullptr;
    if (Node* sheets = workbook->root.Child("sheets")) {
      for (Node& candidate : sheets->children) {
        const std::string* name = candidate.Attribute("name");
        if (candidate.Is("sheet") && name != nullptr && *name == sheet.name) {
          entry = &candidate;
          break;
        }
      }
    }
    std::optional<std::string> part;
    if (entry != nullptr) {
      if (const std::string* id = entry->Attribute("r:id"))
        part = package.RelatedById(workbook_part, *id);
      if (sheet.very_hidden) {
        const std::string* state = entry->Attribute("state");
        if (state == nullptr || *state != "hidden") {
          error = "sheet '" + sheet.name + "' was not written hidden";
          return false;
        }
        entry->SetAttribute("state", "veryHidden");
      }
    }
    SheetStreamEdits sheet_edits(sheet);
    if (!part || !package.StreamPart(*part, sheet_edits, created)) {
      error = package.Missing("the written file has no part for sheet '" + sheet.name + "'");
      return false;
    }
    if (sheet.has_chart) {
      const auto drawing = package.Related(*part, "/drawing");
      const auto chart = drawing ? package.Related(*drawing, "/chart") : std::nullopt;
      xml::Document* chart_part = chart ? package.Part(*chart) : nullptr;
      if (chart_part == nullptr) {
        error = package.Missing("the written file has no chart for sheet '" + sheet.name + "'");
        return false;
      }
      if (!EditChart(*chart_part, sheet.chart, error)) {
        error = "sheet '" + sheet.name + "': " + error;
        return false;
      }
    }
  }

  // The Normal style's font, that of every cell without a format of its own: Arial 10.
  xml::Document* styles = package.Part("xl/styles.xml");
  if (styles == nullptr && !package.Missing("").empty()) {
    error = package.Missing("");
    return false;
  }
  if (Node* font = styles != nullptr ? styles->root.Find("fonts/font") : nullptr) {
    *font = Node::Element("font");
    font->children = {Node::Element("sz", {{"val", "10"}}),
                      Node::Element("name", {{"val", "Arial"}}),
                      Node::Element("family", {{"val", "2"}})};
  }
  return package.Save(created, error);
}

} // namespace kvhost::xlsx
