#include "output_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace kvhost {
namespace {
constexpr int kMaxLinks = 40; // as the kernel's own limit on a chain of links

// Two targets of the set: the same file, or the same path for a file not there yet.
bool SameTarget(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  return std::filesystem::weakly_canonical(a) == std::filesystem::weakly_canonical(b);
}
} // namespace

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat first {
  }, second{};
  return !a.empty() && !b.empty() && ::stat(a.c_str(), &first) == 0 &&
         ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

std::string OverwritesInput(const std::string& given, const std::vector<ReadFile>& inputs) {
  for (const ReadFile& input : inputs)
    if (SameExistingFile(given, input.path))
      return given + " is " + input.what + " " + input.path +
             ": kvhost does not write over a file it reads";
  return {};
}

bool ResolveOutputPath(const std::string& given, std::string& resolved, std::string& error) {
  if (given.empty()) {
    error = "an empty path names no file to write";
    return false;
  }
  std::filesystem::path path(given);
  for (int links = 0;; ++links) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
      if (errno == ENOENT) break; // a new file (its folder is checked when it is made)
      error = "cannot write " + given + ": " + std::strerror(errno);
      return false;
    }
    if (S_ISLNK(status.st_mode)) {
      if (links == kMaxLinks) {
        error = "cannot write " + given + ": too many levels of symbolic links";
        return false;
      }
      std::error_code failed;
      const std::filesystem::path target = std::filesystem::read_symlink(path, failed);
      if (failed) {
        error = "cannot write " + given + ": " + failed.message();
        return false;
      }
      path = target.is_absolute() ? target : path.parent_path() / target;
      continue;
    }
    if (!S_ISREG(status.st_mode)) {
      error = "cannot write " + given + ": it is not a regular file";
      return false;
    }
    // Permission bits, not access(): a read-only file stays so even for the superuser.
    if ((status.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
      error = "cannot write " + given + ": the file is read-only";
      return false;
    }
    break;
  }
  resolved = path.string();
  return true;
}

bool OutputSet::Stage(const std::string& given, std::string& staged_path, std::string& error) {
  std::string target;
  if (!ResolveOutputPath(given, target, error)) return false;
  for (const Entry& entry : entries_)
    if (SameTarget(entry.target, target)) {
      error = "cannot write " + given + " and " + entry.given + ": they are the same file";
      return false;
    }
  if (std::string reason = OverwritesInput(target, inputs_); !reason.empty()) {
    error = "cannot write " + given + ": it" + reason.substr(target.size());
    return false;
  }
  struct stat existing {};
  if (!replace_ && ::lstat(target.c_str(), &existing) == 0) {
    error = "cannot write " + given + ": " + std::strerror(EEXIST);
    return false;
  }
  auto file = std::make_unique<TemporaryFile>();
  std::string cause;
  if (!file->Create(target, cause)) {
    error = "cannot write " + given + ": " + cause;
    return false;
  }
  staged_path = file->Path();
  entries_.push_back(Entry{given, target, std::move(file)});
  return true;
}

bool OutputSet::Commit(std::string& error) {
  for (Entry& entry : entries_) {
    std::string cause;
    if (!entry.file->Sync(cause)) {
      error = "cannot write " + entry.given + ": " + cause;
      return false;
    }
  }
  for (Entry& entry : entries_) {
    std::string cause;
    if (!entry.file->RenameTo(entry.target, cause, replace_)) {
      error = "cannot write " + entry.given + ": " + cause;
      return false;
    }
  }
  entries_.clear();
  return true;
}

} // namespace kvhost
