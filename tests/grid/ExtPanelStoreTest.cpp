#include <gtest/gtest.h>

#include <filesystem>

#include "grid/ExtPanelGroup.h"
#include "platform/rtl/Registry.h"
#include "tests/grid/PanelFixture.h"
#include "tests/platform/rtl/TempFolder.h"

namespace {

// Every bounds change of a panel, in order.
class LoggedPanel : public TExtPanel {
 public:
  using TExtPanel::TExtPanel;
  std::vector<TRect> Changes;
  void SetBounds(int l, int t, int w, int h) override {
    TExtPanel::SetBounds(l, t, w, h);
    Changes.push_back(BoundsRect());
  }
};

class PanelStoreTest : public ExtPanelTest {
 protected:
  void SetUp() override {
    ExtPanelTest::SetUp();
    SetRegistryStoreRoot(folder.path() + "/registry");
    ini = folder / "panels.ini";
  }
  void TearDown() override {
    SetRegistryStoreRoot("");
    ExtPanelTest::TearDown();
  }
  void UseIni(TExtPanel& p) {
    p.Position().Location = clInifile;
    p.Position().Key = ini;
    p.Position().Section = "Guarantee";
  }
  TempFolder folder;
  AnsiString ini;
};

TEST_F(PanelStoreTest, IniRoundTripWritesInItsOrderAndReadsInAnother) {
  UseIni(*panel);
  ShowForm();
  panel->SetBounds(11, 22, 333, 144);
  panel->SetCollaps(true);
  panel->Position().SavePosition();
  EXPECT_EQ(ReadBytes(folder.path() + "/panels.ini"),
            "[Guarantee]\r\nTop=22\r\nLeft=11\r\nHeight=25\r\nFullHeight=144\r\nWidth=333\r\nCollaps=1\r\n");

  auto* other = new LoggedPanel(form.get());
  other->SetBounds(0, 0, 100, 100);
  other->SetParent(form.get());
  UseIni(*other);
  other->Changes.clear();
  other->Position().LoadPosition();
  // Top, Left, Height, Width, then collapsing, then the expanded height.
  EXPECT_EQ(std::vector<TRect>(other->Changes.begin(), other->Changes.begin() + 4),
            (std::vector<TRect>{Bounds(0, 22, 100, 100), Bounds(11, 22, 100, 100), Bounds(11, 22, 100, 25),
                                Bounds(11, 22, 333, 25)}));
  EXPECT_TRUE(other->Collaps());
  EXPECT_EQ(other->FullHeight(), 144);
  other->SetCollaps(false);
  EXPECT_EQ(other->Height(), 144);
}

TEST_F(PanelStoreTest, RegistryRoundTripKeepsIntegers) {
  panel->Position().Key = "Software\\Dim\\Panels";
  panel->Position().Section = "Guarantee";
  ShowForm();
  panel->SetBounds(5, 6, 300, 120);
  panel->Position().SavePosition();
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Dim\\Panels\\Guarantee", false));
  TStringList names;
  reg.GetValueNames(&names);
  EXPECT_EQ(names.Text(), "Top\r\nLeft\r\nHeight\r\nFullHeight\r\nWidth\r\nCollaps\r\n");
  EXPECT_EQ(reg.GetDataType("Width"), rdInteger);
  panel->SetBounds(0, 0, 50, 50);
  panel->Position().LoadPosition();
  EXPECT_EQ(panel->BoundsRect(), Bounds(5, 6, 300, 120));
  EXPECT_FALSE(panel->Collaps());
}

TEST_F(PanelStoreTest, BadOrMissingValuesKeepThePanelsOwn) {
  UseIni(*panel);
  WriteBytes(folder.path() + "/panels.ini", "[Guarantee]\nTop=abc\nLeft=7\nCollaps=2\nWidth=\n");
  panel->Position().LoadPosition();
  EXPECT_EQ(panel->BoundsRect(), Bounds(7, 30, 451, 150));
  EXPECT_FALSE(panel->Collaps());  // only 1 means collapsed

  panel->Position().Location = clRegistry;
  panel->Position().Key = "Software\\Dim\\Panels";
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Dim\\Panels\\Guarantee", true));
  reg.WriteString("Top", "xyz");
  reg.WriteFloat("Left", 3.5);
  reg.WriteInteger("Height", 99);
  panel->Position().LoadPosition();
  EXPECT_EQ(panel->BoundsRect(), Bounds(7, 30, 451, 99));
}

TEST_F(PanelStoreTest, NoSectionMeansNoStore) {
  UseIni(*panel);
  panel->Position().Section = "";
  panel->Position().Save = true;
  panel->Loaded();
  panel->Position().SavePosition();
  form.reset();
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/panels.ini"));
}

TEST_F(PanelStoreTest, SavedWhenTheWindowGoesAndLoadedWithTheForm) {
  UseIni(*panel);
  panel->Position().Save = true;
  ShowForm();
  panel->SetBounds(40, 50, 200, 100);
  form.reset();
  EXPECT_NE(ReadBytes(folder.path() + "/panels.ini").find("Width=200"), std::string::npos);
  form.reset(NewForm<TForm>(nullptr));
  panel = new TExtPanel(form.get());
  panel->SetParent(form.get());
  UseIni(*panel);
  panel->Position().Save = true;
  panel->Loaded();
  EXPECT_EQ(panel->BoundsRect(), Bounds(40, 50, 200, 100));
}

TEST_F(PanelStoreTest, AutoSizeFitsThePanelToItsText) {
  FakeAnchors text;  // measures every text as 120 x 30
  SetPanelTextRenderer(&text);
  panel->AutoSize().Width = false;
  panel->AutoSize().SetEnabled(true);
  EXPECT_EQ(panel->Width(), 451);
  EXPECT_EQ(panel->Height(), 25 + 30 + 2);
  panel->AutoSize().Width = true;
  panel->SetText("more");
  EXPECT_EQ(panel->Width(), 2 + 120);
  panel->Caption().SetVisible(false);
  panel->SetText("again");
  EXPECT_EQ(panel->Height(), 30 + 2);
  SetPanelTextRenderer(nullptr);
}

class PanelGroupTest : public ExtPanelTest {
 protected:
  void SetUp() override {
    ExtPanelTest::SetUp();
    group = new TExtPanelGroup(form.get());
    group->SetBounds(0, 0, 300, 200);
    group->SetParent(form.get());
    group->SetVertPadding(4);
    // Placed out of order; the hidden one lies between the second and third.
    for (auto [top, height] : {std::pair{90, 60}, {10, 50}, {150, 70}, {120, 40}}) {
      auto* p = new TExtPanel(form.get());
      p->SetBounds(0, top, 100, height);
      p->SetParent(group);
      members.push_back(p);
    }
    members[3]->Hide();
  }
  TExtPanelGroup* group = nullptr;
  std::vector<TExtPanel*> members;
};

TEST_F(PanelGroupTest, StacksByTopWithPaddingAndSkipsHiddenPanels) {
  group->Rearrange();
  EXPECT_EQ(members[1]->Top(), 4);
  EXPECT_EQ(members[0]->Top(), 58);
  EXPECT_EQ(members[3]->Top(), 122);  // keeps its place, takes no room
  EXPECT_EQ(members[2]->Top(), 122);
  EXPECT_EQ(members[2]->Width(), 300);
  EXPECT_FALSE(group->ScrollBar().Visible());
  // 4 + 54 + 64 + 74 = 196 fits in 200; five more do not.
  members[2]->SetHeight(75);
  group->Rearrange();
  EXPECT_TRUE(group->ScrollBar().Visible());
  EXPECT_EQ(group->ScrollBar().Max(), 201);
  EXPECT_EQ(group->ScrollBar().PageSize(), 200);
  EXPECT_EQ(members[2]->Width(), 300 - 16);
  members[2]->SetHeight(70);
  group->Rearrange();
  EXPECT_FALSE(group->ScrollBar().Visible());
  // Side by side the equal lefts keep the child order; 900 pixels of
  // panels need the bar along the bottom.
  group->SetGroupStyle(gsHorizontal);
  group->SetHorzPadding(3);
  EXPECT_EQ(members[0]->Left(), 3);
  EXPECT_EQ(members[1]->Left(), 3 + 300 + 3);
  EXPECT_TRUE(group->ScrollBar().Visible());
  EXPECT_EQ(group->ScrollBar().Kind(), sbHorizontal);
  EXPECT_EQ(members[1]->Height(), 200 - 8 - 16);
}

TEST_F(PanelGroupTest, CollapsingAMemberRearrangesAfterEveryStep) {
  group->Rearrange();
  std::vector<int> below;
  SetPanelAnimationWait([&](Cardinal) { below.push_back(members[0]->Top()); });
  members[1]->CollapsSteps = 2;
  members[1]->Caption().SetHeight(20);
  members[1]->SetCollaps(true);
  SetPanelAnimationWait(nullptr);
  // 50 down to 20 in two steps of 15, then the caption's height.
  EXPECT_EQ(below, (std::vector<int>{4 + 35 + 4, 4 + 20 + 4}));
  EXPECT_EQ(members[0]->Top(), 28);
}

// A panel and a group as the designer holds them.
class DesignedPanel : public TExtPanel {
 public:
  using TComponent::SetDesigning;
  using TExtPanel::TExtPanel;
};
class DesignedGroup : public TExtPanelGroup {
 public:
  using TComponent::SetDesigning;
  using TComponent::SetLoading;
  using TExtPanelGroup::TExtPanelGroup;
};

// While designing, moving or sizing a member re-stacks the group; at run
// time the member stays where it is put.
TEST_F(PanelGroupTest, MovingAMemberWhileDesigningRearrangesTheGroup) {
  group->SetBounds(0, 0, 300, 300);  // room for one more without the bar
  for (bool designing : {false, true}) {
    SCOPED_TRACE(designing ? "designing" : "running");
    auto* p = new DesignedPanel(form.get());
    p->SetDesigning(designing);
    p->SetBounds(0, 0, 100, 30);
    p->SetParent(group);
    // Dropped between the first two of the stack: it goes in there.
    p->SetBounds(7, 50, 120, 30);
    EXPECT_EQ(p->BoundsRect(), designing ? Rect(0, 58, 300, 88) : Rect(7, 50, 127, 80));
    EXPECT_EQ(members[0]->Top(), designing ? 92 : 58);
    delete p;
    group->Rearrange();
  }
}

// A panel whose window is made inside a designed group spans the group
// within the padding and stays off its start by the padding; the group,
// still loading, stacks nothing yet.
TEST_F(PanelGroupTest, APanelMadeInAGroupWhileDesigningTakesItsPlace) {
  const struct {
    TGroupStyle style;
    TRect dropped, placed;
  } cases[] = {
      {gsVertical, Rect(0, 2, 100, 42), Rect(5, 8, 295, 48)},
      {gsVertical, Rect(30, 20, 130, 60), Rect(5, 20, 295, 60)},
      {gsHorizontal, Rect(2, 0, 102, 40), Rect(5, 8, 105, 192)},
      {gsHorizontal, Rect(20, 30, 120, 70), Rect(20, 8, 120, 192)},
  };
  for (const auto& c : cases) {
    auto* g = new DesignedGroup(form.get());
    g->SetBounds(0, 0, 300, 200);
    g->SetParent(form.get());
    g->SetGroupStyle(c.style);
    g->SetHorzPadding(5);
    g->SetVertPadding(8);
    g->SetDesigning(true);
    g->SetLoading(true);
    g->HandleNeeded();
    for (bool designing : {false, true}) {
      auto* p = new DesignedPanel(form.get());
      p->SetDesigning(designing);
      p->SetBounds(c.dropped.Left, c.dropped.Top, c.dropped.Width(), c.dropped.Height());
      p->SetParent(g);
      p->HandleNeeded();
      EXPECT_EQ(p->BoundsRect(), designing ? c.placed : c.dropped) << c.style << designing;
    }
    delete g;
  }
}

}  // namespace
