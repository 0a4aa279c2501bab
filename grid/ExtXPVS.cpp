// Loading the theme library and binding its entry points by name.

#include "grid/ExtXPVS.h"

#include <algorithm>
#include <iterator>

#include "platform/gfx/FrameControls.h"

HTHEME (*OpenThemeData)(HWND, LPCWSTR) = nullptr;
HRESULT (*CloseThemeData)(HTHEME) = nullptr;
HRESULT (*DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
HRESULT (*DrawThemeText)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
HRESULT (*GetThemeBackgroundContentRect)(HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
HRESULT (*GetThemeBackgroundExtent)(HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
HRESULT (*GetThemeTextExtent)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, const RECT*, RECT*) = nullptr;
HRESULT (*GetThemeTextMetrics)(HTHEME, HDC, int, int, TEXTMETRICW*) = nullptr;
HRESULT (*GetThemeBackgroundRegion)(HTHEME, HDC, int, int, const RECT*, HRGN*) = nullptr;
HRESULT (*HitTestThemeBackground)(HTHEME, HDC, int, int, DWORD, const RECT*, HRGN, POINT, Word*) = nullptr;
HRESULT (*DrawThemeEdge)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*) = nullptr;
HRESULT (*DrawThemeIcon)(HTHEME, HDC, int, int, const RECT*, HIMAGELIST, int) = nullptr;
BOOL (*IsThemePartDefined)(HTHEME, int, int) = nullptr;
BOOL (*IsThemeBackgroundPartiallyTransparent)(HTHEME, int, int) = nullptr;
HRESULT (*GetThemeColor)(HTHEME, int, int, int, COLORREF*) = nullptr;
HRESULT (*GetThemeMetric)(HTHEME, HDC, int, int, int, int*) = nullptr;
HRESULT (*GetThemeString)(HTHEME, int, int, int, LPWSTR, int) = nullptr;
HRESULT (*GetThemeBool)(HTHEME, int, int, int, BOOL*) = nullptr;
HRESULT (*GetThemeInt)(HTHEME, int, int, int, int*) = nullptr;
HRESULT (*GetThemeEnumValue)(HTHEME, int, int, int, int*) = nullptr;
HRESULT (*GetThemePosition)(HTHEME, int, int, int, POINT*) = nullptr;
HRESULT (*GetThemeFont)(HTHEME, HDC, int, int, int, LOGFONTW*) = nullptr;
HRESULT (*GetThemeRect)(HTHEME, int, int, int, RECT*) = nullptr;
HRESULT (*GetThemeMargins)(HTHEME, HDC, int, int, int, RECT*, MARGINS*) = nullptr;
HRESULT (*GetThemeIntList)(HTHEME, int, int, int, INTLIST*) = nullptr;
HRESULT (*SetWindowTheme)(HWND, LPCWSTR, LPCWSTR) = nullptr;
HRESULT (*GetThemeFilename)(HTHEME, int, int, int, LPWSTR, int) = nullptr;
COLORREF (*GetThemeSysColor)(HTHEME, int) = nullptr;
HBRUSH (*GetThemeSysColorBrush)(HTHEME, int) = nullptr;
BOOL (*GetThemeSysBool)(HTHEME, int) = nullptr;
int (*GetThemeSysSize)(HTHEME, int) = nullptr;
HRESULT (*GetThemeSysFont)(HTHEME, int, LOGFONTW*) = nullptr;
HRESULT (*GetThemeSysString)(HTHEME, int, LPWSTR, int) = nullptr;
HRESULT (*GetThemeSysInt)(HTHEME, int, int*) = nullptr;
BOOL (*IsThemeActive)() = nullptr;
BOOL (*IsAppThemed)() = nullptr;
HTHEME (*GetWindowTheme)(HWND) = nullptr;
HRESULT (*EnableThemeDialogTexture)(HWND, DWORD) = nullptr;
BOOL (*IsThemeDialogTextureEnabled)(HWND) = nullptr;
DWORD (*GetThemeAppProperties)() = nullptr;
void (*SetThemeAppProperties)(DWORD) = nullptr;
HRESULT (*GetCurrentThemeName)(LPWSTR, int, LPWSTR, int, LPWSTR, int) = nullptr;
HRESULT (*GetThemeDocumentationProperty)(LPCWSTR, LPCWSTR, LPWSTR, int) = nullptr;
HRESULT (*DrawThemeParentBackground)(HWND, HDC, RECT*) = nullptr;
HRESULT (*EnableTheming)(BOOL) = nullptr;

namespace {

constexpr TThemeEntryPoint kEntryPoints[] = {DIM_THEME_ENTRY_POINTS_HEAD(DIM_THEME_ENTRY)
                                                 DIM_THEME_ENTRY_POINTS_TAIL(DIM_THEME_ENTRY)};

void* NoLibrary(const char*) { return nullptr; }
void* NoEntryPoint(void*, const char*) { return nullptr; }
void NothingToClose(void*) {}

TThemeLibraryLoader g_loader{&NoLibrary, &NoEntryPoint, &NothingToClose};

TThemeBinding& Binding() {
  static TThemeBinding binding(kEntryPoints, static_cast<int>(std::size(kEntryPoints)));
  return binding;
}

// The unit's start-up and shutdown.
struct ThemeUnit {
  ThemeUnit() { InitThemeLibrary(); }
  ~ThemeUnit() { FreeThemeLibrary(); }
} g_unit;

}  // namespace

void TThemeBinding::Unbind() {
  for (int i = 0; i < count_; ++i) entries_[i].Bind(nullptr);
}

void TThemeBinding::Init() {
  if (references_++ != 0 || loaded_ || !g_loader.Open) return;
  void* library = g_loader.Open(ThemeLibraryName);
  if (!library) return;
  for (int i = 0; i < count_; ++i) {
    void* address = g_loader.Lookup ? g_loader.Lookup(library, entries_[i].Name) : nullptr;
    if (!address) {
      // A library from another version of the system: no themes rather
      // than a half-bound set of pointers.
      Unbind();
      if (g_loader.Close) g_loader.Close(library);
      return;
    }
    entries_[i].Bind(address);
  }
  library_ = library;
  loaded_ = true;
}

void TThemeBinding::Free() {
  if (references_ == 0 || --references_ != 0 || !loaded_) return;
  Unbind();
  if (g_loader.Close) g_loader.Close(library_);
  library_ = nullptr;
  loaded_ = false;
}

TThemeLibraryLoader SystemThemeLibraryLoader() { return {&NoLibrary, &NoEntryPoint, &NothingToClose}; }

void SetThemeLibraryLoader(const TThemeLibraryLoader& loader) { g_loader = loader; }

void InitThemeLibrary() { Binding().Init(); }

void FreeThemeLibrary() { Binding().Free(); }

bool ThemeLibraryLoaded() { return Binding().Loaded(); }

bool ThemedLookActive() { return ThemeLibraryLoaded() && IsThemeActive && IsThemeActive() != 0; }

bool DrawThemedPart(HWND Window, LPCWSTR ClassName, TCanvas& Canvas, int Part, int State, const TRect& Rect) {
  if (!ThemedLookActive()) return false;
  HTHEME theme = OpenThemeData(Window, ClassName);
  if (!theme) return false;
  DrawThemeBackground(theme, &Canvas, Part, State, &Rect, nullptr);
  CloseThemeData(theme);
  return true;
}

void DrawOwnThemedButton(TCanvas& Canvas, const TRect& Rect, int State, bool Enabled) {
  if (Rect.Width() < 4 || Rect.Height() < 4) return;
  const bool pressed = State == 3, hot = State == 2 && Enabled;
  // The face shades from its top colour to its bottom one, row by row.
  const TColor top = !Enabled ? RGB(245, 244, 234) : pressed ? RGB(209, 204, 193) : RGB(255, 255, 255);
  const TColor bottom = !Enabled ? RGB(245, 244, 234) : pressed ? RGB(236, 235, 230) : RGB(214, 208, 197);
  const TBrush savedBrush = *Canvas.Brush;
  const TPen savedPen = *Canvas.Pen;
  Canvas.Brush->Style = bsSolid;
  const int rows = Rect.Height() - 2;
  for (int y = 0; y < rows; ++y) {
    auto mix = [&](int shift) {
      const int a = (top >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
      return a + (b - a) * y / std::max(1, rows - 1);
    };
    Canvas.Brush->Color = static_cast<TColor>(mix(0) | mix(8) << 8 | mix(16) << 16);
    Canvas.FillRect({Rect.Left + 1, Rect.Top + 1 + y, Rect.Right - 1, Rect.Top + 2 + y});
  }
  if (hot) {
    Canvas.Brush->Color = RGB(248, 179, 48);
    Canvas.FrameRect(InflateRect(Rect, -1, -1));
  }
  Canvas.Brush->Style = bsClear;
  Canvas.Pen->Style = psSolid;
  Canvas.Pen->Width = 1;
  Canvas.Pen->Color = Enabled ? RGB(0, 60, 116) : RGB(201, 199, 186);
  Canvas.RoundRect(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, 5, 5);
  Canvas.Brush->Assign(savedBrush);
  Canvas.Pen->Assign(savedPen);
}

void DrawOwnThemedArrow(TCanvas& Canvas, const TRect& Rect, unsigned Direction, bool Enabled) {
  // Four rows of 7, 5, 3 and 1 pixels, laid along the way the arrow points.
  constexpr int kDepth = 4;
  const bool vertical = Direction == DFCS_SCROLLUP || Direction == DFCS_SCROLLDOWN;
  const bool towardsStart = Direction == DFCS_SCROLLUP || Direction == DFCS_SCROLLLEFT;
  const int across = 2 * kDepth - 1;
  const int w = vertical ? across : kDepth, h = vertical ? kDepth : across;
  const int left = Rect.Left + (Rect.Width() - w) / 2, top = Rect.Top + (Rect.Height() - h) / 2;
  const TBrush savedBrush = *Canvas.Brush;
  Canvas.Brush->Style = bsSolid;
  Canvas.Brush->Color = Enabled ? RGB(77, 97, 133) : RGB(201, 199, 186);
  for (int step = 0; step < kDepth; ++step) {
    // Step 0 is the arrow's broad base, the last its point.
    const int at = towardsStart ? kDepth - 1 - step : step;
    const TRect line = vertical ? TRect{left + step, top + at, left + across - step, top + at + 1}
                                : TRect{left + at, top + step, left + at + 1, top + across - step};
    Canvas.FillRect(IntersectRect(line, Rect));
  }
  Canvas.Brush->Assign(savedBrush);
}
