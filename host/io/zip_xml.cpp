#include "zip_xml.h"

#include <expat.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "xml_token_guard.h"

namespace kvhost::xlsx {
namespace {

struct ParserFree {
  void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};
struct FileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct Session {
  XML_Parser parser;
  XmlHandler* handler;
  const std::string& part;
  std::string refusal; // why the reading stopped, when the parser itself did not fail
};

void Stop(Session& s, std::string why) {
  if (s.refusal.empty()) s.refusal = std::move(why);
  XML_StopParser(s.parser, XML_FALSE);
}

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto& s = *static_cast<Session*>(data);
  if (!s.refusal.empty()) return;
  s.handler->Start(LocalName(name), attributes);
  if (!s.handler->failure.empty()) Stop(s, s.handler->failure);
}

void XMLCALL OnEnd(void* data, const XML_Char* name) {
  auto& s = *static_cast<Session*>(data);
  if (!s.refusal.empty()) return;
  s.handler->End(LocalName(name));
  if (!s.handler->failure.empty()) Stop(s, s.handler->failure);
}

void XMLCALL OnText(void* data, const XML_Char* text, int length) {
  auto& s = *static_cast<Session*>(data);
  if (!s.refusal.empty() || !s.handler->WantsText()) return;
  s.handler->Text(std::string_view(text, static_cast<std::size_t>(length)));
  if (!s.handler->failure.empty()) Stop(s, s.handler->failure);
}

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  auto& s = *static_cast<Session*>(data);
  Stop(s, "the part " + s.part + " declares a document type, which no workbook part does");
}

// Inflates a part block by block. A large part inflates on a thread of its own, a few blocks
// ahead of the parser, so that the two share the work of a large sheet between two cores (the
// part's file is used by that thread alone while it runs); a small one, in the caller's thread.
class Inflater {
public:
  struct Block {
    std::string bytes; // empty at the part's end; the reason when it failed
    bool failed = false;
  };

  Inflater(zip_file_t* file, bool ahead) : file_(file) {
    if (ahead) thread_ = std::thread([this] { Run(); });
  }
  ~Inflater() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  Block Next() {
    if (!thread_.joinable()) return Read();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || failure_ != nullptr; });
    if (ready_.empty()) std::rethrow_exception(failure_);
    Block block = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return block;
  }

private:
  static constexpr std::size_t kBlock = 1 << 16;
  static constexpr std::size_t kAhead = 8;

  Block Read() {
    Block block;
    block.bytes.resize(kBlock);
    const zip_int64_t got = zip_fread(file_, block.bytes.data(), kBlock);
    if (got < 0) {
      block.bytes = zip_file_strerror(file_);
      block.failed = true;
    } else {
      block.bytes.resize(static_cast<std::size_t>(got));
    }
    return block;
  }

  void Run() {
    try {
      for (;;) {
        Block block = Read();
        const bool end = block.failed || block.bytes.empty();
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stop_ || ready_.size() < kAhead; });
        if (stop_) return;
        ready_.push_back(std::move(block));
        changed_.notify_all();
        if (end) return;
      }
    } catch (...) {
      // Memory ran out, most likely: the reading thread meets the exception, as it would have
      // inflating the block itself, rather than this one ending the process.
      std::lock_guard<std::mutex> lock(mutex_);
      failure_ = std::current_exception();
      changed_.notify_all();
    }
  }

  zip_file_t* file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> ready_;
  bool stop_ = false;
  std::exception_ptr failure_; // what ended the thread early
  std::thread thread_;         // last: starts once the rest is ready; none for a small part
};

std::string ZipReason(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string reason = zip_error_strerror(&error);
  zip_error_fini(&error);
  return reason;
}

} // namespace

std::string_view LocalName(std::string_view name) {
  const auto colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const char* Attribute(const char** attributes, std::string_view name) {
  // One pass over each name, for its end and its last ':' at once: this runs for every cell.
  for (; attributes[0] != nullptr; attributes += 2) {
    const char* local = attributes[0];
    const char* end = local;
    for (; *end != '\0'; ++end)
      if (*end == ':') local = end + 1;
    if (std::string_view(local, static_cast<std::size_t>(end - local)) == name)
      return attributes[1];
  }
  return nullptr;
}

std::unique_ptr<ZipPackage> ZipPackage::Open(const std::string& path, std::string& error,
                                             std::uint64_t max_part_bytes) {
  int code = 0;
  zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
  if (zip == nullptr) {
    error = code == ZIP_ER_NOZIP ? "not a zip package (an .xlsx file is one)"
                                 : "not a readable zip package: " + ZipReason(code);
    return nullptr;
  }
  // Part names are compared as the package does, without regard to case: two names that differ
  // only in case would leave open which part a relationship means.
  std::unordered_set<std::string> names;
  const zip_int64_t count = zip_get_num_entries(zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0);
    if (name == nullptr) continue;
    std::string folded(name);
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!names.insert(std::move(folded)).second) {
      error = std::string("the package holds two parts named ") + name +
              " (part names are the same whatever their case)";
      zip_discard(zip);
      return nullptr;
    }
  }
  return std::unique_ptr<ZipPackage>(new ZipPackage(zip, max_part_bytes));
}

std::string ZipPackage::Limit() const {
  return max_ % (std::uint64_t{1} << 30) == 0 ? std::to_string(max_ >> 30) + " GiB"
                                              : std::to_string(max_) + " bytes";
}

ZipPackage::~ZipPackage() {
  zip_discard(zip_);
}

bool ZipPackage::Has(const std::string& part) const {
  return zip_name_locate(zip_, part.c_str(), ZIP_FL_NOCASE) >= 0;
}

bool ZipPackage::Read(const std::string& part, const std::function<bool(std::string_view)>& take,
                      std::string& error) const {
  const zip_int64_t index = zip_name_locate(zip_, part.c_str(), ZIP_FL_NOCASE);
  if (index < 0) {
    error = "the part " + part + " is missing";
    return false;
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(zip_, static_cast<zip_uint64_t>(index), 0, &stat) != 0) {
    error = "the part " + part + " cannot be read: " + zip_strerror(zip_);
    return false;
  }
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
    error = "the part " + part + " is encrypted (password-protected)";
    return false;
  }
  // The size the directory declares may lie; the bytes are counted as they come as well.
  if ((stat.valid & ZIP_STAT_SIZE) && stat.size > max_) {
    error = "the part " + part + " inflates to " + std::to_string(stat.size) +
            " bytes, beyond the limit of " + Limit();
    return false;
  }
  std::unique_ptr<zip_file_t, FileClose> file(
      zip_fopen_index(zip_, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    error = "the part " + part + " cannot be read: " + zip_strerror(zip_);
    return false;
  }
  // A thread pays for itself from a megabyte or so of XML.
  const bool large = !(stat.valid & ZIP_STAT_SIZE) || stat.size > (std::uint64_t{1} << 20);
  Inflater inflater(file.get(), large);
  std::uint64_t total = 0;
  for (;;) {
    Inflater::Block block = inflater.Next();
    if (block.failed) {
      error = "the part " + part + " is corrupt: " + block.bytes;
      return false;
    }
    total += block.bytes.size();
    if (total > max_) {
      error = "the part " + part + " inflates beyond the limit of " + Limit();
      return false;
    }
    if (!take(block.bytes)) return false;
    if (block.bytes.empty()) return true;
  }
}

bool ZipPackage::Parse(const std::string& part, XmlHandler& handler, std::string& error) const {
  std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
  if (!parser) {
    error = "out of memory";
    return false;
  }
  Session session{parser.get(), &handler, part, {}};
  XML_SetUserData(parser.get(), &session);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);

  XmlTokenGuard guard;
  return Read(
      part,
      [&](std::string_view bytes) {
        if (!guard.Feed(bytes)) {
          error = "the part " + part + " holds " + guard.Kind() + " longer than " +
                  std::to_string(XmlTokenGuard::kMaxTokenBytes >> 10) +
                  " KiB (a workbook's are a few hundred bytes)";
          return false;
        }
        const bool last = bytes.empty();
        if (XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), last) ==
            XML_STATUS_ERROR) {
          if (!session.refusal.empty())
            error = session.refusal;
          else
            error = "the part " + part + " is not well-formed XML (line " +
                    std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                    "): " + XML_ErrorString(XML_GetErrorCode(parser.get()));
          return false;
        }
        return true;
      },
      error);
}

std::optional<std::string> ResolveTarget(std::string_view source, std::string_view target) {
  std::string path;
  if (!target.empty() && target.front() == '/') {
    target.remove_prefix(1);
  } else {
    const auto slash = source.rfind('/');
    if (slash != std::string_view::npos) path = std::string(source.substr(0, slash + 1));
  }
  path += target;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    auto end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string piece = path.substr(start, end - start);
    if (piece == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    start = end + 1;
  }
  if (parts.empty()) return std::nullopt;
  std::string resolved;
  for (const std::string& piece : parts)
    resolved += (resolved.empty() ? "" : "/") + piece;
  return resolved;
}

} // namespace kvhost::xlsx
