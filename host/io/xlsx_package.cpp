// The package step: opens the file libxlsxwriter wrote and finishes, part by part, what it
// cannot write itself. The parts are found by following the package's relationships from the
// workbook, never by guessing libxlsxwriter's part names.
#include <zip.h>

#include <algorithm>
#include <charconv>
#include <map>

#include "deflated_source.h"
#include "xlsx_parts.h"

namespace kvhost::xlsx {
namespace {

using Span = std::pair<std::size_t, std::size_t>; // [begin, end) of an element in a part

// The element <tag ...>...</tag> (or <tag .../>) starting at or after `from`, before `limit`.
std::optional<Span> FindElement(const std::string& xml, std::string_view tag, std::size_t from = 0,
                                std::size_t limit = std::string::npos) {
  const std::string open = "<" + std::string(tag);
  for (std::size_t at = xml.find(open, from); at != std::string::npos && at < limit;
       at = xml.find(open, at + 1)) {
    const char next = at + open.size() < xml.size() ? xml[at + open.size()] : '\0';
    if (next != ' ' && next != '>' && next != '/') continue;
    const std::size_t close_of_open = xml.find('>', at);
    if (close_of_open == std::string::npos) return {};
    if (xml[close_of_open - 1] == '/') return Span{at, close_of_open + 1};
    const std::string close = "</" + std::string(tag) + ">";
    const std::size_t end = xml.find(close, close_of_open);
    if (end == std::string::npos) return {};
    return Span{at, end + close.size()};
  }
  return {};
}

std::optional<std::string> Attribute(std::string_view element, std::string_view name) {
  const std::string key = " " + std::string(name) + "=\"";
  const std::size_t at = element.find(key);
  if (at == std::string_view::npos) return {};
  const std::size_t begin = at + key.size();
  const std::size_t end = element.find('"', begin);
  if (end == std::string_view::npos) return {};
  std::string value(element.substr(begin, end - begin));
  // Unescape the entities an XML writer puts into attribute values.
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string plain;
  for (std::size_t i = 0; i < value.size();) {
    bool replaced = false;
    for (const auto& [entity, character] : kEntities) {
      if (value.compare(i, entity.size(), entity) == 0) {
        plain += character;
        i += entity.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) plain += value[i++];
  }
  return plain;
}

// A relationship's target as a part name, relative to the folder of `part`.
std::string ResolveTarget(std::string_view part, std::string_view target) {
  if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
  std::vector<std::string> path;
  const std::size_t slash = part.rfind('/');
  std::string_view folder = slash == std::string_view::npos ? "" : part.substr(0, slash);
  auto append = [&path](std::string_view segments) {
    while (!segments.empty()) {
      const std::size_t next = segments.find('/');
      const std::string_view segment = segments.substr(0, next);
      if (segment == "..") {
        if (!path.empty()) path.pop_back();
      } else if (!segment.empty() && segment != ".") {
        path.emplace_back(segment);
      }
      if (next == std::string_view::npos) break;
      segments.remove_prefix(next + 1);
    }
  };
  append(folder);
  append(target);
  std::string joined;
  for (const std::string& segment : path)
    joined += (joined.empty() ? "" : "/") + segment;
  return joined;
}

std::string RelationshipsPart(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder(slash == std::string_view::npos ? "" : part.substr(0, slash + 1));
  return folder + "_rels/" + std::string(part.substr(slash + 1)) + ".rels";
}

// The package, with the parts read so far and changed in memory until Save.
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

  // The part's text, to read or change; null when the package has no such part.
  std::string* Part(const std::string& name) {
    if (auto found = parts_.find(name); found != parts_.end()) return &found->second;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
      return nullptr;
    zip_file_t* file = zip_fopen(zip_, name.c_str(), 0);
    if (file == nullptr) return nullptr;
    std::string text(stat.size, '\0');
    const zip_int64_t read = zip_fread(file, text.data(), text.size());
    zip_fclose(file);
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) return nullptr;
    return &parts_.emplace(name, std::move(text)).first->second;
  }

  // The target of the first relationship of `part` whose type ends with `type`.
  std::optional<std::string> Related(const std::string& part, std::string_view type) {
    return FirstRelated(part, [&](std::string_view relationship) {
      const auto relation = Attribute(relationship, "Type");
      return relation && relation->ends_with(type);
    });
  }

  // The target of the relationship of `part` with this id.
  std::optional<std::string> RelatedById(const std::string& part, const std::string& id) {
    return FirstRelated(
        part, [&](std::string_view relationship) { return Attribute(relationship, "Id") == id; });
  }

  // Writes the parts back, stamped with `created`, and closes the package.
  bool Save(std::time_t created, std::string& error) {
    for (const auto& [name, text] : parts_) {
      std::string why;
      zip_source_t* source = DeflatedSource(zip_, text, why);
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
    if (zip_close(zip_) != 0) {
      error = std::string("cannot rewrite the written file: ") + zip_strerror(zip_);
      return false;
    }
    zip_ = nullptr;
    return true;
  }

private:
  // The target, resolved against `part`, of the first of its relationships (each a Relationship
  // element's text) that `matches`.
  template <class Match>
  std::optional<std::string> FirstRelated(const std::string& part, Match matches) {
    const std::string* rels = Part(RelationshipsPart(part));
    if (rels == nullptr) return {};
    for (auto element = FindElement(*rels, "Relationship"); element;
         element = FindElement(*rels, "Relationship", element->second)) {
      const std::string_view text(rels->data() + element->first, element->second - element->first);
      const auto target = Attribute(text, "Target");
      if (target && matches(text)) return ResolveTarget(part, *target);
    }
    return {};
  }

  zip_t* zip_ = nullptr;
  std::map<std::string, std::string> parts_; // kept alive until zip_close reads them
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Gives every run of text in [span) an explicit b="0", where it has no b of its own.
void MakePlain(std::string& xml, Span span) {
  for (const std::string_view tag : {"<a:defRPr", "<a:rPr"}) {
    for (std::size_t at = xml.find(tag, span.first); at != std::string::npos && at < span.second;
         at = xml.find(tag, at + 1)) {
      const std::size_t name_end = at + tag.size();
      if (name_end >= xml.size() ||
          (xml[name_end] != ' ' && xml[name_end] != '/' && xml[name_end] != '>'))
        continue;
      const std::size_t close = xml.find('>', name_end);
      if (xml.substr(name_end, close - name_end).find(" b=\"") != std::string::npos) continue;
      xml.insert(name_end, " b=\"0\"");
      span.second += 6;
    }
  }
}

// The axis element of `xml` whose id is `id`.
std::optional<Span> AxisElement(const std::string& xml, const std::string& id) {
  for (const std::string_view tag : {"c:catAx", "c:valAx", "c:dateAx", "c:serAx"}) {
    const std::string start = "<" + std::string(tag) + "><c:axId val=\"" + id + "\"/>";
    const std::size_t at = xml.find(start);
    if (at != std::string::npos) return FindElement(xml, tag, at);
  }
  return {};
}

// libxlsxwriter writes only the data-label flags that are set (a series labelled with its
// categories gets <c:showCatName val="1"/> alone). The schema wants all six, and readers differ
// on a missing one (LibreOffice shows the values of a file it does not take for Excel 2007's),
// so every label element gets the six, those not written set to 0, in the schema's order.
void CompleteDataLabelFlags(std::string& xml) {
  static constexpr std::string_view kFlags[] = {"c:showLegendKey", "c:showVal",
                                                "c:showCatName",   "c:showSerName",
                                                "c:showPercent",   "c:showBubbleSize"};
  for (auto labels = FindElement(xml, "c:dLbls"); labels;
       labels = FindElement(xml, "c:dLbls", labels->second)) {
    std::string flags;
    std::size_t insert_at = std::string::npos;
    for (const std::string_view flag : kFlags) {
      const auto found = FindElement(xml, flag, labels->first, labels->second);
      if (!found) {
        flags += "<" + std::string(flag) + " val=\"0\"/>";
        continue;
      }
      flags += xml.substr(found->first, found->second - found->first);
      insert_at = std::min(insert_at, found->first);
      xml.erase(found->first, found->second - found->first);
      labels->second -= found->second - found->first;
    }
    if (insert_at == std::string::npos) {
      // None written: after the formats and position, before the separator and leader lines.
      insert_at = labels->second - std::string_view("</c:dLbls>").size();
      for (const std::string_view later : {"c:separator", "c:showLeaderLines"})
        if (const auto found = FindElement(xml, later, labels->first, labels->second))
          insert_at = std::min(insert_at, found->first);
    }
    xml.insert(insert_at, flags);
    labels->second += flags.size();
  }
}

bool EditChart(std::string& xml, const ChartEdits& edits, std::string& error) {
  const auto plot_area = FindElement(xml, "c:plotArea");
  if (!plot_area) {
    error = "a chart part without a plot area";
    return false;
  }
  // Axis ids: the first group's pair, and two past the largest for a second axis pair.
  std::vector<std::string> ids;
  unsigned long long largest = 0;
  static constexpr std::string_view kAxisId = "<c:axId val=\"";
  for (std::size_t at = xml.find(kAxisId); at != std::string::npos;
       at = xml.find(kAxisId, at + 1)) {
    const std::size_t begin = at + kAxisId.size();
    const std::size_t end = xml.find('"', begin);
    unsigned long long value = 0;
    std::from_chars(xml.data() + begin, xml.data() + end, value);
    largest = std::max(largest, value);
    ids.push_back(xml.substr(begin, end - begin));
  }
  if (ids.size() < 2) {
    error = "a chart part without axes";
    return false;
  }
  auto with_ids = [&](std::string text) {
    ReplaceAll(text, kPrimaryCategoryAxisId, ids[0]);
    ReplaceAll(text, kPrimaryValueAxisId, ids[1]);
    ReplaceAll(text, kSecondCategoryAxisId, std::to_string(largest + 1));
    ReplaceAll(text, kSecondValueAxisId, std::to_string(largest + 2));
    return text;
  };

  // libxlsxwriter names the bar markers "short_dash" and "long_dash", which DrawingML does not
  // know (readers refuse the chart); both are its "dash".
  ReplaceAll(xml, "<c:symbol val=\"short_dash\"/>", "<c:symbol val=\"dash\"/>");
  ReplaceAll(xml, "<c:symbol val=\"long_dash\"/>", "<c:symbol val=\"dash\"/>");

  // Titles before the insertions below, which would move the elements found here.
  if (edits.plain_title) {
    const auto title = FindElement(xml, "c:title", 0, plot_area->first);
    if (title) MakePlain(xml, *title);
  }
  for (const auto& [plain, id] : {std::pair{edits.plain_category_axis_title, ids[0]},
                                  std::pair{edits.plain_value_axis_title, ids[1]}}) {
    if (!plain) continue;
    if (const auto axis = AxisElement(xml, id))
      if (const auto title = FindElement(xml, "c:title", axis->first, axis->second))
        MakePlain(xml, *title);
  }

  CompleteDataLabelFlags(xml);

  // Series: the stand-in of an empty chart; X values an XY series was not given.
  if (edits.drop_series) {
    if (const auto series = FindElement(xml, "c:ser"))
      xml.erase(series->first, series->second - series->first);
  }
  std::vector<std::size_t> without_x = edits.series_without_x;
  std::sort(without_x.rbegin(), without_x.rend());
  for (const std::size_t index : without_x) {
    std::optional<Span> series = FindElement(xml, "c:ser");
    for (std::size_t i = 0; series && i < index; ++i)
      series = FindElement(xml, "c:ser", series->second);
    if (!series) continue;
    if (const auto x = FindElement(xml, "c:xVal", series->first, series->second))
      xml.erase(x->first, x->second - x->first);
  }

  // Groups after the first one, then their axes after the last axis of the plot area.
  if (!edits.extra_groups.empty()) {
    const auto area = FindElement(xml, "c:plotArea");
    std::size_t at = xml.find('>', area->first) + 1;
    if (const auto layout = FindElement(xml, "c:layout", at); layout && layout->first == at)
      at = layout->second;
    const std::size_t name_end = xml.find_first_of(" >/", at + 1);
    const auto first_group = FindElement(xml, xml.substr(at + 1, name_end - at - 1), at);
    if (!first_group) {
      error = "a chart part without a chart group";
      return false;
    }
    xml.insert(first_group->second, with_ids(edits.extra_groups));
  }
  if (!edits.extra_axes.empty()) {
    const auto area = FindElement(xml, "c:plotArea");
    std::size_t last_axis_end = 0;
    for (const std::string_view tag : {"c:catAx", "c:valAx", "c:dateAx", "c:serAx"}) {
      for (auto axis = FindElement(xml, tag, area->first, area->second); axis;
           axis = FindElement(xml, tag, axis->second, area->second))
        last_axis_end = std::max(last_axis_end, axis->second);
    }
    if (last_axis_end == 0) {
      error = "a chart part without axes";
      return false;
    }
    xml.insert(last_axis_end, with_ids(edits.extra_axes));
  }

  if (!edits.legend_shape.empty()) {
    if (const auto legend = FindElement(xml, "c:legend")) {
      const auto text = FindElement(xml, "c:txPr", legend->first, legend->second);
      xml.insert(text ? text->first : legend->second - std::string_view("</c:legend>").size(),
                 edits.legend_shape);
    }
  }
  return true;
}

} // namespace

bool FinishPackage(const std::string& path, const std::vector<SheetEdits>& edits,
                   std::time_t created, std::string& error) {
  Package package;
  if (!package.Open(path, error)) return false;
  const std::string workbook_part = "xl/workbook.xml";
  std::string* workbook = package.Part(workbook_part);
  if (workbook == nullptr) {
    error = "the written file has no workbook part";
    return false;
  }

  for (const SheetEdits& sheet : edits) {
    // The sheet's entry in the workbook, and through its relationship the sheet's part.
    std::optional<Span> entry;
    for (entry = FindElement(*workbook, "sheet"); entry;
         entry = FindElement(*workbook, "sheet", entry->second)) {
      const std::string_view text(workbook->data() + entry->first, entry->second - entry->first);
      if (Attribute(text, "name") == sheet.name) break;
    }
    std::optional<std::string> part;
    if (entry) {
      const std::string text = workbook->substr(entry->first, entry->second - entry->first);
      if (const auto id = Attribute(text, "r:id")) part = package.RelatedById(workbook_part, *id);
      if (sheet.very_hidden) {
        const std::size_t state = workbook->find(" state=\"hidden\"", entry->first);
        if (state == std::string::npos || state > entry->second) {
          error = "sheet '" + sheet.name + "' was not written hidden";
          return false;
        }
        workbook->replace(state, 15, " state=\"veryHidden\"");
      }
    }
    std::string* xml = part ? package.Part(*part) : nullptr;
    if (xml == nullptr) {
      error = "the written file has no part for sheet '" + sheet.name + "'";
      return false;
    }

    if (xml->find("<worksheet") != std::string::npos) {
      // Rows as high as the Normal style's Arial 10 makes them, as Excel writes it.
      ReplaceAll(*xml, "<sheetFormatPr defaultRowHeight=\"15\"/>",
                 "<sheetFormatPr defaultRowHeight=\"12.75\"/>");
      for (const std::uint32_t column : sheet.best_fit_columns) {
        const std::string number = std::to_string(column + 1);
        const std::string col = "<col min=\"" + number + "\" max=\"" + number + "\" ";
        if (const std::size_t at = xml->find(col); at != std::string::npos)
          xml->insert(at + 5, "bestFit=\"1\" ");
      }
      if (sheet.has_errors) {
        for (const char* name :
             {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"}) {
          const std::string code(name);
          ReplaceAll(*xml, " t=\"str\"><f>" + code + "</f><v>" + code + "</v></c>",
                     " t=\"e\"><v>" + code + "</v></c>");
        }
      }
    }
    if (sheet.zoom_to_fit) {
      const std::size_t view = xml->find("<sheetView ");
      if (view != std::string::npos && xml->find("zoomToFit", view) == std::string::npos)
        xml->insert(view + 11, "zoomToFit=\"1\" ");
    }
    if (sheet.has_chart) {
      const auto drawing = package.Related(*part, "/drawing");
      const auto chart = drawing ? package.Related(*drawing, "/chart") : std::nullopt;
      std::string* chart_xml = chart ? package.Part(*chart) : nullptr;
      if (chart_xml == nullptr) {
        error = "the written file has no chart for sheet '" + sheet.name + "'";
        return false;
      }
      if (!EditChart(*chart_xml, sheet.chart, error)) {
        error = "sheet '" + sheet.name + "': " + error;
        return false;
      }
    }
  }

  // The Normal style's font, that of every cell without a format of its own: Arial 10.
  if (std::string* styles = package.Part("xl/styles.xml")) {
    const auto fonts = FindElement(*styles, "fonts");
    const auto first =
        fonts ? FindElement(*styles, "font", fonts->first, fonts->second) : std::nullopt;
    if (first)
      styles->replace(first->first, first->second - first->first,
                      "<font><sz val=\"10\"/><name val=\"Arial\"/><family val=\"2\"/></font>");
  }
  return package.Save(created, error);
}

} // namespace kvhost::xlsx
