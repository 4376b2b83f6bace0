// A part's XML as a small tree, to change and write back: what the package step uses to finish
// the parts libxlsxwriter wrote. Names are kept as written, prefixes included ("c:title"), and
// namespace declarations stay attributes among the others, in their order: nothing is resolved,
// so a part written back unchanged reads as it did. The writer follows libxlsxwriter's style
// (double quotes, <x/> for an element written empty, the same entities), so that a part it
// wrote comes back byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvhost::xlsx::xml {

struct Node {
  enum class Kind : std::uint8_t { Element, Text, Cdata, Comment, Instruction };

  Kind kind = Kind::Element;
  // An element without children is written <x/>, unless it was read as <x></x>.
  bool empty_tag = true;
  std::string name; // an element's name as written; an instruction's target
  std::string text; // the characters of text, CDATA, a comment or an instruction's data
  std::vector<std::pair<std::string, std::string>> attributes; // in order, as written
  std::vector<Node> children;

  static Node Element(std::string name,
                      std::vector<std::pair<std::string, std::string>> attributes = {});

  bool Is(std::string_view element) const { return kind == Kind::Element && name == element; }
  // The value of the attribute written `attribute` ("r:id"); null when it has none.
  const std::string* Attribute(std::string_view attribute) const;
  enum class At { End, Front };
  // Gives the attribute its value where it stands, or adds it at the end or the front.
  void SetAttribute(std::string_view attribute, std::string value, At at = At::End);
  // The first child element named `element`; null when there is none.
  Node* Child(std::string_view element);
  const Node* Child(std::string_view element) const;
  // The element reached through the child elements named by `path` ("c:chart/c:plotArea").
  Node* Find(std::string_view path);
  // The character data of the element's text and CDATA children, joined.
  std::string Text() const;
  // Calls `visit` on every element below this one, in document order.
  void ForEachElement(const std::function<void(Node&)>& visit);
};

struct Document {
  std::string prolog; // everything before the root element, as written: the XML declaration
  Node root;
  std::string epilog; // whatever follows the root element, as written
};

// Elements may nest this deep; the parts never come close.
inline constexpr std::size_t kMaxDepth = 256;

// Reads a part. False when it is not well-formed XML (UTF-8), nests beyond kMaxDepth or declares
// a document type (no workbook part does; entity tricks live there), with the reason in `error`
// as one line to follow the part's name: "is not well-formed XML (line 3): mismatched tag".
// Character data as the parser hands it over, in pieces: joined to the last of `siblings` when
// that is text of the same kind (text or CDATA), else a node of its own is returned to be added.
std::optional<Node> JoinText(std::vector<Node>& siblings, bool cdata, std::string_view piece);

bool Parse(std::string_view xml, Document& document, std::string& error);
// Reads a piece of content: elements and text with no single root, as inserted into a part.
bool ParseFragment(std::string_view xml, std::vector<Node>& nodes, std::string& error);

std::string Write(const Document& document);
void Write(const Node& node, std::string& out);

// The writer's pieces, shared with the streaming pass (xml_stream.h) so that both write alike.
// Text with the entities it needs, as character data or as an attribute's value in double quotes.
void Escape(std::string_view text, bool attribute, std::string& out);
// `text` as CDATA: one section, split where "]]>" would end it early.
void WriteCdata(std::string_view text, std::string& out);
// A comment, or a processing instruction with its target.
void WriteComment(std::string_view text, std::string& out);
void WriteInstruction(std::string_view target, std::string_view text, std::string& out);
// "<name a=\"v\"..." without the tag's end.
void WriteStartTag(std::string_view name,
                   const std::vector<std::pair<std::string, std::string>>& attributes,
                   std::string& out);
// The same from expat's list of names and values, which ends with a null.
void WriteStartTag(std::string_view name, const char* const* attributes, std::string& out);

} // namespace kvhost::xlsx::xml
