#include "helper_process.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "protocol.h"

extern char** environ;

namespace kvbridge {

class HelperProcess::Pipe final : public ByteStream {
public:
  Pipe(int to, int from) : to_(to), from_(from) {}
  ~Pipe() override {
    if (to_ >= 0) close(to_);
    close(from_);
  }
  bool ReadAll(void* data, std::size_t size) override {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t got = read(from_, at, size);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      at += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }
  bool WriteAll(const void* data, std::size_t size) override {
    const auto* at = static_cast<const char*>(data);
    while (size > 0) {
      const ssize_t put = write(to_, at, size);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      at += put;
      size -= static_cast<std::size_t>(put);
    }
    return true;
  }
  // The helper reads the end of its input as the end of the session.
  void CloseInput() {
    if (to_ >= 0) close(to_);
    to_ = -1;
  }

private:
  int to_;
  int from_;
};

std::unique_ptr<HelperProcess> HelperProcess::Start(const std::vector<std::string>& command,
                                                    std::string& error) {
  if (command.empty()) {
    error = "no helper command";
    return nullptr;
  }
  // A helper that died must show as a failed write, not as a signal that ends kvhost silently.
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe(in) != 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  if (pipe(out) != 0) {
    error = std::strerror(errno);
    close(in[0]);
    close(in[1]);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  for (int fd : {in[0], in[1], out[0], out[1]})
    posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<char*> argv;
  for (const std::string& word : command)
    argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  if (spawned != 0) {
    close(in[1]);
    close(out[0]);
    error = "cannot start " + command[0] + ": " + std::strerror(spawned);
    return nullptr;
  }
  std::unique_ptr<HelperProcess> helper(new HelperProcess(pid, in[1], out[0]));
  char greeting[sizeof kGreeting];
  if (!helper->pipe_->ReadAll(greeting, sizeof greeting))
    helper->Stopped("it ended before it greeted kvhost");
  if (std::memcmp(greeting, kGreeting, sizeof greeting) != 0)
    helper->Stopped("its first bytes are not the helper's greeting");
  return helper;
}

HelperProcess::HelperProcess(pid_t pid, int to_helper, int from_helper)
    : pid_(pid), pipe_(std::make_unique<Pipe>(to_helper, from_helper)),
      peer_(*pipe_, [this](std::uint8_t operation, Reader& in, Writer& out) {
        if (!handler_) throw PeerBroken("kvhost does not answer the helper yet");
        handler_(operation, in, out);
      }) {}

HelperProcess::~HelperProcess() {
  try {
    peer_.Ask(kQuit, Writer{});
  } catch (const PeerBroken&) {
    // Gone already: nothing more to say to it.
  }
  pipe_->CloseInput();
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

std::vector<std::uint8_t> HelperProcess::Ask(std::uint8_t operation, const Writer& body) {
  try {
    return peer_.Ask(operation, body);
  } catch (const PeerBroken& broken) {
    Stopped(broken.what());
  }
}

void HelperProcess::Stopped(const std::string& reason) {
  std::fflush(stdout);
  std::fprintf(stderr, "kvhost: the Windows add-in's helper stopped: %s\n", reason.c_str());
  std::fflush(stderr);
  kill(pid_, SIGKILL); // it may be alive but past understanding
  std::_Exit(2);
}

} // namespace kvbridge
