#include "fb_catalog.h"

#include <map>

#include "common/ascii.h"
#include "db/driver.h"

namespace zr::db::firebird {

namespace {

// RDB$DEPENDENCIES object types.
constexpr int kRelation = 0;
constexpr int kView = 1;
constexpr int kTrigger = 2;
constexpr int kComputedField = 3;
constexpr int kProcedure = 5;
constexpr int kFunction = 15;
constexpr int kPackageHeader = 18;
constexpr int kPackageBody = 19;

std::string Fold(std::string_view name) { return common::UpperAscii(name); }

std::string Text(const TFDValue& value) { return ValueAsString(value); }

// A routine's or trigger's body as stored: none (or an external engine's) cannot be followed, nor can SQL
// built at run time.
bool Followable(const TFDValue& source, const TFDValue& engine) {
  return !IsNullValue(source) && IsNullValue(engine) && !catalog::RunsDynamicSql(Text(source));
}

// A relation's computed columns (a view's expressions, a table's COMPUTED BY) keep their dependencies under
// their own field names, with type 3; a table with such columns reads itself too.
std::string ComputedFields(const std::string& relation) {
  return " OR (D.RDB$DEPENDENT_TYPE = " + std::to_string(kComputedField) +
         " AND D.RDB$DEPENDENT_NAME IN (SELECT RF.RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS RF WHERE "
         "RF.RDB$RELATION_NAME = " +
         common::QuotedStr(relation) +
         ")) UNION ALL SELECT TRIM(RDB$RELATION_NAME), 0, NULL, NULL FROM RDB$RELATIONS WHERE "
         "RDB$VIEW_BLR IS NULL AND RDB$RELATION_NAME = " +
         common::QuotedStr(relation);
}

}  // namespace

std::vector<catalog::Object> FbCatalog::Resolve(const std::vector<std::string>& names) {
  std::map<std::string, catalog::Object> found;  // by the catalog's spelling
  for (const std::vector<std::string>& group : catalog::InGroups(names)) {
    const std::string list = catalog::LiteralList(group, Fold);
    const auto rows = catalog::QueryRows(
        connection_,
        "SELECT TRIM(RDB$RELATION_NAME), CASE WHEN RDB$VIEW_BLR IS NULL THEN 'T' ELSE 'V' END "
        "FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN (" +
            list +
            ") "
            "UNION ALL SELECT TRIM(RDB$PROCEDURE_NAME), 'P' FROM RDB$PROCEDURES "
            "WHERE RDB$PACKAGE_NAME IS NULL AND RDB$PROCEDURE_NAME IN (" +
            list +
            ") "
            "UNION ALL SELECT TRIM(RDB$FUNCTION_NAME), CASE WHEN RDB$LEGACY_FLAG = 1 THEN 'U' ELSE 'F' END "
            "FROM RDB$FUNCTIONS WHERE RDB$PACKAGE_NAME IS NULL AND RDB$FUNCTION_NAME IN (" +
            list + ")");
    for (const auto& row : rows) {
      const std::string name = Text(row.at(0));
      const std::string kind = Text(row.at(1));
      if (found.count(name) > 0) continue;  // a relation comes first
      catalog::Object object;
      object.Name = common::UpperAscii(name);
      object.Key = name;
      if (kind == "T") {
        object.Type = catalog::Kind::Table;
      } else if (kind == "V") {
        object.Type = catalog::Kind::View;
      } else if (kind == "P" || kind == "F") {
        object.Type = catalog::Kind::Routine;
        object.Key = kind + name;
      }
      // "U": a legacy UDF, a library function that cannot reach the attachment's data.
      found.emplace(name, std::move(object));
    }
  }
  std::vector<catalog::Object> objects;
  objects.reserve(names.size());
  for (const std::string& name : names) {
    const auto it = found.find(catalog::Spelling(name, Fold));
    objects.push_back(it == found.end() ? catalog::Object{} : it->second);
  }
  return objects;
}

catalog::Uses FbCatalog::Dependencies(const std::string& name, int type) {
  catalog::Uses uses;
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT TRIM(D.RDB$DEPENDED_ON_NAME), D.RDB$DEPENDED_ON_TYPE, D.RDB$PACKAGE_NAME, F.RDB$LEGACY_FLAG "
      "FROM RDB$DEPENDENCIES D LEFT JOIN RDB$FUNCTIONS F ON D.RDB$DEPENDED_ON_TYPE = " +
          std::to_string(kFunction) +
          " AND F.RDB$FUNCTION_NAME = D.RDB$DEPENDED_ON_NAME AND F.RDB$PACKAGE_NAME IS NULL "
          "WHERE D.RDB$DEPENDENT_NAME = " +
          common::QuotedStr(name) + " AND D.RDB$DEPENDENT_TYPE = " + std::to_string(type) +
          (type == kView ? ComputedFields(name) : std::string()));
  for (const auto& row : rows) {
    const std::string used = Text(row.at(0));
    const int usedType = static_cast<int>(ValueAsInteger(row.at(1)));
    const bool inPackage = !IsNullValue(row.at(2)) && !common::TrimBlanks(Text(row.at(2))).empty();
    if (usedType == kPackageHeader || usedType == kPackageBody ||
        (inPackage && (usedType == kProcedure || usedType == kFunction))) {
      uses.Opaque = true;  // a package's routines are not followed
      return uses;
    }
    catalog::Object object;
    object.Name = common::UpperAscii(used);
    object.Key = used;
    if (usedType == kRelation) {
      object.Type = catalog::Kind::Table;
    } else if (usedType == kView) {
      object.Type = catalog::Kind::View;
    } else if (usedType == kProcedure) {
      object.Type = catalog::Kind::Routine;
      object.Key = "P" + used;
    } else if (usedType == kFunction && !(ValueAsInteger(row.at(3)) == 1)) {
      object.Type = catalog::Kind::Routine;
      object.Key = "F" + used;
    } else {
      continue;  // columns, domains, generators, exceptions, collations, legacy UDFs
    }
    uses.Objects.push_back(std::move(object));
  }
  return uses;
}

catalog::Uses FbCatalog::UsesOf(const catalog::Object& object) {
  if (object.Type == catalog::Kind::View) return Dependencies(object.Key, kView);
  if (object.Type != catalog::Kind::Routine || object.Key.empty()) return {};
  const bool procedure = object.Key.front() == 'P';
  const std::string name = object.Key.substr(1);
  const auto rows = catalog::QueryRows(
      connection_, procedure ? "SELECT RDB$PROCEDURE_SOURCE, RDB$ENGINE_NAME FROM RDB$PROCEDURES "
                               "WHERE RDB$PACKAGE_NAME IS NULL AND RDB$PROCEDURE_NAME = " +
                                   common::QuotedStr(name)
                             : "SELECT RDB$FUNCTION_SOURCE, RDB$ENGINE_NAME FROM RDB$FUNCTIONS "
                               "WHERE RDB$PACKAGE_NAME IS NULL AND RDB$FUNCTION_NAME = " +
                                   common::QuotedStr(name));
  if (rows.size() != 1 || !Followable(rows.front().at(0), rows.front().at(1))) return {true, {}};
  return Dependencies(name, procedure ? kProcedure : kFunction);
}

std::vector<catalog::Uses> FbCatalog::TriggersOf(const catalog::Object& table) {
  // User triggers only: the system's own (referential actions, checks) are read as what they are.
  const auto rows = catalog::QueryRows(
      connection_,
      "SELECT TRIM(RDB$TRIGGER_NAME), RDB$TRIGGER_SOURCE, RDB$ENGINE_NAME FROM RDB$TRIGGERS "
      "WHERE RDB$RELATION_NAME = " +
          common::QuotedStr(table.Key) +
          " AND COALESCE(RDB$TRIGGER_INACTIVE, 0) = 0 AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0");
  std::vector<catalog::Uses> triggers;
  for (const auto& row : rows) {
    if (!Followable(row.at(1), row.at(2))) {
      triggers.push_back({true, {}});
      continue;
    }
    triggers.push_back(Dependencies(Text(row.at(0)), kTrigger));
  }
  return triggers;
}

std::vector<catalog::Object> FbCatalog::CascadesOf(const catalog::Object& table) {
  const auto rows =
      catalog::QueryRows(connection_,
                         "SELECT DISTINCT TRIM(C.RDB$RELATION_NAME) FROM RDB$RELATION_CONSTRAINTS P "
                         "JOIN RDB$REF_CONSTRAINTS R ON R.RDB$CONST_NAME_UQ = P.RDB$CONSTRAINT_NAME "
                         "JOIN RDB$RELATION_CONSTRAINTS C ON C.RDB$CONSTRAINT_NAME = R.RDB$CONSTRAINT_NAME "
                         "WHERE P.RDB$RELATION_NAME = " +
                             common::QuotedStr(table.Key) +
                             " AND (TRIM(R.RDB$UPDATE_RULE) IN ('CASCADE', 'SET NULL', 'SET DEFAULT') "
                             "OR TRIM(R.RDB$DELETE_RULE) IN ('CASCADE', 'SET NULL', 'SET DEFAULT'))");
  std::vector<catalog::Object> children;
  for (const auto& row : rows) {
    const std::string name = Text(row.at(0));
    children.push_back({catalog::Kind::Table, common::UpperAscii(name), name});
  }
  return children;
}

}  // namespace zr::db::firebird
