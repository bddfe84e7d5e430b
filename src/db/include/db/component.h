#pragma once
// Ownership of components: an owner frees what it owns; components are found by name.

#include <string>
#include <string_view>
#include <vector>

namespace zr::db {

class TComponent {
 public:
  // Registers the new component with `owner` (which then frees it); no owner means the caller frees it.
  explicit TComponent(TComponent* owner = nullptr);
  // Frees every owned component, last created first, then leaves the owner's list.
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const noexcept { return owner_; }
  const std::string& Name() const noexcept { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // The owned components, in creation order.
  const std::vector<TComponent*>& Components() const noexcept { return components_; }
  int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }

  // The first owned component whose name equals `name` without regard to ASCII letter case, or nullptr
  // (also for an empty name).
  TComponent* FindComponent(std::string_view name) const;

 private:
  TComponent* owner_;
  std::string name_;
  std::vector<TComponent*> components_;
};

// The application object: owns the program's top-level components (the window, and through it the rest).
TComponent& Application();

}  // namespace zr::db
