// Starting programs without waiting for them, and finding them along $PATH.
//
// The child is started by a double fork: we fork an intermediate process, which forks the
// program's process and ends at once; we reap the intermediate one straight away, and the
// program, now an orphan, is reaped by init (or the nearest subreaper) when it ends. So no
// zombie is left behind, and we neither touch the process's SIGCHLD disposition nor keep a
// thread waiting for as long as a browser runs, either of which could disturb the host, which
// may wait for children of its own. A close-on-exec pipe tells us whether the exec worked, so
// that a program that cannot be started answers -1 as spawnlp does.
#include "kvplatform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace kvp {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return lower;
}

// The file name without its folder, whichever system's separator the folder uses.
std::string_view BaseName(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// The Windows browsers the add-in knows how to start.
bool IsBrowserName(std::string_view name) {
  const std::string lower = Lower(BaseName(name));
  return lower == "explorer.exe" || lower == "explorer" || lower == "netscape.exe" ||
         lower == "netscape";
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::vector<char> folder(4096);
  while (getcwd(folder.data(), folder.size()) == nullptr) {
    if (errno != ERANGE) return path;
    folder.resize(folder.size() * 2);
  }
  return std::string(folder.data()) + "/" + path;
}

// As execvp looks a program up: a name with a '/' is taken as it is; otherwise each folder of
// $PATH in turn (an empty entry is the current folder; without $PATH, the system's default).
std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? Absolute(name) : "";
  const char* path = std::getenv("PATH");
  std::string folders;
  if (path != nullptr) {
    folders = path;
  } else {
    folders.resize(confstr(_CS_PATH, nullptr, 0));
    if (!folders.empty()) confstr(_CS_PATH, folders.data(), folders.size());
    folders = folders.c_str(); // without confstr's terminating zero
  }
  std::string_view rest = folders;
  for (;;) {
    const std::size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::string candidate =
        (folder.empty() ? std::string(".") : std::string(folder)) + "/" + name;
    if (IsExecutableFile(candidate)) return Absolute(candidate);
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

// The desktop's URL opener: the first word of $BROWSER when it is set, else xdg-open. Empty
// when that program is not there.
std::string UrlOpener() {
  const char* browser = std::getenv("BROWSER");
  if (browser == nullptr || *browser == '\0') return FindProgram("xdg-open");
  const std::string_view words = browser;
  const std::size_t start = words.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  const std::size_t end = words.find_first_of(" \t", start);
  return FindProgram(std::string(words.substr(start, end - start)));
}

bool ReadWhole(int fd, void* buffer, std::size_t size) {
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t got = read(fd, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

// Between fork and exec only async-signal-safe calls: everything is prepared beforehand.
[[noreturn]] void RunProgram(const char* file, char* const* argv, char* const* shell_argv,
                             int null_fd, int report_fd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setsid(); // out of the host's session: the terminal's signals are not the program's
  dup2(null_fd, STDIN_FILENO);
  dup2(null_fd, STDOUT_FILENO); // the host's standard output carries its results
  execv(file, argv);
  int error = errno;
  if (error == ENOEXEC) { // a script without "#!", run by the shell as execvp does
    execv("/bin/sh", shell_argv);
    error = errno;
  }
  [[maybe_unused]] const ssize_t written = write(report_fd, &error, sizeof error);
  _exit(127);
}

int Spawn(const std::string& file, const char* argument) {
  std::string zeroth = file;
  std::string first = argument != nullptr ? argument : "";
  std::vector<char*> argv{zeroth.data()};
  if (argument != nullptr) argv.push_back(first.data());
  argv.push_back(nullptr);
  std::string shell = "sh";
  std::vector<char*> shell_argv{shell.data(), zeroth.data()};
  if (argument != nullptr) shell_argv.push_back(first.data());
  shell_argv.push_back(nullptr);

  const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0) return -1;
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    close(null_fd);
    return -1;
  }
  const pid_t middle = fork();
  if (middle == 0) {
    close(report[0]);
    const pid_t program = fork();
    if (program == 0) RunProgram(file.c_str(), argv.data(), shell_argv.data(), null_fd, report[1]);
    if (program > 0) {
      [[maybe_unused]] const ssize_t written = write(report[1], &program, sizeof program);
    }
    _exit(program > 0 ? 0 : 1);
  }
  close(report[1]);
  close(null_fd);
  if (middle < 0) {
    close(report[0]);
    return -1;
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  // First the program's process id from the middle process, then, only if the exec failed,
  // its error; the end of the pipe without an error means the program runs.
  pid_t program = -1;
  int exec_error = 0;
  const bool started = ReadWhole(report[0], &program, sizeof program) &&
                       !ReadWhole(report[0], &exec_error, sizeof exec_error);
  close(report[0]);
  return started ? static_cast<int>(program) : -1;
}

} // namespace

int SpawnNoWait(const char* program, const char* argument) {
  if (program == nullptr || *program == '\0') return -1;
  const std::string file = IsBrowserName(program) ? UrlOpener() : FindProgram(program);
  if (file.empty()) return -1;
  return Spawn(file, argument);
}

std::string SearchProgramPath(const char* name, const char* extension) {
  if (name == nullptr || *name == '\0') return {};
  // As SearchPathA: the extension is added only to a name that has none.
  std::string file = name;
  const bool has_extension = BaseName(file).find('.') != std::string_view::npos;
  if (!has_extension && extension != nullptr) file += extension;
  if (IsBrowserName(file)) return UrlOpener();
  std::string found = FindProgram(file);
  // Programs here carry no ".exe": a Windows program name is looked up without it too.
  if (found.empty() && !has_extension && extension != nullptr && Lower(extension) == ".exe")
    found = FindProgram(name);
  return found;
}

} // namespace kvp
