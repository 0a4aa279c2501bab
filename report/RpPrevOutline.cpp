// The preview's outline in a tree view: the page list's entries become the
// tree's nodes, and the node the user selects is the entry whose page shows.
#include "report/RpPrev.h"

TRpTreeOutline::TRpTreeOutline(TTreeView* tree) : tree_(tree) {
  tree_->OnChange = [this](TObject*, TTreeNode* node) {
    if (OnChange) OnChange(node);
  };
}

TRpTreeOutline::~TRpTreeOutline() {
  if (tree_ != nullptr) tree_->OnChange = nullptr;
}

void TRpTreeOutline::BeginUpdate() { tree_->Items()->BeginUpdate(); }

void TRpTreeOutline::EndUpdate() { tree_->Items()->EndUpdate(); }

void TRpTreeOutline::Clear() { tree_->Items()->Clear(); }

void* TRpTreeOutline::AddChild(void* parent, const AnsiString& text) {
  return tree_->Items()->AddChild(static_cast<TTreeNode*>(parent), text);
}

void TRpPreview::SetOutlineTree(TTreeView* tree) {
  if (tree == OutlineTree()) return;
  if (treeOutline_) {
    if (outline_ == treeOutline_.get()) SetOutline(nullptr);
    treeOutline_->Tree()->RemoveFreeNotification(this);
    treeOutline_.reset();
  }
  if (tree == nullptr) return;
  treeOutline_ = std::make_unique<TRpTreeOutline>(tree);
  tree->FreeNotification(this);
  SetOutline(treeOutline_.get());
}

TTreeView* TRpPreview::OutlineTree() const { return treeOutline_ ? treeOutline_->Tree() : nullptr; }

void TRpPreview::Notification(TComponent* component, TOperation operation) {
  TScrollBox::Notification(component, operation);
  if (operation != opRemove || !treeOutline_ || component != treeOutline_->Tree()) return;
  // The tree is going: nothing of it is touched any more.
  if (outline_ == treeOutline_.get()) SetOutline(nullptr);
  treeOutline_->Forget();
  treeOutline_.reset();
}
