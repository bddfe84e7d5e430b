#pragma once
// What the server does behind a statement's text, as its catalog tells it: the tables a write to a table may
// change (its active triggers, the routines they call, referential actions of the foreign keys that point
// at it) and the tables a statement reads through the names it holds (views, selectable procedures,
// functions). Write-behind asks this before it lets a statement run ahead of the writes that wait.
//
// Every answer errs on the safe side: what cannot be resolved (dynamic SQL in a body, a body whose source
// is not stored, a table the catalog does not know, a catalog read that fails) counts as every table.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace zr::db::driver {
class Connection;
}

namespace zr::db::catalog {

// Tables by the names statements give them, in ASCII upper case, or every table.
struct TableSet {
  bool Every = false;
  std::set<std::string> Tables;

  static TableSet All() { return TableSet{true, {}}; }
  void Add(const TableSet& other);
  void Add(const std::string& table) {
    if (!Every) Tables.insert(table);
  }
  // True when both hold a table in common, or either is every table.
  bool Meets(const TableSet& other) const;
};

enum class Kind { None, Table, View, Routine };

// An object of the catalog. Name: the upper-case name statements give it (no schema); Key: how the driver's
// catalog finds it again (its own spelling, a schema, a type code).
struct Object {
  Kind Type = Kind::None;
  std::string Name;
  std::string Key;
};

// What a view, a routine or a trigger uses: the objects its definition names, and whether it does anything
// the catalog cannot follow (then it may touch every table).
struct Uses {
  bool Opaque = false;
  std::vector<Object> Objects;
};

// One dialect's reading of its catalog. Each call may raise; the walkers below then answer "every table".
class Facts {
 public:
  virtual ~Facts() = default;
  // The object each name denotes, in order. Names come as statements write them: an unquoted word (upper
  // case) or a quoted name with its double quotes. A name that is no table, view or routine (a column, an
  // alias, a keyword, a built-in function) is Kind::None.
  virtual std::vector<Object> Resolve(const std::vector<std::string>& names) = 0;
  // What a view or a routine uses.
  virtual Uses UsesOf(const Object& object) = 0;
  // What each active trigger of a table (or view) uses.
  virtual std::vector<Uses> TriggersOf(const Object& table) = 0;
  // The tables whose foreign keys to `table` change their rows when its rows change (ON DELETE or ON UPDATE
  // CASCADE, SET NULL, SET DEFAULT).
  virtual std::vector<Object> CascadesOf(const Object& table) = 0;
};

// Per name: the tables a statement that names it reads through it. A table reads itself; a view, a
// procedure or a function the tables it uses, transitively; any other name nothing.
std::vector<TableSet> ReadReach(Facts& facts, const std::vector<std::string>& names);

// The tables a row written (inserted, updated, deleted) to `table` may change: the table itself, every table
// its active triggers use (read or written: the catalog does not tell them apart), and the children of
// foreign keys with referential actions; transitively, since those writes fire triggers of their own. A
// table the catalog does not know gives every table.
TableSet WriteReach(Facts& facts, const std::string& table);

// The names a text holds, as Facts::Resolve takes them: unquoted words upper-cased, quoted names with their
// quotes; string literals, comments and numbers left out; each name once.
std::vector<std::string> NamesIn(std::string_view text);

// True when a routine's or trigger's body runs SQL built at run time: EXECUTE STATEMENT (Firebird),
// EXECUTE IMMEDIATE or DBMS_SQL (Oracle), EXECUTE (PL/pgSQL). EXECUTE PROCEDURE is not dynamic.
bool RunsDynamicSql(std::string_view body);

// Every row of a catalog query without parameters, run on `connection` (in its open transaction, if any).
std::vector<std::vector<TFDValue>> QueryRows(driver::Connection& connection, const std::string& sql);

// `names` in groups of at most a hundred, each for one IN (...) list of a catalog query.
std::vector<std::vector<std::string>> InGroups(const std::vector<std::string>& names);

// `names` as a list of quoted literals for an IN (...) list, each with `fold` applied (the spelling under which
// the catalog stores an unquoted name) unless the name was quoted.
std::string LiteralList(const std::vector<std::string>& names, std::string (*fold)(std::string_view));
// The catalog's spelling of a name as a statement writes it: a quoted name without its quotes, an unquoted
// one through `fold`.
std::string Spelling(const std::string& name, std::string (*fold)(std::string_view));

}  // namespace zr::db::catalog
