#include "common/ascii.h"
#include "catalog_text.h"
#include "db/driver.h"
#include "odbc_catalog.h"

namespace zr::db::odbc {

using catalog_text::Lower;
using catalog_text::Text;
using catalog_text::Upper;

namespace {

// Routines of the application: neither the system's nor an extension's (orafce's NVL, TO_CHAR...), which read
// none of its tables. `p` is the pg_proc row, `pn` its schema.
constexpr const char* kPgUserRoutine =
    " AND pn.nspname NOT IN ('pg_catalog', 'information_schema') AND NOT EXISTS (SELECT 1 FROM "
    "pg_catalog.pg_depend e WHERE e.classid = 'pg_catalog.pg_proc'::pg_catalog.regclass AND e.objid = p.oid "
    "AND e.deptype = 'e')";

catalog::Kind PgRelationKind(const std::string& relkind) {
  if (relkind == "r" || relkind == "p" || relkind == "f") return catalog::Kind::Table;
  if (relkind == "v" || relkind == "m") return catalog::Kind::View;
  return catalog::Kind::None;  // sequences, indexes, composite types
}

}  // namespace

std::vector<catalog::Object> PgCatalog::Resolve(const std::vector<std::string>& names) {
  std::vector<catalog::Object> objects;
  objects.reserve(names.size());
  for (const std::vector<std::string>& chunk : catalog::InGroups(names)) {
    const auto rows = catalog::QueryRows(
        connection_,
        "SELECT x.i, c.relkind::text, pg_catalog.quote_ident(n.nspname) || '.' || "
        "pg_catalog.quote_ident(c.relname), c.relname, x.n, CASE WHEN EXISTS (SELECT 1 FROM pg_catalog.pg_proc p "
        "JOIN pg_catalog.pg_namespace pn ON pn.oid = p.pronamespace WHERE p.proname = x.n AND pn.nspname = "
        "ANY (pg_catalog.current_schemas(false))" +
            std::string(kPgUserRoutine) + ") THEN 1 ELSE 0 END FROM pg_catalog.unnest(ARRAY[" +
            catalog::LiteralList(chunk, Lower) +
            "]::text[]) WITH ORDINALITY AS x(n, i) LEFT JOIN pg_catalog.pg_class c ON c.oid = "
            "pg_catalog.to_regclass(pg_catalog.quote_ident(x.n)) LEFT JOIN pg_catalog.pg_namespace n ON n.oid = "
            "c.relnamespace ORDER BY x.i");
    std::vector<catalog::Object> part(chunk.size());
    for (const auto& row : rows) {
      const int64_t i = ValueAsInteger(row.at(0)) - 1;
      if (i < 0 || static_cast<size_t>(i) >= part.size()) continue;
      catalog::Object& object = part[static_cast<size_t>(i)];
      const catalog::Kind relation =
          IsNullValue(row.at(1)) ? catalog::Kind::None : PgRelationKind(Text(row.at(1)));
      if (relation != catalog::Kind::None) {
        object = {relation, Upper(Text(row.at(3))), Text(row.at(2))};
      } else if (ValueAsInteger(row.at(5)) == 1) {
        object = {catalog::Kind::Routine, Upper(Text(row.at(4))), "name:" + Text(row.at(4))};
      }
    }
    objects.insert(objects.end(), part.begin(), part.end());
  }
  return objects;
}

catalog::Uses PgCatalog::BodyUses(const std::string& language, const std::string& source) {
  if ((language != "plpgsql" && language != "sql") || common::TrimBlanks(source).empty() ||
      catalog::RunsDynamicSql(source)) {
    return {true, {}};
  }
  catalog::Uses uses;
  for (catalog::Object& object : Resolve(catalog::NamesIn(source))) {
    if (object.Type != catalog::Kind::None) uses.Objects.push_back(std::move(object));
  }
  return uses;
}

catalog::Uses PgCatalog::UsesOf(const catalog::Object& object) {
  catalog::Uses uses;
  if (object.Type == catalog::Kind::View) {
    // The relations and the application's routines the view's rule depends on.
    const std::string view = "pg_catalog.to_regclass(" + common::QuotedStr(object.Key) + ")";
    const auto rows = catalog::QueryRows(
        connection_,
        "SELECT DISTINCT c.relkind::text, pg_catalog.quote_ident(n.nspname) || '.' || "
        "pg_catalog.quote_ident(c.relname), c.relname FROM pg_catalog.pg_rewrite r JOIN pg_catalog.pg_depend d "
        "ON d.classid = 'pg_catalog.pg_rewrite'::pg_catalog.regclass AND d.objid = r.oid AND d.refclassid = "
        "'pg_catalog.pg_class'::pg_catalog.regclass JOIN pg_catalog.pg_class c ON c.oid = d.refobjid JOIN "
        "pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE r.ev_class = " +
            view +
            " AND d.refobjid <> r.ev_class UNION ALL SELECT DISTINCT 'routine', 'oid:' || p.oid::text, p.proname "
            "FROM pg_catalog.pg_rewrite r JOIN pg_catalog.pg_depend d ON d.classid = "
            "'pg_catalog.pg_rewrite'::pg_catalog.regclass AND d.objid = r.oid AND d.refclassid = "
            "'pg_catalog.pg_proc'::pg_catalog.regclass JOIN pg_catalog.pg_proc p ON p.oid = d.refobjid JOIN "
            "pg_catalog.pg_namespace pn ON pn.oid = p.pronamespace WHERE r.ev_class = " +
            view + kPgUserRoutine);
    for (const auto& row : rows) {
      const std::string kind = Text(row.at(0));
      const catalog::Kind type = kind == "routine" ? catalog::Kind::Routine : PgRelationKind(kind);
      if (type != catalog::Kind::None)
        uses.Objects.push_back({type, Upper(Text(row.at(2))), Text(row.at(1))});
    }
    return uses;
  }
  if (object.Type != catalog::Kind::Routine) return uses;
  const bool byOid = object.Key.rfind("oid:", 0) == 0;
  const std::string which = byOid ? "p.oid = " + common::QuotedStr(object.Key.substr(4)) + "::pg_catalog.oid"
                                  : "p.proname = " + common::QuotedStr(object.Key.substr(5)) +
                                        " AND pn.nspname = ANY (pg_catalog.current_schemas(false))";
  // Every overload of the name: which one a statement calls is not told by its name.
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT l.lanname, p.prosrc FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace pn ON pn.oid = "
      "p.pronamespace JOIN pg_catalog.pg_language l ON l.oid = p.prolang WHERE " +
          which + kPgUserRoutine);
  if (rows.empty()) return {true, {}};
  for (const auto& row : rows) {
    const catalog::Uses body = BodyUses(Text(row.at(0)), Text(row.at(1)));
    if (body.Opaque) return body;
    uses.Objects.insert(uses.Objects.end(), body.Objects.begin(), body.Objects.end());
  }
  return uses;
}

std::vector<catalog::Uses> PgCatalog::TriggersOf(const catalog::Object& table) {
  // Internal triggers are those of foreign keys, read as the referential actions they are.
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT l.lanname, p.prosrc FROM pg_catalog.pg_trigger t JOIN pg_catalog.pg_proc p ON p.oid = t.tgfoid "
      "JOIN pg_catalog.pg_language l ON l.oid = p.prolang WHERE t.tgrelid = pg_catalog.to_regclass(" +
          common::QuotedStr(table.Key) + ") AND NOT t.tgisinternal AND t.tgenabled <> 'D'");
  std::vector<catalog::Uses> triggers;
  for (const auto& row : rows) triggers.push_back(BodyUses(Text(row.at(0)), Text(row.at(1))));
  return triggers;
}

std::vector<catalog::Object> PgCatalog::CascadesOf(const catalog::Object& table) {
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT DISTINCT pg_catalog.quote_ident(n.nspname) || '.' || pg_catalog.quote_ident(c.relname), c.relname "
      "FROM pg_catalog.pg_constraint k JOIN pg_catalog.pg_class c ON c.oid = k.conrelid JOIN "
      "pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE k.contype = 'f' AND k.confrelid = "
      "pg_catalog.to_regclass(" +
          common::QuotedStr(table.Key) +
          ") AND (k.confupdtype IN ('c', 'n', 'd') OR k.confdeltype IN ('c', 'n', 'd'))");
  std::vector<catalog::Object> children;
  for (const auto& row : rows)
    children.push_back({catalog::Kind::Table, Upper(Text(row.at(1))), Text(row.at(0))});
  return children;
}

}  // namespace zr::db::odbc
