#pragma once
// The tree view: nodes of text under nodes, opened and closed by their
// buttons, the keyboard or a double click, one of them selected.

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/LineScroller.h"

class TCustomTreeView;
class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(TTreeNodes& owner, TTreeNode* parent, const AnsiString& text);
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& text);
  void* Data = nullptr;
  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const;
  bool HasChildren() const { return !children_.empty(); }
  // 0 for a node of the top level.
  int Level() const;
  // The place in the whole tree, parents before their children.
  int AbsoluteIndex() const;
  int Index() const;
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool expanded);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  bool Selected() const;
  // Every parent up to the top is open, so the node has a line.
  bool IsVisible() const;
  // Opens the parents and scrolls the node's line into view.
  void MakeVisible();
  TCustomTreeView* TreeView() const;
  TTreeNode* GetNext() const;

 private:
  friend class TTreeNodes;
  TTreeNodes& owner_;
  TTreeNode* parent_;
  AnsiString text_;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

// The nodes of a tree view; AddChild and Add make them, Clear and Delete
// free them.
class TTreeNodes {
 public:
  explicit TTreeNodes(TCustomTreeView& owner) : owner_(owner) {}
  TCustomTreeView& Owner() const { return owner_; }
  // A new last child of Parent (nil: a node of the top level).
  TTreeNode* AddChild(TTreeNode* parent, const AnsiString& text);
  // A new last sibling of Sibling (nil: a node of the top level).
  TTreeNode* Add(TTreeNode* sibling, const AnsiString& text);
  void Delete(TTreeNode* node);
  void Clear();
  // The nodes in tree order, parents before their children.
  int Count() const;
  TTreeNode* Item(int index) const;
  TTreeNode* GetFirstNode() const { return top_.empty() ? nullptr : top_.front().get(); }
  // Between the two the view neither lays out nor paints.
  void BeginUpdate();
  void EndUpdate();

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  void Changed();
  std::vector<std::unique_ptr<TTreeNode>>& Siblings(TTreeNode* parent);
  TCustomTreeView& owner_;
  std::vector<std::unique_ptr<TTreeNode>> top_;
  int updating_ = 0;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;

class TCustomTreeView : public TCustomControl {
 public:
  explicit TCustomTreeView(TComponent* AOwner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() { return &nodes_; }
  // Selecting a node, by hand or in code, runs OnChange; nil selects none.
  TTreeNode* Selected() const { return selected_; }
  void SetSelected(TTreeNode* node);
  // The node on the line at a client point, nil below the last line.
  TTreeNode* GetNodeAt(int x, int y) const;
  // The line of a node that has one; an empty rectangle otherwise.
  TRect NodeRect(const TTreeNode* node) const;
  void FullExpand();
  void FullCollapse();
  int TopIndex() const { return lines_.Top(); }
  int Indent = 19;
  bool ShowButtons = true;
  bool ShowRoot = true;
  // Without the focus the selected line is not marked.
  bool HideSelection = true;
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle border);

  TTVChangedEvent OnChange;
  TTVExpandedEvent OnExpanded, OnCollapsed;

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

 private:
  friend class TTreeNode;
  friend class TTreeNodes;
  // The nodes that have a line, top to bottom.
  const std::vector<TTreeNode*>& Rows() const;
  int RowOf(const TTreeNode* node) const;
  int LineHeight() const;
  // Where a node's button and text start on its line.
  int ButtonLeft(const TTreeNode* node) const;
  void NodesChanged();
  void NodeFreed(TTreeNode* node);
  void Toggle(TTreeNode* node);
  TTreeNodes nodes_{*this};
  TTreeNode* selected_ = nullptr;
  TBorderStyle borderStyle_ = bsSingle;
  mutable std::vector<TTreeNode*> rows_;
  mutable bool rowsStale_ = true;
  TLineScroller lines_;
};

class TTreeView : public TCustomTreeView {
 public:
  explicit TTreeView(TComponent* AOwner) : TCustomTreeView(AOwner) {}
};
