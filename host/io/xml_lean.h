// A lean reader for XML of the plain shape spreadsheet writers give a worksheet part: elements,
// attributes, text and the five predefined entities, in UTF-8. It hands the handler the events
// expat would (zip_xml.h), at a fraction of expat's cost per element.
//
// It gives up on anything outside that shape (a comment, a CDATA section, a processing
// instruction past the XML declaration, a character reference, a carriage return or a tab in an
// attribute value, a name that is not ASCII, ...) and on anything that is not well-formed; the
// caller then reads the part again through expat, which reads the rest of XML and words the
// reasons. What it reads to the end, expat reads alike.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "zip_xml.h"

namespace kvhost::xlsx {

class LeanXmlReader {
public:
  // Bytes one tag may take before the reader gives up (a worksheet's take tens).
  static constexpr std::size_t kMaxTagBytes = std::size_t{16} << 10;

  explicit LeanXmlReader(XmlHandler& handler) : handler_(handler) {}
  LeanXmlReader(const LeanXmlReader&) = delete;
  LeanXmlReader& operator=(const LeanXmlReader&) = delete;

  // The document's next bytes; empty at its end. False once the reader gave up, or the handler
  // failed (its `failure` says why).
  bool Feed(std::string_view bytes);
  // Whether the whole document was read: its end was fed and nothing made the reader give up.
  bool Finished() const { return finished_ && !gave_up_; }

private:
  // Attributes in one tag beyond which the reader leaves the part to expat (a worksheet's tags
  // have a handful).
  static constexpr std::size_t kMaxAttributes = 64;
  struct AttributeSpan {
    std::size_t name, name_end, value, value_end;
  };
  enum class Step { Done, More, GiveUp };

  bool Scan(bool last);
  bool Prolog(bool last);
  Step Tag(std::size_t& at);
  Step Text(std::size_t& at, std::size_t end);
  bool GiveUp() {
    gave_up_ = true;
    return false;
  }

  XmlHandler& handler_;
  std::string buffer_; // bytes fed and not yet read: a tag or a text cut by a block's end
  std::vector<std::string> open_; // the elements open, the innermost last
  std::array<AttributeSpan, kMaxAttributes> spans_{};
  std::array<const char*, 2 * kMaxAttributes + 1> attributes_{};
  bool prolog_done_ = false; // the byte order mark and the XML declaration are behind
  bool root_seen_ = false;
  bool finished_ = false;
  bool gave_up_ = false;
};

} // namespace kvhost::xlsx
