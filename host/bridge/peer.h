// One end of the conversation between kvhost and the Windows helper.
//
// Both ends are alike: either may ask, and while it waits for its answer it serves what the
// other end asks meanwhile, to any depth (kvhost asks for a procedure call, the add-in calls
// Excel4v, the helper asks kvhost, kvhost's handler shows a dialog that asks the helper...).
// Each frame is a 32-bit byte count and that many bytes: a kind (question or answer), and for a
// question its operation code, then the body.
#pragma once

#include <functional>
#include <string>

#include "message.h"

namespace kvbridge {

// The pipe itself. Each call moves all the bytes or fails (the other end gone, a broken pipe).
class ByteStream {
public:
  virtual ~ByteStream() = default;
  virtual bool ReadAll(void* data, std::size_t size) = 0;
  virtual bool WriteAll(const void* data, std::size_t size) = 0;
};

// A frame larger than this is taken for damage, not for a message.
constexpr std::uint32_t kMaxFrame = 64u << 20;

class Peer {
public:
  // Answers one question of the other end: reads its body from `in`, writes the answer to `out`.
  using Handler = std::function<void(std::uint8_t operation, Reader& in, Writer& out)>;

  Peer(ByteStream& stream, Handler handler) : stream_(stream), handler_(std::move(handler)) {}

  // Asks and waits for the answer, serving the other end's questions meanwhile. Throws
  // PeerBroken when the conversation breaks.
  std::vector<std::uint8_t> Ask(std::uint8_t operation, const Writer& body);

  // Serves questions until the other end asks `until` (answered with an empty body) or the
  // stream ends between frames; false in the second case. Throws PeerBroken for a frame cut
  // short or damaged.
  bool Serve(std::uint8_t until);

  // Questions being answered right now, this end's own included; the depth of the nesting.
  int depth() const { return depth_; }

private:
  struct Frame {
    bool question = false;
    std::uint8_t operation = 0;
    std::vector<std::uint8_t> body;
  };
  // Nothing when the stream ended cleanly before a frame.
  bool ReadFrame(Frame& frame);
  void WriteFrame(bool question, std::uint8_t operation, const std::vector<std::uint8_t>& body);
  void Answer(const Frame& question);

  ByteStream& stream_;
  Handler handler_;
  int depth_ = 0;
};

} // namespace kvbridge
