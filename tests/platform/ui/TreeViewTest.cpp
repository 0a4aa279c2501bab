#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "platform/ui/ComCtrls.h"
#include "tests/TestOutput.h"

namespace {

class TreeViewTest : public ControlsTest {
 protected:
  // Κεφάλαιο 1 (Μέρος 1.1, Μέρος 1.2 (Άρθρο 1.2.1)), Κεφάλαιο 2, Κεφάλαιο 3.
  void MakeTree() {
    tree = Add<TTreeView>(10, 10, 200, 150);
    TTreeNodes& n = *tree->Items();
    n.BeginUpdate();
    first = n.AddChild(nullptr, "Κεφάλαιο 1"_a);
    part11 = n.AddChild(first, "Μέρος 1.1"_a);
    part12 = n.AddChild(first, "Μέρος 1.2"_a);
    article = n.AddChild(part12, "Άρθρο 1.2.1"_a);
    second = n.Add(first, "Κεφάλαιο 2"_a);
    third = n.AddChild(nullptr, "Κεφάλαιο 3"_a);
    n.EndUpdate();
    tree->OnChange = [this](TObject* sender, TTreeNode* node) {
      EXPECT_EQ(sender, tree);
      changes.push_back(node);
    };
    ShowForm();
    tree->SetFocus();
  }
  int LineY(const TTreeNode* node) const {
    const TRect r = tree->NodeRect(node);
    return (r.Top + r.Bottom) / 2;
  }

 public:
  TTreeView* tree = nullptr;
  TTreeNode *first = nullptr, *part11 = nullptr, *part12 = nullptr, *article = nullptr, *second = nullptr,
            *third = nullptr;
  std::vector<TTreeNode*> changes;
};

TEST_F(TreeViewTest, NodesKeepTheirOrderLevelsAndParents) {
  MakeTree();
  TTreeNodes& n = *tree->Items();
  ASSERT_EQ(n.Count(), 6);
  const TTreeNode* inOrder[] = {first, part11, part12, article, second, third};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(n.Item(i), inOrder[i]) << i;
    EXPECT_EQ(inOrder[i]->AbsoluteIndex(), i);
  }
  EXPECT_THROW(n.Item(6), EListError);
  EXPECT_EQ(article->Level(), 2);
  EXPECT_EQ(article->Parent(), part12);
  EXPECT_EQ(second->Parent(), nullptr);
  EXPECT_EQ(first->Count(), 2);
  EXPECT_EQ(part12->Index(), 1);
  // Closed nodes hide their children: only the top level has lines.
  EXPECT_TRUE(tree->NodeRect(part11).IsEmpty());
  EXPECT_EQ(tree->GetNodeAt(20, LineY(third)), third);
  EXPECT_EQ(tree->GetNodeAt(20, LineY(third) + 40), nullptr);
  tree->FullExpand();
  EXPECT_EQ(tree->GetNodeAt(20, LineY(article)), article);
  EXPECT_LT(LineY(article), LineY(second));
  // Deleting a node takes its children with it.
  n.Delete(part12);
  EXPECT_EQ(n.Count(), 4);
  EXPECT_EQ(first->Count(), 1);
}

TEST_F(TreeViewTest, ArrowsWalkOpenAndCloseAndEachChangeIsHeard) {
  MakeTree();
  struct Step {
    Word key;
    TTreeNode* TreeViewTest::*selected;
    bool firstOpen;
  } steps[] = {
      {VK_DOWN, &TreeViewTest::first, false},   // nothing selected: the first line
      {VK_RIGHT, &TreeViewTest::first, true},   // opens
      {VK_RIGHT, &TreeViewTest::part11, true},  // goes to the first child
      {VK_DOWN, &TreeViewTest::part12, true},   // the next line
      {VK_DOWN, &TreeViewTest::second, true},   // the closed 1.2 hides its article
      {VK_END, &TreeViewTest::third, true},     //
      {VK_HOME, &TreeViewTest::first, true},    //
      {VK_LEFT, &TreeViewTest::first, false},   // closes
      {VK_DOWN, &TreeViewTest::second, false},  //
      {VK_LEFT, &TreeViewTest::second, false},  // a top leaf stays
      {VK_UP, &TreeViewTest::first, false},     //
      {VK_UP, &TreeViewTest::first, false},     // the top stays
  };
  std::vector<TTreeNode*> expected;
  for (const Step& s : steps) {
    TTreeNode* before = tree->Selected();
    backend->PressKey(s.key);
    TTreeNode* want = this->*s.selected;
    EXPECT_EQ(tree->Selected(), want) << s.key << " " << cp1253::ToUtf8(want->Text());
    EXPECT_EQ(first->Expanded(), s.firstOpen) << s.key;
    if (want != before) expected.push_back(want);
  }
  EXPECT_EQ(changes, expected);
}

TEST_F(TreeViewTest, ClicksSelectButtonsAndDoubleClicksOpenAndCloseAndTheSelectionIsDrawn) {
  MakeTree();
  std::vector<std::pair<TTreeNode*, bool>> opened;
  tree->OnExpanded = [&](TObject*, TTreeNode* node) { opened.push_back({node, true}); };
  tree->OnCollapsed = [&](TObject*, TTreeNode* node) { opened.push_back({node, false}); };
  // The button of a node stands one indent in from its text.
  backend->Click(*tree, 2 + tree->Indent / 2, LineY(first));
  EXPECT_TRUE(first->Expanded());
  EXPECT_EQ(tree->Selected(), nullptr);
  backend->Click(*tree, 60, LineY(part12));
  EXPECT_EQ(tree->Selected(), part12);
  backend->DoubleClick(*tree, 60, LineY(part12));
  EXPECT_TRUE(part12->Expanded());
  backend->Click(*tree, 80, LineY(article));
  EXPECT_EQ(tree->Selected(), article);
  // The selected text is marked, another is not: a pixel of the margin
  // before each text (the border, 2, and 2 more, then an indent a level
  // and the button's).
  const auto textMargin = [&](const TTreeNode* node) {
    return PixelOf(*tree, 4 + (node->Level() + 1) * tree->Indent + 1, LineY(node)) & 0xFFFFFF;
  };
  EXPECT_EQ(textMargin(article), ColorToRGB(clHighlight) & 0xFFFFFF);
  EXPECT_EQ(textMargin(second), ColorToRGB(clWindow) & 0xFFFFFF);
  backend->SaveWindowPng(*Form, TestOutput("tree-view.png"));
  // Closing a parent of the selection selects the parent.
  backend->Click(*tree, 2 + tree->Indent / 2, LineY(first));
  EXPECT_FALSE(first->Expanded());
  EXPECT_EQ(tree->Selected(), first);
  EXPECT_EQ(changes, (std::vector<TTreeNode*>{part12, article, first}));
  EXPECT_EQ(opened,
            (std::vector<std::pair<TTreeNode*, bool>>{{first, true}, {part12, true}, {first, false}}));
  // Selecting in code is heard as well, and clearing selects none.
  tree->SetSelected(article);
  EXPECT_TRUE(first->Expanded());
  EXPECT_TRUE(article->IsVisible());
  tree->Items()->Clear();
  EXPECT_EQ(tree->Selected(), nullptr);
  EXPECT_EQ(changes.back(), nullptr);
  EXPECT_EQ(tree->Items()->Count(), 0);
  backend->PressKey(VK_DOWN);  // an empty tree takes keys quietly
}

}  // namespace
