// kvhost's end of the pipe to the Windows helper: the helper started as a child process with
// its standard input and output as the pipe, its greeting checked, and the conversation.
//
// The helper stopping in the middle of the conversation (it crashed, Wine died, a frame cut
// short) cannot be recovered from: kvhost says so on one line of standard error and exits 2.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "peer.h"

namespace kvbridge {

class HelperProcess {
public:
  // Starts `command` (its first word looked up in PATH). Null, with the reason in `error`,
  // when it cannot be started; a helper that starts but does not greet stops kvhost.
  static std::unique_ptr<HelperProcess> Start(const std::vector<std::string>& command,
                                              std::string& error);
  ~HelperProcess(); // asks the helper to quit and waits for it
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Who answers the helper's questions.
  void SetHandler(Peer::Handler handler) { handler_ = std::move(handler); }

  // Asks the helper; the answer's bytes. Never returns when the helper stopped.
  std::vector<std::uint8_t> Ask(std::uint8_t operation, const Writer& body);

  // Reports a broken conversation and ends kvhost (exit 2).
  [[noreturn]] void Stopped(const std::string& reason);

private:
  HelperProcess(pid_t pid, int to_helper, int from_helper);

  class Pipe;
  pid_t pid_;
  std::unique_ptr<Pipe> pipe_;
  Peer::Handler handler_;
  Peer peer_;
};

} // namespace kvbridge
