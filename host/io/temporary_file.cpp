#include "temporary_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kvhost {
namespace {
constexpr std::size_t kMaxFileName = 255; // bytes, on every file system kvhost writes to

// A writer may put a temporary of its own beside the file it writes ("FILE.XXXXXX", as libzip
// does when the package is finished).
constexpr std::size_t kWritersSuffix = 8;

// ".NAME.kvhost-PID-" before mkstemp's six characters: hidden, clearly kvhost's, and telling
// which process made it. A name near the limit is shortened (at a UTF-8 character boundary) so
// that the temporary name, and a writer's temporary beside it, still fit.
std::string TemporaryPrefix(const std::string& name) {
  const std::string tag = ".kvhost-" + std::to_string(::getpid()) + "-";
  const std::size_t room = kMaxFileName - 1 - tag.size() - 6 - kWritersSuffix;
  std::size_t keep = std::min(name.size(), room);
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
    --keep;
  return "." + name.substr(0, keep) + tag;
}

// rename() that never replaces: renameat2's RENAME_NOREPLACE, or, on a file system without it,
// a hard link to the new name (which fails on an existing name) and the old name removed.
bool MoveToNewName(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

} // namespace

void RemoveLeftoversOfEndedProcesses(const std::filesystem::path& folder,
                                     const std::string& prefix) {
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator(folder, failed)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      std::filesystem::remove_all(entry.path(), failed);
  }
}

bool TemporaryFile::Create(const std::string& destination, std::string& error) {
  const std::filesystem::path target(destination);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const std::string name = target.filename().string();
  // Temporaries of NAME left by a kvhost killed while saving go; a running one's stay its own.
  const std::string mine = TemporaryPrefix(name);
  RemoveLeftoversOfEndedProcesses(folder, mine.substr(0, mine.rfind(".kvhost-") + 8));
  std::string pattern = (folder / (mine + "XXXXXX")).string();
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) {
    error = std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private: a file written over keeps its permissions, a new one gets
  // those any new file gets.
  struct stat existing {};
  mode_t mode = 0;
  if (::stat(destination.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(descriptor, mode);
  ::close(descriptor);
  path_ = pattern;
  return true;
}

bool TemporaryFile::Sync(std::string& error) {
  const int descriptor = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    error = std::string("cannot open the written file: ") + std::strerror(errno);
    return false;
  }
  const bool synced = ::fsync(descriptor) == 0;
  const int cause = errno;
  ::close(descriptor);
  if (!synced) error = std::string("cannot flush the file to the disk: ") + std::strerror(cause);
  return synced;
}

bool TemporaryFile::RenameTo(const std::string& destination, std::string& error, bool replace) {
  if (replace ? std::rename(path_.c_str(), destination.c_str()) != 0
              : !MoveToNewName(path_, destination)) {
    error = std::strerror(errno);
    return false;
  }
  path_.clear();
  // The rename itself reaches the disk with the folder. A file system that cannot flush a
  // folder (EINVAL) has nothing to flush.
  std::filesystem::path folder = std::filesystem::path(destination).parent_path();
  if (folder.empty()) folder = ".";
  const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    error = "cannot open its folder to flush it: " + std::string(std::strerror(errno));
    return false;
  }
  const bool synced = ::fsync(descriptor) == 0 || errno == EINVAL;
  const int cause = errno;
  ::close(descriptor);
  if (!synced) error = "cannot flush its folder to the disk: " + std::string(std::strerror(cause));
  return synced;
}

TemporaryFile::~TemporaryFile() {
  if (path_.empty()) return;
  std::remove(path_.c_str());
  // A writer that died while it wrote leaves its own temporary as "FILE.XXXXXX".
  const std::filesystem::path file(path_);
  std::error_code failed;
  const std::string beside = file.filename().string() + ".";
  for (const auto& entry : std::filesystem::directory_iterator(
           file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path(), failed)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == beside.size() + 6 && name.compare(0, beside.size(), beside) == 0)
      std::filesystem::remove(entry.path(), failed);
  }
}

} // namespace kvhost
