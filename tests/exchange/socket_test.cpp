#include "exchange/socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "exchange/id_antifreeze.h"
#include "exchange/id_exceptions.h"
#include "support/fake_platform.h"

namespace pellora::exchange {
namespace {

// A pipe whose write end never becomes writable: it stands for a connect
// that stays pending.
class FullPipe {
 public:
  FullPipe() {
    EXPECT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0);
    const std::string filler(65536, 'x');
    while (::write(fds_[1], filler.data(), filler.size()) > 0) {
    }
  }
  ~FullPipe() {
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  int writeEnd() const { return fds_[1]; }
  int readEnd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

TEST(SocketWait, PendingConnectRunsOutAfterItsLimitPumpingBetweenSlices) {
  FullPipe pipe;
  int idleSlices = 0;
  // 350 ms in slices of 125, 125 and 100: two slices end idle before the last.
  EXPECT_FALSE(
      waitForEvents(pipe.writeEnd(), POLLOUT, 350, kConnectSliceMs, [&] { ++idleSlices; }));
  EXPECT_EQ(idleSlices, 2);
}

TEST(SocketWait, ReadyDescriptorEndsTheWaitWithoutPumping) {
  FullPipe pipe;
  int idleSlices = 0;
  EXPECT_TRUE(waitForEvents(pipe.readEnd(), POLLIN, -1, 250, [&] { ++idleSlices; }));
  EXPECT_EQ(idleSlices, 0);
}

TEST(SocketWait, GuardPumpsWhileAReadWaitsAndTheReadTimeOutEndsIt) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
  Socket reader(fds[0]);
  Socket writer(fds[1]);
  test::FakePump pump;
  TIdAntiFreeze guard(pump);
  guard.IdleTimeOut = 50;
  reader.setGuard(&TIdAntiFreeze::waitGuard());
  pump.onPump = [&] {
    if (pump.calls == 2) writer.sendAll("x", 1);
  };
  char byte = 0;
  EXPECT_EQ(reader.receive(&byte, 1), 1u);
  EXPECT_EQ(byte, 'x');
  EXPECT_EQ(pump.calls, 2);

  reader.setReadTimeout(120);
  pump.onPump = nullptr;
  EXPECT_THROW(reader.receive(&byte, 1), EIdReadTimeout);

  writer.close();
  EXPECT_TRUE(reader.peerClosed(1));
  EXPECT_EQ(reader.receive(&byte, 1), 0u);
  EXPECT_THROW(reader.sendAll("y", 1), EIdNotConnected);
  reader.close();
  EXPECT_THROW(reader.sendAll("y", 1), EIdNotConnected);
}

}  // namespace
}  // namespace pellora::exchange
