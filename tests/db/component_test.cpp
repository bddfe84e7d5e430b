// Ownership: an owner frees what it owns (last created first), a component freed by hand leaves its owner,
// and components are found by name without regard to ASCII case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/component.h"

namespace zr::db {
namespace {

// Writes its name to a shared journal when freed.
class Recorded : public TComponent {
 public:
  Recorded(TComponent* owner, std::string name, std::vector<std::string>& journal)
      : TComponent(owner), journal_(journal) {
    SetName(std::move(name));
  }
  ~Recorded() override { journal_.push_back(Name()); }

 private:
  std::vector<std::string>& journal_;
};

// The journal is written before a component frees its own components.
TEST(Component, OwnerFreesItsComponentsLastCreatedFirst) {
  std::vector<std::string> journal;
  auto* owner = new Recorded(nullptr, "Form1", journal);
  auto* connection = new Recorded(owner, "ZRDatabase1", journal);
  new Recorded(connection, "Child", journal);
  new Recorded(owner, "QryBusca", journal);
  new Recorded(owner, "QryAux", journal);
  delete owner;
  EXPECT_EQ(journal, (std::vector<std::string>{"Form1", "QryAux", "QryBusca", "ZRDatabase1", "Child"}));
}

TEST(Component, ComponentFreedByHandLeavesItsOwnersList) {
  std::vector<std::string> journal;
  {
    TComponent owner;
    auto* a = new Recorded(&owner, "A", journal);
    new Recorded(&owner, "B", journal);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components()[0]->Name(), "B");
    EXPECT_EQ(owner.FindComponent("A"), nullptr);
  }
  EXPECT_EQ(journal, (std::vector<std::string>{"A", "B"}));  // A is not freed twice
}

TEST(Component, FindComponentIgnoresAsciiCaseAndReturnsTheFirstMatch) {
  TComponent owner;
  auto* first = new TComponent(&owner);
  first->SetName("IBDatabase");
  auto* second = new TComponent(&owner);
  second->SetName("ibdatabase");
  EXPECT_EQ(owner.FindComponent("IBDATABASE"), first);
  EXPECT_EQ(owner.FindComponent("IBDatabas"), nullptr);
  EXPECT_EQ(owner.FindComponent("Ibdatabase "), nullptr);
  new TComponent(&owner);  // unnamed
  EXPECT_EQ(owner.FindComponent(""), nullptr);
  EXPECT_EQ(first->Owner(), &owner);
}

TEST(Component, ApplicationOwnsComponentsThatCanBeFoundThroughIt) {
  auto* tabela = new TComponent(&Application());
  tabela->SetName("Tabela");
  auto* database = new TComponent(tabela);
  database->SetName("IBDatabase");
  TComponent* found = Application().FindComponent("tabela");
  ASSERT_EQ(found, tabela);
  EXPECT_EQ(found->FindComponent("IBDATABASE"), database);
  delete tabela;
  EXPECT_EQ(Application().FindComponent("Tabela"), nullptr);
}

}  // namespace
}  // namespace zr::db
