#include "xml_token_guard.h"

#include <cstring>

namespace kvhost::xlsx {
namespace {
constexpr std::string_view kComment = "!--";
constexpr std::string_view kCData = "![CDATA[";

bool StartsOf(std::string_view whole, std::string_view prefix) {
  return prefix.size() <= whole.size() && whole.substr(0, prefix.size()) == prefix;
}
} // namespace

void XmlTokenGuard::Enter(State state) {
  state_ = state;
  previous_[0] = previous_[1] = 0;
  if (state == State::Text || state == State::CData) length_ = 0;
}

// The characters after '<' tell a comment, a CDATA section (text, which expat hands over in
// pieces), a processing instruction or a tag (declarations included) apart.
void XmlTokenGuard::Decide(char c) {
  opening_ += c;
  if (opening_ == kComment) return Enter(State::Comment);
  if (opening_ == kCData) return Enter(State::CData);
  if (opening_[0] == '?') return Enter(State::Instruction);
  if (StartsOf(kComment, opening_) || StartsOf(kCData, opening_)) return;
  // A tag: what was held back may open a quoted value already ("<!X'").
  Enter(State::Tag);
  for (std::size_t i = 1; i < opening_.size(); ++i)
    if (state_ == State::Tag && (opening_[i] == '"' || opening_[i] == '\'')) {
      quote_ = opening_[i];
      state_ = State::Quoted;
    } else if (state_ == State::Quoted && opening_[i] == quote_) {
      state_ = State::Tag;
    }
  if (c == '>' && state_ == State::Tag) Enter(State::Text);
}

bool XmlTokenGuard::Feed(std::string_view bytes) {
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  while (at < end) {
    if (state_ == State::Text || state_ == State::CData) {
      if (state_ == State::Text) {
        const void* open = std::memchr(at, '<', static_cast<std::size_t>(end - at));
        if (open == nullptr) return true;
        at = static_cast<const char*>(open) + 1;
        opening_.clear();
        state_ = State::Opening;
        length_ = 1;
        continue;
      }
      const char c = *at++;
      if (c == '>' && previous_[0] == ']' && previous_[1] == ']') Enter(State::Text);
      previous_[0] = previous_[1];
      previous_[1] = c;
      continue;
    }
    const char c = *at++;
    if (++length_ > max_) {
      over_ = state_;
      return false;
    }
    switch (state_) {
    case State::Opening: Decide(c); break;
    case State::Tag:
      if (c == '>')
        Enter(State::Text);
      else if (c == '"' || c == '\'') {
        quote_ = c;
        state_ = State::Quoted;
      }
      break;
    case State::Quoted:
      if (c == quote_) state_ = State::Tag;
      break;
    case State::Comment:
      if (c == '>' && previous_[0] == '-' && previous_[1] == '-') {
        Enter(State::Text);
        break;
      }
      previous_[0] = previous_[1];
      previous_[1] = c;
      break;
    case State::Instruction:
      if (c == '>' && previous_[1] == '?') {
        Enter(State::Text);
        break;
      }
      previous_[0] = previous_[1];
      previous_[1] = c;
      break;
    case State::Text:
    case State::CData: break;
    }
  }
  return true;
}

std::string XmlTokenGuard::Kind() const {
  switch (over_) {
  case State::Comment: return "a comment";
  case State::Instruction: return "a processing instruction";
  default: return "a tag";
  }
}

} // namespace kvhost::xlsx
