// The local IP address of the machine: the address of the interface through which it reaches the network.
//
// First choice: ask the routing table which local address a datagram to an outside address would leave
// from (connecting a UDP socket only looks the route up; nothing is sent). When there is no route, the first
// interface that is up, is not the loopback and has an IPv4 address. Otherwise the loopback address.

#include <cstdint>
#include <string>

#include "host/host.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace zr::host {

namespace {

constexpr const char* kLoopback = "127.0.0.1";
// An address of the documentation range (TEST-NET-1): routed like any outside address, never contacted.
constexpr const char* kOutsideAddress = "192.0.2.1";
constexpr unsigned short kOutsidePort = 9;

bool IsUsable(const in_addr& address) {
  const uint32_t host = ntohl(address.s_addr);
  return host != 0 && (host >> 24) != 127;
}

std::string Dotted(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = {};
  if (inet_ntop(AF_INET, &address, text, sizeof text) == nullptr) return {};
  return text;
}

#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
void CloseSocket(Socket s) { closesocket(s); }
using SockLen = int;
#else
using Socket = int;
constexpr Socket kNoSocket = -1;
void CloseSocket(Socket s) { close(s); }
using SockLen = socklen_t;
#endif

// The source address the routing table picks for an outside destination; empty when there is no route.
std::string RoutedAddress() {
  const Socket s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == kNoSocket) return {};
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(kOutsidePort);
  inet_pton(AF_INET, kOutsideAddress, &target.sin_addr);
  std::string result;
  if (connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
    sockaddr_in local{};
    SockLen length = sizeof local;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&local), &length) == 0 && IsUsable(local.sin_addr)) {
      result = Dotted(local.sin_addr);
    }
  }
  CloseSocket(s);
  return result;
}

#ifdef _WIN32

std::string FirstInterfaceAddress() {
  // Windows: the addresses the host name resolves to locally stand for the interfaces that are up.
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* list = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &list) != 0) return {};
  std::string result;
  for (const addrinfo* a = list; a != nullptr && result.empty(); a = a->ai_next) {
    const auto* address = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    if (IsUsable(address->sin_addr)) result = Dotted(address->sin_addr);
  }
  freeaddrinfo(list);
  return result;
}

#else

std::string FirstInterfaceAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::string result;
  for (const ifaddrs* i = list; i != nullptr && result.empty(); i = i->ifa_next) {
    if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
    if ((i->ifa_flags & IFF_UP) == 0 || (i->ifa_flags & IFF_LOOPBACK) != 0) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(static_cast<const void*>(i->ifa_addr));
    if (IsUsable(address->sin_addr)) result = Dotted(address->sin_addr);
  }
  freeifaddrs(list);
  return result;
}

#endif

}  // namespace

std::string LocalIP() {
#ifdef _WIN32
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return kLoopback;
#endif
  std::string address = RoutedAddress();
  if (address.empty()) address = FirstInterfaceAddress();
#ifdef _WIN32
  WSACleanup();
#endif
  return address.empty() ? kLoopback : address;
}

}  // namespace zr::host
