#pragma once
// Getting the shared request of a literal shape (fb_literal_shape.h) for a statement or a batch: taken from
// the session's cache, or else prepared, then checked against the literals it is to carry.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "fb_api.h"
#include "fb_prepared.h"
#include "fb_session.h"
#include "fb_shape_cache.h"

namespace zr::db::firebird {

// `sql` prepared in `tra` under the watchdog with `timeout`, for a request kept in the session's cache under
// `key`; nothing when the server refuses to prepare it, and `key` is refused from now on. A cut link or a
// time-out would fail the statements as written just the same: that error stands.
std::optional<PreparedRequest> PrepareOrRefuse(Session& session, const std::string& key,
                                               const std::string& sql, uint32_t timeout,
                                               Firebird::ITransaction* tra);

// The request of the shape `text` when `fits` finds that it serves (ShapeCache::Settle): the caller holds it
// and gives it back with ShapeCache::Keep. A request not in the cache is prepared in `tra` under the
// watchdog with `timeout`. nullptr when the statements must run as written: the shape was refused before,
// the server refuses to prepare it (it is refused from now on), or its markers cannot carry the literals. A
// cut link or a time-out would fail the statements as written just the same: that error stands.
std::unique_ptr<PreparedRequest> TakeShapeRequest(
    Session& session, const std::string& text, const std::function<MarkerFit(const PreparedRequest&)>& fits,
    uint32_t timeout, Firebird::ITransaction* tra);

}  // namespace zr::db::firebird
