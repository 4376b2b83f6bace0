// A part's XML edited as it streams through: what the package step uses for the parts that can
// be large (worksheets), which it never holds whole. Each element is written as it is read, in
// the tree writer's style (xml_edit.h), so that a part passed through unchanged comes back byte
// for byte; the few elements to edit are held as trees, one at a time, edited and written.
// Memory stays that of the nesting and of the largest element held.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "xml_edit.h"

namespace kvhost::xlsx::xml {

// Which elements of a streamed part are held whole, and what is done to them.
class StreamEdits {
public:
  virtual ~StreamEdits() = default;
  // At the start of an element: `open` names the elements it lies in, the root first. True to
  // hold this element, with all it holds, as a tree handed to Edit at its end and then written.
  virtual bool Hold(const std::vector<std::string>& open, std::string_view name,
                    const char* const* attributes) = 0;
  virtual void Edit(Node& element) = 0;
  // At the start of an element: true when nothing from there to the part's end is to be held.
  // The rest is then copied as it is, without being read as XML: only for parts this program
  // wrote itself.
  virtual bool CopyRest(const std::vector<std::string>& open, std::string_view name) {
    (void)open, (void)name;
    return false;
  }
};

// Fills `buffer` with the part's next bytes: how many, 0 at its end, negative on failure.
using StreamReader = std::function<long long(char* buffer, std::size_t size)>;
// Takes the next piece of what is written; false to stop.
using StreamWriter = std::function<bool(std::string_view text)>;

// Streams a part from `read` to `write`, with the edits. False, with the reason in `error` as
// Parse gives it, when the part is refused as Parse refuses it, cannot be read or cannot be
// written; what was written by then is to be thrown away. `chunk` is the size of the pieces
// read.
bool Stream(const StreamReader& read, StreamEdits& edits, const StreamWriter& write,
            std::string& error, std::size_t chunk = std::size_t{1} << 16);

} // namespace kvhost::xlsx::xml
