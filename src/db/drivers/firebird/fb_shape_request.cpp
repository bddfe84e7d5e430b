#include "fb_shape_request.h"

#include "db/errors.h"
#include "fb_error.h"

namespace zr::db::firebird {

std::unique_ptr<PreparedRequest> TakeShapeRequest(
    Session& session, const std::string& text, const std::function<MarkerFit(const PreparedRequest&)>& fits,
    uint32_t timeout, Firebird::ITransaction* tra) {
  ShapeCache& shapes = session.Shapes();
  if (shapes.Refused(text)) {
    return nullptr;
  }
  std::unique_ptr<PreparedRequest> prepared = shapes.Take(text);
  if (!prepared) {
    try {
      prepared = std::make_unique<PreparedRequest>(session.Prepare(tra, text, timeout));
    } catch (const EDatabaseError& e) {
      if (session.Unanswered(e)) throw;
      shapes.Refuse(text);
      return nullptr;
    }
  }
  MarkerFit fit = MarkerFit::Never;
  Guarded([&] { fit = fits(*prepared); });
  if (!shapes.Settle(text, prepared, fit)) {
    return nullptr;
  }
  return prepared;
}

}  // namespace zr::db::firebird
