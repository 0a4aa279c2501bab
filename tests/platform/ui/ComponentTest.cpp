#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/Component.h"

namespace {

std::vector<std::string>* gLog = nullptr;

class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::string id) : TComponent(owner), id_(std::move(id)) {}
  ~Probe() override {
    if (gLog) gLog->push_back("free " + id_);
  }
  TComponent* watched = nullptr;
  std::vector<std::pair<TComponent*, TOperation>> heard;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    heard.emplace_back(c, op);
    if (op == opRemove && c == watched) watched = nullptr;
  }

 private:
  std::string id_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { gLog = &log; }
  void TearDown() override { gLog = nullptr; }
  std::vector<std::string> log;
};

TEST_F(ComponentTest, OwnerFreesWhatItOwnsLastFirst) {
  auto* owner = new Probe(nullptr, "owner");
  new Probe(owner, "a");
  auto* b = new Probe(owner, "b");
  new Probe(b, "b1");
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(b->ComponentIndex(), 1);
  delete owner;
  EXPECT_EQ(log, (std::vector<std::string>{"free owner", "free b", "free b1", "free a"}));
}

TEST_F(ComponentTest, SiblingsHearOfARemovalThroughTheOwner) {
  Probe owner(nullptr, "owner");
  auto* target = new Probe(&owner, "target");
  auto* watcher = new Probe(&owner, "watcher");
  watcher->watched = target;
  delete target;
  EXPECT_EQ(watcher->watched, nullptr);
  EXPECT_EQ(owner.ComponentCount(), 1);  // the freed one left the owner's list
}

TEST_F(ComponentTest, FreeNotificationReachesComponentsOfAnotherOwner) {
  Probe formA(nullptr, "A"), formB(nullptr, "B");
  auto* target = new Probe(&formA, "target");
  auto* watcher = new Probe(&formB, "watcher");
  watcher->watched = target;
  target->FreeNotification(watcher);
  delete target;
  EXPECT_EQ(watcher->watched, nullptr);
  // and a freed watcher is forgotten, so nothing reaches freed memory later
  auto* target2 = new Probe(&formA, "target2");
  auto* watcher2 = new Probe(&formB, "watcher2");
  target2->FreeNotification(watcher2);
  delete watcher2;
  delete target2;
}

TEST_F(ComponentTest, InsertIsAnnouncedAndMovingChangesOwner) {
  Probe a(nullptr, "a"), b(nullptr, "b");
  auto* c = new Probe(&a, "c");
  ASSERT_FALSE(a.heard.empty());
  EXPECT_EQ(a.heard.back(), std::make_pair(static_cast<TComponent*>(c), opInsert));
  b.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &b);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(a.heard.back(), std::make_pair(static_cast<TComponent*>(c), opRemove));
}

TEST_F(ComponentTest, NamesAreUniquePerOwnerIgnoringCase) {
  Probe owner(nullptr, "owner");
  auto* a = new Probe(&owner, "a");
  auto* b = new Probe(&owner, "b");
  a->SetName("docalc");
  EXPECT_EQ(owner.FindComponent("DOCALC"), a);
  EXPECT_THROW(b->SetName("DoCalc"), EComponentError);
  EXPECT_THROW(b->SetName("2nd"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("_Edit3");
  EXPECT_EQ(owner.FindComponent("_edit3"), b);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
}

// Made while a notice goes round; larger than a probe, so that it never
// takes the place of one freed meanwhile, which a walk could not tell apart.
class LateProbe : public Probe {
 public:
  using Probe::Probe;

 private:
  std::array<char, 512> room_{};
};

// Frees a sibling and makes a new one when it hears of the next insertion.
class Meddler : public Probe {
 public:
  using Probe::Probe;
  Probe* victim = nullptr;
  TComponent* made = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    Probe::Notification(c, op);
    if (op != opInsert || !victim) return;
    delete std::exchange(victim, nullptr);
    made = new LateProbe(Owner(), "late");
  }
};

// An insertion is told to the components owned when it began that are still
// there, whether the owner's list is short or long, while a handler frees
// one and adds another.
TEST_F(ComponentTest, NoticesReachTheOwnedOfTheirStartThatRemain) {
  for (const int count : {1, 3, 23, 24, 25, 40}) {
    SCOPED_TRACE(count);
    Probe owner(nullptr, "owner");
    auto* meddler = new Meddler(&owner, "meddler");
    std::vector<Probe*> others;
    for (int i = 1; i < count; ++i) others.push_back(new Probe(&owner, "p"));
    for (Probe* p : others) p->heard.clear();
    meddler->victim = others.empty() ? nullptr : others.back();
    if (!others.empty()) others.pop_back();
    auto* inserted = new Probe(&owner, "x");
    const std::pair<TComponent*, TOperation> told{inserted, opInsert};
    for (Probe* p : others) EXPECT_EQ(std::count(p->heard.begin(), p->heard.end(), told), 1);
    if (count > 1) {
      auto* late = static_cast<Probe*>(meddler->made);
      ASSERT_NE(late, nullptr);
      EXPECT_EQ(std::count(late->heard.begin(), late->heard.end(), told), 0);
      EXPECT_EQ(owner.ComponentCount(), count + 1);
    }
  }
}

TEST(TSetTest, IncludeExcludeContains) {
  TShiftState s{ssShift, ssCtrl};
  EXPECT_TRUE(s.Contains(ssCtrl));
  EXPECT_FALSE(s.Contains(ssAlt));
  s << ssAlt >> ssShift;
  EXPECT_EQ(s, (TShiftState{ssCtrl, ssAlt}));
  EXPECT_TRUE((s * TShiftState{ssShift}).Empty());
  EXPECT_EQ(s - TShiftState{ssAlt}, TShiftState{ssCtrl});
}

}  // namespace
