// A part of a package handed to libzip already deflated, which libzip then copies as it is.
//
// libzip 1.7 deflates what it is given at its best (slowest) level whatever level is asked for;
// a result sheet of half a million cells took seconds that way. zlib's fastest level does it in
// a tenth of the time, for a file a few per cent larger.
#pragma once

#include <zip.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace kvhost::xlsx {

// A source for zip_file_add holding `text` deflated; null, with the reason in `error`, when
// zlib or libzip refused. The source owns its copy: `text` may go at once.
zip_source_t* DeflatedSource(zip_t* zip, const std::string& text, std::string& error);

// A part deflated as it is written, in pieces, and kept in a temporary file rather than in
// memory: what a worksheet of any size is rewritten through. It is deflated a block of 1 MiB at
// a time, the blocks on the machine's threads side by side; the file is the same bytes however
// many threads there are.
class DeflatingStream {
public:
  DeflatingStream();
  ~DeflatingStream();
  DeflatingStream(const DeflatingStream&) = delete;
  DeflatingStream& operator=(const DeflatingStream&) = delete;

  // Deflates the next piece of the part; false when zlib or the temporary file failed.
  bool Add(std::string_view text);
  // The source of the whole part, which takes over the temporary file; null, with the reason in
  // `error`, when something failed on the way.
  zip_source_t* Finish(zip_t* zip, std::string& error);

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace kvhost::xlsx
