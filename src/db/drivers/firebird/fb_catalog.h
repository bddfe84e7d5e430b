#pragma once
// Firebird's catalog as write-behind reads it (db/catalog.h): RDB$RELATIONS, RDB$PROCEDURES, RDB$FUNCTIONS,
// RDB$TRIGGERS, RDB$DEPENDENCIES, RDB$REF_CONSTRAINTS and RDB$RELATION_CONSTRAINTS.

#include "db/catalog.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::firebird {

class FbCatalog final : public catalog::Facts {
 public:
  // Reads through `connection`'s statements, in its open transaction when there is one.
  explicit FbCatalog(driver::Connection& connection) : connection_(connection) {}

  std::vector<catalog::Object> Resolve(const std::vector<std::string>& names) override;
  catalog::Uses UsesOf(const catalog::Object& object) override;
  std::vector<catalog::Uses> TriggersOf(const catalog::Object& table) override;
  std::vector<catalog::Object> CascadesOf(const catalog::Object& table) override;

 private:
  // What the object named `name` of RDB$DEPENDENCIES type `type` depends on.
  catalog::Uses Dependencies(const std::string& name, int type);

  driver::Connection& connection_;
};

}  // namespace zr::db::firebird
