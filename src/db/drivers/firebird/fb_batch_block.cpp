#include "fb_batch_block.h"

#include <cstring>
#include <string>

#include "db/errors.h"
#include "fb_error.h"

namespace zr::db::firebird {

std::vector<int64_t> ReadCounts(Firebird::IMessageMetadata* output, const std::vector<int64_t>& buffer,
                                int expected) {
  unsigned at = 0, nullAt = 0;
  Guarded([&] {
    Status status;
    at = output->getOffset(status.get(), 0);
    nullAt = output->getNullOffset(status.get(), 0);
  });
  const auto* message = reinterpret_cast<const unsigned char*>(buffer.data());
  short null = 0;
  std::memcpy(&null, message + nullAt, sizeof null);
  uint16_t length = 0;
  std::memcpy(&length, message + at, sizeof length);
  const std::string counts(reinterpret_cast<const char*>(message + at + sizeof length), length);
  std::vector<int64_t> result;
  size_t from = 0;
  while (from < counts.size()) {
    const size_t comma = counts.find(',', from);
    if (comma == std::string::npos) break;
    result.push_back(std::stoll(counts.substr(from, comma - from)));
    from = comma + 1;
  }
  if (null != 0 || result.size() != static_cast<size_t>(expected)) {
    throw EDatabaseError("A batch returned " + std::to_string(result.size()) + " counts for " +
                         std::to_string(expected) + " statements");
  }
  return result;
}

}  // namespace zr::db::firebird
