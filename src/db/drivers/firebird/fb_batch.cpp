#include "fb_batch.h"

#include <algorithm>
#include <cstring>

#include "db/errors.h"
#include "fb_error.h"
#include "fb_execute_block.h"
#include "fb_input.h"
#include "fb_literal_shape.h"

namespace zr::db::firebird {

namespace {

constexpr unsigned kCountsLength = 8000;
// Shaped blocks come in a few sizes, so that one transaction prepares few of them; smaller batches than the
// first size go the literal way (one round trip either way).
constexpr int kShapedSlots[] = {8, 32, 120, 240};

// The counts a block returned ("3,0,1,"), one per statement.
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

std::optional<std::string> ShapeBlockText(const std::string& text, const std::vector<size_t>& markers,
                                          const std::vector<std::string>& declarations, int slots) {
  std::string block = "EXECUTE BLOCK (Q INTEGER = ?";
  for (int s = 0; s < slots; ++s) {
    for (size_t j = 0; j < markers.size(); ++j) {
      block += ", P" + std::to_string(s) + "_" + std::to_string(j) + " " + declarations[j] + " = ?";
    }
  }
  block +=
      ") RETURNS (N VARCHAR(" + std::to_string(kCountsLength) + ") CHARACTER SET NONE) AS BEGIN N = '';\n";
  for (int s = 0; s < slots; ++s) {
    block += "IF (Q > " + std::to_string(s) + ") THEN BEGIN\n";
    size_t copied = 0;
    for (size_t j = 0; j < markers.size(); ++j) {
      block.append(text, copied, markers[j] - copied);
      block += ":P" + std::to_string(s) + "_" + std::to_string(j);
      copied = markers[j] + 1;
    }
    block.append(text, copied, std::string::npos);
    // On a line of its own: the statement may end in a line comment.
    block += "\n;\nN = N || ROW_COUNT || ',';\nEND\n";
    if (block.size() > kMaxBatchText) return std::nullopt;
  }
  block += "SUSPEND;\nEND";
  if (block.size() > kMaxBatchText) return std::nullopt;
  return block;
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
  if (uniform_) {
    std::optional<LiteralShape> shape;
    if (statement.Params.empty() && perElement <= 2) shape = ShapeOfLiteralDml(statement.Sql);
    if (!shape || (count_ > 0 && shape->Text != shape_)) {
      uniform_ = false;
      literals_.clear();
    } else {
      if (count_ == 0) {
        shape_ = std::move(shape->Text);
        markers_ = std::move(shape->Markers);
        perStatement_ = perElement;
      }
      literals_.push_back(std::move(shape->Values));
    }
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
  const MessagesIn messages(session_->Text());
  Firebird::ITransaction* tra = session_->Transaction();
  if (tra == nullptr) throw EDatabaseError("A batch runs only in an open transaction");
  if (uniform_ && count_ >= kShapedSlots[0]) {
    if (std::optional<std::vector<int64_t>> counts = ExecuteShaped(timeout, tra)) return *counts;
  }
  // The values written into the block's text are converted with it, as the statements' own literals are.
  const std::string block = BatchBlockText(body_, doubles_.size());
  std::string scratch;
  const std::string& text = session_->Text().Statement(block, scratch);

  Ref<Firebird::IMessageMetadata> input;
  std::vector<int64_t> inBuffer;
  Ref<Firebird::IMessageMetadata> output;
  std::vector<int64_t> outBuffer;
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
  });
  session_->Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
    session_->Attachment()->execute(status, tra, static_cast<unsigned>(text.size()), text.c_str(),
                                    SQL_DIALECT_V6, input.get(), input ? inBuffer.data() : nullptr,
                                    output.get(), outBuffer.data());
  });
  return ReadCounts(output.get(), outBuffer, count_);
}

// The inputs' declarations for the shape's markers, as the server describes them, when every statement's
// literals fit them; nothing otherwise.
std::optional<std::vector<std::string>> FbBatch::MarkerDeclarations(uint32_t timeout,
                                                                    Firebird::ITransaction* tra) {
  ShapeCache& shapes = session_->Shapes();
  if (shapes.Refused(shape_)) return std::nullopt;
  std::unique_ptr<PreparedShape> prepared = shapes.Take(shape_);
  if (!prepared) {
    try {
      std::string scratch;
      const std::string& text = session_->Text().Statement(shape_, scratch);
      session_->Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
        prepared = PrepareShapeRequest(session_->Attachment(), tra, text, status);
      });
    } catch (const EDatabaseError& e) {
      if (session_->Unanswered(e)) throw;
      shapes.Refuse(shape_);
      return std::nullopt;
    }
  }
  MarkerFit fit = MarkerFit::Fits;
  Guarded([&] {
    for (const std::vector<std::string>& values : literals_) {
      fit = std::max(fit, MarkersTakeLiterals(*prepared, values));
    }
  });
  if (!shapes.Settle(shape_, prepared, fit)) return std::nullopt;

  // Declared exactly as the markers are described, as an array execution declares its block's inputs.
  std::optional<std::vector<std::string>> declarations = Guarded([&] {
    std::vector<std::string> result;
    for (unsigned i = 0; i < markers_.size(); ++i) {
      std::optional<std::string> declared = DeclaredType(prepared->Input.get(), i);
      if (!declared) return std::optional<std::vector<std::string>>();
      result.push_back(std::move(*declared));
    }
    return std::optional<std::vector<std::string>>(std::move(result));
  });
  shapes.Keep(shape_, std::move(prepared), shapes.Generation());
  return declarations;
}

ShapeBlock* FbBatch::ShapedBlock(int slots, const std::vector<std::string>& declarations, uint32_t timeout,
                                 Firebird::ITransaction* tra) {
  ShapeCache& shapes = session_->Shapes();
  std::string key = std::to_string(slots) + "\n" + shape_;
  for (const std::string& declaration : declarations) key += "\n" + declaration;
  if (ShapeBlock* block = shapes.FindBlock(key)) return block;
  if (shapes.Refused(key)) return nullptr;
  const std::optional<std::string> utf8 = ShapeBlockText(shape_, markers_, declarations, slots);
  if (!utf8) {
    shapes.Refuse(key);
    return nullptr;
  }
  ShapeBlock block;
  try {
    std::string scratch;
    const std::string* text = &session_->Text().Statement(*utf8, scratch);
    session_->Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
      block.Statement.reset(session_->Attachment()->prepare(status, tra, static_cast<unsigned>(text->size()),
                                                            text->c_str(), SQL_DIALECT_V6,
                                                            Firebird::IStatement::PREPARE_PREFETCH_METADATA));
      block.Input.reset(block.Statement->getInputMetadata(status));
      block.Output.reset(block.Statement->getOutputMetadata(status));
    });
  } catch (const EDatabaseError& e) {
    if (session_->Unanswered(e)) throw;
    FreeStatement(block.Statement);
    shapes.Refuse(key);
    return nullptr;
  }
  return &shapes.KeepBlock(std::move(key), std::move(block));
}

std::optional<std::vector<int64_t>> FbBatch::ExecuteShaped(uint32_t timeout, Firebird::ITransaction* tra) {
  int slots = 0;
  for (const int size : kShapedSlots) {
    if (size >= count_ && size * perStatement_ <= kMaxBatchContexts) {
      slots = size;
      break;
    }
  }
  if (slots == 0) return std::nullopt;
  const std::optional<std::vector<std::string>> declarations = MarkerDeclarations(timeout, tra);
  if (!declarations) return std::nullopt;
  ShapeBlock* block = ShapedBlock(slots, *declarations, timeout, tra);
  if (block == nullptr) return std::nullopt;

  // The inputs: the number of slots in use, then each slot's literals (null in the slots left unused).
  std::vector<std::vector<TFDValue>> values;
  values.reserve(1 + static_cast<size_t>(slots) * markers_.size());
  std::vector<driver::ParamColumn> params;
  params.reserve(values.capacity());
  values.push_back({TFDValue(int64_t{count_})});
  params.push_back({ftInteger, &values.back()});
  for (int s = 0; s < slots; ++s) {
    for (size_t j = 0; j < markers_.size(); ++j) {
      values.push_back({s < count_ ? TFDValue(literals_[static_cast<size_t>(s)][j]) : TFDValue()});
      params.push_back({ftString, &values.back()});
    }
  }
  std::vector<int64_t> outBuffer;
  Guarded([&] {
    Status status;
    block->Message.Fill(block->Input.get(), params, 1, 0, session_->Attachment(), tra, session_->Text());
    outBuffer.assign(block->Output->getMessageLength(status.get()) / sizeof(int64_t) + 1, 0);
  });
  session_->Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
    block->Statement->execute(status, tra, block->Message.Metadata(), block->Message.Buffer(),
                              block->Output.get(), outBuffer.data());
  });
  return ReadCounts(block->Output.get(), outBuffer, count_);
}

}  // namespace zr::db::firebird
