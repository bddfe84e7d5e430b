// libFuzzer entry: any byte string as a statement, through every pass and the pipeline.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "random_statements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string statement(reinterpret_cast<const char*>(data), size);
  const std::string failure = zr::sqlt::testing::CheckStatement(statement);
  if (!failure.empty()) {
    std::fprintf(stderr, "%s\n", failure.c_str());
    __builtin_trap();
  }
  return 0;
}
