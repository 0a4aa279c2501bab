// Bands: the strips a report's pages are made of, their order in the
// report, and the placing of one band on the page.
#include <algorithm>
#include <array>

#include "report/BandRpt.h"
#include "report/RpCtrls.h"

namespace {

struct BandNames {
  std::array<AnsiString, kRpBandTypeCount> Display, Prefix;
};

const BandNames& Names() {
  static const BandNames names{
      {"Title", "Page Header", "Detail", "Page Footer", "Summary", "Group Header", "Group Footer",
       "Sub Detail", "Column Header", "Overlay", "Wild", "Child"},
      {"TitleBand", "PageHeaderBand", "DetailBand", "PageFooterBand", "SummaryBand", "GroupHeaderBand",
       "GroupFooterBand", "SubDetailBand", "ColumnHeaderBand", "OverlayBand", "WildBand", "ChildBand"}};
  return names;
}

bool Designing(const TComponent* c) { return c->ComponentState().Contains(csDesigning); }

// The prefix followed by the first number that no component of Owner
// bears, so that stored forms can refer to the band by name.
void NameByPrefix(TComponent* band, TComponent* owner, const AnsiString& prefix) {
  if (owner == nullptr) return;
  for (int n = 1;; ++n) {
    const AnsiString name = prefix + IntToStr(n);
    if (owner->FindComponent(name) == nullptr) {
      band->SetName(name);
      return;
    }
  }
}

bool IsPageFurniture(TRpBandType t) {
  return t == rbTitle || t == rbPageHeader || t == rbPageFooter || t == rbOverlay;
}

}  // namespace

const AnsiString& RpBandTypeName(TRpBandType type) { return Names().Display.at(type); }
const AnsiString& RpBandNamePrefix(TRpBandType type) { return Names().Prefix.at(type); }

// ---- the report's band list ------------------------------------------------------

TRpCustomBand* TBandRepBands::Band(int index) const {
  static constexpr TRpBandType kTypes[] = {
      rbTitle, rbPageHeader, rbColumnHeader, rbDetail, rbPageFooter /*unused*/, rbPageFooter, rbSummary};
  if (index < iTitle || index > iSummary || index == iColumnFooter) return nullptr;
  return report_->FirstBand(kTypes[index - 1]);
}

void TBandRepBands::Set(int index, bool value) {
  static constexpr TRpBandType kTypes[] = {rbTitle,      rbPageHeader, rbColumnHeader, rbDetail,
                                           rbPageFooter, rbPageFooter, rbSummary};
  if (index < iTitle || index > iSummary || index == iColumnFooter || value == Has(index)) return;
  if (value)
    report_->CreateBand(kTypes[index - 1]);
  else
    delete Band(index);
}

TRpCustomBand* TCustomBandRep::FirstBand(TRpBandType type) const {
  for (TRpCustomBand* band : bandList_)
    if (band->BandType() == type) return band;
  for (TRpCustomBand* band : allBands_)
    if (band->BandType() == type) return band;
  return nullptr;
}

void TCustomBandRep::AddBand(TRpCustomBand* band) {
  if (std::find(allBands_.begin(), allBands_.end(), band) != allBands_.end()) return;
  allBands_.push_back(band);
  band->FreeNotification(this);
  RebuildBandList();
}

void TCustomBandRep::RemoveBand(TRpCustomBand* band) {
  allBands_.erase(std::remove(allBands_.begin(), allBands_.end(), band), allBands_.end());
  bandList_.erase(std::remove(bandList_.begin(), bandList_.end(), band), bandList_.end());
  ++RpBandLinks();
  for (TRpCustomBand* b : allBands_)
    if (b->LinkBand() == band) b->SetLinkBand(nullptr);
  if (controller_->DetailBand == band) controller_->DetailBand = nullptr;
  if (controller_->HeaderBand == band) controller_->HeaderBand = nullptr;
  if (controller_->FooterBand == band) controller_->FooterBand = nullptr;
  auto& groups = controller_->GroupList;
  groups.erase(std::remove(groups.begin(), groups.end(), band), groups.end());
  // A band going away is half destroyed: the list is rebuilt before the
  // next run instead.
  if (!band->ComponentState().Contains(csDestroying)) RebuildBandList();
}

void TCustomBandRep::RebuildBandList() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  std::vector<TRpCustomBand*> order;
  auto addWithChildren = [&](TRpCustomBand* band) {
    for (TRpCustomBand* b = band; b != nullptr; b = b->ChildBand()) {
      if (std::find(order.begin(), order.end(), b) != order.end()) break;
      order.push_back(b);
    }
  };
  auto addType = [&](TRpBandType type) {
    for (TRpCustomBand* band : allBands_)
      if (band->BandType() == type) addWithChildren(band);
  };
  auto first = [&](TRpBandType type) -> TRpCustomBand* {
    for (TRpCustomBand* band : allBands_)
      if (band->BandType() == type) return band;
    return nullptr;
  };
  addType(rbPageHeader);
  addType(rbTitle);
  addType(rbColumnHeader);
  controller_->DetailBand = first(rbDetail);
  controller_->HeaderBand = first(rbTitle);
  controller_->FooterBand = first(rbSummary);
  controller_->BuildLists();
  std::vector<TRpCustomBand*> controlled;
  controller_->AddBands(controlled);
  for (TRpCustomBand* band : controlled) addWithChildren(band);
  addType(rbPageFooter);
  for (TRpCustomBand* band : bandList_)
    if (std::find(order.begin(), order.end(), band) == order.end() &&
        std::find(allBands_.begin(), allBands_.end(), band) != allBands_.end())
      addWithChildren(band);
  for (TRpCustomBand* band : allBands_)
    if (std::find(order.begin(), order.end(), band) == order.end()) addWithChildren(band);
  bandList_ = std::move(order);
  ++RpBandLinks();
  LayoutBands();
}

void TCustomBandRep::RestackBands() {
  if (!layingOut_ && !ComponentState().Contains(csLoading)) LayoutBands();
}

void TCustomBandRep::LayoutBands() {
  if (layingOut_) return;
  layingOut_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{layingOut_};
  const auto native = [&](int index) { return page_.NativeValue(index); };
  const int printable =
      RpNearest(native(TRpPage::iWidth) - native(TRpPage::iLeftMargin) - native(TRpPage::iRightMargin));
  const int columns = std::max(page_.Columns(), 1);
  const int column = (printable - RpNearest(native(TRpPage::iColumnSpace)) * (columns - 1)) / columns;
  for (TRpCustomBand* band : allBands_) {
    TRpCustomBand* kind = band;
    for (TRpChildBand* child = kind->AsChildBand(); child != nullptr && child->ParentBand() != nullptr;
         child = kind->AsChildBand())
      kind = child->ParentBand();
    const TRpBandType t = kind->BandType();
    const bool wide =
        t == rbTitle || t == rbPageHeader || t == rbPageFooter || t == rbSummary || t == rbOverlay;
    band->Size()->SetNativeValue(TRpBandSize::iWidth, wide ? printable : column);
  }
  int top = ScreenPixels(native(TRpPage::iTopMargin));
  const int left = ScreenPixels(native(TRpPage::iLeftMargin));
  for (TRpCustomBand* band : bandList_) {
    band->SetBounds(left, top, band->Width(), band->Height());
    top += band->Height();
  }
}

TRpCustomBand* TCustomBandRep::CreateBand(TRpBandType type) {
  TComponent* owner = Owner() != nullptr ? Owner() : static_cast<TComponent*>(Parent());
  auto* band = new TRpBand(owner);
  band->SetBandType(type);
  NameByPrefix(band, owner, RpBandNamePrefix(type));
  band->SetParent(this);
  return band;
}

// ---- bands ---------------------------------------------------------------------

TRpCustomBand::TRpCustomBand(TComponent* owner) : TRpBasePanel(owner) {
  SetColor(clWhite);
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  size_.OnChange = [this] {
    const TRpUnit units = size_.Units;
    size_.Units = TRpUnit::Pixels;
    const int w = RpNearest(size_.GetValue(TRpBandSize::iWidth)),
              h = RpNearest(size_.GetValue(TRpBandSize::iHeight));
    size_.Units = units;
    applyingSize_ = true;
    SetBounds(Left(), Top(), w, h);
    applyingSize_ = false;
  };
  SetHeight(40);
  const TRpUnit units = size_.Units;
  size_.Units = TRpUnit::Pixels;
  size_.SetValue(TRpBandSize::iHeight, 40);
  size_.Units = units;
}

TRpCustomBand::~TRpCustomBand() {
  Destroying();
  if (ParentReport != nullptr) ParentReport->RemoveBand(this);
}

void TRpCustomBand::SetParent(TWinControl* parent) {
  // A band dropped on another band goes to that band's report.
  if (auto* other = dynamic_cast<TRpCustomBand*>(parent)) parent = other->Parent();
  auto* previous = dynamic_cast<TCustomBandRep*>(Parent());
  auto* report = dynamic_cast<TCustomBandRep*>(parent);
  if (previous != nullptr && previous != report) previous->RemoveBand(this);
  TRpBasePanel::SetParent(parent);
  if (report != nullptr) {
    ParentReport = report;
    size_.Units = report->Units();
    size_.CharFont = &report->Font();
    // The band shows the report's grid, unnumbered.
    RulerPage = report->Page();
    SetZoom(report->Zoom());
    report->AddBand(this);
  } else if (previous != nullptr) {
    size_.CharFont = nullptr;
    RulerPage = nullptr;
  }
}

void TRpCustomBand::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool resized = AHeight != Height();
  const bool moved = ALeft != Left() || ATop != Top();
  TRpBasePanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (applyingSize_ || ParentReport == nullptr || ComponentState().Contains(csLoading) ||
      ComponentState().Contains(csDestroying))
    return;
  if (resized) {
    const TRpUnit units = size_.Units;
    size_.Units = TRpUnit::Pixels;
    size_.SetValue(TRpBandSize::iHeight, AHeight);
    size_.Units = units;
  }
  if (resized || moved) ParentReport->RestackBands();
}

void TRpCustomBand::BoundsChanged() {
  TRpBasePanel::BoundsChanged();
  if (ParentReport != nullptr) ParentReport->ControlBoundsChanged();
}

void TRpCustomBand::Paint() {
  TRpBasePanel::Paint();
  TCanvas& c = Canvas();
  const TRpDesignPalette& palette = RpDesignPalette();
  c.Pen->Style = palette.OutlineStyle;
  c.Pen->Color = palette.Outline;
  c.Pen->Width = 1;
  c.Brush->Style = bsClear;
  c.Rectangle(ClientRect());
  const Extended screen = 96.0L / 254;
  Frame()->PaintFrame(c, ClientRect(), screen, screen);
  c.Font->Name = "Small Fonts";
  c.Font->SetSize(6);
  c.Font->Color = palette.Outline;
  // The frame leaves a solid brush behind: the name shows over the band.
  c.Brush->Style = bsClear;
  c.SetTextAlign(TA_LEFT | TA_BOTTOM);
  c.ExtTextOut(2, Height() - 1, 0, nullptr, BandTypeName());
  c.SetTextAlign(TA_LEFT | TA_TOP);
}

void TRpCustomBand::SetBandType(TRpBandType type) {
  bandType_ = type;
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpCustomBand::SetZoom(int zoom) {
  TRpBasePanel::SetZoom(zoom);
  size_.Zoom = zoom;
  if (size_.OnChange) size_.OnChange();
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* p = AsPrintable(Controls(i))) p->SetZoom(zoom);
}

Extended TRpCustomBand::NativeHeight() const { return size_.NativeValue(TRpBandSize::iHeight); }

Extended TRpCustomBand::NativeWidth() const { return size_.NativeValue(TRpBandSize::iWidth); }

void TRpCustomBand::SetLinkBand(TRpCustomBand* band) {
  for (TRpCustomBand* b = band; b != nullptr; b = b->linkBand_)
    if (b == this) {
      RpRefuseCircularLink(this);
      return;
    }
  if (linkBand_ != nullptr) linkBand_->RemoveFreeNotification(this);
  linkBand_ = band;
  if (band != nullptr) band->FreeNotification(this);
}

void TRpCustomBand::Notification(TComponent* component, TOperation operation) {
  TRpBasePanel::Notification(component, operation);
  if (operation == opRemove && component == linkBand_) linkBand_ = nullptr;
  if (operation == opRemove && component == ParentReport) ParentReport = nullptr;
}

std::uint64_t& RpBandLinks() {
  static std::uint64_t links = 1;
  return links;
}

TRpChildBand* TRpCustomBand::ChildBand() const {
  if (ParentReport == nullptr) return nullptr;
  if (childLinks_ == RpBandLinks() && childIn_ == ParentReport) return child_;
  child_ = nullptr;
  for (TRpCustomBand* band : ParentReport->BandList())
    if (TRpChildBand* child = band->AsChildBand(); child != nullptr && child->ParentBand() == this) {
      child_ = child;
      break;
    }
  childIn_ = ParentReport;
  childLinks_ = RpBandLinks();
  return child_;
}

void TRpCustomBand::SetHasChild(bool value) {
  TRpChildBand* child = ChildBand();
  if (value == (child != nullptr) || ParentReport == nullptr) return;
  if (value) {
    auto* made = new TRpChildBand(Owner());
    NameByPrefix(made, Owner(), made->BandNamePrefix());
    made->SetParentBand(this);
    made->SetParent(ParentReport);
  } else {
    if (TRpChildBand* grandChild = child->ChildBand()) grandChild->SetParentBand(this);
    delete child;
  }
}

bool TRpCustomBand::FitsOnPage(Extended extra) {
  return FitsIn(ParentReport->AvailableSpace(), Expanded, extra);
}

bool TRpCustomBand::FitsIn(int space, Extended expanded, Extended extra) const {
  return RpNearest(NativeHeight() + expanded + extra) <= space;
}

Extended TRpCustomBand::ExpandedBy(Extended expanded, Extended value, bool used) {
  // The first growth smaller than what the band grew by already is taken
  // as done.
  return !used && value < expanded ? expanded : expanded + value;
}

bool TRpCustomBand::ExpandBy(Extended value, Extended& newExpanded, bool& used) {
  const bool kept = !used && value < Expanded;
  Expanded = ExpandedBy(Expanded, value, used);
  newExpanded = Expanded;
  used = true;
  return kept;
}

Extended TRpCustomBand::StretchHeight() {
  // The controls answer in screen pixels at the designer's zoom, as they
  // are drawn; the band grows by the same tenths of a millimetre at any.
  const Extended kScreen = 96.0L / 254 * Zoom() / 100;
  Extended h = NativeHeight(), gap = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    auto* p = AsPrintable(Controls(i));
    if (p == nullptr || !p->Enabled()) continue;
    Extended expanded = 0;
    p->GetExpandedHeight(expanded);
    if (expanded == 0) continue;
    const Extended bottom = (p->Top() + expanded) / kScreen;
    if (bottom > h) {
      h = bottom;
      gap = (Height() - p->Top() - p->Height() + 1) / kScreen;
    }
  }
  return h + std::max<Extended>(gap, 0);
}

void TRpCustomBand::NotifyController() {
  if (Controller != nullptr) Controller->NotifyClients(this, 0);
}

void TRpCustomBand::PrintChild(bool before) {
  TRpChildBand* child = ChildBand();
  if (child == nullptr) return;
  const bool wanted = before
                          ? (child->PrintOrder == cboBeforeParent || child->PrintOrder == cboBeforeAndAfter)
                          : (child->PrintOrder == cboAfterParent || child->PrintOrder == cboBeforeAndAfter);
  if (!wanted) return;
  const bool footer = BandType() == rbPageFooter;
  child->SetAsFooter(footer);
  ParentReport->PrintBand(child);
  child->SetAsFooter(false);
}

void TRpCustomBand::Print() {
  TCustomBandRep& r = *ParentReport;
  TRpPrinter& p = *r.RpPrinter();
  bool printBand = Enabled();
  if (printBand && BeforePrint && !Designing(this)) BeforePrint(this, printBand);
  if (BandType() == rbSummary) r.CurrentX = RpNearest(r.Page()->LeftMargin());
  if (!printBand) {
    if (!Enabled()) NotifyController();
  } else {
    // Begun in a later column, a summary would print across the columns
    // before it: it goes below the lowest of them, or to a new page.
    if (BandType() == rbSummary && r.ColumnNumber > 1 && r.PageNumber >= 1) {
      r.CurrentY = std::max(r.CurrentY, r.PageBottom);
      if (RpNearest(NativeHeight()) > r.AvailableSpace()) {
        do r.NewColumn();
        while (r.ColumnNumber != 1);
        r.PlaceAtBottom(this);
      }
    }
    PrintChild(true);
    const TRpBandType type = BandType();
    if (ForceNewPage && !r.Overflow && !IsPageFurniture(type) && r.PageNumber >= 1) {
      if (r.HeaderJustPrinted) {
        r.HeaderJustPrinted = false;
      } else {
        do r.NewColumn();
        while (r.ColumnNumber != 1);
      }
      r.Overflow = false;
    } else if (ForceNewColumn && !IsPageFurniture(type) && r.PageNumber >= 1) {
      if (!r.ColumnBreakPending && r.ColumnNumber < 2)
        r.ColumnBreakPending = true;
      else
        r.NewColumn();
    } else {
      Extended height = NativeHeight();
      // The linked band counts once, in 0.1 mm.
      if (linkBand_ != nullptr) height += linkBand_->NativeHeight();
      const int h = RpNearest(height);
      const int emptyPage =
          RpNearest(r.Page()->Length() - (r.Page()->BottomMargin() + r.Page()->TopMargin()));
      if (type != rbPageFooter && h > r.AvailableSpace() && h <= emptyPage) {
        if (type == rbDetail) r.Overflow = true;
        r.NewColumn();
      } else if (r.PageNumber == 0) {
        if (type == rbDetail) r.Overflow = true;
        r.NewColumn();
      } else if (type == rbDetail) {
        r.Overflow = false;
      }
    }
    NotifyController();
    Extended stretched = -1;
    if (KeepOnOnePage) {
      stretched = StretchHeight();
      if (r.AvailableSpace() < stretched) r.NewColumn();
    }
    const int bx = r.CurrentX, by = r.CurrentY;
    const Extended width = NativeWidth();
    if (!TransparentBand) {
      Extended height = NativeHeight();
      if (PreCaluculateBandHeight) height = stretched >= 0 ? stretched : StretchHeight();
      PrintRect = Rect(p.DeviceX(bx), p.DeviceY(by), p.DeviceX(bx + width), p.DeviceY(by + height));
      if (r.Exporting && r.ExportFilter != nullptr)
        ExportFrame(*r.ExportFilter, p, TRpFrame(), bx, by, width, height, Color());
    }
    if (NativeHeight() >= 0) {
      if (r.PrinterOutput && !TransparentBand && p.Canvas() != nullptr) {
        p.Canvas()->Brush->Style = bsSolid;
        p.Canvas()->Brush->Color = Color();
        p.Canvas()->FillRect(PrintRect);
      }
      Expanded = 0;
      bool first = true;
      for (;;) {
        Extended largest = 0;
        bool allFinished = true;
        const int ox = r.CurrentX, oy = r.CurrentY;
        for (int i = 0; i < ControlCount(); ++i) {
          auto* c = AsPrintable(Controls(i));
          if (c == nullptr || !c->Enabled()) continue;
          Expanded = 0;
          if (first || !c->PrintFinished) c->Print(ox, oy);
          largest = std::max(largest, Expanded);
          if (!c->PrintFinished) allFinished = false;
        }
        Expanded = largest;
        PrintRules(ox, oy, width);
        first = false;
        if (allFinished) break;
        r.Overflow = true;
        r.NewColumn();
        r.Overflow = false;
        Expanded = 0;
      }
      r.CurrentY += RpNearest(NativeHeight() + Expanded);
      r.PageBottom = std::max(r.PageBottom, r.CurrentY);
    }
    if (r.Exporting && r.ExportFilter != nullptr) r.ExportFilter->BandOut(this, Expanded, bx, by);
  }
  if (AfterPrint && !Designing(this)) AfterPrint(this, printBand);
  PrintChild(false);
  r.Overflow = false;
}

std::vector<Extended> TRpCustomBand::FramelineCentres() const {
  std::vector<Extended> centres;
  const Extended width = NativeWidth();
  if (width <= 0) return centres;
  for (int i = 0; i < ControlCount(); ++i)
    if (TRpPrintable* p = AsPrintable(Controls(i));
        TRpFrameline* line = p != nullptr ? p->AsFrameline() : nullptr)
      centres.push_back(
          (line->NativeValue(TRpPrintableSize::iLeft) + line->NativeValue(TRpPrintableSize::iWidth) / 2) /
          width);
  return centres;
}

void TRpCustomBand::PrintRules(int ox, int oy, Extended width) {
  TCustomBandRep& r = *ParentReport;
  TRpPrinter& p = *r.RpPrinter();
  const Extended height = NativeHeight() + Expanded;
  const std::vector<Extended> centres = FramelineCentres();
  if ((r.PrinterOutput || r.Exporting) && p.Canvas() != nullptr) {
    PrintRect = Rect(p.DeviceX(ox), p.DeviceY(oy), p.DeviceX(ox + width), p.DeviceY(oy + height + 1));
    Frame()->PaintFrame(*p.Canvas(), PrintRect, p.YFactor(), p.XFactor(), r.PrintableBottom, centres);
  }
  const bool exporting = r.Exporting && r.ExportFilter != nullptr;
  if (exporting && (Frame()->HasAnySide() || !centres.empty()))
    ExportFrame(*r.ExportFilter, p, *Frame(), ox, oy, width, height, clNone, centres);
  // Vertical rules marked 1000 run down the band as far as it grew.
  for (int i = 0; i < ControlCount(); ++i) {
    // The mark first: most controls are no shapes.
    if (Controls(i)->Tag != 1000) continue;
    auto* rule = dynamic_cast<TRpShape*>(Controls(i));
    if (rule == nullptr || rule->Shape() != rpsVertLine || !rule->Enabled()) continue;
    const Extended left = ox + rule->NativeValue(TRpPrintableSize::iLeft),
                   ruleWidth = rule->NativeValue(TRpPrintableSize::iWidth);
    if (r.PrinterOutput && p.Canvas() != nullptr) {
      TCanvas& c = *p.Canvas();
      c.Pen->Assign(*rule->Pen());
      const int x = p.DeviceX(left + ruleWidth / 2);
      c.MoveTo(x, PrintRect.Top);
      c.LineTo(x, PrintRect.Bottom);
    }
    if (exporting) {
      TRpShape whole(nullptr);
      whole.SetShape(rpsVertLine);
      whole.SetPen(*rule->Pen());
      TRpPrintableSize& size = *whole.Size();
      size.SetNativeValue(TRpPrintableSize::iLeft, left);
      size.SetNativeValue(TRpPrintableSize::iTop, oy);
      size.SetNativeValue(TRpPrintableSize::iWidth, ruleWidth);
      size.SetNativeValue(TRpPrintableSize::iHeight, height);
      r.ExportFilter->ControlOut(&whole, p.DeviceX(left), p.DeviceY(oy));
    }
  }
}

TRpChildBand::TRpChildBand(TComponent* owner) : TRpCustomBand(owner) {}

void TRpChildBand::SetParentBand(TRpCustomBand* band) {
  for (TRpCustomBand* b = band; b != nullptr;) {
    if (b == this) {
      RpRefuseCircularLink(this);
      return;
    }
    auto* child = dynamic_cast<TRpChildBand*>(b);
    b = child != nullptr ? child->parentBand_ : nullptr;
  }
  if (parentBand_ != nullptr) parentBand_->RemoveFreeNotification(this);
  parentBand_ = band;
  ++RpBandLinks();
  if (band != nullptr) band->FreeNotification(this);
  if (ParentReport != nullptr) ParentReport->RebuildBandList();
}

void TRpChildBand::Notification(TComponent* component, TOperation operation) {
  TRpCustomBand::Notification(component, operation);
  if (operation == opRemove && component == parentBand_) {
    parentBand_ = nullptr;
    ++RpBandLinks();
  }
}
