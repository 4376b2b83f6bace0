#include "isolated_call.h"

#include <fcntl.h>
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

bool RunIsolated(const std::function<std::string()>& work, const Isolation& isolation,
                 std::string& output, std::string& failure) {
  const std::string who = isolation.who;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    failure = "cannot start a " + who + " process: " + std::strerror(errno);
    return false;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    failure = "cannot start a " + who + " process: " + std::strerror(errno);
    return false;
  }
  if (child == 0) {
    ::close(fds[0]);
    ::alarm(isolation.seconds); // a hang ends with SIGALRM
    // 4 GiB of address space: a sheet of the whole grid needs far less. (The sanitizers reserve
    // terabytes of address space for their shadow memory, so they run without the limit.)
    if (isolation.cap_memory && !kSanitized) {
      const rlimit limit{rlim_t{4} << 30, rlim_t{4} << 30};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    if (isolation.quiet)
      if (const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC); nowhere >= 0)
        ::dup2(nowhere, STDERR_FILENO);
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
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM && isolation.seconds > 0)
    failure = "the " + who + " took more than " + std::to_string(isolation.seconds) + " s";
  else if (WIFSIGNALED(status))
    failure = "the " + who + " crashed (" + strsignal(WTERMSIG(status)) + ")";
  else
    failure = "the " + who + " ended with status " + std::to_string(WEXITSTATUS(status));
  return false;
}

} // namespace kvhost
