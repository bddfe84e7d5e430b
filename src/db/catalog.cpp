#include "db/catalog.h"

#include <algorithm>
#include <deque>
#include <map>

#include "common/ascii.h"
#include "db/driver.h"
#include "db/sql_scanner.h"

namespace zr::db::catalog {

namespace {

// Adds `other` to `into`, where either may stand for every table.
template <class Set>
void Merge(Set& into, const Set& other) {
  if (into.Every) return;
  if (other.Every) {
    into.Every = true;
    into.Tables.clear();
    return;
  }
  into.Tables.insert(other.Tables.begin(), other.Tables.end());
}

}  // namespace

void TableSet::Add(const TableSet& other) { Merge(*this, other); }

bool TableSet::Meets(const TableSet& other) const {
  if (Every || other.Every) return true;
  const TableSet& small = Tables.size() <= other.Tables.size() ? *this : other;
  const TableSet& large = &small == this ? other : *this;
  return std::any_of(small.Tables.begin(), small.Tables.end(),
                     [&](const std::string& t) { return large.Tables.count(t) > 0; });
}

namespace {

bool IsWordStart(char c) noexcept { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

// A name a text may give an object: an unquoted word that begins with a letter or '_' (a number is none),
// upper-cased, or a quoted name with its quotes. A parameter or a PSQL variable (":NAME") counts by its name
// too: reading one name too many costs a look-up, one too few could miss a table. Empty for anything else.
std::string NameOf(const sql::Token& token) {
  switch (token.Kind) {
    case sql::TokenKind::Word:
      return IsWordStart(token.Text.front()) ? common::UpperAscii(token.Text) : std::string();
    case sql::TokenKind::Parameter: {
      const std::string_view name = token.Text.substr(1);
      size_t end = 0;
      while (end < name.size() && sql::IsWordChar(name[end])) ++end;
      return IsWordStart(name.front()) ? common::UpperAscii(name.substr(0, end)) : std::string();
    }
    case sql::TokenKind::QuotedName:
      return token.Text.size() > 2 ? std::string(token.Text) : std::string();
    default:
      return {};
  }
}

std::string KeyOf(const Object& o) {
  return std::to_string(static_cast<int>(o.Type)) + "\n" + o.Key + "\n" + o.Name;
}

// Tables reached, each with what the catalog needs to follow it further.
struct Reach {
  bool Every = false;
  std::map<std::string, Object> Tables;  // by KeyOf

  void Add(const Reach& other) { Merge(*this, other); }
  TableSet Names() const {
    if (Every) return TableSet::All();
    TableSet set;
    for (const auto& [key, table] : Tables) set.Add(table.Name);
    return set;
  }
};

class Walk {
 public:
  explicit Walk(Facts& facts) : facts_(facts) {}

  Reach Reads(const Object& object) {
    Reach reach;
    if (object.Type == Kind::None) return reach;
    if (object.Type == Kind::Table) {
      reach.Tables.emplace(KeyOf(object), object);
      return reach;
    }
    const std::string key = KeyOf(object);
    if (auto it = reads_.find(key); it != reads_.end()) return it->second;
    reads_[key] = Reach{};  // a routine that calls itself adds nothing more
    reach = Through(facts_.UsesOf(object));
    reads_[key] = reach;
    return reach;
  }

  Reach Through(const Uses& uses) {
    Reach reach;
    if (uses.Opaque) {
      reach.Every = true;
      return reach;
    }
    for (const Object& used : uses.Objects) {
      reach.Add(Reads(used));
      if (reach.Every) break;
    }
    return reach;
  }

  TableSet Writes(const Object& table) {
    if (table.Type != Kind::Table && table.Type != Kind::View) return TableSet::All();
    Reach written;
    written.Tables.emplace(KeyOf(table), table);
    std::deque<Object> work{table};
    std::set<std::string> seen{KeyOf(table)};
    const auto follow = [&](const Reach& reach) {
      written.Add(reach);
      for (const auto& [key, reached] : reach.Tables) {
        if (seen.insert(key).second) work.push_back(reached);
      }
    };
    while (!work.empty() && !written.Every) {
      const Object current = work.front();
      work.pop_front();
      // A view written to writes the tables under it.
      if (current.Type == Kind::View) follow(Reads(current));
      for (const Uses& trigger : facts_.TriggersOf(current)) {
        follow(Through(trigger));
        if (written.Every) break;
      }
      Reach children;
      for (const Object& child : facts_.CascadesOf(current)) children.Tables.emplace(KeyOf(child), child);
      follow(children);
    }
    return written.Names();
  }

 private:
  Facts& facts_;
  std::map<std::string, Reach> reads_;
};

}  // namespace

std::vector<TableSet> ReadReach(Facts& facts, const std::vector<std::string>& names) {
  std::vector<Object> objects;
  try {
    objects = facts.Resolve(names);
  } catch (...) {
    return std::vector<TableSet>(names.size(), TableSet::All());
  }
  Walk walk(facts);
  std::vector<TableSet> result;
  result.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (i >= objects.size()) {
      result.push_back(TableSet::All());
      continue;
    }
    try {
      result.push_back(walk.Reads(objects[i]).Names());
    } catch (...) {
      result.push_back(TableSet::All());
    }
  }
  return result;
}

TableSet WriteReach(Facts& facts, const std::string& table) {
  try {
    const std::vector<Object> objects = facts.Resolve({table});
    if (objects.size() != 1) return TableSet::All();
    Walk walk(facts);
    return walk.Writes(objects.front());
  } catch (...) {
    return TableSet::All();
  }
}

std::vector<std::string> NamesIn(std::string_view text) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  sql::Scanner scanner(text);
  sql::Token token;
  while (scanner.NextCode(token)) {
    std::string name = NameOf(token);
    if (!name.empty() && seen.insert(name).second) names.push_back(std::move(name));
  }
  return names;
}

bool RunsDynamicSql(std::string_view body) {
  sql::Scanner scanner(body);
  sql::Token token;
  bool execute = false;  // the token before was EXECUTE
  while (scanner.NextCode(token)) {
    if (execute && !sql::IsKeyword(token, "PROCEDURE")) return true;
    if (sql::IsKeyword(token, "DBMS_SQL")) return true;
    execute = sql::IsKeyword(token, "EXECUTE");
  }
  return execute;
}

std::vector<std::vector<TFDValue>> QueryRows(driver::Connection& connection, const std::string& sql) {
  std::unique_ptr<driver::Statement> statement = connection.CreateStatement();
  statement->Prepare(sql);
  statement->Execute({}, 1, 0);
  std::vector<std::vector<TFDValue>> rows;
  std::vector<TFDValue> row;
  while (statement->Fetch(row)) rows.push_back(std::move(row));
  statement->CloseCursor();
  return rows;
}

std::vector<std::vector<std::string>> InGroups(const std::vector<std::string>& names) {
  constexpr size_t kNamesPerQuery = 100;
  std::vector<std::vector<std::string>> groups;
  for (size_t from = 0; from < names.size(); from += kNamesPerQuery) {
    const size_t to = std::min(names.size(), from + kNamesPerQuery);
    groups.emplace_back(names.begin() + static_cast<std::ptrdiff_t>(from),
                        names.begin() + static_cast<std::ptrdiff_t>(to));
  }
  return groups;
}

std::string Spelling(const std::string& name, std::string (*fold)(std::string_view)) {
  // A quoted name reads as a literal does: its quotes taken off, each doubled one read as one.
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return sql::LiteralValue(name);
  return fold(name);
}

std::string LiteralList(const std::vector<std::string>& names, std::string (*fold)(std::string_view)) {
  std::string list;
  for (const std::string& name : names) {
    if (!list.empty()) list += ", ";
    list += common::QuotedStr(Spelling(name, fold));
  }
  return list.empty() ? std::string("''") : list;
}

}  // namespace zr::db::catalog
