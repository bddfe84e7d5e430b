#pragma once
// What the two kinds of batch block (fb_literal_batch.h, fb_shaped_batch.h) share: the engine's limits for
// one block and the row of counts it returns, one per statement ("3,0,1,").

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fb_api.h"

namespace zr::db::firebird {

// The engine's limits for one block, kept with a margin: statement text (64 KB), contexts per request (256:
// one per INSERT, two per UPDATE or DELETE, more with subqueries), and the counts' text.
inline constexpr size_t kMaxBatchText = 60000;
inline constexpr int kMaxBatchContexts = 240;
inline constexpr unsigned kCountsLength = 8000;

// The counts in a block's output row `buffer` described by `output`; EDatabaseError unless there is one per
// statement of the batch (`expected`).
std::vector<int64_t> ReadCounts(Firebird::IMessageMetadata* output, const std::vector<int64_t>& buffer,
                                int expected);

}  // namespace zr::db::firebird
