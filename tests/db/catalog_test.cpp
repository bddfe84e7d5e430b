// What write-behind concludes from a catalog: the tables a write may change and a read may read, with every
// doubt answered "every table". The catalog here is a small table of facts; the drivers' own catalogs are
// exercised against the real servers by the application's write-behind test.

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "db/catalog.h"

namespace zr::db::catalog {
namespace {

TableSet Set(std::initializer_list<const char*> tables) {
  TableSet set;
  for (const char* t : tables) set.Add(t);
  return set;
}

void ExpectSet(const TableSet& actual, const TableSet& expected) {
  EXPECT_EQ(actual.Every, expected.Every);
  EXPECT_EQ(actual.Tables, expected.Tables);
}

// A catalog given as data: objects by name, what views and routines use, triggers and cascades per table.
class FakeFacts : public Facts {
 public:
  std::map<std::string, Object> Objects;
  std::map<std::string, Uses> Using;                  // by object name
  std::map<std::string, std::vector<Uses>> Triggers;  // by table name
  std::map<std::string, std::vector<std::string>> Cascades;
  bool Fails = false;
  int Resolves = 0;

  void Table(const std::string& name) { Objects[name] = {Kind::Table, name, name}; }
  void View(const std::string& name, std::vector<std::string> used) { Define(Kind::View, name, used); }
  void Routine(const std::string& name, std::vector<std::string> used, bool opaque = false) {
    Define(Kind::Routine, name, used);
    Using[name].Opaque = opaque;
  }
  void Trigger(const std::string& table, std::vector<std::string> used, bool opaque = false) {
    Triggers[table].push_back({opaque, ObjectsOf(used)});
  }

  std::vector<Object> Resolve(const std::vector<std::string>& names) override {
    ++Resolves;
    if (Fails) throw std::runtime_error("the catalog cannot be read");
    std::vector<Object> out;
    for (const std::string& name : names) {
      const auto it = Objects.find(name);
      out.push_back(it == Objects.end() ? Object{} : it->second);
    }
    return out;
  }
  Uses UsesOf(const Object& object) override { return Using.at(object.Name); }
  std::vector<Uses> TriggersOf(const Object& table) override { return Triggers[table.Name]; }
  std::vector<Object> CascadesOf(const Object& table) override { return ObjectsOf(Cascades[table.Name]); }

 private:
  void Define(Kind kind, const std::string& name, const std::vector<std::string>& used) {
    Objects[name] = {kind, name, name};
    Using[name] = {false, ObjectsOf(used)};
  }
  std::vector<Object> ObjectsOf(const std::vector<std::string>& names) {
    std::vector<Object> out;
    for (const std::string& name : names) out.push_back(Objects.at(name));
    return out;
  }
};

// PCPFTOF01 with the tables and routines a site's triggers may reach.
FakeFacts Site() {
  FakeFacts f;
  for (const char* t : {"PCPFTOF01", "MAT_ITEN01", "ZR_AUDITORIA", "ZR_FILHO", "ZR_NETO", "PCPFT201"})
    f.Table(t);
  f.Routine("SOBE_PRECO", {"MAT_ITEN01"});
  f.Routine("DINAMICA", {}, true);
  f.Routine("RECURSIVA", {"PCPFT201"});
  f.Using["RECURSIVA"].Objects.push_back(f.Objects["RECURSIVA"]);
  f.View("V_PRECOS", {"MAT_ITEN01", "PCPFTOF01"});
  f.View("V_SOBRE_VIEW", {"V_PRECOS"});
  return f;
}

TEST(WriteReach, WhatAWriteToPcpftofMayChange) {
  struct Case {
    const char* name;
    void (*site)(FakeFacts&);
    TableSet expected;
  };
  const Case cases[] = {
      {"no trigger and no foreign key: the table itself", [](FakeFacts&) {}, Set({"PCPFTOF01"})},
      {"a trigger that only assigns the row's own fields",
       [](FakeFacts& f) { f.Trigger("PCPFTOF01", {"PCPFTOF01"}); }, Set({"PCPFTOF01"})},
      {"an audit trigger writes its log", [](FakeFacts& f) { f.Trigger("PCPFTOF01", {"ZR_AUDITORIA"}); },
       Set({"PCPFTOF01", "ZR_AUDITORIA"})},
      {"a trigger that calls a procedure reaches what the procedure uses",
       [](FakeFacts& f) { f.Trigger("PCPFTOF01", {"SOBE_PRECO"}); }, Set({"PCPFTOF01", "MAT_ITEN01"})},
      {"a routine that calls itself is followed once",
       [](FakeFacts& f) { f.Trigger("PCPFTOF01", {"RECURSIVA"}); }, Set({"PCPFTOF01", "PCPFT201"})},
      {"a trigger with dynamic SQL may change anything",
       [](FakeFacts& f) { f.Trigger("PCPFTOF01", {}, true); }, TableSet::All()},
      {"a trigger calling a routine with dynamic SQL may change anything",
       [](FakeFacts& f) { f.Trigger("PCPFTOF01", {"DINAMICA"}); }, TableSet::All()},
      {"a cascade, and the cascade's own trigger and cascade",
       [](FakeFacts& f) {
         f.Cascades["PCPFTOF01"] = {"ZR_FILHO"};
         f.Trigger("ZR_FILHO", {"ZR_AUDITORIA"});
         f.Cascades["ZR_FILHO"] = {"ZR_NETO"};
       },
       Set({"PCPFTOF01", "ZR_FILHO", "ZR_AUDITORIA", "ZR_NETO"})},
      {"a cycle of cascades ends",
       [](FakeFacts& f) {
         f.Cascades["PCPFTOF01"] = {"ZR_FILHO"};
         f.Cascades["ZR_FILHO"] = {"PCPFTOF01"};
       },
       Set({"PCPFTOF01", "ZR_FILHO"})},
      {"a table a trigger writes fires that table's triggers",
       [](FakeFacts& f) {
         f.Trigger("PCPFTOF01", {"ZR_FILHO"});
         f.Trigger("ZR_FILHO", {"DINAMICA"});
       },
       TableSet::All()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFacts f = Site();
    c.site(f);
    ExpectSet(WriteReach(f, "PCPFTOF01"), c.expected);
  }
}

TEST(WriteReach, WhatCannotBeResolvedIsEveryTable) {
  FakeFacts f = Site();
  ExpectSet(WriteReach(f, "NAO_EXISTE01"), TableSet::All());
  f.Fails = true;
  ExpectSet(WriteReach(f, "PCPFTOF01"), TableSet::All());
}

TEST(WriteReach, AViewWrittenToWritesTheTablesUnderIt) {
  FakeFacts f = Site();
  f.Trigger("MAT_ITEN01", {"ZR_AUDITORIA"});
  ExpectSet(WriteReach(f, "V_PRECOS"), Set({"V_PRECOS", "MAT_ITEN01", "PCPFTOF01", "ZR_AUDITORIA"}));
}

TEST(ReadReach, WhatEachNameOfAStatementReads) {
  FakeFacts f = Site();
  const std::vector<std::string> names = {"PCPFT201", "V_SOBRE_VIEW", "SOBE_PRECO", "DINAMICA", "CUSTO"};
  const std::vector<TableSet> reads = ReadReach(f, names);
  ASSERT_EQ(reads.size(), names.size());
  ExpectSet(reads[0], Set({"PCPFT201"}));                 // a table reads itself
  ExpectSet(reads[1], Set({"MAT_ITEN01", "PCPFTOF01"}));  // a view over a view, down to the tables
  ExpectSet(reads[2], Set({"MAT_ITEN01"}));               // a function reads what it uses
  ExpectSet(reads[3], TableSet::All());                   // dynamic SQL
  ExpectSet(reads[4], TableSet{});                        // a column, an alias, a keyword
  EXPECT_EQ(f.Resolves, 1) << "every name of a statement is asked in one catalog read";

  f.Fails = true;
  for (const TableSet& read : ReadReach(f, names)) ExpectSet(read, TableSet::All());
}

TEST(TableSet, MeetsWhenATableIsSharedOrEitherIsEveryTable) {
  EXPECT_TRUE(Set({"A", "B"}).Meets(Set({"B"})));
  EXPECT_FALSE(Set({"A"}).Meets(Set({"B"})));
  EXPECT_FALSE(Set({"A"}).Meets(TableSet{}));
  EXPECT_TRUE(TableSet::All().Meets(TableSet{}));
  EXPECT_TRUE(Set({"A"}).Meets(TableSet::All()));
  TableSet grows = Set({"A"});
  grows.Add(TableSet::All());
  grows.Add("B");
  EXPECT_TRUE(grows.Every);
  EXPECT_TRUE(grows.Tables.empty());
}

TEST(NamesIn, TheNamesOfATextWithoutLiteralsCommentsOrNumbers) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"words upper-cased, each once",
       "select a.X from t a where a.x = 1",
       {"SELECT", "A", "X", "FROM", "T", "WHERE"}},
      {"a literal holds no names, doubled quotes included", "WHERE C = 'FROM T2 ''X'' Y'", {"WHERE", "C"}},
      {"quoted names keep their quotes", "SELECT * FROM \"Pedidos\"", {"SELECT", "FROM", "\"Pedidos\""}},
      {"comments hold no names", "A -- B\n/* C */ D", {"A", "D"}},
      {"dollar-quoted strings hold no names", "PERFORM $x$ T1 $x$; EXECUTE $$T2$$", {"PERFORM", "EXECUTE"}},
      {"Firebird's system names keep their dollar",
       "SELECT 1.5 FROM RDB$DATABASE",
       {"SELECT", "FROM", "RDB$DATABASE"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NamesIn(c.text), c.names);
  }
}

TEST(RunsDynamicSql, SqlBuiltAtRunTimeInEachDialect) {
  struct Case {
    const char* name;
    const char* body;
    bool dynamic;
  };
  const Case cases[] = {
      {"Firebird's EXECUTE STATEMENT", "AS BEGIN EXECUTE STATEMENT 'DELETE FROM T'; END", true},
      {"Firebird's EXECUTE PROCEDURE is static", "AS BEGIN EXECUTE PROCEDURE P; END", false},
      {"Oracle's EXECUTE IMMEDIATE, across lines", "BEGIN\n  EXECUTE\n IMMEDIATE v_sql;\nEND;", true},
      {"Oracle's DBMS_SQL", "BEGIN c := DBMS_SQL.OPEN_CURSOR; END;", true},
      {"PL/pgSQL's EXECUTE of a literal", "BEGIN EXECUTE 'UPDATE t SET a = 1'; RETURN NEW; END", true},
      {"assignments to NEW only", "BEGIN IF NEW.A = '' THEN NEW.A := NULL; END IF; RETURN NEW; END", false},
      {"the word inside a literal or a comment", "BEGIN x := 'EXECUTE STATEMENT'; -- EXECUTE\n END", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunsDynamicSql(c.body), c.dynamic);
  }
}

}  // namespace
}  // namespace zr::db::catalog
