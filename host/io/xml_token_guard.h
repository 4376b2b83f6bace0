// A bound on the length of each piece of markup (a tag with its attributes, a comment, a
// processing instruction) in XML fed to expat block by block. expat keeps an unfinished token
// and scans it again from its start with every block that follows, so one long token costs
// time growing with the square of its length; with the bound, reading stays linear.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvhost::xlsx {

class XmlTokenGuard {
public:
  // Bytes one piece of markup may take: hundreds of times a tag of any workbook part, four
  // blocks of the reader's inflation, so that the rescans of the longest token cost a few times
  // its length.
  static constexpr std::size_t kMaxTokenBytes = std::size_t{256} << 10;

  explicit XmlTokenGuard(std::size_t max_token_bytes = kMaxTokenBytes) : max_(max_token_bytes) {}

  // Takes the next bytes of the document. False once a piece of markup is longer than the
  // bound; `Kind()` then names it.
  bool Feed(std::string_view bytes);
  // "a tag", "a comment", "a processing instruction": what ran past the bound.
  std::string Kind() const;

private:
  enum class State { Text, Opening, Tag, Quoted, Comment, Instruction, CData };
  void Enter(State state);
  void Decide(char c);

  std::size_t max_;
  State state_ = State::Text;
  std::string opening_; // the characters after '<' while the markup's kind is not yet known
  char quote_ = 0;
  char previous_[2] = {}; // the last two characters, for the ends "-->", "?>" and "]]>"
  std::size_t length_ = 0;
  State over_ = State::Text; // the markup that ran past the bound
};

} // namespace kvhost::xlsx
