#include "deflated_source.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <limits>
#include <new>
#include <optional>
#include <thread>

namespace kvhost::xlsx {
namespace {

struct Deflated {
  std::string data; // the raw deflate stream, unless it lies in `file`
  std::FILE* file = nullptr;
  zip_uint64_t comp_size = 0; // of the raw deflate stream
  zip_uint64_t size = 0;      // of the text it holds
  zip_uint32_t crc = 0;       // of the text it holds
  zip_uint64_t offset = 0;    // where the next read starts
  zip_error_t error{};
};

zip_int64_t Serve(void* user, void* buffer, zip_uint64_t length, zip_source_cmd_t command) {
  auto* d = static_cast<Deflated*>(user);
  switch (command) {
  case ZIP_SOURCE_OPEN: d->offset = 0; return 0;
  case ZIP_SOURCE_READ: {
    const zip_uint64_t n = std::min<zip_uint64_t>(length, d->comp_size - d->offset);
    if (d->file != nullptr) {
      if (std::fseek(d->file, static_cast<long>(d->offset), SEEK_SET) != 0 ||
          std::fread(buffer, 1, n, d->file) != n) {
        zip_error_set(&d->error, ZIP_ER_READ, 0);
        return -1;
      }
    } else {
      std::memcpy(buffer, d->data.data() + d->offset, n);
    }
    d->offset += n;
    return static_cast<zip_int64_t>(n);
  }
  case ZIP_SOURCE_CLOSE: return 0;
  case ZIP_SOURCE_STAT: {
    auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, buffer, length, &d->error);
    if (stat == nullptr) return -1;
    zip_stat_init(stat);
    stat->size = d->size;
    stat->comp_size = d->comp_size;
    stat->crc = d->crc;
    stat->comp_method = ZIP_CM_DEFLATE; // already compressed: libzip copies it
    stat->encryption_method = ZIP_EM_NONE;
    stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD |
                  ZIP_STAT_ENCRYPTION_METHOD;
    return sizeof(zip_stat_t);
  }
  case ZIP_SOURCE_ERROR: return zip_error_to_data(&d->error, buffer, length);
  case ZIP_SOURCE_FREE:
    zip_error_fini(&d->error);
    if (d->file != nullptr) std::fclose(d->file);
    delete d;
    return 0;
  case ZIP_SOURCE_SUPPORTS:
    return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                          ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
  default: zip_error_set(&d->error, ZIP_ER_OPNOTSUPP, 0); return -1;
  }
}

// Raw deflate (no zlib header), as a zip entry holds it, at zlib's fastest level, of a whole part
// or of one block of it: a block that is not the last ends on a byte boundary without closing
// the stream (Z_SYNC_FLUSH), so that the blocks one after the other make one deflate stream.
// Nothing when zlib fails or memory runs out.
std::optional<std::string> DeflateBlock(const std::string& block, bool last) noexcept {
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return std::nullopt;
  std::optional<std::string> deflated;
  try {
    // The bound, and room for the flush's empty stored block.
    std::string out(deflateBound(&stream, static_cast<uLong>(block.size())) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
    stream.avail_in = static_cast<uInt>(block.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
    const bool whole = last ? result == Z_STREAM_END : result == Z_OK && stream.avail_out > 0;
    out.resize(out.size() - stream.avail_out);
    if (whole && stream.avail_in == 0) deflated = std::move(out);
  } catch (const std::bad_alloc&) {
    // No room for the block's output: the part fails as zlib failing would.
  }
  deflateEnd(&stream);
  return deflated;
}

// What a part is cut into to be deflated on several threads; blocks this large lose next to
// nothing for starting without the text before them.
constexpr std::size_t kBlockBytes = std::size_t{1} << 20;

} // namespace

zip_source_t* DeflatedSource(zip_t* zip, const std::string& text, std::string& error) {
  // One deflate call takes at most 4 GiB; a result part is far below that.
  if (text.size() >= std::numeric_limits<uInt>::max() / 2) {
    error = "a part of 2 GiB or more";
    return nullptr;
  }
  auto* d = new Deflated;
  zip_error_init(&d->error);
  d->size = text.size();
  d->crc = static_cast<zip_uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
  std::optional<std::string> deflated = DeflateBlock(text, true);
  if (deflated) d->data = std::move(*deflated);
  d->comp_size = d->data.size();
  if (!deflated) {
    zip_error_fini(&d->error);
    delete d;
    error = "zlib could not deflate a part";
    return nullptr;
  }
  zip_source_t* source = zip_source_function(zip, &Serve, d);
  if (source == nullptr) {
    zip_error_fini(&d->error);
    delete d;
    error = std::string("libzip refused a part: ") + zip_strerror(zip);
  }
  return source;
}

struct DeflatingStream::State {
  bool failed = false; // zlib or the file failed; nothing more is taken
  std::FILE* file = nullptr;
  zip_uint64_t size = 0;
  zip_uint32_t crc = 0;
  zip_uint64_t comp_size = 0;
  std::string block; // the text of the block being filled
  // The blocks being deflated, in the part's order, at most one a thread of the machine.
  std::deque<std::future<std::optional<std::string>>> deflating;
  std::size_t threads = std::max(1u, std::thread::hardware_concurrency());

  // Writes the oldest block's deflated text to the file.
  void WriteOldest() {
    const std::optional<std::string> deflated = deflating.front().get();
    deflating.pop_front();
    if (failed) return;
    failed =
        !deflated || std::fwrite(deflated->data(), 1, deflated->size(), file) != deflated->size();
    if (!failed) comp_size += deflated->size();
  }
  // Starts deflating the block filled, on a thread of its own when one can be had.
  void Send(bool last) {
    deflating.push_back(std::async(std::launch::async | std::launch::deferred, DeflateBlock,
                                   std::move(block), last));
    block = std::string();
    while (deflating.size() > threads || (last && !deflating.empty()))
      WriteOldest();
  }
};

DeflatingStream::DeflatingStream() : state_(std::make_unique<State>()) {
  state_->file = std::tmpfile();
  state_->failed = state_->file == nullptr;
}

DeflatingStream::~DeflatingStream() {
  // A block still being deflated is waited for: its thread reads the block.
  for (auto& pending : state_->deflating)
    pending.wait();
  if (state_->file != nullptr) std::fclose(state_->file);
}

bool DeflatingStream::Add(std::string_view text) {
  State& s = *state_;
  while (!s.failed && !text.empty()) {
    const std::size_t piece = std::min(text.size(), kBlockBytes - s.block.size());
    s.crc = static_cast<zip_uint32_t>(
        crc32(s.crc, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(piece)));
    s.size += piece;
    s.block.append(text.data(), piece);
    text.remove_prefix(piece);
    if (s.block.size() == kBlockBytes) s.Send(false);
  }
  return !s.failed;
}

zip_source_t* DeflatingStream::Finish(zip_t* zip, std::string& error) {
  State& s = *state_;
  if (!s.failed) s.Send(true);
  if (!s.failed) s.failed = std::fflush(s.file) != 0;
  if (s.failed) {
    error = s.file == nullptr ? "no temporary file for a part" : "zlib could not deflate a part";
    return nullptr;
  }
  auto* d = new Deflated;
  zip_error_init(&d->error);
  d->size = s.size;
  d->crc = s.crc;
  d->comp_size = s.comp_size;
  d->file = s.file;
  zip_source_t* source = zip_source_function(zip, &Serve, d);
  if (source == nullptr) {
    zip_error_fini(&d->error);
    delete d; // the file stays with the stream, which closes it
    error = std::string("libzip refused a part: ") + zip_strerror(zip);
    return nullptr;
  }
  s.file = nullptr; // the source's now
  return source;
}

} // namespace kvhost::xlsx
