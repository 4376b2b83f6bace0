#include "xml_stream.h"

#include <expat.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace kvhost::xlsx::xml {
namespace {

struct ParserFree {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// What a part's text is written out in: pieces of about this size.
constexpr std::size_t kFlushBytes = std::size_t{1} << 16;

struct Streamer {
  XML_Parser parser;
  StreamEdits& edits;
  const StreamWriter& write;

  std::string out;    // written, not yet handed to `write`
  std::string prolog; // the bytes read before the root starts, while it has not
  bool root_started = false;
  bool root_ended = false;
  std::size_t epilog_from = 0;   // where the root's last tag ends
  std::vector<std::string> open; // the elements being streamed, the innermost last
  bool tag_open = false;         // the innermost one's start tag still wants its '>' or "/>"
  std::optional<Node> held;      // the element being held whole
  std::vector<Node*> holding;    // its elements being read, the innermost last
  bool in_cdata = false;
  std::string cdata;                    // the CDATA section being streamed
  std::string refusal;                  // why the reading stopped, when expat itself did not fail
  std::size_t base = 0;                 // where the piece being parsed lies in the part
  std::optional<std::size_t> copy_from; // where the rest to copy as it is starts

  void Stop(std::string why) {
    if (refusal.empty()) refusal = std::move(why);
    XML_StopParser(parser, XML_FALSE);
  }
  std::size_t EventStart() const {
    return static_cast<std::size_t>(XML_GetCurrentByteIndex(parser));
  }
  // An element's end is reported with no bytes of its own when it was written <x/>.
  bool EndOfEmptyTag() const { return XML_GetCurrentByteCount(parser) == 0; }
  std::size_t EventEnd() const {
    return EventStart() + static_cast<std::size_t>(XML_GetCurrentByteCount(parser));
  }
  bool Inside() const { return !open.empty() || held.has_value(); }
  void CloseTag() {
    if (tag_open) out += '>';
    tag_open = false;
  }
  void Flush(bool all) {
    if (out.empty() || (!all && out.size() < kFlushBytes)) return;
    if (!write(out)) Stop("cannot be written back");
    out.clear();
  }
  // A child of the innermost element held.
  Node* Add(Node node) {
    holding.back()->children.push_back(std::move(node));
    return &holding.back()->children.back();
  }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& s = *static_cast<Streamer*>(data);
  if (!s.refusal.empty()) return;
  if (s.open.size() + s.holding.size() >= kMaxDepth) {
    s.Stop("nests elements deeper than " + std::to_string(kMaxDepth) + " levels");
    return;
  }
  if (!s.holding.empty()) {
    Node element = Node::Element(name);
    for (; attributes[0] != nullptr; attributes += 2)
      element.attributes.emplace_back(attributes[0], attributes[1]);
    s.holding.push_back(s.Add(std::move(element)));
    return;
  }
  if (!s.root_started) {
    s.root_started = true;
    s.out.append(s.prolog, 0, std::min(s.EventStart(), s.prolog.size()));
    s.prolog = std::string();
  }
  s.CloseTag();
  // The tag may have begun in the piece before: then it is read on.
  if (s.EventStart() >= s.base && s.edits.CopyRest(s.open, name)) {
    s.copy_from = s.EventStart();
    XML_StopParser(s.parser, XML_FALSE);
    return;
  }
  if (s.edits.Hold(s.open, name, attributes)) {
    s.held = Node::Element(name);
    for (; attributes[0] != nullptr; attributes += 2)
      s.held->attributes.emplace_back(attributes[0], attributes[1]);
    s.holding.push_back(&*s.held);
    return;
  }
  WriteStartTag(name, attributes, s.out);
  s.tag_open = true;
  s.open.emplace_back(name);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto& s = *static_cast<Streamer*>(data);
  if (!s.refusal.empty()) return;
  if (!s.holding.empty()) {
    s.holding.back()->empty_tag = s.EndOfEmptyTag();
    s.holding.pop_back();
    if (!s.holding.empty()) return;
    s.edits.Edit(*s.held);
    Write(*s.held, s.out);
    s.held.reset();
  } else if (s.tag_open && s.EndOfEmptyTag()) {
    s.out += "/>";
    s.tag_open = false;
    s.open.pop_back();
  } else {
    s.CloseTag();
    s.out += "</";
    s.out += name;
    s.out += '>';
    s.open.pop_back();
  }
  if (!s.Inside()) {
    s.root_ended = true;
    s.epilog_from = s.EventEnd();
  }
  s.Flush(false);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& s = *static_cast<Streamer*>(data);
  if (!s.refusal.empty() || !s.Inside()) return;
  const std::string_view piece(text, static_cast<std::size_t>(length));
  if (!s.holding.empty()) {
    if (auto node = JoinText(s.holding.back()->children, s.in_cdata, piece))
      s.Add(std::move(*node));
    return;
  }
  s.CloseTag();
  if (s.in_cdata) {
    s.cdata += piece;
  } else {
    Escape(piece, false, s.out);
    s.Flush(false);
  }
}

void XMLCALL OnCdataStart(void* data) {
  auto& s = *static_cast<Streamer*>(data);
  s.in_cdata = true;
  if (!s.holding.empty()) {
    Node node;
    node.kind = Node::Kind::Cdata;
    s.Add(std::move(node)); // a section of its own, even next to another
  } else {
    s.cdata.clear();
  }
}

void XMLCALL OnCdataEnd(void* data) {
  auto& s = *static_cast<Streamer*>(data);
  s.in_cdata = false;
  if (!s.refusal.empty() || !s.holding.empty() || !s.Inside()) return;
  s.CloseTag();
  WriteCdata(s.cdata, s.out);
  s.cdata = std::string();
  s.Flush(false);
}

// Outside the root, comments and instructions stay in the prolog's or epilog's bytes.
void XMLCALL OnComment(void* data, const XML_Char* text) {
  auto& s = *static_cast<Streamer*>(data);
  if (!s.refusal.empty() || !s.Inside()) return;
  if (!s.holding.empty()) {
    Node node;
    node.kind = Node::Kind::Comment;
    node.text = text;
    s.Add(std::move(node));
    return;
  }
  s.CloseTag();
  WriteComment(text, s.out);
}

void XMLCALL OnInstruction(void* data, const XML_Char* target, const XML_Char* text) {
  auto& s = *static_cast<Streamer*>(data);
  if (!s.refusal.empty() || !s.Inside()) return;
  if (!s.holding.empty()) {
    Node node;
    node.kind = Node::Kind::Instruction;
    node.name = target;
    node.text = text;
    s.Add(std::move(node));
    return;
  }
  s.CloseTag();
  WriteInstruction(target, text, s.out);
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<Streamer*>(data)->Stop("declares a document type, which no workbook part does");
}

// What is left of the part, from `from` in the piece of `size` bytes in `buffer` on, copied
// as it is after what was written.
bool CopyRest(Streamer& s, const StreamReader& read, std::vector<char>& buffer, std::size_t from,
              std::size_t size, std::string& error) {
  s.out.append(buffer.data() + from, size - from);
  s.Flush(true);
  for (long long n = 0; s.refusal.empty();) {
    if ((n = read(buffer.data(), buffer.size())) <= 0) {
      if (n < 0) error = "cannot be read";
      return n == 0;
    }
    if (!s.write(std::string_view(buffer.data(), static_cast<std::size_t>(n))))
      s.refusal = "cannot be written back";
  }
  error = s.refusal;
  return false;
}

} // namespace

bool Stream(const StreamReader& read, StreamEdits& edits, const StreamWriter& write,
            std::string& error, std::size_t chunk) {
  chunk = std::clamp<std::size_t>(chunk, 1, std::size_t{1} << 20);
  // Read as UTF-8 whatever the declaration says: the part is written back as UTF-8.
  std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate("UTF-8"));
  if (!parser) {
    error = "out of memory";
    return false;
  }
  Streamer s{parser.get(), edits, write, {},    {}, false, false, 0, {},
             false,        {},    {},    false, {}, {},    0,     {}};
  XML_SetUserData(parser.get(), &s);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetCdataSectionHandler(parser.get(), OnCdataStart, OnCdataEnd);
  XML_SetCommentHandler(parser.get(), OnComment);
  XML_SetProcessingInstructionHandler(parser.get(), OnInstruction);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);

  std::vector<char> buffer(chunk);
  std::size_t base = 0; // where the piece in `buffer` lies in the part
  for (bool last = false; !last;) {
    const long long n = read(buffer.data(), buffer.size());
    if (n < 0) {
      error = "cannot be read";
      return false;
    }
    const auto size = static_cast<std::size_t>(n);
    last = size == 0;
    if (!s.root_started) s.prolog.append(buffer.data(), size);
    s.base = base;
    const bool parsed = XML_Parse(parser.get(), buffer.data(), static_cast<int>(size),
                                  last ? XML_TRUE : XML_FALSE) != XML_STATUS_ERROR;
    if (s.copy_from && s.refusal.empty())
      return CopyRest(s, read, buffer, *s.copy_from - base, size, error);
    if (!parsed) {
      const std::string line = std::to_string(XML_GetCurrentLineNumber(parser.get()));
      error = s.refusal.empty() ? "is not well-formed XML (line " + line +
                                      "): " + XML_ErrorString(XML_GetErrorCode(parser.get()))
                                : s.refusal;
      return false;
    }
    // What follows the root is kept as it is.
    if (s.root_ended && s.epilog_from < base + size) {
      const std::size_t from = std::max(s.epilog_from, base) - base;
      s.out.append(buffer.data() + from, size - from);
    }
    base += size;
  }
  s.Flush(true);
  if (!s.refusal.empty()) {
    error = s.refusal;
    return false;
  }
  return true;
}

} // namespace kvhost::xlsx::xml
