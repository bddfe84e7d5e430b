#include "fb_shape_request.h"

#include "db/errors.h"
#include "fb_error.h"

namespace zr::db::firebird {

std::optional<PreparedRequest> PrepareOrRefuse(Session& session, const std::string& key,
                                               const std::string& sql, uint32_t timeout,
                                               Firebird::ITransaction* tra) {
  try {
    return session.Prepare(tra, sql, timeout);
  } catch (const EDatabaseError& e) {
    if (session.Unanswered(e)) throw;
    session.Shapes().Refuse(key);
    return std::nullopt;
  }
}

std::unique_ptr<PreparedRequest> TakeShapeRequest(
    Session& session, const std::string& text, const std::function<MarkerFit(const PreparedRequest&)>& fits,
    uint32_t timeout, Firebird::ITransaction* tra) {
  ShapeCache& shapes = session.Shapes();
  if (shapes.Refused(text)) {
    return nullptr;
  }
  std::unique_ptr<PreparedRequest> prepared = shapes.Take(text);
  if (!prepared) {
    std::optional<PreparedRequest> fresh = PrepareOrRefuse(session, text, text, timeout, tra);
    if (!fresh) {
      return nullptr;
    }
    prepared = std::make_unique<PreparedRequest>(std::move(*fresh));
  }
  MarkerFit fit = MarkerFit::Never;
  Guarded([&] { fit = fits(*prepared); });
  if (!shapes.Settle(text, prepared, fit)) {
    return nullptr;
  }
  return prepared;
}

}  // namespace zr::db::firebird
