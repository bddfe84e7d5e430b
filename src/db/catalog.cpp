#include "db/catalog.h"

#include <algorithm>
#include <deque>
#include <map>

#include "common/ascii.h"
#include "db/driver.h"

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
bool IsWordChar(char c) noexcept { return IsWordStart(c) || (c >= '0' && c <= '9') || c == '$'; }

// The text cut into words (upper-cased), quoted names (with their quotes), "'" for each string literal and
// single characters; comments and blanks left out. A PostgreSQL dollar-quoted string ($$...$$, $tag$...$tag$)
// counts as a literal.
std::vector<std::string> Tokens(std::string_view text) {
  std::vector<std::string> out;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c == '-' && i + 1 < n && text[i + 1] == '-') {
      i = text.find('\n', i);
      if (i == std::string_view::npos) break;
    } else if (c == '/' && i + 1 < n && text[i + 1] == '*') {
      i = text.find("*/", i + 2);
      if (i == std::string_view::npos) break;
      i += 2;
    } else if (c == '\'' || c == '"') {
      size_t end = i + 1;
      while (true) {
        end = text.find(c, end);
        if (end == std::string_view::npos) {
          end = n - 1;
          break;
        }
        if (end + 1 < n && text[end + 1] == c) {
          end += 2;
          continue;
        }
        break;
      }
      out.push_back(c == '\'' ? std::string("'") : std::string(text.substr(i, end + 1 - i)));
      i = end + 1;
    } else if (c == '$') {
      size_t tagEnd = i + 1;
      while (tagEnd < n && (IsWordStart(text[tagEnd]) || (text[tagEnd] >= '0' && text[tagEnd] <= '9')))
        ++tagEnd;
      if (tagEnd < n && text[tagEnd] == '$') {
        const std::string_view tag = text.substr(i, tagEnd + 1 - i);
        const size_t close = text.find(tag, tagEnd + 1);
        out.emplace_back("'");
        i = close == std::string_view::npos ? n : close + tag.size();
      } else {
        out.emplace_back(1, c);
        ++i;
      }
    } else if (IsWordStart(c)) {
      size_t end = i;
      while (end < n && IsWordChar(text[end])) ++end;
      out.push_back(common::UpperAscii(text.substr(i, end - i)));
      i = end;
    } else if (c >= '0' && c <= '9') {
      while (i < n && (IsWordChar(text[i]) || text[i] == '.')) ++i;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else {
      out.emplace_back(1, c);
      ++i;
    }
  }
  return out;
}

bool IsName(const std::string& token) {
  return !token.empty() && (IsWordStart(token.front()) || (token.front() == '"' && token.size() > 2));
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
  for (std::string& token : Tokens(text)) {
    if (IsName(token) && seen.insert(token).second) names.push_back(std::move(token));
  }
  return names;
}

bool RunsDynamicSql(std::string_view body) {
  const std::vector<std::string> tokens = Tokens(body);
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == "DBMS_SQL") return true;
    if (tokens[i] == "EXECUTE" && (i + 1 >= tokens.size() || tokens[i + 1] != "PROCEDURE")) return true;
  }
  return false;
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
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    std::string inner;
    for (size_t i = 1; i + 1 < name.size(); ++i) {
      inner += name[i];
      if (name[i] == '"' && i + 2 < name.size() && name[i + 1] == '"') ++i;
    }
    return inner;
  }
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
