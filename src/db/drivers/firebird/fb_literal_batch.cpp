#include "fb_literal_batch.h"

#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "db/sql_scanner.h"

#include "fb_error.h"
#include "fb_input.h"

namespace zr::db::firebird {

namespace {

constexpr std::string_view kPrefix = ":p0_";

// Whether `sql` has a parameter of its own named as NameMarkers names markers.
bool HasMarkerNames(std::string_view sql) {
  sql::Scanner scanner(sql);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Parameter && token.Text.starts_with(kPrefix)) return true;
  }
  return false;
}

// A statement whose markers NameMarkers named ":p0_<n>", split at those parameters: the text around them and
// each one's n. Literals, quoted names and comments that merely read like a name stay in the text. Found once
// per statement, however many elements it has.
struct NamedMarkers {
  std::vector<std::string_view> Text;  // one more than the markers
  std::vector<size_t> Value;           // the n of each marker, in order
  size_t Length = 0;                   // of the named statement
};

NamedMarkers SplitAtMarkers(std::string_view named) {
  NamedMarkers split;
  split.Length = named.size();
  size_t copied = 0;  // named[copied..] is not yet in split.Text
  sql::Scanner scanner(named);
  sql::Token token;
  while (scanner.Next(token)) {
    if (token.Kind == sql::TokenKind::Parameter && token.Text.starts_with(kPrefix)) {
      size_t n = 0;
      for (const char digit : token.Text.substr(kPrefix.size()))
        n = n * 10 + static_cast<size_t>(digit - '0');
      split.Text.push_back(named.substr(copied, token.At - copied));
      split.Value.push_back(n);
      copied = token.End();
    }
  }
  split.Text.push_back(named.substr(copied));
  return split;
}

// The statement split by SplitAtMarkers with each marker replaced by `values[n]`.
std::string WithValues(const NamedMarkers& named, const std::vector<std::string>& values) {
  std::string out;
  out.reserve(named.Length + 16 * values.size());
  for (size_t i = 0; i < named.Value.size(); ++i) {
    out.append(named.Text[i]);
    out += values.at(named.Value[i]);
  }
  out.append(named.Text.back());
  return out;
}

Firebird::IMessageMetadata* BuildMetadata(const std::vector<std::pair<unsigned, unsigned>>& fields) {
  Status status;
  Ref<Firebird::IMetadataBuilder> builder(
      Master()->getMetadataBuilder(status.get(), static_cast<unsigned>(fields.size())));
  for (unsigned i = 0; i < fields.size(); ++i) {
    builder->setType(status.get(), i, fields[i].first + 1);  // nullable
    builder->setLength(status.get(), i, fields[i].second);
    if (fields[i].first == SQL_VARYING) builder->setCharSet(status.get(), i, 0);
  }
  return builder->getMetadata(status.get());
}

}  // namespace

bool LiteralBlockBatch::Add(const driver::BatchStatement& statement, int contexts) {
  // A parameter of the statement's own that reads like a marker's name would take a value too: it goes alone.
  if (HasMarkerNames(statement.Sql)) return false;
  const std::string named = NameMarkers(statement.Sql, 0);
  const NamedMarkers markers = statement.Params.empty() ? NamedMarkers() : SplitAtMarkers(named);
  const int elements = statement.Params.empty() ? 1 : statement.Times;

  BlockWriter::Group group;
  group.Contexts = contexts * elements;
  std::vector<double> doubles;
  std::vector<std::string> values(statement.Params.size());
  for (int e = 0; e < elements; ++e) {
    for (size_t j = 0; j < statement.Params.size(); ++j) {
      const TFDValue& value = (*statement.Params[j].Values).at(static_cast<size_t>(statement.Offset + e));
      const std::optional<BlockValue> v = BlockValueOf(statement.Params[j].DataType, value);
      if (!v) return false;
      if (v->IsDouble) {
        const std::string name = "D" + std::to_string(doubles_.size() + doubles.size());
        values[j] = ":" + name;
        group.Inputs.push_back({name, {"DOUBLE PRECISION", sizeof(double)}});
        doubles.push_back(v->Number);
      } else {
        values[j] = v->Literal;
      }
    }
    group.Statements.push_back(statement.Params.empty() ? named : WithValues(markers, values));
  }
  if (!block_.Add(group)) return false;
  doubles_.insert(doubles_.end(), doubles.begin(), doubles.end());
  return true;
}

std::vector<int64_t> LiteralBlockBatch::Execute(Session& session, uint32_t timeout,
                                                Firebird::ITransaction* tra) const {
  // The values written into the block's text are converted with it, as the statements' own literals are.
  const std::string block = block_.Text();
  std::string scratch;
  const std::string& text = session.Text().Statement(block, scratch);

  Ref<Firebird::IMessageMetadata> input;
  std::vector<int64_t> inBuffer;
  Ref<Firebird::IMessageMetadata> output;
  std::vector<int64_t> outBuffer;
  Guarded([&] {
    Status status;
    if (!doubles_.empty()) {
      input.reset(BuildMetadata(
          std::vector<std::pair<unsigned, unsigned>>(doubles_.size(), {SQL_DOUBLE, sizeof(double)})));
      // Zeroed: every null indicator says "not null".
      inBuffer.assign(MessageWords(status, input.get()), 0);
      auto* message = reinterpret_cast<unsigned char*>(inBuffer.data());
      for (unsigned i = 0; i < doubles_.size(); ++i) {
        const double value = doubles_[i];
        std::memcpy(message + input->getOffset(status.get(), i), &value, sizeof value);
      }
    }
    output.reset(BuildMetadata({{SQL_VARYING, kCountsLength}}));
    outBuffer.assign(MessageWords(status, output.get()), 0);
  });
  Firebird::IAttachment* attachment = session.Attachment();
  session.Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
    attachment->execute(status, tra, static_cast<unsigned>(text.size()), text.c_str(), SQL_DIALECT_V6,
                        input.get(), input ? inBuffer.data() : nullptr, output.get(), outBuffer.data());
  });
  return ReadCounts(output.get(), outBuffer, Count());
}

}  // namespace zr::db::firebird
