#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/rtl/SysUtils.h"
#include "printing/RichPreview.h"

void TPreviewNavigation::Next() { Current = std::min(Current + PagesPerView(), LastPage); }

void TPreviewNavigation::Previous() { Current = std::max(Current - PagesPerView(), 0); }

void TPreviewNavigation::Last() {
  if (FourUp && Facing)
    Current = LastPage / 8 * 8;
  else if (Facing)
    Current = LastPage / 2 * 2;
  else
    Current = LastPage;
}

void TPreviewNavigation::GoTo(const AnsiString& typed) {
  int page = 0;
  if (!TryStrToInt(Trim(typed), page) || page < 1 || page > LastPage + 1) return;
  const int index = page - 1;
  Current = index / PagesPerView() * PagesPerView();
}

AnsiString TPreviewNavigation::PageLabel() const {
  const int last = std::min(Current + PagesPerView(), LastPage + 1);
  if (last <= Current + 1) return IntToStr(Current + 1);
  return IntToStr(Current + 1) + "-" + IntToStr(last);
}

void TPreviewZoom::SetStepText(const AnsiString& text) {
  AnsiString t = Trim(text);
  for (char& c : t)
    if (c == ',') c = '.';
  long double value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  Step = t.empty() || ec != std::errc() || end != t.data() + t.size() ? 0.1L : value;
}

AnsiString TPreviewZoom::Text(long double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3Lf", value);
  return buffer;
}
