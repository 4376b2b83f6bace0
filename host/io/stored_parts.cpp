// libxlsxwriter deflates every part at zlib's default level and has no setting for it, while
// the package step reads every sheet back and deflates it again at zlib's fastest level: for a
// sheet of half a million numbers the first deflate was most of the time the file took, spent
// for nothing. libxlsxwriter reaches minizip through the dynamic linker, so this definition, in
// the program, comes before minizip's own: while a StoredParts lives it asks minizip to store
// the part, and otherwise passes the call on unchanged.
#include "stored_parts.h"

#include <dlfcn.h>
#include <minizip/zip.h>

#include <atomic>

namespace kvhost::xlsx {
namespace {
std::atomic<int> storing{0};
} // namespace

StoredParts::StoredParts() {
  ++storing;
}
StoredParts::~StoredParts() {
  --storing;
}

} // namespace kvhost::xlsx

extern "C" __attribute__((visibility("default"))) int zipOpenNewFileInZip4_64(
    zipFile file, const char* filename, const zip_fileinfo* zipfi, const void* extrafield_local,
    uInt size_extrafield_local, const void* extrafield_global, uInt size_extrafield_global,
    const char* comment, int method, int level, int raw, int windowBits, int memLevel, int strategy,
    const char* password, uLong crcForCrypting, uLong versionMadeBy, uLong flagBase, int zip64) {
  using Open = decltype(&zipOpenNewFileInZip4_64);
  static const auto minizip = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "zipOpenNewFileInZip4_64"));
  if (minizip == nullptr) return ZIP_INTERNALERROR;
  // Stored: method 0 (minizip then ignores the level); a raw part stays as it was asked.
  if (kvhost::xlsx::storing > 0 && !raw && method == Z_DEFLATED) method = 0;
  return minizip(file, filename, zipfi, extrafield_local, size_extrafield_local, extrafield_global,
                 size_extrafield_global, comment, method, level, raw, windowBits, memLevel,
                 strategy, password, crcForCrypting, versionMadeBy, flagBase, zip64);
}
