// The registry as a text file; registry.h describes the file and its rules.
#include "kvplatform/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "kvplatform/ansi.h"

namespace kvp {
namespace {

constexpr std::string_view kHeader = "# Kavenlor registry 1";
// Larger than any settings file; a bigger one is not ours.
constexpr off_t kMaxFileSize = 16 << 20;
// Between the registry file's name and mkstemp's six characters in a writer's temporary file.
constexpr char kTemporaryTag[] = ".kvtemp-";

struct Value {
  std::string name; // ANSI
  RegistryType type;
  std::string data; // a text without its zero, or the binary bytes
};

struct Key {
  std::string path; // ANSI, as created
  std::vector<Value> values;
};

using Store = std::vector<Key>;

// What a RegistryKey holds on Linux.
struct KeyLocation {
  std::string file;
  std::string path;
  bool writable;
};

// ---- case folding of code page 1252 names, as the Windows registry compares them

std::string Fold(std::string_view text) {
  return FoldAnsiCase(text);
}

bool SameName(std::string_view a, std::string_view b) {
  return Fold(a) == Fold(b);
}

// ---- the file's text form

bool Escaped(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '%' || c == '"' || c == 0x81 || c == 0x8D || c == 0x8F ||
         c == 0x90 || c == 0x9D;
}

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& out, unsigned char c) {
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xF];
}

std::string Encode(std::string_view ansi) {
  std::string out;
  std::size_t plain_start = 0;
  for (std::size_t i = 0; i <= ansi.size(); ++i) {
    if (i < ansi.size() && !Escaped(static_cast<unsigned char>(ansi[i]))) continue;
    out += AnsiToUtf8(ansi.substr(plain_start, i - plain_start));
    if (i < ansi.size()) {
      out += '%';
      AppendHexByte(out, static_cast<unsigned char>(ansi[i]));
    }
    plain_start = i + 1;
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<unsigned char> HexByte(std::string_view two) {
  if (two.size() < 2) return std::nullopt;
  const int high = HexValue(two[0]);
  const int low = HexValue(two[1]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<unsigned char>(high * 16 + low);
}

// UTF-8 with %XX escapes back to ANSI; nothing when a character has no ANSI byte, the UTF-8 is
// broken, an escape is malformed or a zero appears.
std::optional<std::string> Decode(std::string_view encoded) {
  std::string out;
  std::size_t plain_start = 0;
  for (std::size_t i = 0; i <= encoded.size(); ++i) {
    if (i < encoded.size() && encoded[i] != '%') continue;
    const std::string_view plain = encoded.substr(plain_start, i - plain_start);
    std::string ansi = Utf8ToAnsi(plain);
    // Utf8ToAnsi answers '?' for what it cannot map; only an exact round trip is faithful.
    if (AnsiToUtf8(ansi) != plain) return std::nullopt;
    out += ansi;
    if (i < encoded.size()) {
      const auto byte = HexByte(encoded.substr(i + 1, 2));
      if (!byte || *byte == 0) return std::nullopt;
      out += static_cast<char>(*byte);
      i += 2;
    }
    plain_start = i + 1;
  }
  return out;
}

std::string Serialize(const Store& store) {
  std::string out(kHeader);
  out += '\n';
  for (const Key& key : store) {
    out += '[' + Encode(key.path) + "]\n";
    for (const Value& value : key.values) {
      out += '"' + Encode(value.name) + "\" = ";
      if (value.type == RegistryType::Text) {
        out += "text \"" + Encode(value.data) + '"';
      } else {
        out += "binary";
        if (!value.data.empty()) out += ' ';
        for (char c : value.data)
          AppendHexByte(out, static_cast<unsigned char>(c));
      }
      out += '\n';
    }
  }
  return out;
}

// `line` starts with a double quote; takes the quoted text off its front.
std::optional<std::string> TakeQuoted(std::string_view& line) {
  if (line.empty() || line.front() != '"') return std::nullopt;
  const std::size_t close = line.find('"', 1);
  if (close == std::string_view::npos) return std::nullopt;
  auto text = Decode(line.substr(1, close - 1));
  line.remove_prefix(close + 1);
  return text;
}

bool TakePrefix(std::string_view& line, std::string_view prefix) {
  if (line.substr(0, prefix.size()) != prefix) return false;
  line.remove_prefix(prefix.size());
  return true;
}

std::optional<Value> ParseValue(std::string_view line) {
  Value value;
  auto name = TakeQuoted(line);
  if (!name || !TakePrefix(line, " = ")) return std::nullopt;
  value.name = std::move(*name);
  if (TakePrefix(line, "text ")) {
    auto text = TakeQuoted(line);
    if (!text || !line.empty()) return std::nullopt;
    value.type = RegistryType::Text;
    value.data = std::move(*text);
    return value;
  }
  if (!TakePrefix(line, "binary")) return std::nullopt;
  value.type = RegistryType::Binary;
  if (line.empty()) return value;
  if (!TakePrefix(line, " ") || line.empty() || line.size() % 2 != 0) return std::nullopt;
  for (std::size_t i = 0; i < line.size(); i += 2) {
    const auto byte = HexByte(line.substr(i, 2));
    if (!byte) return std::nullopt;
    value.data += static_cast<char>(*byte);
  }
  return value;
}

// Blanks and tabs around a line, and the CR of a CRLF line end, are no part of it.
std::string_view Trimmed(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
    line.remove_prefix(1);
  return line;
}

// A registry read line by line. A line that is not understood (a value of a key that is not
// understood with it) is skipped and its number noted in `skipped`; the rest holds. A file that
// does not start with the header is no registry: nothing.
std::optional<Store> Parse(std::string_view text, std::vector<int>& skipped) {
  Store store;
  skipped.clear();
  bool first = true;
  bool in_skipped_key = false;
  for (int number = 1; !text.empty(); ++number) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      std::optional<std::string> path;
      if (line.size() >= 2 && line.back() == ']') path = Decode(line.substr(1, line.size() - 2));
      in_skipped_key = !path || path->empty() ||
                       std::any_of(store.begin(), store.end(),
                                   [&](const Key& key) { return SameName(key.path, *path); });
      if (in_skipped_key)
        skipped.push_back(number);
      else
        store.push_back(Key{std::move(*path), {}});
      continue;
    }
    auto value = ParseValue(line);
    if (!value || store.empty() || in_skipped_key ||
        std::any_of(store.back().values.begin(), store.back().values.end(),
                    [&](const Value& other) { return SameName(other.name, value->name); })) {
      skipped.push_back(number);
      continue;
    }
    store.back().values.push_back(std::move(*value));
  }
  if (first) return std::nullopt; // not even the header
  return store;
}

// Says once per file and process what of the file is ignored: the settings it held there are
// gone for the add-in, and a person should know why.
void WarnOfSkippedLines(const std::string& file, const std::vector<int>& skipped) {
  static std::set<std::string> warned;
  if (skipped.empty() || !warned.insert(file).second) return;
  std::string lines;
  for (std::size_t i = 0; i < skipped.size() && i < 5; ++i)
    lines += (i ? ", " : "") + std::to_string(skipped[i]);
  if (skipped.size() > 5) lines += ", ...";
  std::fprintf(stderr, "kavenlor: %s: line%s %s not understood and ignored\n", file.c_str(),
               skipped.size() > 1 ? "s" : "", lines.c_str());
}

// ---- the file on disk

std::string RegistryFile() {
  if (const char* file = std::getenv("KAVENLOR_REGISTRY"); file != nullptr && *file != '\0')
    return file;
  // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    return std::string(config) + "/kavenlor/registry";
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || *home == '\0') return {};
  return std::string(home) + "/.config/kavenlor/registry";
}

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadWholeFile(const std::string& file, std::string& text) {
  // Non-blocking, so that a FIFO put where the file should be cannot stop the reader; it is
  // refused below as it is no regular file.
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
    close(fd);
    return ReadResult::Failed;
  }
  text.clear();
  char chunk[8192];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || text.size() + static_cast<std::size_t>(got) > kMaxFileSize) {
      close(fd);
      return ReadResult::Failed;
    }
    if (got == 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  return ReadResult::Read;
}

// The registry as it is on disk now; nothing when it is unreadable or corrupt.
std::optional<Store> Load(const std::string& file) {
  std::string text;
  if (ReadWholeFile(file, text) != ReadResult::Read) return std::nullopt;
  std::vector<int> skipped;
  auto store = Parse(text, skipped);
  WarnOfSkippedLines(file, skipped);
  return store;
}

std::string FolderOf(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : file.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::string parent = FolderOf(folder);
  if (parent != folder && !MakeFolders(parent)) return false;
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t put = write(fd, text.data(), text.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

// Writes the new registry beside the old one and renames it over it, so that a reader at any
// moment finds one whole file.
bool ReplaceFile(const std::string& file, const std::string& text) {
  const std::string folder = FolderOf(file);
  std::string temporary = file + kTemporaryTag + "XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return false;
  struct stat old {};
  if (stat(file.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
  const bool written = WriteAll(fd, text) && fsync(fd) == 0;
  if (close(fd) != 0 || !written || rename(temporary.c_str(), file.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// Serialises the writers of one registry file, across processes.
class WriterLock {
public:
  explicit WriterLock(const std::string& file)
      : fd_(open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~WriterLock() {
    if (fd_ >= 0) close(fd_); // releases the lock
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;
  bool held() const { return fd_ >= 0; }

private:
  int fd_;
};

// Reads the registry for a change: a missing file is an empty registry, a corrupt one what
// could be understood of it (`corrupt` says so, and the file is kept aside when it is written),
// an unreadable one is left alone (false).
bool LoadForChange(const std::string& file, Store& store, bool& corrupt) {
  std::string text;
  store.clear();
  corrupt = false;
  switch (ReadWholeFile(file, text)) {
  case ReadResult::Missing: return true;
  case ReadResult::Failed: return false;
  case ReadResult::Read: break;
  }
  std::vector<int> skipped;
  auto parsed = Parse(text, skipped);
  corrupt = !parsed || !skipped.empty();
  if (parsed) store = std::move(*parsed);
  return true;
}

// A writer killed between making its temporary file and renaming it leaves the file behind;
// the next writer, holding the lock, knows that no other writer is at work and removes it.
void RemoveAbandonedTemporaries(const std::string& file) {
  const std::string folder = FolderOf(file);
  const std::string prefix = file.substr(file.rfind('/') + 1) + kTemporaryTag;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return;
  while (const dirent* entry = readdir(listing))
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
      unlink((folder + "/" + entry->d_name).c_str());
  closedir(listing);
}

// Keeps a corrupt file aside under the first free name of FILE.corrupt, FILE.corrupt-2, ...:
// a later corruption never replaces the copy of an earlier one.
bool KeepAside(const std::string& file) {
  for (int n = 1; n < 1000; ++n) {
    const std::string copy = file + ".corrupt" + (n == 1 ? "" : "-" + std::to_string(n));
    if (link(file.c_str(), copy.c_str()) == 0) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

// Writes the changed registry (under the writers' lock); a corrupt file it replaces is kept
// aside, never lost.
bool Commit(const std::string& file, const Store& store, bool corrupt) {
  RemoveAbandonedTemporaries(file);
  if (corrupt && !KeepAside(file)) return false;
  return ReplaceFile(file, Serialize(store));
}

// ---- keys

// "Software\Kavenlor\" and "Software\Kavenlor" are one key; a path may not start with '\'.
std::optional<std::string> KeyPath(const char* subkey) {
  if (subkey == nullptr) return std::nullopt;
  std::string path(subkey);
  while (!path.empty() && path.back() == '\\')
    path.pop_back();
  if (path.empty() || path.front() == '\\') return std::nullopt;
  return path;
}

Key* FindKey(Store& store, std::string_view path) {
  for (Key& key : store)
    if (SameName(key.path, path)) return &key;
  return nullptr;
}

// A key exists when it was created itself or when one of its subkeys was.
bool KeyExists(const Store& store, std::string_view path) {
  const std::string folded = Fold(path);
  return std::any_of(store.begin(), store.end(), [&](const Key& key) {
    const std::string other = Fold(key.path);
    return other == folded ||
           (other.size() > folded.size() && other.compare(0, folded.size(), folded) == 0 &&
            other[folded.size()] == '\\');
  });
}

const KeyLocation* LocationOf(const RegistryKey& key) {
  return static_cast<const KeyLocation*>(key.handle());
}

} // namespace

std::string RegistryFilePath() {
  return RegistryFile();
}

bool OpenRegistryKey(const char* subkey, RegistryKey& key) {
  key = RegistryKey();
  const auto path = KeyPath(subkey);
  const std::string file = RegistryFile();
  if (!path || file.empty()) return false;
  const auto store = Load(file);
  if (!store || !KeyExists(*store, *path)) return false;
  key = RegistryKey(new KeyLocation{file, *path, false});
  return true;
}

bool CreateRegistryKey(const char* subkey, RegistryKey& key) {
  key = RegistryKey();
  const auto path = KeyPath(subkey);
  const std::string file = RegistryFile();
  if (!path || file.empty() || !MakeFolders(FolderOf(file))) return false;
  {
    const WriterLock lock(file);
    Store store;
    bool corrupt = false;
    if (!lock.held() || !LoadForChange(file, store, corrupt)) return false;
    if (FindKey(store, *path) == nullptr) {
      store.push_back(Key{*path, {}});
      if (!Commit(file, store, corrupt)) return false;
    }
  }
  key = RegistryKey(new KeyLocation{file, *path, true});
  return true;
}

bool QueryRegistryValue(const RegistryKey& key, const char* name, RegistryType& type,
                        unsigned char* buffer, std::size_t& size) {
  const KeyLocation* location = LocationOf(key);
  if (location == nullptr || name == nullptr) return false;
  auto store = Load(location->file);
  if (!store) return false;
  const Key* found = FindKey(*store, location->path);
  if (found == nullptr) return false;
  for (const Value& value : found->values) {
    if (!SameName(value.name, name)) continue;
    const bool text = value.type == RegistryType::Text;
    const std::size_t needed = value.data.size() + (text ? 1 : 0);
    type = value.type;
    if (buffer == nullptr) {
      size = needed;
      return true;
    }
    if (size < needed) {
      size = needed;
      return false;
    }
    std::memcpy(buffer, value.data.data(), value.data.size());
    if (text) buffer[value.data.size()] = 0;
    size = needed;
    return true;
  }
  return false;
}

bool SetRegistryValue(const RegistryKey& key, const char* name, RegistryType type,
                      const unsigned char* data, std::size_t size) {
  const KeyLocation* location = LocationOf(key);
  if (location == nullptr || !location->writable || name == nullptr) return false;
  if (data == nullptr && size != 0) return false;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (type == RegistryType::Text) {
    if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    if (bytes.find('\0') != std::string::npos) return false;
  }
  const WriterLock lock(location->file);
  Store store;
  bool corrupt = false;
  if (!lock.held() || !LoadForChange(location->file, store, corrupt)) return false;
  Key* target = FindKey(store, location->path);
  if (target == nullptr) return false; // the key went away since it was opened
  auto existing = std::find_if(target->values.begin(), target->values.end(),
                               [&](const Value& value) { return SameName(value.name, name); });
  if (existing != target->values.end()) {
    existing->type = type;
    existing->data = std::move(bytes);
  } else {
    target->values.push_back(Value{name, type, std::move(bytes)});
  }
  return Commit(location->file, store, corrupt);
}

void CloseRegistryKey(RegistryKey& key) {
  delete static_cast<KeyLocation*>(key.release());
}

} // namespace kvp
