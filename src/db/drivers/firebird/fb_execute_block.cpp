#include "fb_execute_block.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "db/errors.h"
#include "db/sql_scanner.h"
#include "fb_charsets.h"
#include "fb_code_pages.h"
#include "fb_error.h"

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

namespace {

int Selects(std::string_view sql) {
  int selects = 0;
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.NextCode(token)) {
    if (sql::IsKeyword(token, "SELECT")) ++selects;
  }
  return selects;
}

}  // namespace

bool HasSelect(std::string_view sql) { return Selects(sql) > 0; }

int ContextsOf(std::string_view sql) {
  constexpr int kPerSelect = 4;
  return (sql::FirstWord(sql) == "UPDATE" ? 2 : 1) + kPerSelect * Selects(sql);
}

namespace {

std::optional<std::string> Declaration(Firebird::IMessageMetadata* metadata, unsigned index) {
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

}  // namespace

std::optional<BlockInput> DeclaredInput(Firebird::IMessageMetadata* metadata, unsigned index) {
  std::optional<std::string> declaration = Declaration(metadata, index);
  if (!declaration) return std::nullopt;
  Status status;
  return BlockInput{std::move(*declaration), metadata->getLength(status.get(), index)};
}

std::optional<std::vector<BlockInput>> DeclaredInputs(Firebird::IMessageMetadata* metadata) {
  Status status;
  const unsigned count = metadata->getCount(status.get());
  std::vector<BlockInput> inputs;
  for (unsigned j = 0; j < count; ++j) {
    std::optional<BlockInput> input = DeclaredInput(metadata, j);
    if (!input) return std::nullopt;
    inputs.push_back(std::move(*input));
  }
  return inputs;
}

namespace {

const std::string kCountedHead = "\nRETURNS (N VARCHAR(" + std::to_string(kCountsLength) +
                                 ") CHARACTER SET NONE) AS\nDECLARE C BIGINT;\nBEGIN\nN = '';\n";
constexpr std::string_view kPlainHead = "\nAS\nBEGIN\n";
constexpr std::string_view kCountedTail = "SUSPEND;\nEND";  // SUSPEND: the one row that carries the counts
constexpr std::string_view kPlainTail = "END";

}  // namespace

size_t BlockWriter::Length(size_t declarations, size_t body) const {
  return std::strlen("EXECUTE BLOCK") + (declarations > 0 ? declarations + 2 : 0) +
         (counted_ ? kCountedHead.size() + kCountedTail.size() : kPlainHead.size() + kPlainTail.size()) +
         body;
}

bool BlockWriter::Add(const Group& group) {
  const auto inputs = static_cast<int>(group.Inputs.size());
  size_t inputBytes = 0;
  for (const auto& [name, input] : group.Inputs) inputBytes += input.Bytes + kBytesPerBlockInput;
  if (contexts_ + group.Contexts > kMaxBlockContexts || inputs_ + inputs > kMaxBlockInputs ||
      inputBytes_ + inputBytes > kMaxBlockInputBytes ||
      (counted_ && (groups_ + 1) * 21 > static_cast<int>(kCountsLength))) {
    return false;
  }
  std::string declarations;
  for (const auto& [name, input] : group.Inputs) {
    declarations +=
        (declarations_.empty() && declarations.empty() ? "" : ", ") + name + " " + input.Declaration + " = ?";
  }
  std::string body;
  if (!group.Guard.empty()) body += "IF (" + group.Guard + ") THEN BEGIN\n";
  if (counted_) body += "C = 0;\n";
  for (const std::string& statement : group.Statements) {
    // The ";" on a line of its own: the statement may end in a line comment.
    body += statement;
    body += counted_ ? "\n;\nC = C + ROW_COUNT;\n" : "\n;\n";
  }
  if (counted_) body += "N = N || C || ',';\n";
  if (!group.Guard.empty()) body += "END\n";
  if (Length(declarations_.size() + declarations.size(), body_.size() + body.size()) > kMaxBlockText) {
    return false;
  }
  declarations_ += declarations;
  body_ += body;
  ++groups_;
  contexts_ += group.Contexts;
  inputs_ += inputs;
  inputBytes_ += inputBytes;
  return true;
}

std::string BlockWriter::Text() const {
  std::string block;
  block.reserve(Length(declarations_.size(), body_.size()));
  block += "EXECUTE BLOCK";
  if (!declarations_.empty()) block += " (" + declarations_ + ")";
  block += counted_ ? std::string_view(kCountedHead) : kPlainHead;
  block += body_;
  block += counted_ ? kCountedTail : kPlainTail;
  return block;
}

std::vector<int64_t> ReadCounts(Firebird::IMessageMetadata* output, const std::vector<int64_t>& buffer,
                                int expected) {
  unsigned at = 0, nullAt = 0;
  Guarded([&] {
    Status status;
    at = output->getOffset(status.get(), 0);
    nullAt = output->getNullOffset(status.get(), 0);
  });
  const auto* message = reinterpret_cast<const unsigned char*>(buffer.data());
  short null = 0;
  std::memcpy(&null, message + nullAt, sizeof null);
  uint16_t length = 0;
  std::memcpy(&length, message + at, sizeof length);
  const std::string counts(reinterpret_cast<const char*>(message + at + sizeof length), length);
  std::vector<int64_t> result;
  size_t from = 0;
  while (from < counts.size()) {
    const size_t comma = counts.find(',', from);
    if (comma == std::string::npos) break;
    result.push_back(std::stoll(counts.substr(from, comma - from)));
    from = comma + 1;
  }
  if (null != 0 || result.size() != static_cast<size_t>(expected)) {
    throw EDatabaseError("A batch returned " + std::to_string(result.size()) + " counts for " +
                         std::to_string(expected) + " statements");
  }
  return result;
}

}  // namespace zr::db::firebird
