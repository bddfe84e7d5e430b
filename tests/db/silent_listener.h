#pragma once
// A server address that accepts connections and never answers: connections are taken and kept open, and
// nothing is ever sent. For tests of what a client does when a server stops answering.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace zr::db::testing {

// A loopback address of this test process alone, 127.`net`.x.y with x.y from the process id, so that tests
// running side by side never share an address (and none takes the shared servers' 127.0.0.1).
inline std::string ProcessLoopback(int net) {
  const unsigned pid = static_cast<unsigned>(getpid());
  const unsigned low = pid & 255u;
  return "127." + std::to_string(net) + "." + std::to_string((pid >> 8) & 255u) + "." +
         std::to_string(low == 0 ? 254u : low);
}

class SilentListener {
 public:
  SilentListener(const std::string& address, uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &at.sin_addr);
    listening_ =
        fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && listen(fd_, 8) == 0;
    if (listening_) thread_ = std::thread([this] { Accept(); });
  }
  ~SilentListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    for (int c : accepted_) close(c);
    if (fd_ >= 0) close(fd_);
  }
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;

  bool Listening() const { return listening_; }

 private:
  void Accept() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) == 1) {
        const int c = accept(fd_, nullptr, nullptr);
        if (c >= 0) accepted_.push_back(c);
      }
    }
  }

  int fd_ = -1;
  bool listening_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<int> accepted_;
};

}  // namespace zr::db::testing
