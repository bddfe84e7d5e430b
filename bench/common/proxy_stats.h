#pragma once
// The counters of scripts/latency-proxy.py, for benchmarks that send the application's traffic through it.
// ZR_BENCH_PROXY_STATS names the proxy's --stats file; its --control file is that name plus ".reset".
// Without the variable nothing is counted and RoundTrips() is -1.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace zr::bench {

class ProxyStats {
 public:
  ProxyStats() {
    const char* path = std::getenv("ZR_BENCH_PROXY_STATS");
    if (path != nullptr) path_ = path;
  }
  bool Enabled() const { return !path_.empty(); }

  // Sets the proxy's counters to zero; returns once the proxy has taken the request (at most 5 s).
  void Reset() const {
    if (!Enabled()) return;
    std::ofstream(path_ + ".reset") << "reset\n";
    for (int i = 0; i < 50 && std::filesystem::exists(path_ + ".reset"); ++i) Sleep(100);
    Sleep(300);
  }

  // Round trips counted since the last Reset, after the proxy has written its latest figures.
  long RoundTrips() const { return Read("round_trips"); }
  long BytesUp() const { return Read("bytes_up"); }
  long BytesDown() const { return Read("bytes_down"); }
  void Settle() const {
    if (Enabled()) Sleep(500);
  }

 private:
  static void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  long Read(const std::string& key) const {
    if (!Enabled()) return -1;
    std::ifstream in(path_);
    std::stringstream text;
    text << in.rdbuf();
    const std::string json = text.str();
    const size_t at = json.find("\"" + key + "\"");
    if (at == std::string::npos) return -1;
    return std::strtol(json.c_str() + json.find(':', at) + 1, nullptr, 10);
  }
  std::string path_;
};

}  // namespace zr::bench
