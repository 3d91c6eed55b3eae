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

void CleanupSockets() { WSACleanup(); }

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

ClientSocket::~ClientSocket() { close(); }

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
  if (::connect(socket_, reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_) != 0)
    throw PSystemError("Unable to connect", WSAGetLastError());
}

void ClientSocket::send(const char* data, std::size_t length) {
  while (length > 0) {
    const int chunk = static_cast<int>(std::min<std::size_t>(length, 0x40000000));
    const int sent = ::send(socket_, data, chunk, 0);
    if (sent < 0) throw PSystemError("Error writing to socket", WSAGetLastError());
    data += sent;
    length -= static_cast<std::size_t>(sent);
  }
}

void ClientSocket::close() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  socket_ = INVALID_SOCKET;
}
