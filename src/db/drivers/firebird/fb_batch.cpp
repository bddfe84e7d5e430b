#include "fb_batch.h"

#include <cstring>

#include "db/errors.h"
#include "fb_error.h"
#include "fb_execute_block.h"
#include "fb_input.h"
#include "fb_watchdog.h"

namespace zr::db::firebird {

namespace {

constexpr unsigned kCountsLength = 8000;

// `sql` with its markers named ":p0_<n>" (NameMarkers), each name replaced by `values[n]`.
std::string WithValues(const std::string& named, const std::vector<std::string>& values) {
  std::string out;
  out.reserve(named.size() + 16 * values.size());
  size_t i = 0;
  while (i < named.size()) {
    if (named.compare(i, 4, ":p0_") == 0) {
      size_t end = i + 4;
      size_t n = 0;
      while (end < named.size() && named[end] >= '0' && named[end] <= '9')
        n = n * 10 + static_cast<size_t>(named[end++] - '0');
      out += values.at(n);
      i = end;
    } else {
      out += named[i++];
    }
  }
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

std::string BatchBlockText(const std::string& body, size_t doubles) {
  std::string text = "EXECUTE BLOCK";
  if (doubles > 0) {
    text += " (";
    for (size_t i = 0; i < doubles; ++i) {
      text += (i == 0 ? "D" : ", D") + std::to_string(i) + " DOUBLE PRECISION = ?";
    }
    text += ")";
  }
  text += " RETURNS (N VARCHAR(" + std::to_string(kCountsLength) +
          ") CHARACTER SET NONE) AS DECLARE C BIGINT; BEGIN N = '';\n";
  text += body;
  text += "SUSPEND;\nEND";
  return text;
}

bool FbBatch::Add(const driver::BatchStatement& statement) {
  // A literal that happens to read like a marker's name would be replaced too: such a statement goes alone.
  if (statement.Sql.find(":p0_") != std::string::npos) return false;
  const std::string named = NameMarkers(statement.Sql, 0);
  // An INSERT takes one context; UPDATE and DELETE take two inside a block; a subquery, more.
  const bool insert = statement.Sql.find_first_not_of(" \t\r\n") != std::string::npos &&
                      (statement.Sql[statement.Sql.find_first_not_of(" \t\r\n")] | 0x20) == 'i';
  const int perElement = HasSelect(statement.Sql) ? 8 : insert ? 1 : 2;
  const int elements = statement.Params.empty() ? 1 : statement.Times;
  if (contexts_ + perElement * elements > kMaxBatchContexts) return false;

  std::string text = "C = 0;\n";
  std::vector<double> doubles;
  std::vector<bool> nulls;
  std::vector<std::string> values(statement.Params.size());
  for (int e = 0; e < elements; ++e) {
    for (size_t j = 0; j < statement.Params.size(); ++j) {
      const TFDValue& value = (*statement.Params[j].Values).at(static_cast<size_t>(statement.Offset + e));
      const std::optional<BlockValue> v = BlockValueOf(statement.Params[j].DataType, value);
      if (!v) return false;
      if (v->IsDouble) {
        values[j] = ":D" + std::to_string(doubles_.size() + doubles.size());
        doubles.push_back(v->Number);
        nulls.push_back(false);
      } else {
        values[j] = v->Literal;
      }
    }
    text += statement.Params.empty() ? named : WithValues(named, values);
    text += ";\nC = C + ROW_COUNT;\n";
  }
  text += "N = N || C || ',';\n";
  // Each count takes at most 20 characters and a comma.
  if (BatchBlockText(body_ + text, doubles_.size() + doubles.size()).size() > kMaxBatchText ||
      (count_ + 1) * 21 > static_cast<int>(kCountsLength)) {
    return false;
  }
  body_ += text;
  doubles_.insert(doubles_.end(), doubles.begin(), doubles.end());
  doubleNull_.insert(doubleNull_.end(), nulls.begin(), nulls.end());
  contexts_ += perElement * elements;
  ++count_;
  return true;
}

std::vector<int64_t> FbBatch::Execute(uint32_t timeout) {
  if (count_ == 0) return {};
  Firebird::ITransaction* tra = session_->Transaction();
  if (tra == nullptr) throw EDatabaseError("A batch runs only in an open transaction");
  const std::string text = BatchBlockText(body_, doubles_.size());

  Ref<Firebird::IMessageMetadata> input;
  std::vector<int64_t> inBuffer;
  Ref<Firebird::IMessageMetadata> output;
  std::vector<int64_t> outBuffer;
  unsigned countsAt = 0, countsNullAt = 0;
  Guarded([&] {
    Status status;
    if (!doubles_.empty()) {
      input.reset(BuildMetadata(
          std::vector<std::pair<unsigned, unsigned>>(doubles_.size(), {SQL_DOUBLE, sizeof(double)})));
      inBuffer.assign(input->getMessageLength(status.get()) / sizeof(int64_t) + 1, 0);
      auto* message = reinterpret_cast<unsigned char*>(inBuffer.data());
      for (unsigned i = 0; i < doubles_.size(); ++i) {
        const double value = doubles_[i];
        std::memcpy(message + input->getOffset(status.get(), i), &value, sizeof value);
        const short null = doubleNull_[i] ? -1 : 0;
        std::memcpy(message + input->getNullOffset(status.get(), i), &null, sizeof null);
      }
    }
    output.reset(BuildMetadata({{SQL_VARYING, kCountsLength}}));
    outBuffer.assign(output->getMessageLength(status.get()) / sizeof(int64_t) + 1, 0);
    countsAt = output->getOffset(status.get(), 0);
    countsNullAt = output->getNullOffset(status.get(), 0);
  });

  {
    WatchScope watch(session_->Dog(), timeout);
    try {
      Status status;
      session_->Attachment()->execute(status.get(), tra, static_cast<unsigned>(text.size()), text.c_str(),
                                      SQL_DIALECT_V6, input.get(), input ? inBuffer.data() : nullptr,
                                      output.get(), outBuffer.data());
    } catch (const Firebird::FbException& e) {
      if (watch.Finish() && IsCancelled(e.getStatus())) throw TimeoutError(timeout, e.getStatus());
      throw StatusError(e.getStatus());
    }
    if (watch.Finish()) {
      // The cancel may be held for the next call: a harmless round trip takes it.
      try {
        Status status;
        session_->Attachment()->ping(status.get());
      } catch (...) {
      }
    }
  }

  const auto* message = reinterpret_cast<const unsigned char*>(outBuffer.data());
  short null = 0;
  std::memcpy(&null, message + countsNullAt, sizeof null);
  uint16_t length = 0;
  std::memcpy(&length, message + countsAt, sizeof length);
  const std::string counts(reinterpret_cast<const char*>(message + countsAt + sizeof length), length);
  std::vector<int64_t> result;
  size_t from = 0;
  while (from < counts.size()) {
    const size_t comma = counts.find(',', from);
    if (comma == std::string::npos) break;
    result.push_back(std::stoll(counts.substr(from, comma - from)));
    from = comma + 1;
  }
  if (null != 0 || result.size() != static_cast<size_t>(count_)) {
    throw EDatabaseError("A batch returned " + std::to_string(result.size()) + " counts for " +
                         std::to_string(count_) + " statements");
  }
  return result;
}

}  // namespace zr::db::firebird
