#include "xml_edit.h"

#include <expat.h>

#include <climits>
#include <memory>

namespace kvhost::xlsx::xml {
namespace {

struct ParserFree {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// What the handlers build while expat reads.
struct Builder {
  XML_Parser parser;
  std::string_view xml;
  Document& document;
  std::vector<Node*> open; // the elements being read, the innermost last
  bool in_cdata = false;
  std::size_t root_start_end = 0; // where the root's start tag ends
  std::string refusal;            // why the reading stopped, when expat itself did not fail

  void Stop(std::string why) {
    if (refusal.empty()) refusal = std::move(why);
    XML_StopParser(parser, XML_FALSE);
  }
  // Where the current event's bytes lie in `xml`.
  std::size_t EventStart() const {
    return static_cast<std::size_t>(XML_GetCurrentByteIndex(parser));
  }
  std::size_t EventEnd() const {
    return EventStart() + static_cast<std::size_t>(XML_GetCurrentByteCount(parser));
  }
  // A child of the innermost open element; null outside the root.
  Node* Add(Node node) {
    if (open.empty()) return nullptr;
    open.back()->children.push_back(std::move(node));
    return &open.back()->children.back();
  }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& b = *static_cast<Builder*>(data);
  if (!b.refusal.empty()) return;
  if (b.open.size() >= kMaxDepth) {
    b.Stop("nests elements deeper than " + std::to_string(kMaxDepth) + " levels");
    return;
  }
  Node element = Node::Element(name);
  for (; attributes[0] != nullptr; attributes += 2)
    element.attributes.emplace_back(attributes[0], attributes[1]);
  // The start tag's own bytes tell <x/> from <x>.
  const std::size_t end = b.EventEnd();
  element.empty_tag = end >= 2 && end <= b.xml.size() && b.xml[end - 2] == '/';
  if (b.open.empty()) {
    b.document.prolog = std::string(b.xml.substr(0, b.EventStart()));
    b.document.root = std::move(element);
    b.root_start_end = end;
    b.open.push_back(&b.document.root);
  } else {
    b.open.push_back(b.Add(std::move(element)));
  }
}

void XMLCALL OnEnd(void* data, const XML_Char*) {
  auto& b = *static_cast<Builder*>(data);
  if (!b.refusal.empty()) return;
  const bool root = b.open.size() == 1;
  const bool empty_tag = b.open.back()->empty_tag && b.open.back()->children.empty();
  b.open.pop_back();
  if (root) {
    const std::size_t end = empty_tag ? b.root_start_end : b.EventEnd();
    b.document.epilog = std::string(b.xml.substr(std::min(end, b.xml.size())));
  }
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& b = *static_cast<Builder*>(data);
  if (!b.refusal.empty() || b.open.empty()) return;
  const std::string_view piece(text, static_cast<std::size_t>(length));
  if (auto node = JoinText(b.open.back()->children, b.in_cdata, piece)) b.Add(std::move(*node));
}

void XMLCALL OnCdataStart(void* data) {
  auto& b = *static_cast<Builder*>(data);
  b.in_cdata = true;
  Node node;
  node.kind = Node::Kind::Cdata;
  b.Add(std::move(node)); // a section of its own, even next to another
}

void XMLCALL OnCdataEnd(void* data) {
  static_cast<Builder*>(data)->in_cdata = false;
}

void XMLCALL OnComment(void* data, const XML_Char* text) {
  auto& b = *static_cast<Builder*>(data);
  Node node; // outside the root a comment stays in the prolog's or epilog's text
  node.kind = Node::Kind::Comment;
  node.text = text;
  b.Add(std::move(node));
}

void XMLCALL OnInstruction(void* data, const XML_Char* target, const XML_Char* text) {
  auto& b = *static_cast<Builder*>(data);
  Node node;
  node.kind = Node::Kind::Instruction;
  node.name = target;
  node.text = text;
  b.Add(std::move(node));
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<Builder*>(data)->Stop("declares a document type, which no workbook part does");
}

} // namespace

Node Node::Element(std::string name, std::vector<std::pair<std::string, std::string>> attributes) {
  Node node;
  node.name = std::move(name);
  node.attributes = std::move(attributes);
  return node;
}

const std::string* Node::Attribute(std::string_view attribute) const {
  for (const auto& [own, value] : attributes)
    if (own == attribute) return &value;
  return nullptr;
}

void Node::SetAttribute(std::string_view attribute, std::string value, At at) {
  for (auto& [own, old] : attributes) {
    if (own == attribute) {
      old = std::move(value);
      return;
    }
  }
  attributes.emplace(at == At::Front ? attributes.begin() : attributes.end(), attribute,
                     std::move(value));
}

Node* Node::Child(std::string_view element) {
  for (Node& child : children)
    if (child.Is(element)) return &child;
  return nullptr;
}

const Node* Node::Child(std::string_view element) const {
  for (const Node& child : children)
    if (child.Is(element)) return &child;
  return nullptr;
}

Node* Node::Find(std::string_view path) {
  Node* node = this;
  while (node != nullptr && !path.empty()) {
    const std::size_t slash = path.find('/');
    node = node->Child(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return node;
}

std::string Node::Text() const {
  std::string joined;
  for (const Node& child : children)
    if (child.kind == Kind::Text || child.kind == Kind::Cdata) joined += child.text;
  return joined;
}

void Node::ForEachElement(const std::function<void(Node&)>& visit) {
  for (Node& child : children) {
    if (child.kind != Kind::Element) continue;
    visit(child);
    child.ForEachElement(visit);
  }
}

// Written as themselves, a line feed or tab in an attribute would read back as a space, and a
// carriage return anywhere as a line feed.
void Escape(std::string_view text, bool attribute, std::string& out) {
  // Runs without a character to replace go in whole: most text has none.
  const std::string_view special = attribute ? std::string_view("&<>\r\"\n\t", 7) : "&<>\r";
  while (!text.empty()) {
    const std::size_t at = text.find_first_of(special);
    out.append(text.substr(0, at));
    if (at == std::string_view::npos) return;
    switch (text[at]) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '\r': out += "&#xD;"; break;
    case '"': out += "&quot;"; break;
    case '\n': out += "&#xA;"; break;
    default: out += "&#x9;"; break;
    }
    text.remove_prefix(at + 1);
  }
}

void WriteCdata(std::string_view text, std::string& out) {
  // "]]>" cannot stand inside one section: it ends one and the '>' starts the next.
  out += "<![CDATA[";
  for (std::size_t at; (at = text.find("]]>")) != std::string_view::npos;) {
    out.append(text.substr(0, at + 2));
    out += "]]><![CDATA[";
    text.remove_prefix(at + 2);
  }
  out.append(text);
  out += "]]>";
}

void WriteComment(std::string_view text, std::string& out) {
  out += "<!--";
  out.append(text);
  out += "-->";
}

void WriteInstruction(std::string_view target, std::string_view text, std::string& out) {
  out += "<?";
  out.append(target);
  if (!text.empty()) {
    out += ' ';
    out.append(text);
  }
  out += "?>";
}

void WriteStartTag(std::string_view name,
                   const std::vector<std::pair<std::string, std::string>>& attributes,
                   std::string& out) {
  out += '<';
  out.append(name);
  for (const auto& [attribute, value] : attributes) {
    out += ' ';
    out += attribute;
    out += "=\"";
    Escape(value, true, out);
    out += '"';
  }
}

void WriteStartTag(std::string_view name, const char* const* attributes, std::string& out) {
  out += '<';
  out.append(name);
  for (; attributes[0] != nullptr; attributes += 2) {
    out += ' ';
    out += attributes[0];
    out += "=\"";
    Escape(attributes[1], true, out);
    out += '"';
  }
}

std::optional<Node> JoinText(std::vector<Node>& siblings, bool cdata, std::string_view piece) {
  const Node::Kind kind = cdata ? Node::Kind::Cdata : Node::Kind::Text;
  if (!siblings.empty() && siblings.back().kind == kind) {
    siblings.back().text += piece;
    return std::nullopt;
  }
  Node node;
  node.kind = kind;
  node.text = piece;
  return node;
}

bool Parse(std::string_view xml, Document& document, std::string& error) {
  document = Document{};
  if (xml.size() > static_cast<std::size_t>(INT_MAX)) {
    error = "is too large to edit (" + std::to_string(xml.size()) + " bytes)";
    return false;
  }
  // Read as UTF-8 whatever the declaration says: the tree is written back as UTF-8.
  std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
  if (!parser) {
    error = "out of memory";
    return false;
  }
  Builder builder{parser.get(), xml, document, {}, false, 0, {}};
  XML_SetUserData(parser.get(), &builder);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetCdataSectionHandler(parser.get(), OnCdataStart, OnCdataEnd);
  XML_SetCommentHandler(parser.get(), OnComment);
  XML_SetProcessingInstructionHandler(parser.get(), OnInstruction);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  if (XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) ==
      XML_STATUS_ERROR) {
    const std::string line = std::to_string(XML_GetCurrentLineNumber(parser.get()));
    error = builder.refusal.empty() ? "is not well-formed XML (line " + line +
                                          "): " + XML_ErrorString(XML_GetErrorCode(parser.get()))
                                    : builder.refusal;
    document = Document{};
    return false;
  }
  return true;
}

bool ParseFragment(std::string_view xml, std::vector<Node>& nodes, std::string& error) {
  Document document;
  const std::string wrapped = "<fragment>" + std::string(xml) + "</fragment>";
  if (!Parse(wrapped, document, error)) return false;
  if (!document.prolog.empty() || !document.epilog.empty() || document.root.name != "fragment") {
    error = "is not a piece of element content";
    return false;
  }
  nodes = std::move(document.root.children);
  return true;
}

void Write(const Node& node, std::string& out) {
  switch (node.kind) {
  case Node::Kind::Text: Escape(node.text, false, out); return;
  case Node::Kind::Cdata: WriteCdata(node.text, out); return;
  case Node::Kind::Comment: WriteComment(node.text, out); return;
  case Node::Kind::Instruction: WriteInstruction(node.name, node.text, out); return;
  case Node::Kind::Element: break;
  }
  WriteStartTag(node.name, node.attributes, out);
  if (node.children.empty() && node.empty_tag) {
    out += "/>";
    return;
  }
  out += '>';
  for (const Node& child : node.children)
    Write(child, out);
  out += "</";
  out += node.name;
  out += '>';
}

std::string Write(const Document& document) {
  std::string out = document.prolog;
  Write(document.root, out);
  out += document.epilog;
  return out;
}

} // namespace kvhost::xlsx::xml
