// The rich-text printable: formatted text laid out by its hidden editor's
// page formatting, growing its band and continuing on the next page.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <utility>

#include "platform/gfx/Metafile.h"
#include "report/RpCtrls.h"

namespace {

// The band grows by this much (0.1 mm) at a time.
constexpr Extended kRichStep = 50.0;
// No text is measured taller than this (in twips: over 20 km).
constexpr long long kMaxTwips = 1LL << 30;
// The most steps a band is guessed to grow by at once.
constexpr long long kMaxGuess = 1LL << 40;
// The running number of exported pictures' names.
std::atomic<int> richPictureNumber{0};

struct TTwips {
  int LPX, LPY;
  int X(int pixels) const { return pixels * 1440 / LPX; }
  int Y(int pixels) const { return pixels * 1440 / LPY; }
};

TTwips TwipsOf(const TCanvas& canvas) {
  TTwips t{canvas.GetDeviceCaps(LOGPIXELSX), canvas.GetDeviceCaps(LOGPIXELSY)};
  if (t.LPX <= 0) t.LPX = 96;
  if (t.LPY <= 0) t.LPY = 96;
  return t;
}

}  // namespace

TRpCustomRichText::TRpCustomRichText(TComponent* owner) : TRpPrintable(owner) {
  richEdit_ = new TRpRichEdit(this);
  richEdit_->SetParent(this);
  richEdit_->SetBorderStyle(bsNone);
  richEdit_->SetVisible(false);
  PrintFinished = true;
  SetBounds(Left(), Top(), 100, 100);
}

TAlignment TRpCustomRichText::Alignment() const { return richEdit_->Paragraph().Alignment(); }

void TRpCustomRichText::SetAlignment(TAlignment value) {
  richEdit_->Paragraph().SetAlignment(value);
  TRpPrintable::SetAlignment(value);
}

void TRpCustomRichText::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TRpPrintable::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (richEdit_ != nullptr) richEdit_->SetBounds(1, 1, Width() - 2, Height() - 2);
}

void TRpCustomRichText::Print(int ofsX, int ofsY) {
  if (ParentReport == nullptr || RpPrinter == nullptr) return;
  TRpPrinter& p = *RpPrinter;
  TMetafile scratch;
  std::unique_ptr<TMetafileCanvas> scratchCanvas;
  TCanvas* canvas = p.Canvas();
  if (canvas == nullptr) {
    scratchCanvas = std::make_unique<TMetafileCanvas>(&scratch);
    canvas = scratchCanvas.get();
  }
  const TTwips tw = TwipsOf(*canvas);
  const TPlace at = PlaceOnPage(ofsX, ofsY);
  FORMATRANGE range;
  range.hdc = canvas;
  range.hdcTarget = canvas;
  range.rc = Rect(tw.X(p.DeviceX(at.Left)), tw.Y(p.DeviceY(at.Top)), tw.X(p.DeviceX(at.Left + at.Width)),
                  tw.Y(p.DeviceY(at.Top + at.Height)));
  // The sheet's size tells format-range nothing it lays out by: a text
  // going on over pages keeps the one its first page took.
  if (PrintFinished)
    sheet_ = Rect(0, 0, tw.X(p.DeviceWidth(p.PaperWidth())), tw.Y(p.DeviceHeight(p.PaperLength())));
  range.rcPage = sheet_;
  if (PrintFinished) nextChar_ = 0;
  range.chrg = {nextChar_, -1};
  const int length = richEdit_->Content().Length();
  int room = 0;
  int next = richEdit_->FormatRange(&range, false, room);
  TRpCustomBand* band = Band();
  // A box that does not stretch shows what fits in it and is done, as a
  // memo is; one that stretches grows its band and goes on over the page.
  const bool stretching = next < length && AutoStretch && band != nullptr && length > 0;
  if (stretching) {
    // Grow a step at a time and stop as soon as the rest fits. Below the
    // room the rest needs it does not, and the text is not laid out again
    // until the band is that tall or the page ends it.
    Extended grown = 0;
    bool used = false;
    bool asked = true;
    const int space = band->ParentReport->AvailableSpace();
    const auto bottomAt = [&](Extended expanded) { return tw.Y(p.DeviceY(at.Top + at.Height + expanded)); };
    // The band after Steps more steps, as ExpandBy grows it: from a whole
    // number of tenths of a millimetre each step after the first adds a
    // whole 5 mm, so their sum is exact, as the steps one by one are.
    const auto expandedAfter = [&](long long steps) {
      if (steps == 0) return band->Expanded;
      return TRpCustomBand::ExpandedBy(band->Expanded, kRichStep, used) +
             static_cast<Extended>(steps - 1) * kRichStep;
    };
    const auto whole = [](Extended v) { return v == std::trunc(v) && std::fabs(v) < 1e15L; };
    // Whether the step Steps from here fits on the page and leaves the
    // band still lower than the room the rest needs: such steps only grow
    // the band. Steps that fit come first, and steps lower than the room.
    const auto onlyGrows = [&](long long steps) {
      return band->FitsIn(space, expandedAfter(steps - 1), kRichStep) &&
             bottomAt(expandedAfter(steps)) - range.rc.Top < room;
    };
    // The page's device rounds the band's foot in order only when its
    // scale is positive.
    const bool ordered = p.YFactor() > 0;
    // About how many steps only grow the band: those that keep its foot on
    // the page and below the room, were nothing rounded.
    const auto guessedSteps = [&]() -> long long {
      const Extended first = TRpCustomBand::ExpandedBy(band->Expanded, kRichStep, used);
      const Extended byPage = (space - band->NativeHeight() - first) / kRichStep + 1;
      const Extended roomFoot =
          static_cast<Extended>(range.rc.Top) * tw.LPY / 1440 + static_cast<Extended>(room) * tw.LPY / 1440;
      const Extended byRoom =
          (roomFoot - p.DeviceY(at.Top + at.Height + first)) / (p.YFactor() * kRichStep) + 1;
      const Extended guess = std::floor(std::min(byPage, byRoom));
      return !(guess >= 1) ? 1 : guess > kMaxGuess ? kMaxGuess : static_cast<long long>(guess);
    };
    while (next < length) {
      // The steps that only grow the band are taken together, found by
      // doubling and halving, instead of asking the page and the device
      // about every 5 mm of a long page.
      long long steps = 0;
      if (ordered && whole(band->Expanded) && onlyGrows(1)) {
        // The last of them lies between one that does (Low) and one that
        // does not (High, none at 0). The arithmetic of the page's foot
        // and of the room puts it within a step or so of where it is, and
        // the step beyond tells; a guess further off is narrowed down.
        long long low = 1, high = 0;
        const long long guess = guessedSteps();
        if (guess > 1) (onlyGrows(guess) ? low : high) = guess;
        if (high == 0)
          (onlyGrows(low + 1) ? low : high) = low + 1;
        else if (high - low > 1)
          (onlyGrows(high - 1) ? low : high) = high - 1;
        if (high == 0)
          for (high = 2 * low; onlyGrows(high); high *= 2) low = high;
        while (high - low > 1) {
          const long long mid = low + (high - low) / 2;
          (onlyGrows(mid) ? low : high) = mid;
        }
        steps = low;
        // Every step after the first adds a whole 5 mm to a whole number
        // of tenths: added at once they make what the steps one by one do.
        band->ExpandBy(kRichStep, grown, used);
        band->Expanded += static_cast<Extended>(steps - 1) * kRichStep;
        grown = band->Expanded;
        range.rc.Bottom = bottomAt(grown);
        asked = false;
      }
      if (!band->FitsIn(space, band->Expanded, kRichStep)) break;
      band->ExpandBy(kRichStep, grown, used);
      range.rc.Bottom = bottomAt(grown);
      asked = range.rc.Bottom - range.rc.Top >= room;
      if (asked) next = richEdit_->FormatRange(&range, false, room);
    }
    if (!asked) next = richEdit_->FormatRange(&range, false);
  }
  if (ParentReport->PrinterOutput && p.Canvas() != nullptr) richEdit_->FormatRange(&range, true);
  PrintFinished = !stretching || next < 0 || next >= length;
  nextChar_ = PrintFinished ? 0 : next;
  // Only a box of its own size is framed: the frame of a grown one would
  // cut across its text.
  if (!stretching) TRpPrintable::Print(ofsX, ofsY);
  if (ParentReport->Exporting && ParentReport->ExportFilter != nullptr) {
    if (!exportImage_) {
      exportImage_ = std::make_unique<TRpImage>(nullptr);
      exportImage_->SetAutoSize(true);
    }
    TRpImage& image = *exportImage_;
    image.SetName(Name() + "_" + IntToStr(richPictureNumber++));
    const int w = RpNearest(static_cast<Extended>(range.rc.Right - range.rc.Left) * tw.LPX / 1440);
    const int h = RpNearest(static_cast<Extended>(range.rc.Bottom - range.rc.Top) * tw.LPY / 1440);
    // The picture the page before went out as is recorded again, as a
    // new one would be, on a canvas kept for it: the filter is done with it.
    auto* picture = dynamic_cast<TMetafile*>(image.Picture()->Graphic());
    std::unique_ptr<TMetafile> made;
    if (picture == nullptr) {
      made = std::make_unique<TMetafile>();
      picture = made.get();
    }
    picture->SetWidth(w);
    picture->SetHeight(h);
    if (exportCanvas_)
      exportCanvas_->Open(picture);
    else
      exportCanvas_ = std::make_unique<TMetafileCanvas>(picture);
    {
      FORMATRANGE inner = range;
      inner.hdc = inner.hdcTarget = exportCanvas_.get();
      const TTwips pt = TwipsOf(*exportCanvas_);
      inner.rc = Rect(0, 0, pt.X(w), pt.Y(h));
      inner.rcPage = Rect(0, 0, pt.X(w), pt.Y(2 * h));
      try {
        richEdit_->FormatRange(&inner, true);
      } catch (...) {
        exportCanvas_->Close();
        throw;
      }
    }
    exportCanvas_->Close();
    // The picture sizes the control, and the box's own place and size, set
    // at once, put it back where the box is. A control the page before
    // left there as it is now only takes the new picture: its notice,
    // which would size it and leave it transparent as it is, is not given.
    const std::span<const Extended> box = Size()->ValueSpan();
    const auto inPlace = [&] {
      const std::span<const Extended> held = image.Size()->ValueSpan();
      return exportPlace_ == image.BoundsRect() && image.Size()->Units == TRpUnit::Native &&
             std::equal(box.begin(), box.end(), held.begin(), held.end());
    };
    if (made) {
      image.Picture()->SetGraphic(std::move(made));
    } else if (!(inPlace() && image.AutoSize() && image.Transparent())) {
      image.Picture()->Changed();
    }
    if (!inPlace()) {
      image.Size()->Units = TRpUnit::Native;
      image.Size()->ReadValues(box);
      exportPlace_ = image.BoundsRect();
    }
    ParentReport->ExportFilter->ControlOut(&image, p.DeviceX(at.Left), p.DeviceY(at.Top));
  }
  richEdit_->FormatRange(nullptr, false);
}

void TRpCustomRichText::GetExpandedHeight(Extended& height) {
  TMetafile scratch;
  std::unique_ptr<TMetafileCanvas> scratchCanvas;
  TRpPrinter* p = RpPrinter;
  TCanvas* canvas = p != nullptr ? p->Canvas() : nullptr;
  if (canvas == nullptr) {
    scratchCanvas = std::make_unique<TMetafileCanvas>(&scratch);
    canvas = scratchCanvas.get();
  }
  const TTwips tw = TwipsOf(*canvas);
  const Extended factor = p != nullptr ? p->YFactor() : 96.0L / 254;
  const auto devX = [&](Extended v) { return p != nullptr ? p->DeviceX(v) : RpNearest(v * 96 / 254); };
  const auto devY = [&](Extended v) { return p != nullptr ? p->DeviceY(v) : RpNearest(v * 96 / 254); };
  const TPlace at = PlaceOnPage(0, 0);
  FORMATRANGE range;
  range.hdc = range.hdcTarget = canvas;
  range.rc = Rect(tw.X(devX(at.Left)), tw.Y(devY(at.Top)), tw.X(devX(at.Left + at.Width)),
                  tw.Y(devY(at.Top + at.Height)));
  range.chrg = {0, -1};
  const int length = richEdit_->Content().Length();
  const int step = std::max(1, RpNearest(kRichStep * factor * 1440 / tw.LPY));
  const int bottom = range.rc.Bottom;
  const auto holds = [&](long long steps) {
    range.rc.Bottom = static_cast<int>(std::min<long long>(bottom + steps * step, kMaxTwips));
    const int next = richEdit_->FormatRange(&range, false);
    return next < 0 || next >= length || range.rc.Bottom == kMaxTwips;
  };
  // The fewest steps of growth that hold the whole text. The text is laid
  // out once, as far down as any text is measured, and the room its lines
  // need gives the steps: those that hold every line. Fewer hold it only
  // when its last lines show nothing (empty paragraphs at its end); those
  // are found by halving, as a taller rectangle never holds less.
  long long steps = 0;
  if (length > 0 && !holds(0)) {
    int room = 0;
    range.rc.Bottom = static_cast<int>(kMaxTwips);
    const int next = richEdit_->FormatRange(&range, false, room);
    const long long toMost = (kMaxTwips - bottom + step - 1) / step;
    steps = next >= 0 && next < length
                ? toMost
                : std::clamp((static_cast<long long>(room) + range.rc.Top - bottom + step - 1) / step, 1LL,
                             toMost);
    if (steps > 1 && holds(steps - 1)) {
      long long tooFew = 0;
      --steps;
      while (steps - tooFew > 1) {
        const long long mid = tooFew + (steps - tooFew) / 2;
        (holds(mid) ? steps : tooFew) = mid;
      }
    }
  }
  range.rc.Bottom = static_cast<int>(std::min<long long>(bottom + steps * step, kMaxTwips));
  // Screen pixels at the zoom, as the band compares them.
  height = static_cast<Extended>(range.rc.Bottom - range.rc.Top) * 96 / 1440 * GetZoom() / 100;
  richEdit_->FormatRange(nullptr, false);
}
