// '01/31/2018'  ->  '31/01/2018' (Ora) | '2018-1-31' (PG);  UDF_DAYSPAN(a, b)  ->  CAST(a- b AS INTEGER);
// UDF_WEEKDAY(d)  ->  CAST(TO_CHAR(d, 'D') AS INTEGER)-1;  ZR_BLOB(x)  ->  dbms_lob.substr(x)  | x
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/driver_names.h"
#include "converte_datas_steps.h"
#include "sqltranslate/passes.h"
#include "sqltranslate/sql_lines.h"
#include "text_ops.h"

namespace zr::sqlt {
namespace datas {

namespace {

constexpr std::string_view kMark = "@/@";

struct ViewHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using Substitutions = std::unordered_map<std::string, std::string, ViewHash, std::equal_to<>>;

// The literals as the scan copy meets them: quotes are taken in pairs, the content of a pair
// being what follows the opening quote, without leading blanks and control characters, up to
// the closing one; an opening quote never closed gives an empty content and ends the scan.
template <class Visit>
void ForEachLiteralContent(std::string_view s, Visit visit) {
  std::size_t pos = 0;
  while (true) {
    const std::size_t open = s.find('\'', pos);
    if (open == text::npos) return;
    std::size_t k = open + 1;
    while (k < s.size() && text::IsTrim(s[k])) ++k;
    const std::size_t close = s.find('\'', k);
    if (close == text::npos) {
      visit(std::string_view{});
      return;
    }
    visit(s.substr(k, close - k));
    pos = close + 1;
  }
}

// The replacement of a valid date content for Oracle or PostgreSQL; `mark` separates day and
// month in the Oracle form. Returns false when the content is left as it is.
bool DateReplacement(std::string_view content, Dialect dialect, std::string_view mark, std::string& out) {
  if (dialect != Dialect::Oracle && dialect != Dialect::PostgreSql) return false;
  std::size_t slashes = 0, colons = 0;
  for (char c : content) {
    slashes += c == '/';
    colons += c == ':';
  }
  if (slashes != 2) return false;
  std::uint16_t month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  bool withTime = false;
  if (content.size() == 10) {
    if (!DecodificaData(content, month, day, year)) return false;
  } else if (content.size() == 19 && colons >= 1) {
    if (!DecodificaDataHora(content, month, day, year, hour, minute, second)) return false;
    withTime = true;
  } else {
    return false;
  }
  // Built by appending only (GCC 12 at -O3 warns falsely about "literal" + std::string).
  const auto append = [&out](std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) out.append(piece);
  };
  out.clear();
  if (dialect == Dialect::Oracle) {
    append({CompletaZeros(day, 2), mark, CompletaZeros(month, 2), "/", std::to_string(year)});
  } else {
    append({std::to_string(year), "-", std::to_string(month), "-", std::to_string(day)});
  }
  if (withTime) {
    append({" ", std::to_string(hour), ":", std::to_string(minute), ":", std::to_string(second)});
  }
  return true;
}

// --- the statement with the bytes of the marks written by the literal loop flagged (1, 2, 3) -

struct MarkedText {
  std::string s;
  std::vector<std::uint8_t> flags;
};

void ReplaceAllMarked(MarkedText& t, std::string_view from, std::string_view to, std::size_t markAt) {
  std::size_t pos = text::FindCI(t.s, from);
  if (pos == text::npos) return;
  MarkedText out;
  std::size_t copied = 0;
  while (pos != text::npos) {
    out.s.append(t.s, copied, pos - copied);
    out.flags.insert(out.flags.end(), t.flags.begin() + static_cast<std::ptrdiff_t>(copied),
                     t.flags.begin() + static_cast<std::ptrdiff_t>(pos));
    const std::size_t base = out.s.size();
    out.s += to;
    out.flags.resize(out.s.size(), 0);
    if (markAt != text::npos) {
      for (std::uint8_t k = 0; k < 3; ++k) out.flags[base + markAt + k] = static_cast<std::uint8_t>(k + 1);
    }
    copied = pos + from.size();
    pos = text::FindCI(t.s, from, copied);
  }
  out.s.append(t.s, copied, std::string::npos);
  out.flags.insert(out.flags.end(), t.flags.begin() + static_cast<std::ptrdiff_t>(copied), t.flags.end());
  t = std::move(out);
}

// Storing the statement: the SQL lines' round trip, flags carried along.
void StoreMarked(MarkedText& t) {
  if (IsRoundTripStable(t.s)) return;
  MarkedText out;
  const std::string& s = t.s;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\r' || c == '\n') {
      out.s += "\r\n";
      out.flags.push_back(t.flags[i]);
      out.flags.push_back(0);
      if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      out.s += c;
      out.flags.push_back(t.flags[i]);
    }
  }
  if (!out.s.empty() && out.s.back() != '\n') {
    out.s += "\r\n";
    out.flags.push_back(0);
    out.flags.push_back(0);
  }
  t = std::move(out);
}

}  // namespace

std::string NewCallText(std::string_view call, const CallRewrite& rewrite) {
  std::string arg(call);
  text::ReplaceAll(arg, rewrite.marker, "");
  text::ReplaceAll(arg, ")", "");
  text::ReplaceAll(arg, "(", "");
  if (rewrite.commaToMinus) text::ReplaceAll(arg, ",", "-");
  if (rewrite.wrapLiterals) {
    const std::string scan = arg;
    ForEachLiteralContent(scan, [&arg](std::string_view content) {
      std::string quoted(1, '\'');
      quoted.append(content).push_back('\'');
      std::string wrapped("CAST(");
      wrapped.append(quoted).append(" AS DATE)");
      text::ReplaceAllCI(arg, quoted, wrapped);
    });
  }
  std::string out;
  out.reserve(rewrite.prefix.size() + arg.size() + rewrite.suffix.size());
  out += rewrite.prefix;
  out += arg;
  out += rewrite.suffix;
  return out;
}

namespace {

std::size_t CountCI(std::string_view s, std::string_view needle) {
  std::size_t n = 0;
  for (std::size_t p = text::FindCI(s, needle); p != text::npos;
       p = text::FindCI(s, needle, p + needle.size()))
    ++n;
  return n;
}

}  // namespace

Dialect DialectOf(const std::optional<std::string>& driverName) {
  if (!driverName) return Dialect::Other;
  if (*driverName == common::kDriverFirebird) return Dialect::Firebird;
  if (*driverName == common::kDriverOracle) return Dialect::Oracle;
  if (*driverName == common::kDriverPostgreSql) return Dialect::PostgreSql;
  return Dialect::Other;
}

std::string DateLiteralsOneByOne(std::string s, Dialect dialect) {
  MarkedText t{std::move(s), {}};
  t.flags.assign(t.s.size(), 0);
  const std::string scan = t.s;
  ForEachLiteralContent(scan, [&](std::string_view content) {
    std::string replacement;
    if (!DateReplacement(content, dialect, kMark, replacement)) return;
    const std::size_t markAt = dialect == Dialect::Oracle ? 2 : text::npos;
    ReplaceAllMarked(t, content, replacement, markAt);
    StoreMarked(t);
  });
  std::string out;
  out.reserve(t.s.size());
  for (std::size_t i = 0; i < t.s.size(); ++i) {
    if (t.flags[i] == 1 && i + 2 < t.s.size() && t.flags[i + 1] == 2 && t.flags[i + 2] == 3) {
      out += '/';
      i += 2;
    } else {
      out += t.s[i];
    }
  }
  return out;
}

namespace {

// Whether `w` (10 or 19 characters) can be a date content: number pieces of digits and blanks
// at fixed places, the "/" (two) and ":" (one at least) among the characters between them.
bool MayBeDateContent(std::string_view w) {
  const auto pieceChar = [](char c) { return text::IsDigit(c) || c == ' '; };
  if (w.size() == 10) {
    for (std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9}) {
      if (!pieceChar(w[i])) return false;
    }
    return w[2] == '/' && w[5] == '/';
  }
  int slashes = 0, colons = 0;
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (i == 2 || i == 5 || i == 10 || i == 13 || i == 16) {
      slashes += w[i] == '/';
      colons += w[i] == ':';
    } else if (!pieceChar(w[i])) {
      return false;
    }
  }
  return slashes == 2 && colons >= 1;
}

}  // namespace

// A date content holds no quote and no replacement writes one, so every occurrence lies inside
// one run of text between quotes and every replacement stays inside it: the runs are rewritten
// apart, and only the runs that hold a date-like text equal to the content are read again.
// On a settled text no content holds a line break (it would stand next to a number piece),
// so the statement stays settled and storing it changes nothing.
std::string DateLiteralsByPieces(std::string s, Dialect dialect) {
  if (dialect != Dialect::Oracle && dialect != Dialect::PostgreSql) return s;
  if (!IsRoundTripStable(s)) return DateLiteralsOneByOne(std::move(s), dialect);
  std::vector<MarkedText> runs;
  for (std::size_t start = 0;;) {
    const std::size_t quote = s.find('\'', start);
    const std::size_t end = quote == text::npos ? s.size() : quote;
    runs.push_back(MarkedText{s.substr(start, end - start), std::vector<std::uint8_t>(end - start, 0)});
    if (quote == text::npos) break;
    start = quote + 1;
  }
  std::unordered_map<std::string, std::unordered_set<std::size_t>> runsWith;  // date-like text -> runs
  std::vector<std::vector<std::string>> keysOf(runs.size());
  const auto index = [&](std::size_t r) {
    for (const std::string& key : keysOf[r]) runsWith[key].erase(r);
    keysOf[r].clear();
    const std::string& t = runs[r].s;
    for (std::size_t i = 0; i < t.size(); ++i) {
      for (std::size_t length : {10, 19}) {
        if (i + length > t.size() || !MayBeDateContent(std::string_view(t).substr(i, length))) continue;
        std::string key = text::UpperAscii(std::string_view(t).substr(i, length));
        if (runsWith[key].insert(r).second) keysOf[r].push_back(std::move(key));
      }
    }
  };
  for (std::size_t r = 0; r < runs.size(); ++r) index(r);

  const std::size_t markAt = dialect == Dialect::Oracle ? 2 : text::npos;
  ForEachLiteralContent(s, [&](std::string_view content) {
    std::string replacement;
    if (!DateReplacement(content, dialect, kMark, replacement)) return;
    const auto found = runsWith.find(text::UpperAscii(content));
    if (found == runsWith.end()) return;
    const std::vector<std::size_t> targets(found->second.begin(), found->second.end());
    for (std::size_t r : targets) {
      ReplaceAllMarked(runs[r], content, replacement, markAt);
      index(r);
    }
  });

  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (std::size_t r = 0; r < runs.size(); ++r) {
    if (r > 0) out += '\'';
    const MarkedText& t = runs[r];
    for (std::size_t i = 0; i < t.s.size(); ++i) {
      if (t.flags[i] == 1 && i + 2 < t.s.size() && t.flags[i + 1] == 2 && t.flags[i + 2] == 3) {
        out += '/';
        i += 2;
      } else {
        out += t.s[i];
      }
    }
  }
  return out;
}

// One pass replaces every occurrence of every date content at once. It gives the one-by-one result
// when the occurrences do not overlap and each is bordered by characters that no content holds:
// then no occurrence can be made or unmade by another's replacement (a replacement itself holds
// no content: the Oracle form carries "@/@" while the literal loop runs, the PostgreSQL form no "/").
std::string DateLiterals(std::string s, Dialect dialect) {
  if (dialect != Dialect::Oracle && dialect != Dialect::PostgreSql) return s;
  if (!IsRoundTripStable(s)) return DateLiteralsOneByOne(std::move(s), dialect);
  Substitutions subs;
  bool inContent[256] = {};
  bool has10 = false, has19 = false;
  ForEachLiteralContent(s, [&](std::string_view content) {
    std::string replacement;
    if (!DateReplacement(content, dialect, "/", replacement)) return;
    if (!subs.emplace(text::UpperAscii(content), std::move(replacement)).second) return;
    for (char c : content) {
      inContent[static_cast<unsigned char>(c)] = true;
      inContent[static_cast<unsigned char>(text::Upper(c))] = true;
      if (c >= 'A' && c <= 'Z') inContent[static_cast<unsigned char>(c - 'A' + 'a')] = true;
    }
    (content.size() == 10 ? has10 : has19) = true;
  });
  if (subs.empty()) return s;

  const std::string u = text::UpperAscii(s);
  const std::string_view uv(u);
  const std::size_t n = s.size();
  std::string out;
  out.reserve(n);
  std::size_t copied = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!text::IsDigit(u[i])) continue;  // every content starts with a digit
    const std::string* found = nullptr;
    std::size_t length = 0;
    if (has10 && i + 10 <= n && u[i + 2] == '/' && u[i + 5] == '/') {
      if (const auto it = subs.find(uv.substr(i, 10)); it != subs.end()) {
        found = &it->second;
        length = 10;
      }
    }
    if (has19 && i + 19 <= n) {
      if (const auto it = subs.find(uv.substr(i, 19)); it != subs.end()) {
        if (found != nullptr) return DateLiteralsByPieces(std::move(s), dialect);
        found = &it->second;
        length = 19;
      }
    }
    if (found == nullptr) continue;
    const bool overlaps = i < copied;
    const bool touchesBefore = i > 0 && inContent[static_cast<unsigned char>(s[i - 1])];
    const bool touchesAfter = i + length < n && inContent[static_cast<unsigned char>(s[i + length])];
    if (overlaps || touchesBefore || touchesAfter) return DateLiteralsByPieces(std::move(s), dialect);
    out.append(s, copied, i - copied);
    out += *found;
    copied = i + length;
  }
  out.append(s, copied, std::string::npos);
  return out;
}

std::string RewriteCallsOneByOne(std::string s, const CallRewrite& rewrite) {
  const std::string scan = s;
  std::size_t pos = 0;
  while (true) {
    const std::size_t at = scan.find(rewrite.marker, pos);
    if (at == text::npos) break;
    const std::size_t close = scan.find(')', at);
    if (close == text::npos) break;  // no call can be cut from here on: left as written
    const std::string_view call = std::string_view(scan).substr(at, close + 1 - at);
    text::ReplaceAllCI(s, call, NewCallText(call, rewrite));
    s = RoundTrip(s);
    pos = close + 1;
  }
  return s;
}

// One pass replaces every call at once. It gives the one-by-one result when no marker stands inside
// another call's text (calls neither nest nor overlap), no new text holds the marker, and the
// rewritten text holds no marker that was not in the statement: then every call text found later
// matches exactly the calls of the statement that equal it.
std::string RewriteCalls(std::string s, const CallRewrite& rewrite) {
  if (s.find(rewrite.marker) == text::npos) return s;
  Substitutions subs;
  for (std::size_t pos = 0;;) {
    const std::size_t at = s.find(rewrite.marker, pos);
    if (at == text::npos) break;
    const std::size_t close = s.find(')', at);
    if (close == text::npos) break;
    const std::string_view call = std::string_view(s).substr(at, close + 1 - at);
    const std::string key = text::UpperAscii(call);
    if (subs.find(key) == subs.end()) {
      std::string replacement = NewCallText(call, rewrite);
      if (text::ContainsCI(replacement, rewrite.marker)) return RewriteCallsByPieces(std::move(s), rewrite);
      subs.emplace(key, std::move(replacement));
    }
    pos = close + 1;
  }
  if (subs.empty()) return s;

  const std::string u = text::UpperAscii(s);
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  std::size_t copied = 0;
  std::size_t callEnd = 0;  // end of the last call text cut
  std::size_t untouched = 0;
  for (std::size_t at = u.find(rewrite.marker); at != text::npos; at = u.find(rewrite.marker, at + 1)) {
    if (at < callEnd) return RewriteCallsByPieces(std::move(s), rewrite);
    const std::size_t close = u.find(')', at);
    if (close == text::npos) {
      ++untouched;
      continue;
    }
    callEnd = close + 1;
    const auto it = subs.find(std::string_view(u).substr(at, close + 1 - at));
    if (it == subs.end()) {
      ++untouched;
      continue;
    }
    out.append(s, copied, at - copied);
    out += it->second;
    copied = close + 1;
  }
  out.append(s, copied, std::string::npos);
  if (CountCI(out, rewrite.marker) != untouched) return RewriteCallsByPieces(std::move(s), rewrite);
  return out;
}

std::string ConverteDatasTexto(std::string s, Dialect dialect) {
  // Every step stores the statement (the BLOB marker's always does), so the result is the lines' round
  // trip of the text; the renamings keep a settled text settled.
  if (dialect != Dialect::Firebird) {
    s = DateLiterals(std::move(s), dialect);
    if (!IsRoundTripStable(s)) s = RoundTrip(s);
    if (text::ContainsCI(s, "UDF_")) {
      text::ReplaceAllCI(s, "UDF_DAYSPAN", "DIFERENCAENTREDATAS");
      text::ReplaceAllCI(s, "UDF_DAYSBETWEEN", "DIFERENCAENTREDATAS");
      s = RewriteCalls(std::move(s), kDateDifference);
      s = RewriteCalls(std::move(s), kWeekday);
    }
  } else if (!IsRoundTripStable(s)) {
    s = RoundTrip(s);
  }
  text::ReplaceAllCI(s, "dbms_lob.substr", "ZR_BLOB");
  return RewriteCalls(std::move(s), dialect == Dialect::Oracle ? kBlobOracle : kBlobOther);
}

}  // namespace datas

void ConverteDatas(QueryAccess& query) {
  const datas::Dialect dialect = datas::DialectOf(query.DatabaseDriverName());
  query.SetSqlText(datas::ConverteDatasTexto(query.SqlText(), dialect));
}

}  // namespace zr::sqlt
