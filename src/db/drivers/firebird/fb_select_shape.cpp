#include "fb_select_shape.h"

#include <cstring>

namespace zr::db::firebird {

MarkerFit SelectMarkersTakeLiterals(const PreparedRequest& shape, const LiteralShape& literals) {
  if (shape.Type != isc_info_sql_stmt_select) {
    return MarkerFit::Never;
  }
  return TextMarkersTake(shape.Input.get(), literals.Values, &literals.Uses);
}

bool SameColumns(Firebird::IMessageMetadata* a, Firebird::IMessageMetadata* b) {
  Status status;
  Firebird::ThrowStatusWrapper* st = status.get();
  const unsigned count = a->getCount(st);
  if (count != b->getCount(st)) {
    return false;
  }
  const auto same = [](const char* x, const char* y) {
    return std::strcmp(x != nullptr ? x : "", y != nullptr ? y : "") == 0;
  };
  for (unsigned i = 0; i < count; ++i) {
    if (a->getType(st, i) != b->getType(st, i) || a->isNullable(st, i) != b->isNullable(st, i) ||
        a->getSubType(st, i) != b->getSubType(st, i) || a->getScale(st, i) != b->getScale(st, i) ||
        a->getLength(st, i) != b->getLength(st, i) || a->getCharSet(st, i) != b->getCharSet(st, i) ||
        !same(a->getField(st, i), b->getField(st, i)) ||
        !same(a->getRelation(st, i), b->getRelation(st, i)) ||
        !same(a->getOwner(st, i), b->getOwner(st, i)) || !same(a->getAlias(st, i), b->getAlias(st, i))) {
      return false;
    }
  }
  return true;
}

}  // namespace zr::db::firebird
