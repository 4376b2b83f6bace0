// The lean XML reader beside expat: what it reads to the end, expat reads to the same events;
// what it leaves, the worksheet reader reads again through expat from a clean start.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "io/xlsx_worksheet_reader.h"
#include "io/xml_lean.h"
#include "io/zip_xml.h"
#include "workbook_files.h"

using namespace kvhost;
using namespace kvhost::testing_books;

namespace {

// The events a handler is given, one a line; the pieces of one text joined, since expat and the
// lean reader cut text differently.
class Recorder final : public xlsx::XmlHandler {
public:
  void Start(std::string_view name, const char** attributes) override {
    std::string event = "<" + std::string(name);
    for (; attributes[0] != nullptr; attributes += 2)
      event += std::string(" ") + attributes[0] + "=[" + attributes[1] + "]";
    events_.push_back(event + ">");
  }
  void End(std::string_view name) override { events_.push_back("</" + std::string(name) + ">"); }
  void Text(std::string_view text) override {
    if (events_.empty() || events_.back().front() != 'T') events_.emplace_back("T");
    events_.back().append(text);
  }
  bool WantsText() const override { return true; }

  std::string Joined() const {
    std::string out;
    for (const std::string& event : events_)
      out += event + "\n";
    return out;
  }

private:
  std::vector<std::string> events_;
};

// Whether the lean reader reads `xml`, fed in pieces of `piece` bytes, to the end; its events
// in `log`.
bool Lean(const std::string& xml, std::size_t piece, std::string& log) {
  Recorder recorder;
  xlsx::LeanXmlReader reader(recorder);
  bool going = true;
  for (std::size_t at = 0; going && at < xml.size(); at += piece)
    going = reader.Feed(std::string_view(xml).substr(at, piece));
  if (going) reader.Feed({});
  log = recorder.Joined();
  return reader.Finished();
}

class LeanXml : public WorkbookFiles {
protected:
  // Whether expat takes `xml` (through ZipPackage::Parse); its events in `log`.
  bool Expat(const std::string& xml, std::string& log) {
    const std::string path = Package("part" + std::to_string(++parts_) + ".zip", {{"p.xml", xml}});
    std::string error;
    const auto package = xlsx::ZipPackage::Open(path, error);
    EXPECT_NE(package, nullptr) << error;
    if (package == nullptr) return false;
    Recorder recorder;
    const bool read = package->Parse("p.xml", recorder, error);
    log = recorder.Joined();
    std::filesystem::remove(path);
    return read;
  }

  // When the lean reader reads `xml` to the end in pieces of any size, expat reads it to the
  // same events. Whether it did.
  bool SameAsExpat(const std::string& xml) {
    std::string whole;
    const bool read = Lean(xml, xml.size() + 1, whole);
    for (const std::size_t piece : {1u, 2u, 3u, 5u, 8u, 64u}) {
      std::string log;
      EXPECT_EQ(Lean(xml, piece, log), read) << "pieces of " << piece << ":\n" << xml;
      if (read) {
        EXPECT_EQ(log, whole) << "pieces of " << piece << ":\n" << xml;
      }
    }
    if (!read) return false;
    std::string log;
    EXPECT_TRUE(Expat(xml, log)) << "read by the lean reader, refused by expat:\n" << xml;
    EXPECT_EQ(log, whole) << xml;
    return true;
  }

  int parts_ = 0;
};

const std::string kSheet =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<worksheet xmlns=\"main\" xmlns:r=\"rel\"><dimension ref=\"A1:C2\"/>"
    "<sheetData><row r=\"1\" spans=\"1:3\"><c r=\"A1\" s=\"1\" t=\"n\"><v>-0.0123</v></c>"
    "<c r='B1' t='inlineStr'><is><t xml:space=\"preserve\"> a &amp; b &lt;&gt; \"c\" 'd' "
    "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</t></is></c>"
    "<c r=\"C1\" t=\"str\"><f>\"x\"&amp;\"y\"</f><v>xy</v></c></row>\n"
    "  <row r=\"2\"><c r=\"A2\" t=\"b\"><v>1</v></c><c r=\"B2\" t=\"e\"><v>#N/A</v></c>"
    "<c r=\"C2\" note=\"&quot;&apos;&amp;&lt;&gt;\xC3\xA9 >\"/></row></sheetData>"
    "<pageMargins left=\"0.7\"\n right = '0.7'/></worksheet>\n";

} // namespace

TEST_F(LeanXml, ReadsTheShapeWritersGiveAsExpatDoes) {
  EXPECT_TRUE(SameAsExpat(kSheet));
  EXPECT_TRUE(SameAsExpat("<a/>"));
  EXPECT_TRUE(SameAsExpat("<?xml version='1.0'?><a:b x:y=\"1\"><c.d-e_f/></a:b>"));
  EXPECT_TRUE(SameAsExpat("<a>\t\n</a> \n"));
}

// Each of these is either no XML or XML outside the plain shape: the lean reader leaves it to
// expat.
TEST_F(LeanXml, LeavesEverythingElseToExpat) {
  for (const std::string xml : {"",
                                "<a>",
                                "<a></b>",
                                "<a/><b/>",
                                "text<a/>",
                                "<a/>text",
                                "<a x=\"1\" x=\"2\"/>",
                                "<a x=\"1\"y=\"2\"/>",
                                "<a x=1/>",
                                "<a>&nbsp;</a>",
                                "<a>&#65;</a>",
                                "<a>&amp</a>",
                                "<a><!-- note --></a>",
                                "<a><![CDATA[x]]></a>",
                                "<!DOCTYPE a><a/>",
                                "<a><?pi x?></a>",
                                " <?xml version=\"1.0\"?><a/>",
                                "<?xml version=\"1.1\"?><a/>",
                                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>",
                                "<a>\r\n</a>",
                                "<a x=\"1\t2\"/>",
                                "<a>\x01</a>",
                                "<a>]]></a>",
                                "<a>\xC3</a>",
                                "<a>\xC0\xA0</a>",
                                "<a>\xED\xA0\x80</a>",
                                "<a>\xEF\xBF\xBE</a>",
                                "<a>\xC2\x85</a>",
                                "<\xC3\xA9/>",
                                "<1a/>",
                                "<:a/>",
                                "<a></a >x",
                                "<a/ >",
                                "</a>"}) {
    std::string log;
    EXPECT_FALSE(Lean(xml, xml.size() + 1, log)) << xml;
    EXPECT_FALSE(Lean(xml, 1, log)) << xml;
  }
  // A tag longer than the lean reader takes, even one expat would read.
  const std::string long_tag =
      "<a x=\"" + std::string(xlsx::LeanXmlReader::kMaxTagBytes, 'x') + "\"/>";
  std::string log;
  EXPECT_FALSE(Lean(long_tag, 4096, log));
}

// Bytes changed, dropped and repeated in a worksheet: whatever the lean reader reads to the end,
// expat reads alike.
TEST_F(LeanXml, MutatedWorksheetsReadAsExpatReadsThem) {
  static constexpr char kBytes[] = "<>/=&;\"' \t\r\n:!?-xA1\xC3\xA9\x80\xEF\xBF\xBE\x01";
  std::mt19937 random(20261209);
  int read = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string xml = kSheet;
    const int changes = 1 + static_cast<int>(random() % 3);
    for (int change = 0; change < changes; ++change) {
      const std::size_t at = random() % xml.size();
      switch (random() % 4) {
      case 0: xml[at] = kBytes[random() % (sizeof kBytes - 1)]; break;
      case 1: xml.erase(at, 1 + random() % 8); break;
      case 2: xml.insert(at, 1, kBytes[random() % (sizeof kBytes - 1)]); break;
      case 3: xml.insert(at, xml.substr(at, 1 + random() % 12)); break;
      }
    }
    if (SameAsExpat(xml)) ++read;
  }
  // Most changes break the XML; those that do not (digits, names, values) are read.
  EXPECT_GT(read, 100);
}

// A worksheet the lean reader leaves half-way (a comment after cells) is read again from a
// clean start: no cell or text counted twice.
TEST_F(LeanXml, AWorksheetLeftHalfWayIsReadAgainFromTheStart) {
  const std::string data = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>seis b</t></is></c>"
                           "<c r=\"B1\"><v>2.5</v></c></row><!-- depois --><row r=\"2\">"
                           "<c r=\"A2\"><v>3</v></c></row>";
  const std::string path = Book({{"Dados", data, ""}});
  std::string error;
  const auto package = xlsx::ZipPackage::Open(path, error);
  ASSERT_NE(package, nullptr) << error;
  xlsx::WorkbookContext context;
  context.max_text_bytes = 10; // one read takes 6 bytes of it; two would overrun it
  Cells cells;
  ASSERT_TRUE(
      xlsx::ReadWorksheetPart(*package, "xl/worksheets/sheet1.xml", "Dados", context, cells, error))
      << error;
  EXPECT_EQ(context.text_bytes, 6u);
  EXPECT_EQ(cells.Get(0, 0), Value::Text("seis b"));
  EXPECT_EQ(cells.Get(0, 1), Value::Number(2.5));
  EXPECT_EQ(cells.Get(1, 0), Value::Number(3));
}

namespace {

// A sheet's values, in order, with their places.
std::vector<std::tuple<std::uint32_t, std::uint32_t, Value>> Values(const Cells& cells) {
  std::vector<std::tuple<std::uint32_t, std::uint32_t, Value>> out;
  cells.ForEachValue([&](std::uint32_t row, std::uint32_t column) {
    out.emplace_back(row, column, cells.Get(row, column));
  });
  return out;
}

} // namespace

// The worksheet reader takes the plain cells straight from the bytes. Each row here is read that
// way and, with a comment after it that sends the whole sheet to expat, through the elements'
// calls: the values, or the refusals, are the same.
TEST_F(LeanXml, CellsTakenStraightFromTheBytesReadAsThroughTheirElements) {
  const std::vector<std::string> references = {"A1",       "B2",    "XFD1048576", "XFE1", "A0",
                                               "A1048577", "AAAA1", "a1",         "A01",  "IV65536",
                                               "IW2",      "",      "1A"};
  const std::vector<std::string> styles = {"", "0", "12", "x", ""};
  const std::vector<std::string> types = {"", "n", "s", "b", "str", "N", ""};
  const std::vector<std::string> values = {"1.5",
                                           "-0.0123",
                                           "1E5000",
                                           "1e-400",
                                           "-1.797693134862316E+308",
                                           "1.7976931348623157e308",
                                           ".5",
                                           "5.",
                                           "+1",
                                           "00012",
                                           "1e",
                                           "--1",
                                           "",
                                           "0",
                                           "1",
                                           "2",
                                           "-1",
                                           "1e+2",
                                           "0.1234567890123456789",
                                           "9007199254740993",
                                           "4.9e-324"};
  std::mt19937 random(32);
  const auto pick = [&random](const std::vector<std::string>& from) {
    return from[random() % from.size()];
  };
  const auto cell = [&] {
    if (random() % 5 == 0) return "<c><v>" + pick(values) + "</v></c>"; // follows the one before
    const std::string style = pick(styles), type = pick(types);
    return "<c r=\"" + pick(references) + "\"" + (style.empty() ? "" : " s=\"" + style + "\"") +
           (type.empty() ? "" : " t=\"" + type + "\"") + "><v>" + pick(values) + "</v></c>";
  };
  const std::string shared = "<si><t>um</t></si><si><t>dois, mais longo</t></si>";
  int read = 0;
  for (int round = 0; round < 300; ++round) {
    std::string row = "<row r=\"2\">";
    for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n)
      row += cell();
    row += "</row>";
    const Grid grid = round % 2 == 0 ? kExcel12Grid : kExcel4Grid;
    const std::string plain = Book({{"Dados", row, ""}}, shared);
    const std::string other = Book({{"Dados", row + "<!-- expat -->", ""}}, shared);
    std::string plain_error, other_error;
    const auto plain_sheets = ReadDataFile(plain, plain_error, {}, grid);
    const auto other_sheets = ReadDataFile(other, other_error, {}, grid);
    ASSERT_EQ(plain_sheets.has_value(), other_sheets.has_value()) << row << "\n"
                                                                  << plain_error << "\n"
                                                                  << other_error;
    if (plain_sheets) {
      ++read;
      EXPECT_EQ(Values(plain_sheets->at(0).cells), Values(other_sheets->at(0).cells)) << row;
    } else {
      EXPECT_EQ(plain_error.substr(plain.size()), other_error.substr(other.size())) << row;
    }
  }
  EXPECT_GT(read, 30);
}
