// The detail controller: one level of records through groups, sub-levels
// and the detail band, and the group bands with their change test.
#include <algorithm>
#include <unordered_set>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "report/BandRpt.h"

namespace {

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

bool SameValue(const TRpEvResult& a, const TRpEvResult& b) {
  if (a.Kind != b.Kind) return false;
  switch (a.Kind) {
    case rpvInteger:
      return a.IntValue == b.IntValue;
    case rpvFloat:
      return a.FloatValue == b.FloatValue;
    case rpvString:
      return a.StrValue == b.StrValue;
    case rpvBoolean:
      return a.BoolValue == b.BoolValue;
    default:
      return true;
  }
}

// The controllers, groups and controller bands alive: a controller
// building its lists finds them among all of a form's components by
// address, where a type test of every component walked each one's classes.
// Never freed: a component may outlive the program's statics.
std::unordered_set<const TComponent*>& ControllerParts() {
  static auto* parts = new std::unordered_set<const TComponent*>;
  return *parts;
}

}  // namespace

// ---- groups ------------------------------------------------------------------------

TRpGroup::TRpGroup(TComponent* owner) : TRpCustomBand(owner) { ControllerParts().insert(this); }

TRpGroup::~TRpGroup() { ControllerParts().erase(this); }

void TRpGroup::SetParent(TWinControl* parent) {
  TRpCustomBand::SetParent(parent);
  if (master_ == nullptr && ParentReport != nullptr) SetMaster(ParentReport);
}

void TRpGroup::SetFooterBand(TRpBand* band) {
  if (footerBand_ != nullptr) footerBand_->RemoveFreeNotification(this);
  footerBand_ = band;
  if (band != nullptr) {
    band->FreeNotification(this);
    band->SetBandType(rbGroupFooter);
  }
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpGroup::SetMaster(TComponent* master) {
  // A group belongs to the report's level or to a nested level's band.
  if (master != nullptr && dynamic_cast<TCustomBandRep*>(master) == nullptr &&
      dynamic_cast<TRpControllerBand*>(master) == nullptr)
    return;
  if (master_ != nullptr) master_->RemoveFreeNotification(this);
  master_ = master;
  if (master != nullptr) master->FreeNotification(this);
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpGroup::Notification(TComponent* component, TOperation operation) {
  TRpCustomBand::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == footerBand_) footerBand_ = nullptr;
  if (component == master_) master_ = nullptr;
}

void TRpGroup::PrepareGroup() {
  Evaluator.SetDataSets(ParentReport->DataSetList());
  Evaluator.Environment = ParentReport->Functions();
  Evaluator.Prepare(Expression);
  HasValue = false;
  HeaderPage = 1;
  InGroup = false;
}

void TRpGroup::UnprepareGroup() {
  if (Evaluator.Prepared()) Evaluator.Unprepare();
}

void TRpGroup::TakeValue() {
  LastValue = Evaluator.Value();
  HasValue = true;
  Changed = true;
}

void TRpGroup::CheckChange() {
  Changed = false;
  if (!HasValue) {
    TakeValue();
    return;
  }
  const TRpEvResult value = Evaluator.Value();
  if (value.IsError() || SameValue(value, LastValue)) return;
  LastValue = value;
  Changed = true;
}

// ---- controllers -------------------------------------------------------------------

TRpCustomController::TRpCustomController(TComponent* owner) : TComponent(owner) {
  ControllerParts().insert(this);
}

TRpCustomController::~TRpCustomController() { ControllerParts().erase(this); }

void TRpCustomController::SetMaster(TComponent* master) {
  if (master != nullptr && dynamic_cast<TCustomBandRep*>(master) == nullptr &&
      dynamic_cast<TRpCustomController*>(master) == nullptr &&
      dynamic_cast<TRpControllerBand*>(master) == nullptr)
    return;
  if (master_ != nullptr) master_->RemoveFreeNotification(this);
  if (master != nullptr) master->FreeNotification(this);
  master_ = master;
}

void TRpCustomController::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

void TRpCustomController::AddNotifyClient(TRpPrintable* client) {
  if (std::find(NotifyList.begin(), NotifyList.end(), client) == NotifyList.end())
    NotifyList.push_back(client);
}

void TRpCustomController::NotifyClients(TObject* sender, Byte operation) {
  for (TRpPrintable* client : NotifyList) client->BandNotify(sender, operation);
}

void TRpCustomController::BuildLists() {
  DetailList.clear();
  PrintBeforeList.clear();
  GroupList.clear();
  TComponent* owner = Owner();
  if (owner == nullptr) return;
  auto scan = [&](TComponent* holder) {
    if (holder == nullptr) return;
    for (int i = 0; i < holder->ComponentCount(); ++i) {
      TComponent* c = holder->Components(i);
      if (!ControllerParts().contains(c)) continue;
      if (auto* band = dynamic_cast<TRpControllerBand*>(c)) c = band->OwnController();
      if (auto* sub = dynamic_cast<TRpCustomController*>(c); sub != nullptr && sub != this) {
        if (sub->Master() != owner ||
            std::find(DetailList.begin(), DetailList.end(), sub) != DetailList.end() ||
            std::find(PrintBeforeList.begin(), PrintBeforeList.end(), sub) != PrintBeforeList.end())
          continue;
        sub->ParentReport = ParentReport;
        (sub->PrintBefore ? PrintBeforeList : DetailList).push_back(sub);
        sub->BuildLists();
      } else if (auto* group = dynamic_cast<TRpGroup*>(c)) {
        if (group->Master() != owner || group->ComponentState().Contains(csDestroying)) continue;
        if (std::find(GroupList.begin(), GroupList.end(), group) != GroupList.end()) continue;
        GroupList.push_back(group);
        group->ParentReport = ParentReport;
      }
    }
  };
  scan(owner->Owner());
  scan(owner);
  RegisterDataSet();
}

void TRpCustomController::Prepare() {
  NotifyList.clear();
  for (TRpCustomController* c : PrintBeforeList) c->Prepare();
  for (TRpCustomController* c : DetailList) c->Prepare();
  for (TRpGroup* g : GroupList) g->PrepareGroup();
}

void TRpCustomController::Unprepare() {
  for (TRpCustomController* c : PrintBeforeList) c->Unprepare();
  for (TRpCustomController* c : DetailList) c->Unprepare();
  for (TRpGroup* g : GroupList) g->UnprepareGroup();
}

void TRpCustomController::ExecuteBefore() {
  for (TRpCustomController* c : PrintBeforeList) c->Execute();
}

void TRpCustomController::ExecuteAfter() {
  for (TRpCustomController* c : DetailList) c->Execute();
}

void TRpCustomController::PrintEmptyController() {
  ExecuteBefore();
  ExecuteAfter();
}

bool TRpCustomController::CheckGroups() {
  bool changed = false;
  for (TRpGroup* g : GroupList) {
    if (changed) {
      // An outer change reopens every inner group.
      g->TakeValue();
      continue;
    }
    g->CheckChange();
    changed = g->Changed;
  }
  return changed;
}

void TRpCustomController::PrintGroupHeaders() {
  for (TRpGroup* g : GroupList)
    if (g->Changed) {
      ParentReport->PrintBand(g);
      g->InGroup = true;
      g->HeaderPage = ParentReport->PageNumber;
    }
}

void TRpCustomController::PrintGroupFooters() {
  for (auto it = GroupList.rbegin(); it != GroupList.rend(); ++it)
    if ((*it)->Changed) {
      if ((*it)->FooterBand() != nullptr) ParentReport->PrintBand((*it)->FooterBand());
      (*it)->InGroup = false;
    }
}

void TRpCustomController::ReprintGroupHeaders() {
  for (TRpGroup* g : GroupList)
    if (g->Changed) return;
  for (TRpCustomController* c : PrintBeforeList) c->ReprintGroupHeaders();
  bool marked = false;
  std::vector<TRpGroup*> reprint;
  for (TRpGroup* g : GroupList) {
    if (marked) {
      g->TakeValue();
      reprint.push_back(g);
    } else if (g->ReprintOnNewPage && g->InGroup && g->HeaderPage != ParentReport->PageNumber) {
      g->HeaderPage = ParentReport->PageNumber;
      // Marked as changed, so that the new page a header too tall for
      // this one starts does not reprint it once more, and again.
      g->Changed = true;
      marked = true;
      reprint.push_back(g);
    }
  }
  for (TRpGroup* g : reprint) ParentReport->PrintBand(g);
  // The marks were only for this reprint: the detail loop tests afresh.
  for (TRpGroup* g : reprint) g->Changed = false;
  for (TRpCustomController* c : DetailList) c->ReprintGroupHeaders();
}

void RpRefuseCircularLink(const TComponent* component) {
  if (Designing(component)) ShowMessage("Circular linking not allowed");
}

// ---- controller bands ------------------------------------------------------------------

TRpControllerBand::TRpControllerBand(TComponent* owner) : TRpCustomBand(owner) {
  ControllerParts().insert(this);
  controller_ = new TRpController(this);
  controller_->DetailBand = this;
}

TRpControllerBand::~TRpControllerBand() { ControllerParts().erase(this); }

void TRpControllerBand::SetMaster(TComponent* master) {
  if (master != nullptr && dynamic_cast<TCustomBandRep*>(master) == nullptr &&
      dynamic_cast<TRpControllerBand*>(master) == nullptr)
    return;
  for (auto* b = dynamic_cast<TRpControllerBand*>(master); b != nullptr;
       b = dynamic_cast<TRpControllerBand*>(b->master_))
    if (b == this) {
      RpRefuseCircularLink(this);
      return;
    }
  if (master_ != nullptr) master_->RemoveFreeNotification(this);
  master_ = master;
  if (master != nullptr) master->FreeNotification(this);
  controller_->SetMaster(master);
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpControllerBand::SetParent(TWinControl* parent) {
  TRpCustomBand::SetParent(parent);
  controller_->ParentReport = ParentReport;
  if (master_ == nullptr && ParentReport != nullptr) SetMaster(ParentReport);
}

void TRpControllerBand::Notification(TComponent* component, TOperation operation) {
  TRpCustomBand::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

bool TRpSubDetailGroupBands::HasHeader() const { return band_->HeaderBand() != nullptr; }
bool TRpSubDetailGroupBands::HasFooter() const { return band_->FooterBand() != nullptr; }

void TRpSubDetailGroupBands::SetHasHeader(bool value) {
  if (value == HasHeader() || band_->ParentReport == nullptr) return;
  if (value)
    band_->SetHeaderBand(band_->ParentReport->CreateBand(rbGroupHeader));
  else
    delete band_->HeaderBand();
}

void TRpSubDetailGroupBands::SetHasFooter(bool value) {
  if (value == HasFooter() || band_->ParentReport == nullptr) return;
  if (value)
    band_->SetFooterBand(band_->ParentReport->CreateBand(rbGroupFooter));
  else
    delete band_->FooterBand();
}

void TRpSubDetail::SetHeaderBand(TRpCustomBand* band) {
  controller_->HeaderBand = band;
  if (band != nullptr) band->FreeNotification(controller_);
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpSubDetail::SetFooterBand(TRpCustomBand* band) {
  controller_->FooterBand = band;
  if (band != nullptr) band->FreeNotification(controller_);
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

// ---- the data-driven controller ----------------------------------------------------

void TRpController::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ != nullptr) dataSet_->RemoveFreeNotification(this);
  dataSet_ = dataSet;
  if (dataSet != nullptr) dataSet->FreeNotification(this);
}

void TRpController::Notification(TComponent* component, TOperation operation) {
  TRpCustomController::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == dataSet_) dataSet_ = nullptr;
  if (component == DetailBand) DetailBand = nullptr;
  if (component == HeaderBand) HeaderBand = nullptr;
  if (component == FooterBand) FooterBand = nullptr;
}

void TRpController::RegisterDataSet() {
  if (ParentReport != nullptr && dataSet_ != nullptr && dataSet_->Active() &&
      ParentReport->DataSetList()->IndexOf(dataSet_) < 0)
    ParentReport->DataSetList()->Add(dataSet_);
}

void TRpController::Prepare() {
  TRpCustomController::Prepare();
  paramsFromFunctions_ = false;
  if (auto* query = dynamic_cast<TQuery*>(dataSet_); query != nullptr && ParentReport != nullptr) {
    for (int i = 0; i < query->Params().Count() && !paramsFromFunctions_; ++i)
      if (ParentReport->Functions()->IndexOf(UpperCase(query->Params().Items(i).Name)) >= 0)
        paramsFromFunctions_ = true;
  }
}

void TRpController::PrintEmptyController() {
  if (ParentReport == nullptr) return;
  ParentReport->PrintBand(HeaderBand);
  ExecuteBefore();
  ParentReport->PrintBand(DetailBand);
  ExecuteAfter();
  ParentReport->PrintBand(FooterBand);
}

void TRpController::AddBands(std::vector<TRpCustomBand*>& list) {
  auto add = [&](TRpCustomBand* band) {
    if (band != nullptr) list.push_back(band);
  };
  add(HeaderBand);
  for (TRpGroup* g : GroupList) add(g);
  for (TRpCustomController* c : PrintBeforeList) c->AddBands(list);
  add(DetailBand);
  for (TRpCustomController* c : DetailList) c->AddBands(list);
  for (auto it = GroupList.rbegin(); it != GroupList.rend(); ++it) add((*it)->FooterBand());
  add(FooterBand);
}

TObject* TRpController::DataSender() { return Owner() != nullptr ? static_cast<TObject*>(Owner()) : this; }

void TRpController::NextRecord(bool& moreData) {
  if (dataSet_ != nullptr && dataSet_->Active()) {
    dataSet_->Next();
    moreData = !dataSet_->Eof();
  } else {
    moreData = false;
    if (OnNeedData && !Designing(this)) OnNeedData(DataSender(), moreData);
  }
}

void TRpController::Execute() {
  for (TRpGroup* g : GroupList) g->HasValue = false;
  const bool active = dataSet_ != nullptr && dataSet_->Active();
  if (!active && !OnNeedData) {
    if (PrintIfEmpty) PrintEmptyController();
    return;
  }
  if (ParentReport == nullptr) {
    if (PrintIfEmpty) PrintEmptyController();
    return;
  }
  TCustomBandRep& r = *ParentReport;
  bool moreData = true;
  if (active) {
    if (paramsFromFunctions_)
      if (auto* query = dynamic_cast<TQuery*>(dataSet_)) SetQueryParams(*query, *r.Functions());
    dataSet_->First();
    moreData = !dataSet_->Eof();
    RecordCount = r.GetRecordCount();
    if (!moreData && PrintIfEmpty) PrintEmptyController();
  } else if (!Designing(this)) {
    OnNeedData(DataSender(), moreData);
  }
  RecordNumber = 0;
  if (DetailBand != nullptr) DetailBand->Controller = this;
  if (!moreData) return;
  Application->ProcessMessages();
  if (r.Cancelled) return;
  const bool mainLevel = Owner() == &r;
  r.PrintBand(HeaderBand);
  if (mainLevel && HeaderBand != nullptr) r.HeaderJustPrinted = true;
  if ((r.PageNumber < 2 || r.Composite) && mainLevel) {
    TRpCustomBand* columnHeader = r.Bands()->Band(TBandRepBands::iColumnHeader);
    if (columnHeader != nullptr && columnHeader->Enabled()) {
      r.PrintBand(columnHeader);
      r.HeaderJustPrinted = true;
    }
  }
  CheckGroups();
  r.StopRequested = false;
  TRpPrinter* printer = r.RpPrinter();
  while (moreData) {
    Application->ProcessMessages();
    if (printer->Cancelled || r.Cancelled) {
      r.Cancelled = true;
      return;
    }
    ++RecordNumber;
    PrintGroupHeaders();
    ExecuteBefore();
    r.PrintBand(DetailBand);
    ExecuteAfter();
    NextRecord(moreData);
    if (CheckGroups()) {
      if (active && moreData) {
        // The footers must see the group that just finished.
        dataSet_->Prior();
        PrintGroupFooters();
        dataSet_->Next();
      } else {
        PrintGroupFooters();
      }
    }
    if (mainLevel && dataSet_ == r.DataSet() && active && RecordCount != 0) {
      printer->SetProgress(RecordNumber * 100 / RecordCount);
    } else {
      int progress = printer->Progress() + 2;
      if (progress > 100) progress = 5;
      printer->SetProgress(progress);
    }
    moreData = moreData && !r.StopRequested;
    if (r.PagesInPreview >= 1) moreData = moreData && printer->PageCount() <= r.PagesInPreview;
  }
  for (TRpGroup* g : GroupList) g->Changed = !g->Changed;
  PrintGroupFooters();
  if (FooterBand != nullptr) {
    if (r.PageNumber == 0) r.NewPage();
    if (FooterBand->NativeHeight() <= r.AvailableSpace()) {
      r.PrintBand(FooterBand);
    } else {
      r.NewColumn();
      r.PrintBand(FooterBand);
    }
  }
}
