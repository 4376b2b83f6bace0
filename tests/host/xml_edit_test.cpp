// The XML tree the package step edits parts with: what it reads it writes back unchanged, the
// entities come and go where they must, edits land where asked, and broken parts are refused.
#include <gtest/gtest.h>

#include <string>

#include "io/xml_edit.h"

namespace xml = kvhost::xlsx::xml;
using xml::Node;

namespace {

// A chart part as libxlsxwriter writes one, with a title and a reference holding every
// character XML escapes, accents, and both ways of writing an empty element.
const std::string kChart =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<c:chart><c:title><c:tx><c:rich><a:p><a:r><a:rPr lang=\"pt-BR\" sz=\"1000\"/>"
    "<a:t>Título &amp; &lt;b&gt; \"q\" 'a' /&gt; ç</a:t></a:r></a:p></c:rich></c:tx>"
    "<c:layout/></c:title><c:plotArea><c:scatterChart><c:ser><c:tx><c:v>Série</c:v></c:tx>"
    "<c:yVal><c:numRef><c:f>'Dá&lt;ta&gt;&amp;\"x\"'!$A$1:$A$2</c:f></c:numRef></c:yVal>"
    "</c:ser><c:axId val=\"1\"/></c:scatterChart><c:valAx><c:axId val=\"1\"/>"
    "<c:numFmt formatCode=\"[&gt;=1]0&quot; /&gt;&quot;;&quot;&lt;&quot;0\" sourceLinked=\"0\"/>"
    "<c:txPr></c:txPr></c:valAx></c:plotArea></c:chart></c:chartSpace>\n";

xml::Document Parsed(const std::string& text) {
  xml::Document document;
  std::string error;
  EXPECT_TRUE(xml::Parse(text, document, error)) << error;
  return document;
}

} // namespace

TEST(XmlEdit, PartsComeBackByteForByte) {
  const xml::Document chart = Parsed(kChart);
  EXPECT_EQ(chart.prolog, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
  EXPECT_EQ(chart.root.name, "c:chartSpace") << "names keep their prefixes";
  ASSERT_EQ(chart.root.attributes.size(), 3u);
  EXPECT_EQ(chart.root.attributes[1].first, "xmlns:a") << "declarations stay attributes, in order";
  EXPECT_EQ(xml::Write(chart), kChart);

  // What libxlsxwriter does not write comes back as well: comments, instructions, CDATA,
  // whitespace between elements, content after the root.
  const std::string other = "<?xml version=\"1.0\"?><!-- a --><r a=\"1\">\n  <x:y/><?pi data?>"
                            "<![CDATA[<not & markup>]]><!--b--> t </r>\n<!-- c -->";
  EXPECT_EQ(xml::Write(Parsed(other)), other);
}

TEST(XmlEdit, EntitiesAreReadAndWrittenWhereTheyMust) {
  xml::Document chart = Parsed(kChart);
  Node* title = chart.root.Find("c:chart/c:title/c:tx/c:rich/a:p/a:r/a:t");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->Text(), "Título & <b> \"q\" 'a' /> ç");
  Node* format = chart.root.Find("c:chart/c:plotArea/c:valAx/c:numFmt");
  ASSERT_NE(format, nullptr);
  ASSERT_NE(format->Attribute("formatCode"), nullptr);
  EXPECT_EQ(*format->Attribute("formatCode"), "[>=1]0\" />\";\"<\"0");

  // Other spellings read the same, and are written the one way. Line breaks and tabs in an
  // attribute stay characters references (written raw they would read back as spaces), and so
  // does a carriage return anywhere.
  const xml::Document spelled =
      Parsed("<r v='&apos;&#x41;&#66;\"&#10;&#9;&#13;x'>&#x3C;&#13;&#62;'&quot;</r>");
  ASSERT_NE(spelled.root.Attribute("v"), nullptr);
  EXPECT_EQ(*spelled.root.Attribute("v"), "'AB\"\n\t\rx");
  EXPECT_EQ(spelled.root.Text(), "<\r>'\"");
  const std::string written = xml::Write(spelled);
  EXPECT_EQ(written, "<r v=\"'AB&quot;&#xA;&#x9;&#xD;x\">&lt;&#xD;&gt;'\"</r>");
  const xml::Document again = Parsed(written);
  EXPECT_EQ(*again.root.Attribute("v"), *spelled.root.Attribute("v"));
  EXPECT_EQ(again.root.Text(), spelled.root.Text());

  // A CDATA section holding its own end is split, not cut short.
  Node cdata;
  cdata.kind = Node::Kind::Cdata;
  cdata.text = "a]]>b";
  Node holder = Node::Element("r");
  holder.children.push_back(cdata);
  std::string out;
  xml::Write(holder, out);
  EXPECT_EQ(Parsed(out).root.Text(), "a]]>b") << out;
}

TEST(XmlEdit, EditsLandWhereAsked) {
  xml::Document chart = Parsed(kChart);
  Node* run = chart.root.Find("c:chart/c:title/c:tx/c:rich/a:p/a:r/a:rPr");
  ASSERT_NE(run, nullptr);
  run->SetAttribute("b", "0", Node::At::Front);
  run->SetAttribute("lang", "en-US");
  run->SetAttribute("baseline", "0");
  EXPECT_EQ(chart.root.Find("c:chart/c:tx"), nullptr) << "no element named by a prefix of another";
  EXPECT_EQ(chart.root.Find("c:chart/c:plotArea/c:valAx/c:tx"), nullptr);
  Node* axis = chart.root.Find("c:chart/c:plotArea/c:valAx");
  ASSERT_NE(axis, nullptr);
  axis->children.erase(axis->children.begin() + 1); // the number format
  std::vector<Node> added;
  std::string error;
  ASSERT_TRUE(xml::ParseFragment("<c:delete val=\"0\"/><c:axPos val=\"l\"/>", added, error))
      << error;
  axis->children.insert(axis->children.begin() + 1, added.begin(), added.end());
  std::size_t series = 0;
  chart.root.ForEachElement([&](Node& element) { series += element.Is("c:ser"); });
  EXPECT_EQ(series, 1u);

  std::string expected = kChart;
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"<a:rPr lang=\"pt-BR\" sz=\"1000\"/>",
                                            "<a:rPr b=\"0\" lang=\"en-US\" sz=\"1000\" "
                                            "baseline=\"0\"/>"},
        {"<c:numFmt formatCode=\"[&gt;=1]0&quot; /&gt;&quot;;&quot;&lt;&quot;0\" "
         "sourceLinked=\"0\"/>",
         "<c:delete val=\"0\"/><c:axPos val=\"l\"/>"}})
    expected.replace(expected.find(from), from.size(), to);
  EXPECT_EQ(xml::Write(chart), expected);
}

TEST(XmlEdit, BrokenPartsAreRefusedInOneLine) {
  std::string nested;
  for (int i = 0; i < 300; ++i)
    nested += "<a>";
  for (int i = 0; i < 300; ++i)
    nested += "</a>";
  for (const auto& [text, reason] : std::initializer_list<std::pair<std::string, std::string>>{
           {"", "is not well-formed XML (line 1): no element found"},
           {"<a><b></a>", "is not well-formed XML (line 1): mismatched tag"},
           {"<a>\n<b x=\"1\" x=\"2\"/></a>",
            "is not well-formed XML (line 2): duplicate attribute"},
           {"<a v=\"<\"/>", "is not well-formed XML (line 1): not well-formed (invalid token)"},
           {"<a>&nbsp;</a>", "is not well-formed XML (line 1): undefined entity"},
           {"<a/><b/>", "is not well-formed XML (line 1): junk after document element"},
           {"<a>\xff</a>", "is not well-formed XML (line 1): not well-formed (invalid token)"},
           {"<!DOCTYPE a [<!ENTITY e \"eeee\">]><a>&e;</a>",
            "declares a document type, which no workbook part does"},
           {nested, "nests elements deeper than 256 levels"}}) {
    xml::Document document;
    std::string error;
    EXPECT_FALSE(xml::Parse(text, document, error)) << text;
    EXPECT_EQ(error, reason) << text.substr(0, 40);
  }
  std::vector<Node> nodes;
  std::string error;
  EXPECT_FALSE(xml::ParseFragment("<a/></fragment><fragment>", nodes, error));
  EXPECT_FALSE(xml::ParseFragment("<a>", nodes, error));
  EXPECT_TRUE(xml::ParseFragment("text <a/> more", nodes, error)) << error;
  EXPECT_EQ(nodes.size(), 3u);
}
