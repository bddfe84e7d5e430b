#include "fb_execute_block.h"

#include <algorithm>
#include <vector>

#include "common/ascii.h"
#include "db/sql_scanner.h"
#include "fb_charsets.h"
#include "fb_code_pages.h"

namespace zr::db::firebird {

namespace {

const char* CharSetName(unsigned charSet) {
  switch (charSet) {
    case kCharSetNone:
      return "NONE";
    case kCharSetOctets:
      return "OCTETS";
    case kCharSetAscii:
      return "ASCII";
    case kCharSetUnicodeFss:
      return "UNICODE_FSS";
    case kCharSetUtf8:
      return "UTF8";
    default:
      // A legacy code page, as a connection in one describes its own literals.
      const CodePage* page = CodePageOf(charSet);
      return page != nullptr ? page->Name.data() : nullptr;
  }
}

std::string Integer(const char* name, int digits, int scale) {
  if (scale == 0) {
    return name;
  }
  return "NUMERIC(" + std::to_string(digits) + ", " + std::to_string(-scale) + ")";
}

}  // namespace

std::string NameMarkers(std::string_view sql, int element) {
  std::string out;
  out.reserve(sql.size() + 32);
  int marker = 0;
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Marker) {
      out += ":p" + std::to_string(element) + "_" + std::to_string(marker++);
    } else if (token.Kind == sql::TokenKind::Comment) {
      // Comments go: one at the end would otherwise swallow the ";" that ends the statement in the block. A
      // line break keeps apart what the comment kept apart.
      out.push_back('\n');
    } else {
      out.append(token.Text);
    }
  }
  while (!out.empty() && (out.back() == ';' || out.back() == ' ' || out.back() == '\n' ||
                          out.back() == '\r' || out.back() == '\t')) {
    out.pop_back();
  }
  return out;
}

bool HasSelect(std::string_view sql) {
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.NextCode(token)) {
    if (sql::IsKeyword(token, "SELECT")) return true;
  }
  return false;
}

std::optional<std::string> DeclaredType(Firebird::IMessageMetadata* metadata, unsigned index) {
  Status status;
  const unsigned type = metadata->getType(status.get(), index) & ~1u;
  const int scale = metadata->getScale(status.get(), index);
  const unsigned charSet = metadata->getCharSet(status.get(), index) & 0xFFu;
  const unsigned length = metadata->getLength(status.get(), index);
  const auto text = [&](const char* kind) -> std::optional<std::string> {
    const char* name = CharSetName(charSet);
    if (name == nullptr) {
      return std::nullopt;
    }
    return std::string(kind) + "(" + std::to_string(std::max(1u, length / BytesPerCharacter(charSet))) +
           ") CHARACTER SET " + name;
  };
  switch (type) {
    case SQL_SHORT:
      return Integer("SMALLINT", 4, scale);
    case SQL_LONG:
      return Integer("INTEGER", 9, scale);
    case SQL_INT64:
      return Integer("BIGINT", 18, scale);
    case SQL_FLOAT:
      return "FLOAT";
    case SQL_DOUBLE:
      return "DOUBLE PRECISION";
    case SQL_TEXT:
      return text("CHAR");
    case SQL_VARYING:
      return text("VARCHAR");
    case SQL_TYPE_DATE:
      return "DATE";
    case SQL_TYPE_TIME:
      return "TIME";
    case SQL_TIMESTAMP:
      return "TIMESTAMP";
    case SQL_BOOLEAN:
      return "BOOLEAN";
    case SQL_BLOB: {
      const int subType = metadata->getSubType(status.get(), index);
      if (subType == kBlobSubTypeText) {
        const char* name = CharSetName(charSet);
        return name == nullptr
                   ? std::nullopt
                   : std::optional<std::string>(std::string("BLOB SUB_TYPE TEXT CHARACTER SET ") + name);
      }
      return "BLOB SUB_TYPE " + std::to_string(subType);
    }
    default:
      return std::nullopt;
  }
}

std::optional<std::vector<std::string>> DeclaredTypes(Firebird::IMessageMetadata* metadata) {
  Status status;
  const unsigned count = metadata->getCount(status.get());
  std::vector<std::string> types;
  for (unsigned j = 0; j < count; ++j) {
    std::optional<std::string> type = DeclaredType(metadata, j);
    if (!type) {
      return std::nullopt;
    }
    types.push_back(std::move(*type));
  }
  return types;
}

std::optional<std::string> BuildExecuteBlock(std::string_view sql, Firebird::IMessageMetadata* input,
                                             int elements, bool countRows) {
  const std::optional<std::vector<std::string>> declared = DeclaredTypes(input);
  if (!declared) {
    return std::nullopt;
  }
  const std::vector<std::string>& types = *declared;
  const auto count = static_cast<unsigned>(types.size());
  std::string block = "EXECUTE BLOCK";
  if (count > 0) {
    block += " (";
    for (int e = 0; e < elements; ++e) {
      for (unsigned j = 0; j < count; ++j) {
        if (e > 0 || j > 0) {
          block += ", ";
        }
        block += "p" + std::to_string(e) + "_" + std::to_string(j) + " " + types[j] + " = ?";
      }
    }
    block += ")";
  }
  block += countRows ? "\nRETURNS (ROWS_AFFECTED BIGINT) AS\nBEGIN\nROWS_AFFECTED = 0;\n" : "\nAS\nBEGIN\n";
  for (int e = 0; e < elements; ++e) {
    block += NameMarkers(sql, e);
    block += countRows ? ";\nROWS_AFFECTED = ROWS_AFFECTED + ROW_COUNT;\n" : ";\n";
  }
  block += countRows ? "SUSPEND;\nEND" : "END";  // SUSPEND: the one row that carries ROWS_AFFECTED
  return block;
}

}  // namespace zr::db::firebird
