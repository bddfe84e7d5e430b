#include "fb_shape_fit.h"

#include <cstring>

#include "fb_charsets.h"

namespace zr::db::firebird {

MarkerFit MarkersTakeLiterals(const PreparedRequest& shape, const std::vector<std::string>& values) {
  const bool dml = shape.Type == isc_info_sql_stmt_insert || shape.Type == isc_info_sql_stmt_update ||
                   shape.Type == isc_info_sql_stmt_delete;
  Status status;
  if (!dml || shape.Output->getCount(status.get()) != 0) {
    return MarkerFit::Never;
  }
  return TextMarkersTake(shape.Input.get(), values);
}

MarkerFit TextMarkersTake(Firebird::IMessageMetadata* input, const std::vector<std::string>& values,
                          const std::vector<LiteralUse>* uses) {
  Status status;
  if (input->getCount(status.get()) != values.size()) {
    return MarkerFit::Never;
  }
  MarkerFit fit = MarkerFit::Fits;
  for (unsigned i = 0; i < values.size(); ++i) {
    const unsigned type = input->getType(status.get(), i) & ~1u;
    if (type != SQL_TEXT && type != SQL_VARYING) {
      return MarkerFit::Never;
    }
    if (uses != nullptr && (*uses)[i] == LiteralUse::Pattern && type != SQL_VARYING) {
      return MarkerFit::Never;
    }
    const unsigned characters =
        input->getLength(status.get(), i) / BytesPerCharacter(input->getCharSet(status.get(), i));
    if (values[i].size() > characters) {
      fit = MarkerFit::TooShort;
    }
  }
  return fit;
}

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
