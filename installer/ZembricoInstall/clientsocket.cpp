#include "installer/ZembricoInstall/clientsocket.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "plib/perror.h"

void InitializeSockets() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw PSystemError("Error initializing sockets", WSAGetLastError());
}

void CleanupSockets() {
    WSACleanup();
}

std::optional<std::uint32_t> ResolveIPv4(std::string_view name, bool noThrow) {
    if (name.empty()) return htonl(INADDR_LOOPBACK);
    const std::string text(name);
    if (text.find_first_not_of("0123456789.") == std::string::npos) {
        const unsigned long address = inet_addr(text.c_str());
        if (address != INADDR_NONE) return static_cast<std::uint32_t>(address);
        if (noThrow) return std::nullopt;
        throw PSystemError("invalid IP address", "inet_addr() failed");
    }
    const hostent* entry = gethostbyname(text.c_str());
    if (entry && entry->h_addrtype == AF_INET && entry->h_addr_list && entry->h_addr_list[0]) {
        std::uint32_t address;
        std::memcpy(&address, entry->h_addr_list[0], sizeof address);
        return address;
    }
    if (noThrow) return std::nullopt;
    throw PHostNameError("Host name not found", "gethostbyname() failed");
}

namespace {

// Analytics must not hold up the wizard: a collector that does not answer the connection, or
// stops taking what is sent, is given this long before the attempt fails.
constexpr int kCollectorPatienceSeconds = 5;

void SetBlocking(SOCKET socket, bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
}

// Waits for a connection begun without blocking; the socket error code when it failed.
int FinishConnect(SOCKET socket) {
    fd_set done;
    fd_set failed;
    FD_ZERO(&done);
    FD_ZERO(&failed);
    FD_SET(socket, &done);
    FD_SET(socket, &failed);
    timeval patience{kCollectorPatienceSeconds, 0};
    const int ready = select(0, nullptr, &done, &failed, &patience);
    if (ready == SOCKET_ERROR) return WSAGetLastError();
    if (ready == 0) return WSAETIMEDOUT;
    if (!FD_ISSET(socket, &failed)) return 0;
    int error = 0;
    int size = sizeof error;
    getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    return error ? error : WSAECONNREFUSED;
}

}  // namespace

ClientSocket::~ClientSocket() {
    close();
}

void ClientSocket::create() {
    close();
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ == INVALID_SOCKET) throw PSystemError("Unable to create socket", WSAGetLastError());
}

void ClientSocket::connect(std::string_view host, std::uint16_t port) {
    peer_ = {};
    peer_.sin_family = AF_INET;
    peer_.sin_port = htons(port);
    peer_.sin_addr.s_addr = *ResolveIPv4(host, /*noThrow=*/false);
    SetBlocking(socket_, false);
    int error = 0;
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) error = FinishConnect(socket_);
    }
    if (error != 0) throw PSystemError("Unable to connect", error);
    SetBlocking(socket_, true);
    const DWORD sendPatience = kCollectorPatienceSeconds * 1000;
    setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendPatience),
               sizeof sendPatience);
}

void ClientSocket::send(const char* data, std::size_t length) {
    while (length > 0) {
        const int chunk = static_cast<int>(std::min<std::size_t>(length, 0x40000000));
        const int sent = ::send(socket_, data, chunk, 0);
        if (sent < 0) {
            // After a failed or timed-out send the connection may hold part of a request: no later
            // post may follow it on the same connection.
            const int error = WSAGetLastError();
            close();
            throw PSystemError("Error writing to socket", error);
        }
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
}

void ClientSocket::close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}
