#include "isolated_call.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace kvhost {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

} // namespace

bool RunIsolated(const std::function<std::string()>& work, unsigned seconds, std::string& output,
                 std::string& failure) {
  int fds[2];
  if (::pipe(fds) != 0) {
    failure = std::string("cannot start a reader process: ") + std::strerror(errno);
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    failure = std::string("cannot start a reader process: ") + std::strerror(errno);
    return false;
  }
  if (child == 0) {
    ::close(fds[0]);
    ::alarm(seconds); // a hang ends with SIGALRM
    // 4 GiB of address space: a sheet of the whole grid needs far less. (The sanitizers reserve
    // terabytes of address space for their shadow memory, so they run without the limit.)
    if (!kSanitized) {
      const rlimit limit{rlim_t{4} << 30, rlim_t{4} << 30};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    const bool written = WriteAll(fds[1], work());
    ::close(fds[1]);
    ::_exit(written ? 0 : 3);
  }
  ::close(fds[1]);
  output.clear();
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    failure = "the reading took more than " + std::to_string(seconds) + " s";
  else if (WIFSIGNALED(status))
    failure = std::string("the reader crashed (") + strsignal(WTERMSIG(status)) + ")";
  else
    failure = "the reader ended with status " + std::to_string(WEXITSTATUS(status));
  return false;
}

} // namespace kvhost
