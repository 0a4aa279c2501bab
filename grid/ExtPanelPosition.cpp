// Where a captioned panel keeps its place, and fitting it to its text.

#include <algorithm>

#include "grid/ExtPanel.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Registry.h"

// ---- TPanelPosition -----------------------------------------------------------------------

void TPanelPosition::Assign(const TPanelPosition& s) {
  Key = s.Key;
  Section = s.Section;
  Save = s.Save;
  Location = s.Location;
}

std::unique_ptr<TCustomIniFile> TPanelPosition::OpenStore() const {
  if (Location == clInifile) return std::make_unique<TIniFile>(Key);
  return std::make_unique<TRegistryIniFile>(Key);
}

void TPanelPosition::SavePosition() {
  if (Key.empty() || Section.empty() || owner_.ComponentState().Contains(csDesigning)) return;
  const auto store = OpenStore();
  store->WriteInteger(Section, "Top", owner_.Top());
  store->WriteInteger(Section, "Left", owner_.Left());
  store->WriteInteger(Section, "Height", owner_.Height());
  store->WriteInteger(Section, "FullHeight", owner_.FullHeight());
  store->WriteInteger(Section, "Width", owner_.Width());
  store->WriteInteger(Section, "Collaps", owner_.Collaps() ? 1 : 0);
}

void TPanelPosition::LoadPosition() {
  if (Key.empty() || Section.empty() || owner_.ComponentState().Contains(csDesigning)) return;
  std::unique_ptr<TCustomIniFile> store;
  try {
    store = OpenStore();
  } catch (const Exception&) {
    return;  // no store: the panel keeps its place
  }
  // A value that is missing, no number or of another type reads as the
  // default, and a store that cannot be read gives every default.
  const auto read = [&](const char* name, int def) {
    try {
      return store->ReadInteger(Section, name, def);
    } catch (const Exception&) {
      return def;
    }
  };
  TExtPanel& p = owner_;
  p.SetTop(read("Top", p.Top()));
  p.SetLeft(read("Left", p.Left()));
  p.SetHeight(read("Height", p.Height()));
  p.SetWidth(read("Width", p.Width()));
  p.SetCollaps(read("Collaps", 0) == 1);
  p.SetFullHeight(read("FullHeight", p.Height()));
}

// ---- TAutoSize -----------------------------------------------------------------------------

void TAutoSize::Assign(const TAutoSize& s) {
  Height = s.Height;
  Width = s.Width;
  SetEnabled(s.enabled_);
}

void TAutoSize::SetEnabled(bool v) {
  enabled_ = v;
  if (v) owner_.DoAutoSize();
}

void TExtPanel::DoAutoSize() {
  if (!autoSize_->Enabled()) return;
  const int bw = BevelWidth();
  const TRect r =
      Rect(0, 0, autoSize_->Width ? 65535 : Width() - 2 * bw, autoSize_->Height ? 65535 : Height() - 2 * bw);
  // One canvas for the whole step: each outside-paint canvas replaces the last.
  const TSize text = MeasureBody(Canvas(), r);
  if (autoSize_->Width) SetWidth(2 * bw + text.cx);
  if (autoSize_->Height) SetHeight((caption_->Visible() ? caption_->Height() : 0) + text.cy + 2 * bw);
  ArrangeGroup();
}
