#pragma once
// The catalogs write-behind reads over ODBC (db/catalog.h), by the server the data source reaches.
//   PostgreSQL (the stand-in, pg_catalog.cpp): pg_class, pg_proc, pg_trigger, pg_depend (views),
//     pg_constraint; a trigger function's or routine's tables are read from its source (PL/pgSQL and SQL),
//     which PostgreSQL does not track.
//   Oracle (oracle_catalog.cpp): ALL_OBJECTS and ALL_SYNONYMS, ALL_DEPENDENCIES, ALL_SOURCE, ALL_TRIGGERS,
//     ALL_CONSTRAINTS. (Not yet run against a real Oracle server.)

#include "db/catalog.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::odbc {

class PgCatalog final : public catalog::Facts {
 public:
  explicit PgCatalog(driver::Connection& connection) : connection_(connection) {}

  std::vector<catalog::Object> Resolve(const std::vector<std::string>& names) override;
  catalog::Uses UsesOf(const catalog::Object& object) override;
  std::vector<catalog::Uses> TriggersOf(const catalog::Object& table) override;
  std::vector<catalog::Object> CascadesOf(const catalog::Object& table) override;

 private:
  // What a body in `language` uses, from its source.
  catalog::Uses BodyUses(const std::string& language, const std::string& source);

  driver::Connection& connection_;
};

class OracleCatalog final : public catalog::Facts {
 public:
  explicit OracleCatalog(driver::Connection& connection) : connection_(connection) {}

  std::vector<catalog::Object> Resolve(const std::vector<std::string>& names) override;
  catalog::Uses UsesOf(const catalog::Object& object) override;
  std::vector<catalog::Uses> TriggersOf(const catalog::Object& table) override;
  std::vector<catalog::Object> CascadesOf(const catalog::Object& table) override;

 private:
  // What the object OWNER.NAME of ALL_DEPENDENCIES type `type` uses, its source read from ALL_SOURCE.
  catalog::Uses Dependencies(const std::string& owner, const std::string& name, const std::string& type);

  driver::Connection& connection_;
};

}  // namespace zr::db::odbc
