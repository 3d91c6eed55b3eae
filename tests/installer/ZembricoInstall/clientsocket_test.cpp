#include "installer/ZembricoInstall/clientsocket.h"

#include <gtest/gtest.h>

#include <string>

#include "installer/ZembricoInstall/loopbackcollector.h"
#include "plib/perror.h"

namespace {

class ClientSocketTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { InitializeSockets(); }
    static void TearDownTestSuite() { CleanupSockets(); }
};

std::string DottedQuad(std::uint32_t networkOrder) {
    in_addr address;
    address.s_addr = networkOrder;
    return inet_ntoa(address);
}

TEST_F(ClientSocketTest, ResolvesEmptyAndDottedNamesWithoutLookup) {
    EXPECT_EQ(DottedQuad(*ResolveIPv4("", false)), "127.0.0.1");
    EXPECT_EQ(DottedQuad(*ResolveIPv4("10.1.2.3", false)), "10.1.2.3");
    EXPECT_EQ(DottedQuad(*ResolveIPv4("localhost", false)), "127.0.0.1");
}

TEST_F(ClientSocketTest, InvalidDottedAddress) {
    EXPECT_FALSE(ResolveIPv4("1.2.3.456", true));
    try {
        ResolveIPv4("1.2.3.456", false);
        FAIL();
    } catch (const PSystemError& e) {
        EXPECT_STREQ(e.why(), "invalid IP address: inet_addr() failed");
        EXPECT_EQ(e.code(), -1);
    }
}

TEST_F(ClientSocketTest, UnknownHostName) {
    EXPECT_FALSE(ResolveIPv4("no-such-host.invalid", true));
    try {
        ResolveIPv4("no-such-host.invalid", false);
        FAIL();
    } catch (const PHostNameError& e) {
        EXPECT_STREQ(e.why(), "Host name not found: gethostbyname() failed");
    }
}

TEST_F(ClientSocketTest, SendsEveryByteInOrder) {
    LoopbackCollector collector;
    ClientSocket socket;
    socket.create();
    socket.connect("127.0.0.1", collector.port());
    // Larger than any socket buffer, so that send returns short and must go on.
    std::string body(3 << 20, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
    const std::string request =
        "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    socket.send(request.data(), request.size());
    const auto requests = collector.waitForRequests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0] == request);
}

TEST_F(ClientSocketTest, RefusedConnection) {
    std::uint16_t port;
    {
        LoopbackCollector gone;
        port = gone.port();
    }
    ClientSocket socket;
    socket.create();
    try {
        socket.connect("127.0.0.1", port);
        FAIL();
    } catch (const PSystemError& e) {
        EXPECT_EQ(std::string(e.why()).rfind("Unable to connect: ", 0), 0u) << e.why();
        EXPECT_EQ(e.code(), WSAECONNREFUSED);
    }
}

TEST_F(ClientSocketTest, SendOnAResetConnectionFails) {
    LoopbackCollector collector(/*resetAfterAccept=*/true);
    ClientSocket socket;
    socket.create();
    socket.connect("127.0.0.1", collector.port());
    ASSERT_TRUE(collector.waitForConnections(1));
    const std::string data(1000, 'x');
    try {
        for (int i = 0; i < 100; ++i) socket.send(data.data(), data.size());
        FAIL() << "sending to a reset connection kept succeeding";
    } catch (const PSystemError& e) {
        EXPECT_EQ(std::string(e.why()).rfind("Error writing to socket: ", 0), 0u) << e.why();
    }
}

}  // namespace
