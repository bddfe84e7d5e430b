#include "fb_connection.h"

#include "fb_batch.h"
#include "fb_catalog.h"
#include "fb_plan.h"
#include "fb_statement.h"

namespace zr::db::firebird {

FbConnection::FbConnection(Firebird::IAttachment* attachment, WatchSettings watch, ConnectionText text)
    : session_(std::make_shared<Session>(attachment, std::move(watch), text)) {}

FbConnection::~FbConnection() { session_->Close(); }

std::unique_ptr<driver::Statement> FbConnection::CreateStatement() {
  session_->Attachment();  // EDatabaseError when closed
  return std::make_unique<FbStatement>(session_);
}

std::unique_ptr<driver::Batch> FbConnection::CreateBatch() {
  if (!batches_.Any() || !session_->InTransaction()) return nullptr;
  return std::make_unique<FbBatch>(session_, batches_);
}

catalog::TableSet FbConnection::WriteReach(const std::string& table) {
  FbCatalog facts(*this);
  return catalog::WriteReach(facts, table);
}

std::vector<catalog::TableSet> FbConnection::ReadReach(const std::vector<std::string>& names) {
  FbCatalog facts(*this);
  return catalog::ReadReach(facts, names);
}

plan::StatementPlan FbConnection::Explain(const std::string& sql) { return ExplainOn(*session_, sql); }

std::vector<plan::IndexInfo> FbConnection::Indexes(const std::string& table) { return IndexesOf(*this, table); }

}  // namespace zr::db::firebird
