// The streaming pass the package step rewrites sheets with: it writes what the tree writes,
// however the part is cut into pieces, edits only what it holds, refuses what the tree refuses,
// and hands on what it writes as it goes rather than at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "io/xml_edit.h"
#include "io/xml_stream.h"

namespace xml = kvhost::xlsx::xml;
using xml::Node;

namespace {

// A sheet with what a part can hold: a prolog and epilog with comments, entities in text and
// attributes, both ways of writing an empty element, CDATA holding "]]>", a comment and an
// instruction inside, a carriage return, accents.
const std::string kSheet =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<!-- before -->\n"
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<sheetViews><sheetView workbookViewId=\"0\"></sheetView></sheetViews>"
    "<sheetFormatPr defaultRowHeight=\"15\"/><cols><col min=\"1\" max=\"1\" width=\"9\"/></cols>"
    "<sheetData><row r=\"1\"><c r=\"A1\" t=\"str\"><f>#N/A</f><v>#N/A</v></c>"
    "<c r=\"B1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">Dá&lt;ta&gt; &amp; \"q\" 'a' ç\r\n"
    "</t></is></c><c r=\"C1\" t=\"str\"><f>A1&amp;\"x\"</f><v>x</v></c></row>"
    "<row r=\"2\"><c r=\"A2\"><v>1.5</v></c><!-- a note --><?kv keep?><?bare?>"
    "<x a=\"&quot;&lt;&amp;&#xA;&#x9;&#xD;\"><![CDATA[one ]]]]><![CDATA[> two]]><![CDATA[]]>"
    "</x></row></sheetData></worksheet>\n<!-- after -->\n";

// Holds the cells written as text formulas, and whatever `hold` names at the second level.
class Edits : public xml::StreamEdits {
public:
  explicit Edits(std::string hold = "") : hold_(std::move(hold)) {}
  bool Hold(const std::vector<std::string>& open, std::string_view name,
            const char* const* attributes) override {
    if (open.size() == 1 && name == hold_) return true;
    if (open.size() != 3 || name != "c") return false;
    for (; attributes[0] != nullptr; attributes += 2)
      if (std::string_view(attributes[0]) == "t") return std::string_view(attributes[1]) == "str";
    return false;
  }
  void Edit(Node& element) override {
    ++edited;
    element.SetAttribute("edited", "1", Node::At::Front);
  }
  int edited = 0;

private:
  std::string hold_;
};

struct Streamed {
  bool ok = false;
  std::string out, error;
  std::size_t largest_piece = 0, pieces = 0;
};

Streamed StreamText(const std::string& text, xml::StreamEdits& edits, std::size_t chunk) {
  Streamed result;
  std::size_t at = 0;
  result.ok = xml::Stream(
      [&](char* buffer, std::size_t size) -> long long {
        const std::size_t n = std::min(size, text.size() - at);
        std::copy_n(text.data() + at, n, buffer);
        at += n;
        return static_cast<long long>(n);
      },
      edits,
      [&](std::string_view piece) {
        result.out += piece;
        result.largest_piece = std::max(result.largest_piece, piece.size());
        ++result.pieces;
        return true;
      },
      result.error, chunk);
  return result;
}

// What the tree makes of `text`, with `edit` applied to the elements `Edits` would hold.
// (cells only outside a held element).
std::string TreeWritten(const std::string& text, const std::string& hold = "", bool cells = true) {
  xml::Document document;
  std::string error;
  EXPECT_TRUE(xml::Parse(text, document, error)) << error;
  document.root.ForEachElement([&](Node& element) {
    const std::string* type = element.Attribute("t");
    if ((cells && element.Is("c") && type != nullptr && *type == "str") || element.Is(hold))
      element.SetAttribute("edited", "1", Node::At::Front);
  });
  return xml::Write(document);
}

} // namespace

TEST(XmlStream, WritesWhatTheTreeWritesHoweverThePartIsCut) {
  const std::string untouched = TreeWritten(kSheet, "none");
  ASSERT_NE(untouched.find("edited"), std::string::npos);
  for (const std::size_t chunk : {1, 2, 3, 7, 64, 1 << 16}) {
    SCOPED_TRACE(chunk);
    Edits cells;
    const Streamed cells_edited = StreamText(kSheet, cells, chunk);
    ASSERT_TRUE(cells_edited.ok) << cells_edited.error;
    EXPECT_EQ(cells_edited.out, untouched);
    EXPECT_EQ(cells.edited, 2);
    // A held element with elements, text and empty ones inside comes back as the tree has it.
    for (const std::string held : {"sheetViews", "sheetFormatPr", "sheetData"}) {
      Edits more(held);
      const Streamed streamed = StreamText(kSheet, more, chunk);
      ASSERT_TRUE(streamed.ok) << streamed.error;
      EXPECT_EQ(streamed.out, TreeWritten(kSheet, held, held != "sheetData")) << held;
    }
  }
  // Nothing held: the part as the tree writes it back unchanged.
  class None : public xml::StreamEdits {
    bool Hold(const std::vector<std::string>&, std::string_view, const char* const*) override {
      return false;
    }
    void Edit(Node&) override {}
  } none;
  xml::Document document;
  std::string error;
  ASSERT_TRUE(xml::Parse(kSheet, document, error));
  EXPECT_EQ(StreamText(kSheet, none, 5).out, xml::Write(document));
  EXPECT_EQ(StreamText("<a/>", none, 1).out, "<a/>");
  EXPECT_EQ(StreamText("<a></a>  ", none, 1).out, "<a></a>  ");
}

TEST(XmlStream, RefusesWhatTheTreeRefuses) {
  std::string nested;
  for (int i = 0; i < 300; ++i)
    nested += "<a>";
  for (int i = 0; i < 300; ++i)
    nested += "</a>";
  for (const std::string& bad :
       {std::string("<a><b></a>"), std::string("<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>"),
        std::string("<a>&undefined;</a>"), std::string(""), std::string("<a/><b/>"),
        std::string("<a>\xff</a>"), nested}) {
    SCOPED_TRACE(bad.substr(0, 40));
    xml::Document document;
    std::string tree_error;
    EXPECT_FALSE(xml::Parse(bad, document, tree_error));
    Edits edits;
    const Streamed streamed = StreamText(bad, edits, 1 << 16);
    EXPECT_FALSE(streamed.ok);
    EXPECT_EQ(streamed.error, tree_error);
  }
  // A writer that gives up stops the pass.
  Edits edits;
  std::string error;
  EXPECT_FALSE(xml::Stream([](char*, std::size_t) -> long long { return -1; }, edits,
                           [](std::string_view) { return true; }, error));
  EXPECT_EQ(error, "cannot be read");
  bool first = true;
  std::size_t at = 0;
  const std::string big = "<a>" + std::string(1 << 18, 'x') + "</a>";
  EXPECT_FALSE(xml::Stream(
      [&](char* buffer, std::size_t size) -> long long {
        const std::size_t n = std::min(size, big.size() - at);
        std::copy_n(big.data() + at, n, buffer);
        at += n;
        return static_cast<long long>(n);
      },
      edits, [&](std::string_view) { return std::exchange(first, false); }, error));
  EXPECT_EQ(error, "cannot be written back");
}

// A sheet of 200,000 cells goes through in pieces of bounded size, never whole.
TEST(XmlStream, HandsOnWhatItWritesAsItGoes) {
  std::string sheet = "<worksheet><sheetData>";
  for (int row = 1; row <= 20000; ++row) {
    sheet += "<row r=\"" + std::to_string(row) + "\">";
    for (int column = 0; column < 10; ++column)
      sheet += column == 3 ? "<c t=\"str\"><f>#DIV/0!</f><v>#DIV/0!</v></c>" : "<c><v>0.25</v></c>";
    sheet += "</row>";
  }
  sheet += "</sheetData></worksheet>";
  Edits edits;
  const Streamed streamed = StreamText(sheet, edits, 1 << 16);
  ASSERT_TRUE(streamed.ok) << streamed.error;
  EXPECT_EQ(edits.edited, 20000);
  EXPECT_EQ(streamed.out, TreeWritten(sheet));
  EXPECT_GT(streamed.pieces, sheet.size() / (1 << 17));
  EXPECT_LT(streamed.largest_piece, std::size_t{1} << 17);
}

// From the element CopyRest names on, the part is copied as it is, spelled as it was and
// unread; what comes before is still edited. When that element's tag began in an earlier piece
// the pass reads on instead, as the tree writes it.
TEST(XmlStream, CopiesTheRestAsItIsFromTheElementNamed) {
  class Copying : public Edits {
  public:
    Copying() : Edits("sheetFormatPr") {}
    bool CopyRest(const std::vector<std::string>& open, std::string_view name) override {
      return open.size() == 1 && name == "sheetData";
    }
  };
  const std::string head = "<worksheet><sheetFormatPr defaultRowHeight=\"15\"/>";
  const std::string rest =
      "<sheetData ><row r='1'><c r=\"A1\" t=\"str\"><f>#N/A</f><v>#N/A</v></c></row>"
      "</sheetData></worksheet>\n<!-- after -->";
  const std::string edited_head =
      "<worksheet><sheetFormatPr edited=\"1\" defaultRowHeight=\"15\"/>";
  Copying whole;
  const Streamed copied = StreamText(head + rest, whole, 1 << 16);
  ASSERT_TRUE(copied.ok) << copied.error;
  EXPECT_EQ(copied.out, edited_head + rest);
  EXPECT_EQ(whole.edited, 1) << "the cell after the copy is not held";

  // Cut just inside the tag: read on, the tree's way, the cell held and edited as well.
  Copying cut;
  const Streamed read_on = StreamText(head + rest, cut, head.size() + 3);
  ASSERT_TRUE(read_on.ok) << read_on.error;
  EXPECT_EQ(read_on.out, TreeWritten(head + rest, "sheetFormatPr"));
  EXPECT_EQ(cut.edited, 2);

  // Cut right before the tag: copied, however small the pieces after it.
  for (const std::size_t chunk : {head.size(), head.size() / 2}) {
    Copying small;
    const Streamed streamed = StreamText(head + rest, small, chunk);
    ASSERT_TRUE(streamed.ok) << streamed.error;
    EXPECT_EQ(streamed.out, edited_head + rest) << chunk;
  }
  // What comes after is not read: a copied rest that is no XML goes through.
  Copying unread;
  EXPECT_EQ(StreamText(head + "<sheetData><</sheetData>", unread, 1 << 16).out,
            edited_head + "<sheetData><</sheetData>");
}
