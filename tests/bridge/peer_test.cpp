// The conversation: questions nested to any depth from both ends over real pipes, and a
// conversation that breaks (stream cut inside a frame, damaged frame) reported, never hung on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "peer.h"

namespace kvbridge {
namespace {

class FdStream final : public ByteStream {
public:
  FdStream(int in, int out) : in_(in), out_(out) {}
  bool ReadAll(void* data, std::size_t size) override {
    auto* at = static_cast<char*>(data);
    while (size > 0) {
      const ssize_t got = read(in_, at, size);
      if (got <= 0) return false;
      at += got;
      size -= static_cast<std::size_t>(got);
    }
    return true;
  }
  bool WriteAll(const void* data, std::size_t size) override {
    return write(out_, data, size) == static_cast<ssize_t>(size);
  }

private:
  int in_, out_;
};

constexpr std::uint8_t kCountDown = 7, kStop = 9;

// Each end answers "count down from n" by asking the other end to count down from n - 1,
// so the questions nest n deep, alternating ends, and the answer collects who answered.
void CountDown(Peer& self, char name, Reader& in, Writer& out) {
  const std::uint32_t n = in.U32();
  std::string trail(1, name);
  if (n > 0) {
    Writer body;
    body.U32(n - 1);
    const auto answer = self.Ask(kCountDown, body);
    Reader back(answer);
    trail += back.Bytes();
  }
  out.Bytes(trail);
}

TEST(Peer, QuestionsNestBothWaysToAnyDepth) {
  int a_to_b[2], b_to_a[2];
  ASSERT_EQ(pipe(a_to_b), 0);
  ASSERT_EQ(pipe(b_to_a), 0);
  FdStream a_stream(b_to_a[0], a_to_b[1]), b_stream(a_to_b[0], b_to_a[1]);
  Peer* a_peer = nullptr;
  Peer a(a_stream,
         [&](std::uint8_t, Reader& in, Writer& out) { CountDown(*a_peer, 'a', in, out); });
  a_peer = &a;
  std::thread b_side([&] {
    Peer* b_peer = nullptr;
    Peer b(b_stream,
           [&](std::uint8_t, Reader& in, Writer& out) { CountDown(*b_peer, 'b', in, out); });
    b_peer = &b;
    EXPECT_TRUE(b.Serve(kStop));
    EXPECT_EQ(b.depth(), 0);
  });
  Writer body;
  body.U32(5);
  const auto answer = a.Ask(kCountDown, body);
  Reader in(answer);
  EXPECT_EQ(in.Bytes(), "bababa"); // from 5 down to 0: b answered first, asking a, ...
  EXPECT_EQ(a.depth(), 0);
  a.Ask(kStop, Writer{});
  b_side.join();
  for (int fd : {a_to_b[0], a_to_b[1], b_to_a[0], b_to_a[1]})
    close(fd);
}

// Feeds `bytes` as what the other end sent, then ends the stream.
std::vector<std::uint8_t> Ask(const std::vector<std::uint8_t>& bytes) {
  int from[2], to[2];
  EXPECT_EQ(pipe(from), 0);
  EXPECT_EQ(pipe(to), 0);
  EXPECT_EQ(write(from[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(from[1]);
  FdStream stream(from[0], to[1]);
  Peer peer(stream, [](std::uint8_t, Reader&, Writer&) {});
  struct Closer {
    int fds[3];
    ~Closer() {
      for (int fd : fds)
        close(fd);
    }
  } closer{{from[0], to[0], to[1]}};
  return peer.Ask(kCountDown, Writer{});
}

TEST(Peer, ABrokenConversationIsReportedNotHungOn) {
  // Nothing at all, a length cut short, a frame cut short, a length no message has, a frame
  // of unknown kind, an answer to another question.
  const std::vector<std::vector<std::uint8_t>> cases = {{},
                                                        {5, 0},
                                                        {10, 0, 0, 0, 2, kCountDown, 1},
                                                        {0xFF, 0xFF, 0xFF, 0xFF},
                                                        {2, 0, 0, 0, 9, kCountDown},
                                                        {2, 0, 0, 0, 2, kStop}};
  for (const auto& bytes : cases)
    EXPECT_THROW(Ask(bytes), PeerBroken) << bytes.size() << " bytes";
  EXPECT_NO_THROW(Ask({2, 0, 0, 0, 2, kCountDown}));
}

} // namespace
} // namespace kvbridge
