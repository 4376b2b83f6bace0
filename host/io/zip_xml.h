// The parts of a zip package read as XML, streamed from libzip into expat, with the limits
// that keep a hostile file from taking the machine: no part may inflate beyond a bound, no
// part may declare a document type (Office Open XML never does; entity tricks live there).
#pragma once

#include <zip.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kvhost::xlsx {

// What a part's XML is handed to. Element and attribute names arrive without their namespace
// prefix ("r:id" -> "id"): the parts read here never use one local name twice.
class XmlHandler {
public:
  virtual ~XmlHandler() = default;
  // `attributes` alternates names and values and ends with a null.
  virtual void Start(std::string_view name, const char** attributes) = 0;
  virtual void End(std::string_view name) = 0;
  // Character data, in pieces, while WantsText() says so.
  virtual void Text(std::string_view text) = 0;
  virtual bool WantsText() const = 0;
  // Markup the handler reads straight from the bytes, for speed. Given the bytes from a '<'
  // inside the root element, how many of them it took: whole elements, well-formed, handled as
  // their Start, Text and End would have been. 0 leaves them to those calls, as it must do
  // whenever it is not sure. Only the lean reader (xml_lean.h) offers bytes.
  virtual std::size_t Shortcut(const char* /*bytes*/, std::size_t /*size*/) { return 0; }

  // Set by a handler that found the content unusable, as the whole reason ("sheet 'Data' holds
  // ..."); the reading stops at once.
  std::string failure;
};

// The value of attribute `name` (without prefix) in expat's list; null when absent.
const char* Attribute(const char** attributes, std::string_view name);
// A name without its namespace prefix.
std::string_view LocalName(std::string_view name);

// A zip package opened for reading.
class ZipPackage {
public:
  // Inflated bytes a single part may hold: far above the largest sheet the grid can take
  // (65536 rows of 256 cells is about 500 MB of XML), far below what would exhaust memory or
  // time.
  static constexpr std::uint64_t kMaxPartBytes = std::uint64_t{1} << 30;

  // Null, with a reason (no file name) in `error`, when the file is no readable zip archive.
  // `max_part_bytes` is the limit of Parse.
  static std::unique_ptr<ZipPackage> Open(const std::string& path, std::string& error,
                                          std::uint64_t max_part_bytes = kMaxPartBytes);
  ~ZipPackage();
  ZipPackage(const ZipPackage&) = delete;
  ZipPackage& operator=(const ZipPackage&) = delete;

  // Whether the package holds the part (names compared without regard to case, as part
  // names are).
  bool Has(const std::string& part) const;
  // Streams the part through `handler`. False, with the reason in `error`, when the part is
  // missing, encrypted, corrupt, over the limit, not well-formed XML or refused by the handler.
  bool Parse(const std::string& part, XmlHandler& handler, std::string& error) const;
  // The part's inflated bytes, block by block, to `take` (an empty block at the end), with the
  // checks Parse makes of the package (missing, encrypted, corrupt, over the limit). False when
  // one of them failed, with the reason in `error`, or when `take` returned false to stop.
  bool Read(const std::string& part, const std::function<bool(std::string_view)>& take,
            std::string& error) const;

private:
  ZipPackage(zip_t* zip, std::uint64_t max_part_bytes) : zip_(zip), max_(max_part_bytes) {}
  std::string Limit() const;
  zip_t* zip_;
  std::uint64_t max_;
};

// A relationship's target as a part name: absolute targets lose their '/', relative ones are
// taken from the folder of `source` (the part the relationships belong to), "." and ".."
// resolved. Nothing when the target leaves the package.
std::optional<std::string> ResolveTarget(std::string_view source, std::string_view target);

} // namespace kvhost::xlsx
