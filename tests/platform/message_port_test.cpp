#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <gtest/gtest.h>

#include "platform/message_port.h"
#include "tests/support/test_support.h"

using platform::MessagePort;
using platform::PortMessage;

namespace {

class MessagePortTest : public ::testing::Test {
 protected:
  testing_support::TempDir runtime;
  testing_support::ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path()};
};

TEST_F(MessagePortTest, MessagesArriveInOrderWithTheirParameters) {
  MessagePort port(4242);
  EXPECT_EQ(port.Receive(), std::nullopt);
  std::string error;
  ASSERT_TRUE(platform::SendPortMessage(4242, {1101, 1234, 1}, &error)) << error;
  ASSERT_TRUE(platform::SendPortMessage(4242, {1101, -7, 0}, &error)) << error;
  EXPECT_EQ(port.Receive(), (PortMessage{1101, 1234, 1}));
  EXPECT_EQ(port.Receive(), (PortMessage{1101, -7, 0}));
  EXPECT_EQ(port.Receive(), std::nullopt);
}

TEST_F(MessagePortTest, MalformedDatagramsAreDropped) {
  MessagePort port(77);
  const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, platform::MessagePortPath(77).c_str());
  for (const std::string& junk : {std::string("short"), std::string(13, 'x'), std::string()})
    sendto(fd, junk.data(), junk.size(), 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
  close(fd);
  ASSERT_TRUE(platform::SendPortMessage(77, {1101, 5, 1}, nullptr));
  EXPECT_EQ(port.Receive(), (PortMessage{1101, 5, 1}));
  EXPECT_EQ(port.Receive(), std::nullopt);
}

TEST_F(MessagePortTest, SendingWithoutAListenerFailsAndThePortFileGoesWithThePort) {
  std::string error;
  EXPECT_FALSE(platform::SendPortMessage(99, {1101, 1, 1}, &error));
  EXPECT_FALSE(error.empty());
  {
    MessagePort port(99);
    EXPECT_TRUE(testing_support::Exists(platform::MessagePortPath(99)));
  }
  EXPECT_FALSE(testing_support::Exists(platform::MessagePortPath(99)));
  // A stale socket file left by a crashed agent does not stop a new one.
  testing_support::WriteFileBytes(platform::MessagePortPath(99), "");
  MessagePort again(99);
  EXPECT_TRUE(platform::SendPortMessage(99, {1, 2, 3}, nullptr));
}

}  // namespace
