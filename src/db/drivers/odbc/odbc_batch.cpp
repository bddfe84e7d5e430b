#include "odbc_batch.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "common/ascii.h"
#include "db/datetime.h"
#include "db/errors.h"
#include "db/options.h"
#include "db/sql_scanner.h"
#include "odbc_connection.h"
#include "odbc_error.h"
#include "param_binding.h"
#include "utf16.h"

namespace zr::db::odbc {

namespace {

// A batch holds at most this many statements (array elements counted one by one) and this much text.
constexpr size_t kMaxStatements = 1000;
constexpr size_t kMaxText = 1u << 20;

SQLPOINTER AttrValue(SQLULEN value) { return reinterpret_cast<SQLPOINTER>(value); }

std::string Digits(int value, int width) {
  std::string text = std::to_string(value);
  while (static_cast<int>(text.size()) < width) text.insert(text.begin(), '0');
  return text;
}

// The text around the "?" markers outside literals, quoted names and comments: one piece more than there are
// markers. Nothing when the text holds a comment or a literal or name left open.
std::optional<std::vector<std::string_view>> PiecesAroundMarkers(std::string_view text) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  sql::Scanner scanner(text);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Comment || !token.Closed) return std::nullopt;
    if (token.Kind == sql::TokenKind::Marker) {
      pieces.push_back(text.substr(start, token.At - start));
      start = token.End();
    }
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// The pieces joined with `values` at the markers, in order.
std::string WithValues(const std::vector<std::string_view>& pieces, const std::vector<std::string>& values) {
  size_t size = pieces.back().size();
  for (size_t i = 0; i < values.size(); ++i) size += pieces[i].size() + values[i].size();
  std::string out;
  out.reserve(size);
  for (size_t i = 0; i < values.size(); ++i) {
    out.append(pieces[i]);
    out.append(values[i]);
  }
  out.append(pieces.back());
  return out;
}

}  // namespace

std::optional<std::string> BatchLiteral(BatchDialect dialect, ParamKind kind, const TFDValue& value) {
  if (IsNullValue(value)) return std::string("NULL");
  const bool pg = dialect == BatchDialect::PostgreSql;
  switch (kind) {
    case ParamKind::Text: {
      const std::string text = ValueAsString(value);
      if (text.find('\0') != std::string::npos || (pg && text.find('\\') != std::string::npos))
        return std::nullopt;
      return common::QuotedStr(text);
    }
    case ParamKind::Integer: {
      const std::string digits = std::to_string(ValueAsInteger(value));
      return pg ? "'" + digits + "'" : digits;
    }
    case ParamKind::Double: {
      const double number = ValueAsFloat(value);
      if (!std::isfinite(number)) return std::nullopt;
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%.17g", number);
      return pg ? "'" + std::string(buffer) + "'::float8" : "TO_BINARY_DOUBLE('" + std::string(buffer) + "')";
    }
    case ParamKind::Date: {
      const TDateParts p = DecodeDateTime(ValueAsDateTime(value));
      const std::string date = Digits(p.Year, 4) + "-" + Digits(p.Month, 2) + "-" + Digits(p.Day, 2);
      return pg ? "'" + date + "'::date" : "DATE '" + date + "'";
    }
    case ParamKind::Time: {
      const TDateParts p = DecodeDateTime(ValueAsDateTime(value));
      const std::string time = Digits(p.Hour, 2) + ":" + Digits(p.Minute, 2) + ":" + Digits(p.Second, 2);
      return pg ? "'" + time + "'::time" : "TO_DATE('" + time + "', 'HH24:MI:SS')";
    }
    case ParamKind::DateTime: {
      const TDateParts p = DecodeDateTime(ValueAsDateTime(value));
      const std::string stamp = Digits(p.Year, 4) + "-" + Digits(p.Month, 2) + "-" + Digits(p.Day, 2) + " " +
                                Digits(p.Hour, 2) + ":" + Digits(p.Minute, 2) + ":" + Digits(p.Second, 2) +
                                "." + Digits(p.Millisecond, 3);
      return pg ? "'" + stamp + "'::timestamp" : "TIMESTAMP '" + stamp + "'";
    }
    case ParamKind::Decimal:
    case ParamKind::Binary:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> BatchStatementTexts(BatchDialect dialect,
                                                            const driver::BatchStatement& statement) {
  std::vector<std::string> texts;
  if (statement.Params.empty()) {
    texts.push_back(statement.Sql);
    return texts;
  }
  // Each column travels as one kind, as the parameter binding decides it for the same elements.
  std::vector<ParamKind> kinds;
  for (const driver::ParamColumn& param : statement.Params) {
    if (param.Values == nullptr || statement.Offset < 0 || statement.Times < 1 ||
        static_cast<size_t>(statement.Offset) + static_cast<size_t>(statement.Times) > param.Values->size()) {
      return std::nullopt;
    }
    kinds.push_back(KindOfParam(param.DataType, std::span(*param.Values)
                                                    .subspan(static_cast<size_t>(statement.Offset),
                                                             static_cast<size_t>(statement.Times))));
  }
  // The statement's text is the same for every element: it is read once, and needs one marker per parameter.
  const std::optional<std::vector<std::string_view>> pieces = PiecesAroundMarkers(statement.Sql);
  if (!pieces || pieces->size() != statement.Params.size() + 1) return std::nullopt;
  std::vector<std::string> values(statement.Params.size());
  for (int e = 0; e < statement.Times; ++e) {
    for (size_t j = 0; j < statement.Params.size(); ++j) {
      const auto& column = *statement.Params[j].Values;
      const size_t at = static_cast<size_t>(statement.Offset + e);
      std::optional<std::string> literal = BatchLiteral(dialect, kinds[j], column[at]);
      if (!literal) return std::nullopt;
      values[j] = std::move(*literal);
    }
    texts.push_back(WithValues(*pieces, values));
  }
  return texts;
}

std::string PostgreSqlBatchText(const std::vector<std::vector<std::string>>& groups) {
  std::string text;
  for (const auto& group : groups) {
    for (const std::string& statement : group) {
      if (!text.empty()) text += ";\n";
      text += statement;
    }
  }
  return text;
}

std::string OraclePlsqlBatchText(const std::vector<std::vector<std::string>>& groups) {
  std::string text = "DECLARE C NUMBER; BEGIN\n";
  for (const auto& group : groups) {
    text += "C := 0;\n";
    for (const std::string& statement : group) text += statement + ";\nC := C + SQL%ROWCOUNT;\n";
    text += "? := C;\n";
  }
  return text + "END;";
}

bool OdbcBatch::Add(const driver::BatchStatement& statement) {
  std::optional<std::vector<std::string>> texts = BatchStatementTexts(dialect_, statement);
  if (!texts) return false;
  size_t bytes = 0;
  for (const std::string& text : *texts) bytes += text.size() + 24;
  if (!groups_.empty() && (statements_ + texts->size() > kMaxStatements || bytes_ + bytes > kMaxText))
    return false;
  statements_ += texts->size();
  bytes_ += bytes;
  groups_.push_back(std::move(*texts));
  return true;
}

std::vector<int64_t> OdbcBatch::Execute(uint32_t timeout) {
  if (groups_.empty()) return {};
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  Check(SQLAllocHandle(SQL_HANDLE_STMT, session_->Dbc(), &stmt), SQL_HANDLE_DBC, session_->Dbc(),
        "SQLAllocHandle");
  struct Free {
    SQLHSTMT h;
    ~Free() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
  } guard{stmt};
  const auto fail = [&](const char* action) { ThrowFailure(SQL_HANDLE_STMT, stmt, action); };
  const SQLULEN seconds = timeout == kNoTimeout ? 0 : (static_cast<SQLULEN>(timeout) + 999) / 1000;
  if (!Succeeded(SQLSetStmtAttr(stmt, SQL_ATTR_QUERY_TIMEOUT, AttrValue(seconds), 0))) {
    fail("SQLSetStmtAttr(SQL_ATTR_QUERY_TIMEOUT)");
  }
  std::vector<int64_t> counts;
  if (dialect_ == BatchDialect::Oracle) {
    std::vector<SQLBIGINT> out(groups_.size(), 0);
    std::vector<SQLLEN> indicators(groups_.size(), 0);
    for (size_t i = 0; i < groups_.size(); ++i) {
      if (!Succeeded(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_OUTPUT, SQL_C_SBIGINT,
                                      SQL_BIGINT, 19, 0, &out[i], 0, &indicators[i]))) {
        fail("SQLBindParameter");
      }
    }
    WideText text = ToWide(OraclePlsqlBatchText(groups_));
    const SQLRETURN ret = SQLExecDirectW(stmt, text.data(), static_cast<SQLINTEGER>(text.size()));
    if (!Succeeded(ret) && ret != SQL_NO_DATA) fail("SQLExecDirect");
    counts.assign(out.begin(), out.end());
    return counts;
  }
  WideText text = ToWide(PostgreSqlBatchText(groups_));
  SQLRETURN ret = SQLExecDirectW(stmt, text.data(), static_cast<SQLINTEGER>(text.size()));
  if (!Succeeded(ret) && ret != SQL_NO_DATA) fail("SQLExecDirect");
  // One result per statement, in order; a group's count is the sum of its statements'.
  for (const auto& group : groups_) {
    int64_t total = 0;
    for (size_t i = 0; i < group.size(); ++i) {
      if (!counts.empty() || i > 0) {
        ret = SQLMoreResults(stmt);
        if (ret == SQL_NO_DATA) throw EDatabaseError("A batch returned fewer results than it has statements");
        if (!Succeeded(ret)) fail("SQLMoreResults");
      }
      SQLLEN count = 0;
      if (!Succeeded(SQLRowCount(stmt, &count))) fail("SQLRowCount");
      if (count > 0) total += count;
    }
    counts.push_back(total);
  }
  return counts;
}

}  // namespace zr::db::odbc
