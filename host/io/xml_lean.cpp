#include "xml_lean.h"

#include <array>
#include <cstring>

namespace kvhost::xlsx {
namespace {

// Elements open at once beyond which the reader leaves the part to expat (a worksheet nests six
// deep).
constexpr std::size_t kMaxDepth = 256;

// ASCII names only: bit 1, a name's first character; bit 2, any of its characters. A colon is
// taken inside a name, never first (expat reads names without namespaces here).
constexpr std::array<unsigned char, 256> kNameBytes = [] {
  std::array<unsigned char, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c)
    table[static_cast<std::size_t>(c)] = 3;
  for (int c = 'a'; c <= 'z'; ++c)
    table[static_cast<std::size_t>(c)] = 3;
  for (int c = '0'; c <= '9'; ++c)
    table[static_cast<std::size_t>(c)] = 2;
  table['_'] = 3;
  table['-'] = table['.'] = table[':'] = 2;
  return table;
}();

// Bytes an attribute value holds as they are: printable ASCII but for the quotes, '<' and '&'.
constexpr std::array<bool, 256> kPlainValueBytes = [] {
  std::array<bool, 256> table{};
  for (int c = 0x20; c < 0x7F; ++c)
    table[static_cast<std::size_t>(c)] = c != '"' && c != '\'' && c != '<' && c != '&';
  return table;
}();

bool NameStart(char c) {
  return (kNameBytes[static_cast<unsigned char>(c)] & 1) != 0;
}
bool NameByte(char c) {
  return (kNameBytes[static_cast<unsigned char>(c)] & 2) != 0;
}
bool Space(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// The length of the UTF-8 character at `p`, of which `left` bytes are at hand, when it is one
// XML allows and no C1 control (expat takes those; the reader leaves them to it); 0 otherwise,
// or when the character may be cut short (fewer than 4 bytes at hand).
std::size_t CharacterLength(const char* p, std::size_t left) {
  const auto byte = [p](std::size_t i) { return static_cast<unsigned char>(p[i]); };
  const auto follows = [&](std::size_t i, unsigned low, unsigned high) {
    return i < left && byte(i) >= low && byte(i) <= high;
  };
  const unsigned lead = byte(0);
  if (lead == 0xC2) return follows(1, 0xA0, 0xBF) ? 2 : 0;
  if (lead > 0xC2 && lead < 0xE0) return follows(1, 0x80, 0xBF) ? 2 : 0;
  if (lead >= 0xE0 && lead < 0xF0) {
    const bool second = lead == 0xE0   ? follows(1, 0xA0, 0xBF)
                        : lead == 0xED ? follows(1, 0x80, 0x9F) // no surrogates
                                       : follows(1, 0x80, 0xBF);
    if (!second || !follows(2, 0x80, 0xBF)) return 0;
    // U+FFFE and U+FFFF are no characters of XML.
    if (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead < 0xF5) {
    const bool second = lead == 0xF0   ? follows(1, 0x90, 0xBF)
                        : lead == 0xF4 ? follows(1, 0x80, 0x8F)
                                       : follows(1, 0x80, 0xBF);
    return second && follows(2, 0x80, 0xBF) && follows(3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

// The length of the predefined entity reference at `p` ("&amp;" 5), with the character it
// stands for in `character`; 0 for anything else (a character reference, an entity of a
// document type, one cut short).
std::size_t EntityLength(const char* p, std::size_t left, char& character) {
  struct Entity {
    std::string_view text;
    char character;
  };
  static constexpr Entity kEntities[] = {
      {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
  for (const Entity& entity : kEntities)
    if (left >= entity.text.size() && std::memcmp(p, entity.text.data(), entity.text.size()) == 0) {
      character = entity.character;
      return entity.text.size();
    }
  return 0;
}

// Replaces the entity references of `text` (all predefined ones, checked already) by their
// characters, in place; the new length.
std::size_t Unescape(char* text, std::size_t length) {
  const void* first = std::memchr(text, '&', length);
  if (first == nullptr) return length;
  std::size_t out = static_cast<std::size_t>(static_cast<const char*>(first) - text);
  for (std::size_t in = out; in < length;) {
    char character = text[in];
    in += text[in] == '&' ? EntityLength(text + in, length - in, character) : 1;
    text[out++] = character;
  }
  return out;
}

// The pseudo-attributes of an XML declaration (what lies between "<?xml" and "?>"): version
// 1.0, then perhaps UTF-8 as the encoding and a standalone yes or no, as writers give them.
bool PlainDeclaration(std::string_view text) {
  static constexpr std::string_view kNames[] = {"version", "encoding", "standalone"};
  std::size_t i = 0, next = 0;
  for (;;) {
    const std::size_t before = i;
    while (i < text.size() && Space(text[i]))
      ++i;
    if (i == text.size()) return next > 0;
    if (i == before) return false;
    std::size_t name = next;
    while (name < 3 && text.substr(i, kNames[name].size()) != kNames[name])
      ++name;
    if (name == 3 || (next == 0 && name != 0)) return false;
    i += kNames[name].size();
    while (i < text.size() && Space(text[i]))
      ++i;
    if (i == text.size() || text[i++] != '=') return false;
    while (i < text.size() && Space(text[i]))
      ++i;
    if (i == text.size() || (text[i] != '"' && text[i] != '\'')) return false;
    const char quote = text[i++];
    const std::size_t close = text.find(quote, i);
    if (close == std::string_view::npos) return false;
    std::string value(text.substr(i, close - i));
    i = close + 1;
    if (name == 1)
      for (char& c : value)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((name == 0 && value != "1.0") || (name == 1 && value != "UTF-8") ||
        (name == 2 && value != "yes" && value != "no"))
      return false;
    next = name + 1;
  }
}

} // namespace

bool LeanXmlReader::Feed(std::string_view bytes) {
  if (gave_up_ || finished_) return GiveUp();
  const bool last = bytes.empty();
  buffer_.append(bytes);
  if (!Scan(last)) return GiveUp();
  if (last) {
    if (!buffer_.empty() || !open_.empty() || !root_seen_) return GiveUp();
    finished_ = true;
  }
  return true;
}

// The byte order mark and the XML declaration, when the document starts with them.
bool LeanXmlReader::Prolog(bool last) {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  static constexpr std::string_view kOpen = "<?xml";
  constexpr std::size_t kLongest = 256; // a declaration's bytes, far more than writers give
  std::string_view text(buffer_);
  const std::size_t mark = text.substr(0, 3) == kMark ? 3 : 0;
  if (!last && text.size() < mark + kOpen.size() + 1 && kMark.substr(0, text.size()) == text)
    return true; // too few bytes to tell
  text.remove_prefix(mark);
  if (!last && text.size() < kOpen.size() + 1 && kOpen.substr(0, text.size()) == text) return true;
  if (text.substr(0, kOpen.size()) == kOpen && text.size() > kOpen.size() &&
      Space(text[kOpen.size()])) {
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) return !last && text.size() < kLongest;
    if (end > kLongest || !PlainDeclaration(text.substr(kOpen.size(), end - kOpen.size())))
      return false;
    buffer_.erase(0, mark + end + 2);
  } else {
    buffer_.erase(0, mark);
  }
  prolog_done_ = true;
  return true;
}

bool LeanXmlReader::Scan(bool last) {
  if (!prolog_done_) {
    if (!Prolog(last)) return false;
    if (!prolog_done_) return true;
  }
  std::size_t at = 0;
  while (at < buffer_.size()) {
    const std::size_t size = buffer_.size();
    if (buffer_[at] == '<') {
      if (!open_.empty() && open_.size() + 2 <= kMaxDepth) {
        if (const std::size_t taken = handler_.Shortcut(buffer_.data() + at, size - at)) {
          if (!handler_.failure.empty() || taken > size - at) return false;
          at += taken;
          continue;
        }
      }
      const Step step = Tag(at);
      if (step == Step::GiveUp) return false;
      if (step == Step::More) {
        if (last || size - at > kMaxTagBytes) return false;
        break;
      }
      continue;
    }
    const void* open = std::memchr(buffer_.data() + at, '<', size - at);
    std::size_t end =
        open != nullptr ? static_cast<std::size_t>(static_cast<const char*>(open) - buffer_.data())
                        : size;
    if (open == nullptr && !last) {
      // The block may end inside a character or an entity reference: that tail waits for the
      // next one.
      for (std::size_t i = size; i > at && i + 8 > size; --i) {
        const auto c = static_cast<unsigned char>(buffer_[i - 1]);
        if (c == '&' || c >= 0xC0) {
          end = i - 1;
          break;
        }
      }
      if (end == at) break;
    }
    if (Text(at, end) == Step::GiveUp) return false;
  }
  buffer_.erase(0, at);
  return true;
}

LeanXmlReader::Step LeanXmlReader::Text(std::size_t& at, std::size_t end) {
  char* const data = buffer_.data();
  if (open_.empty()) {
    // Outside the root, only white space (a carriage return is left to expat).
    for (std::size_t i = at; i < end; ++i)
      if (data[i] != ' ' && data[i] != '\n' && data[i] != '\t') return Step::GiveUp;
    at = end;
    return Step::Done;
  }
  bool entities = false;
  for (std::size_t i = at; i < end;) {
    const auto c = static_cast<unsigned char>(data[i]);
    if (c >= 0x20 && c < 0x7F) {
      // A '>' is text but in "]]>"; writers escape it, so one left as it is goes to expat.
      if (c == '>') return Step::GiveUp;
      if (c == '&') {
        char character = 0;
        const std::size_t length = EntityLength(data + i, end - i, character);
        if (length == 0) return Step::GiveUp;
        entities = true;
        i += length;
        continue;
      }
      ++i;
    } else if (c == '\n' || c == '\t') {
      ++i;
    } else if (c >= 0x80) {
      const std::size_t length = CharacterLength(data + i, end - i);
      if (length == 0) return Step::GiveUp;
      i += length;
    } else {
      // A carriage return (expat makes line ends "\n"), a control character or DEL.
      return Step::GiveUp;
    }
  }
  if (handler_.WantsText()) {
    const std::size_t length = entities ? Unescape(data + at, end - at) : end - at;
    handler_.Text(std::string_view(data + at, length));
    if (!handler_.failure.empty()) return Step::GiveUp;
  }
  at = end;
  return Step::Done;
}

LeanXmlReader::Step LeanXmlReader::Tag(std::size_t& at) {
  char* const data = buffer_.data();
  const std::size_t size = buffer_.size();
  std::size_t i = at + 1;
  if (i + 1 >= size) return Step::More;
  const bool closing = data[i] == '/';
  if (closing) ++i;
  // Comments, CDATA sections, declarations and processing instructions are left to expat, as
  // is a second root.
  if (!NameStart(data[i]) || (!closing && root_seen_ && open_.empty())) return Step::GiveUp;
  const std::size_t name = i;
  while (i < size && NameByte(data[i]))
    ++i;
  const std::size_t name_end = i;
  std::size_t spans = 0;
  bool empty = false;
  for (;;) {
    bool space = false;
    while (i < size && Space(data[i])) {
      ++i;
      space = true;
    }
    if (i >= size) return Step::More;
    if (data[i] == '>') {
      ++i;
      break;
    }
    if (closing) return Step::GiveUp;
    if (data[i] == '/') {
      if (i + 1 >= size) return Step::More;
      if (data[i + 1] != '>') return Step::GiveUp;
      i += 2;
      empty = true;
      break;
    }
    if (!space || !NameStart(data[i]) || spans == kMaxAttributes) return Step::GiveUp;
    AttributeSpan span{i, 0, 0, 0};
    while (i < size && NameByte(data[i]))
      ++i;
    span.name_end = i;
    while (i < size && Space(data[i]))
      ++i;
    if (i >= size) return Step::More;
    if (data[i++] != '=') return Step::GiveUp;
    while (i < size && Space(data[i]))
      ++i;
    if (i >= size) return Step::More;
    const char quote = data[i];
    if (quote != '"' && quote != '\'') return Step::GiveUp;
    span.value = ++i;
    for (;;) {
      while (i < size && kPlainValueBytes[static_cast<unsigned char>(data[i])])
        ++i;
      if (i >= size) return Step::More;
      const auto c = static_cast<unsigned char>(data[i]);
      if (c == static_cast<unsigned char>(quote)) break;
      if (c >= 0x20 && c < 0x7F) {
        if (c == '<') return Step::GiveUp;
        if (c == '&') {
          char character = 0;
          const std::size_t length = EntityLength(data + i, size - i, character);
          if (length == 0) return size - i < 6 ? Step::More : Step::GiveUp;
          i += length;
          continue;
        }
        ++i;
      } else if (c >= 0x80) {
        const std::size_t length = CharacterLength(data + i, size - i);
        if (length == 0) return size - i < 4 ? Step::More : Step::GiveUp;
        i += length;
      } else {
        // Tabs and line ends become spaces in a value; control characters are no XML: both
        // left to expat.
        return Step::GiveUp;
      }
    }
    span.value_end = i++;
    const std::string_view new_name(data + span.name, span.name_end - span.name);
    for (std::size_t known = 0; known < spans; ++known)
      if (std::string_view(data + spans_[known].name,
                           spans_[known].name_end - spans_[known].name) == new_name)
        return Step::GiveUp; // twice in one tag
    spans_[spans++] = span;
  }
  if (i - at > kMaxTagBytes) return Step::GiveUp;

  // The tag is whole: names and values end in a null, as expat hands them over.
  const std::string_view element(data + name, name_end - name);
  at = i;
  if (closing) {
    if (open_.empty() || open_.back() != element) return Step::GiveUp;
    handler_.End(LocalName(element));
    open_.pop_back();
    return handler_.failure.empty() ? Step::Done : Step::GiveUp;
  }
  if (open_.size() == kMaxDepth) return Step::GiveUp;
  for (std::size_t k = 0; k < spans; ++k) {
    const AttributeSpan& span = spans_[k];
    data[span.name_end] = '\0'; // '=' or a space, read already
    data[span.value + Unescape(data + span.value, span.value_end - span.value)] = '\0';
    attributes_[2 * k] = data + span.name;
    attributes_[2 * k + 1] = data + span.value;
  }
  attributes_[2 * spans] = nullptr;
  root_seen_ = true;
  handler_.Start(LocalName(element), attributes_.data());
  if (!handler_.failure.empty()) return Step::GiveUp;
  if (empty) {
    handler_.End(LocalName(element));
    return handler_.failure.empty() ? Step::Done : Step::GiveUp;
  }
  open_.emplace_back(element);
  return Step::Done;
}

} // namespace kvhost::xlsx
