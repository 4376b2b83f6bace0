#include "peer.h"

namespace kvbridge {
namespace {
constexpr std::uint8_t kQuestion = 1;
constexpr std::uint8_t kAnswer = 2;
} // namespace

bool Peer::ReadFrame(Frame& frame) {
  std::uint8_t head[4];
  if (!stream_.ReadAll(head, 1)) return false; // ended between frames
  if (!stream_.ReadAll(head + 1, 3)) throw PeerBroken("the stream ended inside a frame");
  const std::uint32_t size = head[0] | head[1] << 8 | head[2] << 16 | std::uint32_t{head[3]} << 24;
  if (size < 2 || size > kMaxFrame)
    throw PeerBroken("a frame of " + std::to_string(size) + " bytes is no message");
  std::vector<std::uint8_t> bytes(size);
  if (!stream_.ReadAll(bytes.data(), size)) throw PeerBroken("the stream ended inside a frame");
  if (bytes[0] != kQuestion && bytes[0] != kAnswer)
    throw PeerBroken("a frame of unknown kind " + std::to_string(bytes[0]));
  frame.question = bytes[0] == kQuestion;
  frame.operation = bytes[1];
  frame.body.assign(bytes.begin() + 2, bytes.end());
  return true;
}

void Peer::WriteFrame(bool question, std::uint8_t operation,
                      const std::vector<std::uint8_t>& body) {
  if (body.size() > kMaxFrame - 2) throw PeerBroken("a message too large to send");
  Writer frame;
  frame.U32(static_cast<std::uint32_t>(body.size() + 2));
  frame.U8(question ? kQuestion : kAnswer);
  frame.U8(operation);
  frame.Raw(body.data(), body.size());
  if (!stream_.WriteAll(frame.bytes().data(), frame.bytes().size()))
    throw PeerBroken("the other end no longer reads");
}

void Peer::Answer(const Frame& question) {
  ++depth_;
  Writer out;
  try {
    Reader in(question.body);
    handler_(question.operation, in, out);
  } catch (const PeerBroken&) {
    --depth_;
    throw;
  } catch (const std::exception& e) {
    --depth_;
    throw PeerBroken(std::string("answering a question failed: ") + e.what());
  } catch (...) {
    --depth_;
    throw;
  }
  --depth_;
  WriteFrame(false, question.operation, out.bytes());
}

std::vector<std::uint8_t> Peer::Ask(std::uint8_t operation, const Writer& body) {
  WriteFrame(true, operation, body.bytes());
  ++depth_;
  for (;;) {
    Frame frame;
    if (!ReadFrame(frame)) {
      --depth_;
      throw PeerBroken("the stream ended while an answer was awaited");
    }
    if (!frame.question) {
      --depth_;
      if (frame.operation != operation)
        throw PeerBroken("an answer to operation " + std::to_string(frame.operation) +
                         " came for operation " + std::to_string(operation));
      return std::move(frame.body);
    }
    try {
      Answer(frame);
    } catch (...) {
      --depth_;
      throw;
    }
  }
}

bool Peer::Serve(std::uint8_t until) {
  for (;;) {
    Frame frame;
    if (!ReadFrame(frame)) return false;
    if (!frame.question) throw PeerBroken("an answer came when nothing was asked");
    if (frame.operation == until) {
      WriteFrame(false, until, {});
      return true;
    }
    Answer(frame);
  }
}

} // namespace kvbridge
