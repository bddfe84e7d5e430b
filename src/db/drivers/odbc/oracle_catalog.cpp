#include "catalog_text.h"
#include "common/ascii.h"
#include "db/driver.h"
#include "odbc_catalog.h"

#include <map>

namespace zr::db::odbc {

using catalog_text::Text;
using catalog_text::Upper;

namespace {

constexpr const char* kOracleKinds =
    "('TABLE', 'VIEW', 'MATERIALIZED VIEW', 'PROCEDURE', 'FUNCTION', 'PACKAGE')";

// An object of ALL_OBJECTS (OBJECT_TYPE, OWNER, OBJECT_NAME) as write-behind follows it. Routines of the
// schemas Oracle maintains (SYS's DBMS_LOB, DBMS_OUTPUT...) read none of the application's tables.
catalog::Object OracleObject(const std::string& type, const std::string& owner, const std::string& name,
                             bool oracleMaintained) {
  catalog::Object object{catalog::Kind::None, name, owner + "\n" + name + "\n" + type};
  if (type == "TABLE" || type == "MATERIALIZED VIEW") {
    object.Type = catalog::Kind::Table;
  } else if (type == "VIEW") {
    object.Type = catalog::Kind::View;
  } else if (!oracleMaintained && (type == "PROCEDURE" || type == "FUNCTION" || type == "PACKAGE")) {
    object.Type = catalog::Kind::Routine;
  }
  return object;
}

// The column that says whether Oracle maintains the schema `owner` (an expression of the query) names: "Y"
// for SYS, SYSTEM and the other schemas of the server itself.
std::string OracleMaintained(const std::string& owner) {
  return "(SELECT MAX(u.ORACLE_MAINTAINED) FROM ALL_USERS u WHERE u.USERNAME = " + owner + ")";
}

struct OracleKey {
  std::string Owner;
  std::string Name;
  std::string Type;
};

OracleKey SplitKey(const std::string& key) {
  const size_t first = key.find('\n');
  const size_t second = key.find('\n', first + 1);
  return {key.substr(0, first), key.substr(first + 1, second - first - 1), key.substr(second + 1)};
}

}  // namespace

std::vector<catalog::Object> OracleCatalog::Resolve(const std::vector<std::string>& names) {
  // A name is the current schema's object, else its private synonym, else a public synonym.
  std::map<std::string, std::pair<int, catalog::Object>> found;
  for (const std::vector<std::string>& chunk : catalog::InGroups(names)) {
    const std::string list = catalog::LiteralList(chunk, Upper);
    const std::string maintained = OracleMaintained("o.OWNER");
    const auto rows = catalog::QueryRows(
        connection_,
        "SELECT o.OBJECT_NAME AS N, 1 AS P, o.OBJECT_TYPE, o.OWNER, o.OBJECT_NAME, " + maintained +
            " FROM ALL_OBJECTS o WHERE o.OWNER = SYS_CONTEXT('USERENV', 'CURRENT_SCHEMA') AND o.OBJECT_NAME "
            "IN (" +
            list + ") AND o.OBJECT_TYPE IN " + kOracleKinds +
            " UNION ALL SELECT s.SYNONYM_NAME, CASE WHEN s.OWNER = 'PUBLIC' THEN 3 ELSE 2 END, o.OBJECT_TYPE, "
            "o.OWNER, o.OBJECT_NAME, " +
            maintained +
            " FROM ALL_SYNONYMS s JOIN ALL_OBJECTS o ON o.OWNER = s.TABLE_OWNER AND o.OBJECT_NAME = s.TABLE_NAME "
            "WHERE s.OWNER IN (SYS_CONTEXT('USERENV', 'CURRENT_SCHEMA'), 'PUBLIC') AND s.DB_LINK IS NULL AND "
            "s.SYNONYM_NAME IN (" +
            list + ") AND o.OBJECT_TYPE IN " + kOracleKinds);
    for (const auto& row : rows) {
      const std::string name = Text(row.at(0));
      const int priority = static_cast<int>(ValueAsInteger(row.at(1)));
      catalog::Object object =
          OracleObject(Text(row.at(2)), Text(row.at(3)), Text(row.at(4)), Text(row.at(5)) == "Y");
      // A materialized view is also listed as its table: the table is what a statement reads.
      auto it = found.find(name);
      if (it == found.end() || priority < it->second.first ||
          (priority == it->second.first && object.Type == catalog::Kind::Table)) {
        found[name] = {priority, std::move(object)};
      }
    }
  }
  std::vector<catalog::Object> objects;
  objects.reserve(names.size());
  for (const std::string& name : names) {
    const auto it = found.find(catalog::Spelling(name, Upper));
    objects.push_back(it == found.end() ? catalog::Object{} : it->second.second);
  }
  return objects;
}

catalog::Uses OracleCatalog::Dependencies(const std::string& owner, const std::string& name,
                                          const std::string& type) {
  // The body must be stored readably: no source (none kept, or not ours to read) and wrapped source cannot
  // be followed, nor can SQL built at run time.
  const auto source = catalog::QueryRows(
      connection_, "SELECT TEXT FROM ALL_SOURCE WHERE OWNER = " + common::QuotedStr(owner) + " AND NAME = " +
                       common::QuotedStr(name) + " AND TYPE = " + common::QuotedStr(type) + " ORDER BY LINE");
  std::string body;
  for (const auto& row : source) body += Text(row.at(0)) + "\n";
  const std::string head = Upper(body.substr(0, body.find('\n')));
  if (source.empty() || head.find(" WRAPPED") != std::string::npos || catalog::RunsDynamicSql(body)) {
    return {true, {}};
  }
  // Through a synonym, the object it stands for; objects in other databases (REFERENCED_LINK_NAME) see
  // nothing of this transaction.
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT d.REFERENCED_TYPE, d.REFERENCED_OWNER, d.REFERENCED_NAME, o.OBJECT_TYPE, o.OWNER, o.OBJECT_NAME, " +
          OracleMaintained("NVL(o.OWNER, d.REFERENCED_OWNER)") +
          " FROM ALL_DEPENDENCIES d LEFT JOIN ALL_SYNONYMS s ON d.REFERENCED_TYPE = 'SYNONYM' AND s.OWNER = "
          "d.REFERENCED_OWNER AND s.SYNONYM_NAME = d.REFERENCED_NAME AND s.DB_LINK IS NULL LEFT JOIN ALL_OBJECTS o "
          "ON o.OWNER = s.TABLE_OWNER AND o.OBJECT_NAME = s.TABLE_NAME AND o.OBJECT_TYPE IN " +
          std::string(kOracleKinds) + " WHERE d.OWNER = " + common::QuotedStr(owner) +
          " AND d.NAME = " + common::QuotedStr(name) + " AND d.TYPE = " + common::QuotedStr(type) +
          " AND d.REFERENCED_LINK_NAME IS NULL");
  catalog::Uses uses;
  for (const auto& row : rows) {
    const std::string referencedType = Text(row.at(0));
    const bool maintained = Text(row.at(6)) == "Y";
    if (referencedType == "SYNONYM") {
      if (IsNullValue(row.at(3))) {
        if (!maintained) return {true, {}};  // a synonym the catalog cannot follow
        continue;
      }
      catalog::Object object = OracleObject(Text(row.at(3)), Text(row.at(4)), Text(row.at(5)), maintained);
      if (object.Type != catalog::Kind::None) uses.Objects.push_back(std::move(object));
      continue;
    }
    catalog::Object object = OracleObject(referencedType, Text(row.at(1)), Text(row.at(2)), maintained);
    if (object.Type != catalog::Kind::None) uses.Objects.push_back(std::move(object));
  }
  return uses;
}

catalog::Uses OracleCatalog::UsesOf(const catalog::Object& object) {
  if (object.Type != catalog::Kind::View && object.Type != catalog::Kind::Routine) return {};
  const OracleKey key = SplitKey(object.Key);
  if (object.Type == catalog::Kind::View) {
    // A view's text is not PL/SQL: only its dependencies matter.
    const auto rows = catalog::QueryRows(
        connection_, "SELECT d.REFERENCED_TYPE, d.REFERENCED_OWNER, d.REFERENCED_NAME, " +
                         OracleMaintained("d.REFERENCED_OWNER") +
                         " FROM ALL_DEPENDENCIES d WHERE d.OWNER = " + common::QuotedStr(key.Owner) +
                         " AND d.NAME = " + common::QuotedStr(key.Name) +
                         " AND d.TYPE = 'VIEW' AND d.REFERENCED_LINK_NAME IS NULL");
    catalog::Uses uses;
    for (const auto& row : rows) {
      if (Text(row.at(0)) == "SYNONYM") {
        const std::vector<catalog::Object> target = Resolve({"\"" + Text(row.at(2)) + "\""});
        if (target.empty() || target.front().Type == catalog::Kind::None) {
          if (Text(row.at(3)) != "Y") return {true, {}};
          continue;
        }
        uses.Objects.push_back(target.front());
        continue;
      }
      catalog::Object used =
          OracleObject(Text(row.at(0)), Text(row.at(1)), Text(row.at(2)), Text(row.at(3)) == "Y");
      if (used.Type != catalog::Kind::None) uses.Objects.push_back(std::move(used));
    }
    return uses;
  }
  if (key.Type == "PACKAGE") {
    // A package's routines live in its body.
    catalog::Uses uses = Dependencies(key.Owner, key.Name, "PACKAGE BODY");
    if (uses.Opaque) return uses;
    const catalog::Uses header = Dependencies(key.Owner, key.Name, "PACKAGE");
    if (header.Opaque) return header;
    uses.Objects.insert(uses.Objects.end(), header.Objects.begin(), header.Objects.end());
    return uses;
  }
  return Dependencies(key.Owner, key.Name, key.Type);
}

std::vector<catalog::Uses> OracleCatalog::TriggersOf(const catalog::Object& table) {
  const OracleKey key = SplitKey(table.Key);
  const auto rows = catalog::QueryRows(
      connection_, "SELECT OWNER, TRIGGER_NAME FROM ALL_TRIGGERS WHERE TABLE_OWNER = " +
                       common::QuotedStr(key.Owner) + " AND TABLE_NAME = " + common::QuotedStr(key.Name) +
                       " AND STATUS = 'ENABLED' AND BASE_OBJECT_TYPE IN ('TABLE', 'VIEW')");
  std::vector<catalog::Uses> triggers;
  for (const auto& row : rows) triggers.push_back(Dependencies(Text(row.at(0)), Text(row.at(1)), "TRIGGER"));
  return triggers;
}

std::vector<catalog::Object> OracleCatalog::CascadesOf(const catalog::Object& table) {
  // Oracle's referential actions are ON DELETE only (DELETE_RULE CASCADE or SET NULL).
  const OracleKey key = SplitKey(table.Key);
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT DISTINCT c.OWNER, c.TABLE_NAME FROM ALL_CONSTRAINTS c JOIN ALL_CONSTRAINTS p ON p.OWNER = c.R_OWNER "
      "AND p.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME WHERE c.CONSTRAINT_TYPE = 'R' AND c.STATUS = 'ENABLED' AND "
      "NVL(c.DELETE_RULE, 'NO ACTION') <> 'NO ACTION' AND p.OWNER = " +
          common::QuotedStr(key.Owner) + " AND p.TABLE_NAME = " + common::QuotedStr(key.Name));
  std::vector<catalog::Object> children;
  for (const auto& row : rows)
    children.push_back(OracleObject("TABLE", Text(row.at(0)), Text(row.at(1)), false));
  return children;
}

}  // namespace zr::db::odbc
