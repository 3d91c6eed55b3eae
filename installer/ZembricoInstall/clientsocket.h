#pragma once

#include <winsock2.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Starts Windows Sockets 2.2 for the process; throws PSystemError "Error initializing
// sockets" with the WSAGetLastError code. Call once at start-up, before any ClientSocket.
void InitializeSockets();
// Ends what InitializeSockets started; once, at process end.
void CleanupSockets();

// Resolves `name` to an IPv4 address in network order. An empty name is 127.0.0.1; dotted
// digits go through inet_addr, anything else through gethostbyname. Unresolvable: nullopt when
// `noThrow`, else PSystemError "invalid IP address" / PHostNameError "Host name not found".
std::optional<std::uint32_t> ResolveIPv4(std::string_view name, bool noThrow);

// A blocking TCP client that connects once and only sends; it never reads a reply.
class ClientSocket {
  public:
    ClientSocket() = default;
    ~ClientSocket();
    ClientSocket(const ClientSocket&) = delete;
    ClientSocket& operator=(const ClientSocket&) = delete;

    // Throws PSystemError "Unable to create socket".
    void create();
    // Resolves `host` (errors raised) and connects; throws PSystemError "Unable to connect",
    // with WSAETIMEDOUT when the peer has not answered within 5 seconds.
    void connect(std::string_view host, std::uint16_t port);
    // Returns when every byte has been accepted; throws PSystemError "Error writing to socket",
    // also when the peer has taken nothing for 5 seconds. A failed send closes the connection.
    void send(const char* data, std::size_t length);
    void close();

  private:
    SOCKET socket_ = INVALID_SOCKET;
    sockaddr_in peer_{};
};
