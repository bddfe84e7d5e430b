#include "fb_shaped_batch.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "fb_batch_block.h"
#include "fb_error.h"
#include "fb_execute_block.h"
#include "fb_literal_shape.h"
#include "fb_shape_request.h"

namespace zr::db::firebird {

namespace {

// Shaped blocks come in a few sizes, so that one transaction prepares few of them; smaller batches than the
// first size go the literal way (one round trip either way).
constexpr int kShapedSlots[] = {8, 32, 120, 240};

}  // namespace

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

bool ShapedBlockBatch::Add(const driver::BatchStatement& statement, int contexts) {
  if (!statement.Params.empty() || contexts > 2) return false;
  std::optional<LiteralShape> shape = ShapeOfLiteralDml(statement.Sql);
  if (!shape || (Count() > 0 && shape->Text != shape_)) return false;
  if (Count() == 0) {
    shape_ = std::move(shape->Text);
    markers_ = std::move(shape->Markers);
    perStatement_ = contexts;
  }
  literals_.push_back(std::move(shape->Values));
  return true;
}

// The inputs' declarations for the shape's markers, as the server describes them, when every statement's
// literals fit them; nothing otherwise.
std::optional<std::vector<std::string>> ShapedBlockBatch::MarkerDeclarations(Session& session,
                                                                             uint32_t timeout,
                                                                             Firebird::ITransaction* tra) {
  std::unique_ptr<PreparedRequest> prepared = TakeShapeRequest(
      session, shape_,
      [&](const PreparedRequest& candidate) {
        MarkerFit fit = MarkerFit::Fits;
        for (const std::vector<std::string>& values : literals_) {
          fit = std::max(fit, MarkersTakeLiterals(candidate, values));
        }
        return fit;
      },
      timeout, tra);
  if (!prepared) return std::nullopt;

  // Declared exactly as the markers are described, as an array execution declares its block's inputs.
  std::optional<std::vector<std::string>> declarations =
      Guarded([&] { return DeclaredTypes(prepared->Input.get()); });
  ShapeCache& shapes = session.Shapes();
  shapes.Keep(shape_, std::move(prepared), shapes.Generation());
  return declarations;
}

// The session's block for `slots` statements of the shape with these declarations, prepared the first time;
// nullptr when it would be too long or the server refuses it (refused from now on).
PreparedBlock* ShapedBlockBatch::Block(Session& session, int slots,
                                       const std::vector<std::string>& declarations, uint32_t timeout,
                                       Firebird::ITransaction* tra) {
  ShapeCache& shapes = session.Shapes();
  std::string key = std::to_string(slots) + "\n" + shape_;
  for (const std::string& declaration : declarations) key += "\n" + declaration;
  if (PreparedBlock* block = shapes.FindBlock(key)) return block;
  if (shapes.Refused(key)) return nullptr;
  const std::optional<std::string> text = ShapeBlockText(shape_, markers_, declarations, slots);
  if (!text) {
    shapes.Refuse(key);
    return nullptr;
  }
  std::optional<PreparedRequest> prepared = PrepareOrRefuse(session, key, *text, timeout, tra);
  if (!prepared) return nullptr;
  return &shapes.KeepBlock(std::move(key), std::move(*prepared));
}

std::optional<std::vector<int64_t>> ShapedBlockBatch::Execute(Session& session, uint32_t timeout,
                                                              Firebird::ITransaction* tra) {
  const int count = Count();
  if (count < kShapedSlots[0]) return std::nullopt;
  int slots = 0;
  for (const int size : kShapedSlots) {
    if (size >= count && size * perStatement_ <= kMaxBatchContexts) {
      slots = size;
      break;
    }
  }
  if (slots == 0) return std::nullopt;
  const std::optional<std::vector<std::string>> declarations = MarkerDeclarations(session, timeout, tra);
  if (!declarations) return std::nullopt;
  PreparedBlock* block = Block(session, slots, *declarations, timeout, tra);
  if (block == nullptr) return std::nullopt;

  // The inputs: the number of slots in use, then each slot's literals (null in the slots left unused).
  std::vector<std::vector<TFDValue>> values;
  values.reserve(1 + static_cast<size_t>(slots) * markers_.size());
  std::vector<driver::ParamColumn> params;
  params.reserve(values.capacity());
  values.push_back({TFDValue(int64_t{count})});
  params.push_back({ftInteger, &values.back()});
  for (int s = 0; s < slots; ++s) {
    for (size_t j = 0; j < markers_.size(); ++j) {
      values.push_back({s < count ? TFDValue(literals_[static_cast<size_t>(s)][j]) : TFDValue()});
      params.push_back({ftString, &values.back()});
    }
  }
  Firebird::IAttachment* attachment = session.Attachment();
  std::vector<int64_t> outBuffer;
  // Filling the message may write a BLOB to the server: watched as the execution.
  session.Watched(timeout, [&](Firebird::ThrowStatusWrapper*) {
    Status status;
    block->Message.Fill(block->Input.get(), params, 1, 0, attachment, tra, session.Text());
    outBuffer.assign(MessageWords(status, block->Output.get()), 0);
  });
  session.Watched(timeout, [&](Firebird::ThrowStatusWrapper* status) {
    block->Statement->execute(status, tra, block->Message.Metadata(), block->Message.Buffer(),
                              block->Output.get(), outBuffer.data());
  });
  return ReadCounts(block->Output.get(), outBuffer, count);
}

}  // namespace zr::db::firebird
