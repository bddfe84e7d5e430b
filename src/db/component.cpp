#include "db/component.h"

#include <algorithm>

#include "common/ascii.h"

namespace zr::db {

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_ != nullptr) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  // Each owned component removes itself from this list in its own destructor.
  while (!components_.empty()) delete components_.back();
  if (owner_ != nullptr) {
    auto& siblings = owner_->components_;
    auto it = std::find(siblings.rbegin(), siblings.rend(), this);
    if (it != siblings.rend()) siblings.erase(std::next(it).base());
  }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;  // unnamed components (a query's fields) are not found by name
  for (TComponent* c : components_) {
    if (common::SameTextAscii(c->Name(), name)) return c;
  }
  return nullptr;
}

TComponent& Application() {
  // Components it still owns are freed when the program ends.
  static TComponent application;
  return application;
}

}  // namespace zr::db
