#include "fb_shapes.h"

#include <new>
#include <utility>
#include <vector>

#include "fb_error.h"

namespace zr::db::firebird {

namespace {

// One more reference to `metadata`.
Ref<Firebird::IMessageMetadata> Shared(Firebird::IMessageMetadata* metadata) {
  metadata->addRef();
  return Ref<Firebird::IMessageMetadata>(metadata);
}

}  // namespace

ShapeLoan& ShapeLoan::operator=(ShapeLoan&& other) noexcept {
  if (this != &other) {
    Free();
    shape_ = std::move(other.shape_);
    request_ = std::move(other.request_);
    columns_ = std::move(other.columns_);
    generation_ = other.generation_;
  }
  return *this;
}

void ShapeLoan::Free() noexcept {
  if (request_) {
    FreeStatement(request_->Statement);
    request_.reset();
  }
}

std::optional<ShapeLoan> ShapeRequests::LendDml(const LiteralShape& shape, const Prepare& prepare) {
  if (!dml_) return std::nullopt;
  std::unique_ptr<PreparedRequest> request = TakeRequest(
      shape.Text, [&](const PreparedRequest& candidate) { return MarkersTakeLiterals(candidate, shape.Values); },
      prepare);
  if (!request) return std::nullopt;
  return ShapeLoan(shape, std::move(request), generation_);
}

std::optional<ShapeLoan> ShapeRequests::LendSelect(const LiteralShape& shape, const Prepare& prepare) {
  if (!select_) return std::nullopt;
  const std::string& text = shape.Text;
  const Facts* known = Known(text);
  // The first statement of a shape runs as written anyway: checking the shape's columns costs no request.
  if (known == nullptr || known->Refused || (!known->Confirmed && !known->WrittenColumns)) return std::nullopt;
  std::unique_ptr<PreparedRequest> request = TakeRequest(
      text,
      [&](const PreparedRequest& candidate) {
        const MarkerFit fit = SelectMarkersTakeLiterals(candidate, shape);
        Facts& facts = Learn(text);
        if (fit == MarkerFit::Never || facts.Confirmed) return fit;
        if (!facts.WrittenColumns || !SameColumns(candidate.Output.get(), facts.WrittenColumns.get())) {
          return MarkerFit::Never;
        }
        facts.Confirmed = true;
        return fit;
      },
      prepare);
  if (!request) return std::nullopt;
  Ref<Firebird::IMessageMetadata> columns = Shared(request->Output.get());
  ShapeLoan loan(shape, std::move(request), generation_);
  loan.columns_ = std::move(columns);
  return loan;
}

void ShapeRequests::RanAsWritten(const std::string& text, Firebird::IMessageMetadata* columns) {
  if (!select_) return;
  Facts& facts = Learn(text);
  if (facts.Refused || facts.Confirmed || facts.WrittenColumns) return;
  facts.WrittenColumns = Shared(columns);
}

bool ShapeRequests::LendAgain(ShapeLoan& loan, const Prepare& prepare) {
  if (loan.Where() == ShapeLoan::State::Lent) return true;
  const LiteralShape& shape = loan.shape_;
  std::unique_ptr<PreparedRequest> request = TakeRequest(
      shape.Text,
      [&](const PreparedRequest& candidate) {
        if (!loan.columns_) return MarkersTakeLiterals(candidate, shape.Values);
        const MarkerFit fit = SelectMarkersTakeLiterals(candidate, shape);
        return fit != MarkerFit::Never && !SameColumns(candidate.Output.get(), loan.columns_.get())
                   ? MarkerFit::Never
                   : fit;
      },
      prepare);
  if (!request) return false;
  loan.request_ = std::move(request);
  loan.generation_ = generation_;
  return true;
}

void ShapeRequests::GiveBack(ShapeLoan& loan) noexcept {
  if (!loan.request_) return;
  if (loan.generation_ != generation_) {
    loan.Free();
    return;
  }
  KeepAtHome(loan.shape_.Text, std::move(loan.request_));
}

std::optional<ShapeLoan> ShapeRequests::Lend(const std::string& text, const Fit& fits, const Prepare& prepare) {
  std::unique_ptr<PreparedRequest> request = TakeRequest(text, fits, prepare);
  if (!request) return std::nullopt;
  return ShapeLoan(LiteralShape{text, {}, {}, {}}, std::move(request), generation_);
}

bool ShapeRequests::Refused(const std::string& key) const {
  const Facts* known = Known(key);
  return known != nullptr && known->Refused;
}

void ShapeRequests::Refuse(const std::string& key) { Learn(key).Refused = true; }

std::optional<PreparedRequest> ShapeRequests::PrepareOrRefuse(const std::string& key, const std::string& sql,
                                                              const Prepare& prepare) {
  std::optional<PreparedRequest> prepared = prepare(sql);
  if (!prepared) Refuse(key);
  return prepared;
}

PreparedBlock& ShapeRequests::KeepBlock(std::string key, PreparedBlock block) {
  for (PreparedBlock& dropped : blocks_.Keep(std::move(key), std::move(block))) FreeStatement(dropped.Statement);
  return blocks_.Newest();
}

void ShapeRequests::Clear() noexcept {
  ++generation_;
  for (std::unique_ptr<PreparedRequest>& request : home_.TakeAll()) FreeStatement(request->Statement);
  for (PreparedBlock& block : blocks_.TakeAll()) FreeStatement(block.Statement);
  facts_.clear();
}

// The request of `text`, from home or else prepared, when `fits` finds that it serves (see Lend).
std::unique_ptr<PreparedRequest> ShapeRequests::TakeRequest(const std::string& text, const Fit& fits,
                                                            const Prepare& prepare) {
  if (Refused(text)) return nullptr;
  std::unique_ptr<PreparedRequest> request;
  if (std::optional<std::unique_ptr<PreparedRequest>> home = home_.Take(text)) {
    request = std::move(*home);
  } else {
    std::optional<PreparedRequest> fresh = PrepareOrRefuse(text, text, prepare);
    if (!fresh) return nullptr;
    request = std::make_unique<PreparedRequest>(std::move(*fresh));
  }
  MarkerFit fit = MarkerFit::Never;
  try {
    Guarded([&] { fit = fits(*request); });
  } catch (...) {
    FreeStatement(request->Statement);
    throw;
  }
  switch (fit) {
    case MarkerFit::Fits:
      return request;
    case MarkerFit::TooShort:
      KeepAtHome(text, std::move(request));
      return nullptr;
    case MarkerFit::Never:
      break;
  }
  FreeStatement(request->Statement);
  Refuse(text);
  return nullptr;
}

void ShapeRequests::KeepAtHome(const std::string& text, std::unique_ptr<PreparedRequest> request) noexcept {
  try {
    for (std::unique_ptr<PreparedRequest>& dropped : home_.Keep(text, std::move(request))) {
      FreeStatement(dropped->Statement);
    }
  } catch (const std::bad_alloc&) {
    if (request) FreeStatement(request->Statement);
  }
}

const ShapeRequests::Facts* ShapeRequests::Known(const std::string& key) const {
  const auto found = facts_.find(key);
  return found == facts_.end() ? nullptr : &found->second;
}

ShapeRequests::Facts& ShapeRequests::Learn(const std::string& key) {
  if (const auto found = facts_.find(key); found != facts_.end()) return found->second;
  if (facts_.size() >= kFacts) facts_.clear();
  return facts_[key];
}

}  // namespace zr::db::firebird
