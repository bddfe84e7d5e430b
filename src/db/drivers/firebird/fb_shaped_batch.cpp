#include "fb_shaped_batch.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "fb_error.h"
#include "fb_literal_shape.h"
#include "fb_shapes.h"

namespace zr::db::firebird {

std::optional<std::string> ShapeBlockText(const std::string& text, const std::vector<size_t>& markers,
                                          const std::vector<BlockInput>& declarations, int slots,
                                          int contexts) {
  BlockWriter block(true);
  for (int s = 0; s < slots; ++s) {
    BlockWriter::Group slot;
    // The number of slots in use comes first.
    if (s == 0) slot.Inputs.push_back({"Q", {"INTEGER", sizeof(int32_t)}});
    std::string statement;
    size_t copied = 0;
    for (size_t j = 0; j < markers.size(); ++j) {
      const std::string name = "P" + std::to_string(s) + "_" + std::to_string(j);
      slot.Inputs.push_back({name, declarations[j]});
      statement.append(text, copied, markers[j] - copied);
      statement += ":" + name;
      copied = markers[j] + 1;
    }
    statement.append(text, copied, std::string::npos);
    slot.Statements.push_back(std::move(statement));
    slot.Contexts = contexts;
    slot.Guard = "Q > " + std::to_string(s);
    if (!block.Add(slot)) return std::nullopt;
  }
  return block.Text();
}

bool ShapedBlockBatch::Add(const driver::BatchStatement& statement, int contexts) {
  if (!statement.Params.empty() || contexts > 2) return false;
  if ((Count() + 1) * (Count() > 0 ? perStatement_ : contexts) > kMaxBlockContexts) return false;
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
std::optional<std::vector<BlockInput>> ShapedBlockBatch::MarkerDeclarations(Session& session,
                                                                             uint32_t timeout,
                                                                             Firebird::ITransaction* tra) {
  ShapeRequests& shapes = session.Shapes();
  std::optional<ShapeLoan> loan = shapes.Lend(
      shape_,
      [&](const PreparedRequest& candidate) {
        MarkerFit fit = MarkerFit::Fits;
        for (const std::vector<std::string>& values : literals_) {
          fit = std::max(fit, MarkersTakeLiterals(candidate, values));
        }
        return fit;
      },
      session.ShapePreparer(tra, timeout));
  if (!loan) return std::nullopt;

  // Declared exactly as the markers are described, as an array execution declares its block's inputs.
  std::optional<std::vector<BlockInput>> declarations =
      Guarded([&] { return DeclaredInputs(loan->Request().Input.get()); });
  shapes.GiveBack(*loan);
  return declarations;
}

// The session's block for `slots` statements of the shape with these declarations, prepared the first time;
// nullptr when it would be too long or the server refuses it (refused from now on).
PreparedBlock* ShapedBlockBatch::Block(Session& session, int slots,
                                       const std::vector<BlockInput>& declarations, uint32_t timeout,
                                       Firebird::ITransaction* tra) {
  ShapeRequests& shapes = session.Shapes();
  std::string key = std::to_string(slots) + "\n" + shape_;
  for (const BlockInput& declaration : declarations) key += "\n" + declaration.Declaration;
  if (PreparedBlock* block = shapes.FindBlock(key)) return block;
  if (shapes.Refused(key)) return nullptr;
  const std::optional<std::string> text =
      ShapeBlockText(shape_, markers_, declarations, slots, perStatement_);
  if (!text) {
    shapes.Refuse(key);
    return nullptr;
  }
  std::optional<PreparedRequest> prepared = shapes.PrepareOrRefuse(key, *text, session.ShapePreparer(tra, timeout));
  if (!prepared) return nullptr;
  return &shapes.KeepBlock(std::move(key), std::move(*prepared));
}

std::optional<std::vector<int64_t>> ShapedBlockBatch::Execute(Session& session, uint32_t timeout,
                                                              Firebird::ITransaction* tra) {
  const int count = Count();
  if (count < kShapedSlots[0]) return std::nullopt;
  int slots = 0;
  for (const int size : kShapedSlots) {
    if (size >= count && size * perStatement_ <= kMaxBlockContexts) {
      slots = size;
      break;
    }
  }
  if (slots == 0) return std::nullopt;
  const std::optional<std::vector<BlockInput>> declarations = MarkerDeclarations(session, timeout, tra);
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
