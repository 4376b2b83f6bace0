// A part of a package handed to libzip already deflated, which libzip then copies as it is.
//
// libzip 1.7 deflates what it is given at its best (slowest) level whatever level is asked for;
// a result sheet of half a million cells took seconds that way. zlib's fastest level does it in
// a tenth of the time, for a file a few per cent larger.
#pragma once

#include <zip.h>

#include <string>

namespace kvhost::xlsx {

// A source for zip_file_add holding `text` deflated; null, with the reason in `error`, when
// zlib or libzip refused. The source owns its copy: `text` may go at once.
zip_source_t* DeflatedSource(zip_t* zip, const std::string& text, std::string& error);

} // namespace kvhost::xlsx
