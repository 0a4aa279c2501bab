// The preview control: the page image and the scroll box that zooms it and
// follows the pages as the run delivers them.
#include <algorithm>

#include "report/BandRpt.h"
#include "report/RpPrev.h"

// ---- the page image ---------------------------------------------------------------

TRpPreviewImage::TRpPreviewImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 100, 50); }

TRpPreviewImage::~TRpPreviewImage() = default;

void TRpPreviewImage::SetPageNumber(int n) {
  page_.reset();
  pageNumber_ = n;
  if (RpPrinter != nullptr) page_ = RpPrinter->GetPage(n);
  // The page shows now, not after whatever the caller does next; a window
  // on its way out paints nothing more.
  Invalidate();
  for (const TControl* c = this; c != nullptr; c = c->Parent())
    if (c->ComponentState().Contains(csDestroying)) return;
  Update();
}

void TRpPreviewImage::DrawPage(TMetafile* metafile, TCanvas& canvas, const TRect& rect, bool frame) {
  if (!frame && metafile == nullptr) return;
  const int l = rect.Left, t = rect.Top, w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
  canvas.Brush->Style = bsSolid;
  canvas.Brush->Color = clWhite;
  canvas.FillRect(TRect{l + 1, t + 1, l + w - 3, t + h - 3});
  if (metafile != nullptr && !metafile->Empty()) canvas.StretchDraw(rect, metafile);
  canvas.Pen->Color = clBlack;
  canvas.Pen->Width = 1;
  canvas.Pen->Style = psSolid;
  canvas.Polyline({{l, t}, {l, t + h - 3}, {l + w - 3, t + h - 3}, {l + w - 3, t}, {l, t}});
  canvas.Brush->Color = clBlack;
  canvas.FillRect(TRect{l + w - 2, t + 2, rect.Right, rect.Bottom});
  canvas.FillRect(TRect{l + 2, t + h - 2, rect.Right, rect.Bottom});
}

void TRpPreviewImage::Paint() {
  const bool designing = ComponentState().Contains(csDesigning);
  // Inside the preview the page stays off its scroll bars.
  if (auto* box = dynamic_cast<TRpPreview*>(Parent()))
    Canvas().IntersectClipRect(OffsetRect(box->ViewRect(), -Left(), -Top()));
  DrawPage(page_.get(), Canvas(), ClientRect(), page_ != nullptr || designing);
}

AnsiString TRpPreviewImage::LinkAt(int x, int y) {
  CurrentLink.clear();
  if (Zoom <= 0) return CurrentLink;
  const int px = static_cast<int>(Round(Extended(x) / Zoom * 100));
  const int py = static_cast<int>(Round(Extended(y) / Zoom * 100));
  for (const TRpHotLink& h : HotLinks)
    if (px >= h.Area.Left && px <= h.Area.Right && py >= h.Area.Top && py <= h.Area.Bottom) {
      CurrentLink = h.Link;
      break;
    }
  return CurrentLink;
}

void TRpPreviewImage::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  const bool over = !LinkAt(x, y).empty();
  SetCursor(over ? crHandPoint : crDefault);
  if (over == OverLink) return;
  OverLink = over;
  if (!OnHyperlink) return;
  bool handled = false;
  if (over)
    OnHyperlink(RpPrinter, hlEnter, CurrentLink, handled);
  else
    OnHyperlink(RpPrinter, hlLeave, "", handled);
}

void TRpPreviewImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (!OverLink || !OnHyperlink) return;
  bool handled = false;
  OnHyperlink(RpPrinter, hlClick, CurrentLink, handled);
  if (!handled && RpPrinter != nullptr) RpPrinter->ProcessHyperlink(CurrentLink);
}

// ---- the scroll box ---------------------------------------------------------------

TRpPreview::TRpPreview(TComponent* owner) : TScrollBox(owner) {
  image_ = new TRpPreviewImage(this);
  image_->SetParent(this);
  image_->SetBounds(0, 0, image_->Width(), image_->Height());
  SetBounds(Left(), Top(), 250, 250);
  HorzScrollBar().Tracking = true;
  VertScrollBar().Tracking = true;
  OnResize = [this](TObject*) { ZoomAgain(); };
  OnEnter = [this](TObject*) { ZoomAgain(); };
}

TRpPreview::~TRpPreview() {
  Destroying();
  SetOutlineTree(nullptr);
  SetOutline(nullptr);
  SetRpPrinter(nullptr);
}

void TRpPreview::SetRpPrinter(TRpPrinter* printer) {
  if (printer_ != nullptr && printer_->Client == Handle()) {
    printer_->Client = nullptr;
    printer_->SetShowingPreview(false);
  }
  printer_ = printer;
  image_->RpPrinter = printer;
  if (printer == nullptr) {
    image_->SetPageNumber(1);
    return;
  }
  printer->Client = Handle();
  printer->SetShowingPreview(true);
  pageNumber_ = 1;
  image_->SetPageNumber(1);
  Invalidate();
  image_->OnMouseDown = OnMouseDown;
  image_->OnMouseMove = OnMouseMove;
  image_->OnMouseUp = OnMouseUp;
  image_->OnClick = OnClick;
  image_->OnDblClick = OnDblClick;
  image_->OnDragOver = OnDragOver;
  image_->OnDragDrop = OnDragDrop;
  image_->OnEndDrag = OnEndDrag;
  printer->SetOutline(outline_);
}

void TRpPreview::PrinterGone(TRpPrinter* printer) {
  if (printer != printer_) return;
  printer_ = nullptr;
  image_->RpPrinter = nullptr;
  image_->SetPageNumber(1);
  if (OnPrinterGone) OnPrinterGone(this);
}

void TRpPreview::SetOutline(TRpOutlineView* view) {
  if (outline_ != nullptr && outline_ != view) outline_->OnChange = nullptr;
  outline_ = view;
  if (view != nullptr)
    view->OnChange = [this](void* node) {
      if (OnOutlineChange) OnOutlineChange(this, node);
    };
  if (printer_ != nullptr) printer_->SetOutline(view);
}

void TRpPreview::SetPageNumber(int n) {
  if (n == pageNumber_ && image_->PageMetafile() != nullptr) return;
  if (n < 1 || printer_ == nullptr || n > printer_->PageCount()) return;
  image_->SetPageNumber(n);
  pageNumber_ = n;
  HorzScrollBar().SetPosition(0);
  VertScrollBar().SetPosition(0);
}

void TRpPreview::SetZoom(int zoom) {
  if (zoom < 2 || zoom > 2000) return;
  ZoomState = rpZoomOther;
  zoom_ = zoom;
  UpdateZoom();
}

void TRpPreview::UpdateZoom() {
  int w, h;
  if (printer_ != nullptr) {
    w = static_cast<int>(Round(printer_->DeviceWidth(printer_->PaperWidth() / 100.0L * zoom_))) + 4;
    h = static_cast<int>(Round(printer_->DeviceHeight(printer_->PaperLength() / 100.0L * zoom_))) + 4;
  } else {
    w = static_cast<int>(Round(215.9L / 100 * zoom_)) + 4;
    h = static_cast<int>(Round(279.4L / 100 * zoom_)) + 4;
  }
  HorzScrollBar().SetPosition(0);
  VertScrollBar().SetPosition(0);
  // Centred in the view the bars leave (centring in the whole box would
  // push a page a little narrower than the box under the vertical bar and
  // ask for a horizontal one); the border is no part of the view, so a page
  // larger than the view starts inside it with its edge line showing.
  // The bars the new size needs come first: they take from the view.
  image_->SetBounds(ViewArea().Left, ViewArea().Top, w, h);
  UpdateScrollBars();
  const TRect view = ViewArea();
  const int left = view.Left + (w < view.Width() ? (view.Width() - w) / 2 : 0);
  const int top = view.Top + (h < view.Height() ? (view.Height() - h) / 2 : 0);
  image_->SetBounds(left, top, w, h);
  image_->Zoom = zoom_;
  UpdateScrollBars();
  HorzScrollBar().SetPosition(0);
  VertScrollBar().SetPosition(0);
}

void TRpPreview::ZoomToFit() {
  Extended pw = 215.9L, ph = 279.4L;
  if (printer_ != nullptr) {
    pw = printer_->DeviceWidth(printer_->PaperWidth());
    ph = printer_->DeviceHeight(printer_->PaperLength());
  }
  if (pw > 0 && ph > 0) {
    const int zw = static_cast<int>(Round(Width() / pw * 95));
    const int zh = static_cast<int>(Round(Height() / ph * 95));
    SetZoom(std::min(zh, zw));
  }
  UpdateZoom();
  ZoomState = rpZoomToFit;
}

void TRpPreview::ZoomToWidth() {
  if (printer_ != nullptr) {
    const Extended pw = printer_->DeviceWidth(printer_->PaperWidth());
    if (pw > 0) SetZoom(static_cast<int>(Round(Width() / pw * 90)));
  } else {
    SetZoom(static_cast<int>(Round(Width() / 215.9L * 95)));
  }
  UpdateZoom();
  ZoomState = rpZoomToWidth;
}

void TRpPreview::ZoomAgain() {
  if (ZoomState == rpZoomToFit)
    ZoomToFit();
  else if (ZoomState == rpZoomToWidth)
    ZoomToWidth();
  UpdateZoom();
}

void TRpPreview::RefreshPage() {
  if (printer_ == nullptr || image_->PageMetafile() != nullptr ||
      image_->PageNumber() > printer_->AvailablePages())
    return;
  // The report a run shows asks for its width to fill the view as its
  // first page arrives.
  if (auto* report = dynamic_cast<TCustomBandRep*>(printer_->Master()))
    if (report->PrevInitialZoom == rpZoomToWidth) ZoomToWidth();
  image_->SetPageNumber(image_->PageNumber());
}

int TRpPreview::VerticalEnd() {
  const TRect view = ViewArea();
  return std::max(0, image_->Height() + std::max(0, image_->Top() - view.Top + VertScrollBar().Position()) -
                         view.Height());
}

void TRpPreview::Dispatch(TMessage& message) {
  if (message.Msg == WM_RP_PAGES) {
    const int pages = static_cast<int>(message.WParam);
    if (pages == pageNumber_) RefreshPage();
    if (OnPageAvailable) OnPageAvailable(this, pages);
    return;
  }
  if (message.Msg == WM_RP_PROGRESS) {
    if (OnProgressUpdate) OnProgressUpdate(this, static_cast<int>(message.WParam));
    return;
  }
  if (message.Msg == WM_RP_DAMAGEDPAGE) {
    if (printer_ != nullptr && OnDamagedPage) OnDamagedPage(this, printer_->DamagedPageText());
    return;
  }
  TScrollBox::Dispatch(message);
}
