#pragma once
// The binder of the platform's visual-style (theme) library: at start-up it
// loads the library by name and binds its entry points into process-wide
// pointers; every themed drawing path asks ThemeLibraryLoaded() (or tests
// its pointer) first and otherwise draws on its own. This system has no
// theme library, so the default loader finds none and every caller takes
// its plain path; tests hand in a loader of their own.
//
// Types follow the platform's declarations; the device context is the
// canvas drawn on. (The platform calls these with its standard calling
// convention; on this system there is only one.)

#include <cstdint>
#include <type_traits>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Windows.h"

using HTHEME = void*;
using HRESULT = std::int32_t;
using HDC = TCanvas*;
using HRGN = void*;
using HBRUSH = void*;
using HIMAGELIST = void*;
using COLORREF = DWORD;
using LPCWSTR = const char16_t*;
using LPWSTR = char16_t*;
using RECT = TRect;
using POINT = TPoint;

struct LOGFONTW {
  std::int32_t lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
  std::uint8_t lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality,
      lfPitchAndFamily;
  char16_t lfFaceName[32];
};
struct TEXTMETRICW {
  std::int32_t tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading, tmAveCharWidth,
      tmMaxCharWidth, tmWeight, tmOverhang, tmDigitizedAspectX, tmDigitizedAspectY;
  char16_t tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
  std::uint8_t tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
};
struct MARGINS {
  int cxLeftWidth, cxRightWidth, cyTopHeight, cyBottomHeight;
};
struct INTLIST {
  int iValueCount;
  int iValues[402];
};

// ---- the bound entry points, nil until bound ----------------------------------

extern HTHEME (*OpenThemeData)(HWND hwnd, LPCWSTR pszClassList);
extern HRESULT (*CloseThemeData)(HTHEME hTheme);
extern HRESULT (*DrawThemeBackground)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                      const RECT* pClipRect);
extern HRESULT (*DrawThemeText)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                                int iCharCount, DWORD dwTextFlags, DWORD dwTextFlags2, const RECT* pRect);
extern HRESULT (*GetThemeBackgroundContentRect)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                                const RECT* pBoundingRect, RECT* pContentRect);
extern HRESULT (*GetThemeBackgroundExtent)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                           const RECT* pContentRect, RECT* pExtentRect);
extern HRESULT (*GetThemeTextExtent)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText,
                                     int iCharCount, DWORD dwTextFlags, const RECT* pBoundingRect,
                                     RECT* pExtentRect);
extern HRESULT (*GetThemeTextMetrics)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, TEXTMETRICW* ptm);
extern HRESULT (*GetThemeBackgroundRegion)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId,
                                           const RECT* pRect, HRGN* pRegion);
extern HRESULT (*HitTestThemeBackground)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, DWORD dwOptions,
                                         const RECT* pRect, HRGN hrgn, POINT ptTest, Word* pwHitTestCode);
extern HRESULT (*DrawThemeEdge)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pDestRect,
                                UINT uEdge, UINT uFlags, RECT* pContentRect);
extern HRESULT (*DrawThemeIcon)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                HIMAGELIST himl, int iImageIndex);
extern BOOL (*IsThemePartDefined)(HTHEME hTheme, int iPartId, int iStateId);
extern BOOL (*IsThemeBackgroundPartiallyTransparent)(HTHEME hTheme, int iPartId, int iStateId);
extern HRESULT (*GetThemeColor)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor);
extern HRESULT (*GetThemeMetric)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, int* piVal);
extern HRESULT (*GetThemeString)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, LPWSTR pszBuff,
                                 int cchMaxBuffChars);
extern HRESULT (*GetThemeBool)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, BOOL* pfVal);
extern HRESULT (*GetThemeInt)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, int* piVal);
extern HRESULT (*GetThemeEnumValue)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, int* piVal);
extern HRESULT (*GetThemePosition)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, POINT* pPoint);
extern HRESULT (*GetThemeFont)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId,
                               LOGFONTW* pFont);
extern HRESULT (*GetThemeRect)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, RECT* pRect);
extern HRESULT (*GetThemeMargins)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, RECT* prc,
                                  MARGINS* pMargins);
extern HRESULT (*GetThemeIntList)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, INTLIST* pIntList);
extern HRESULT (*SetWindowTheme)(HWND hwnd, LPCWSTR pszSubAppName, LPCWSTR pszSubIdList);
extern HRESULT (*GetThemeFilename)(HTHEME hTheme, int iPartId, int iStateId, int iPropId,
                                   LPWSTR pszThemeFileName, int cchMaxBuffChars);
extern COLORREF (*GetThemeSysColor)(HTHEME hTheme, int iColorId);
extern HBRUSH (*GetThemeSysColorBrush)(HTHEME hTheme, int iColorId);
extern BOOL (*GetThemeSysBool)(HTHEME hTheme, int iBoolId);
extern int (*GetThemeSysSize)(HTHEME hTheme, int iSizeId);
extern HRESULT (*GetThemeSysFont)(HTHEME hTheme, int iFontId, LOGFONTW* plf);
extern HRESULT (*GetThemeSysString)(HTHEME hTheme, int iStringId, LPWSTR pszStringBuff,
                                    int cchMaxStringChars);
extern HRESULT (*GetThemeSysInt)(HTHEME hTheme, int iIntId, int* piValue);
extern BOOL (*IsThemeActive)();
extern BOOL (*IsAppThemed)();
extern HTHEME (*GetWindowTheme)(HWND hwnd);
extern HRESULT (*EnableThemeDialogTexture)(HWND hwnd, DWORD dwFlags);
extern BOOL (*IsThemeDialogTextureEnabled)(HWND hwnd);
extern DWORD (*GetThemeAppProperties)();
extern void (*SetThemeAppProperties)(DWORD dwFlags);
extern HRESULT (*GetCurrentThemeName)(LPWSTR pszThemeFileName, int cchMaxNameChars, LPWSTR pszColorBuff,
                                      int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars);
extern HRESULT (*GetThemeDocumentationProperty)(LPCWSTR pszThemeName, LPCWSTR pszPropertyName,
                                                LPWSTR pszValueBuff, int cchMaxValChars);
extern HRESULT (*DrawThemeParentBackground)(HWND hwnd, HDC hdc, RECT* prc);
extern HRESULT (*EnableTheming)(BOOL fEnable);

// ---- loading ------------------------------------------------------------------

// The name the library is loaded by.
inline constexpr const char* ThemeLibraryName = "UXTHEME.DLL";

// How the library is found: Open gives a handle (null when absent), Lookup
// an entry point by name (null when missing), Close frees the handle.
struct TThemeLibraryLoader {
  void* (*Open)(const char* name) = nullptr;
  void* (*Lookup)(void* library, const char* name) = nullptr;
  void (*Close)(void* library) = nullptr;
};
// The system's loader: there is no theme library here, so it finds none.
TThemeLibraryLoader SystemThemeLibraryLoader();
// Replaces the loader for the next load (tests); the system's by default.
void SetThemeLibraryLoader(const TThemeLibraryLoader& loader);

// The names bound, in binding order: the grid's set is the head and the
// tail; the panel's (APXPVS) has GetThemePartSize between them.
#define DIM_THEME_ENTRY_POINTS_HEAD(X)     \
  X(OpenThemeData)                         \
  X(CloseThemeData)                        \
  X(DrawThemeBackground)                   \
  X(DrawThemeText)                         \
  X(GetThemeBackgroundContentRect)         \
  X(GetThemeBackgroundExtent)              \
  X(GetThemeTextExtent)                    \
  X(GetThemeTextMetrics)                   \
  X(GetThemeBackgroundRegion)              \
  X(HitTestThemeBackground)                \
  X(DrawThemeEdge)                         \
  X(DrawThemeIcon)                         \
  X(IsThemePartDefined)                    \
  X(IsThemeBackgroundPartiallyTransparent) \
  X(GetThemeColor)                         \
  X(GetThemeMetric)                        \
  X(GetThemeString)                        \
  X(GetThemeBool)                          \
  X(GetThemeInt)                           \
  X(GetThemeEnumValue)                     \
  X(GetThemePosition)                      \
  X(GetThemeFont)                          \
  X(GetThemeRect)                          \
  X(GetThemeMargins)                       \
  X(GetThemeIntList)                       \
  X(SetWindowTheme)                        \
  X(GetThemeFilename)                      \
  X(GetThemeSysColor)                      \
  X(GetThemeSysColorBrush)                 \
  X(GetThemeSysBool)                       \
  X(GetThemeSysSize)                       \
  X(GetThemeSysFont)                       \
  X(GetThemeSysString)                     \
  X(GetThemeSysInt)                        \
  X(IsThemeActive)                         \
  X(IsAppThemed)                           \
  X(GetWindowTheme)                        \
  X(EnableThemeDialogTexture)              \
  X(IsThemeDialogTextureEnabled)           \
  X(GetThemeAppProperties)                 \
  X(SetThemeAppProperties)                 \
  X(GetCurrentThemeName)                   \
  X(GetThemeDocumentationProperty)
#define DIM_THEME_ENTRY_POINTS_TAIL(X) \
  X(DrawThemeParentBackground)         \
  X(EnableTheming)

// One named entry point and how to store its address (nullptr unbinds).
struct TThemeEntryPoint {
  const char* Name;
  void (*Bind)(void* address);
};
template <auto& Pointer>
void BindThemeEntryPoint(void* address) {
  Pointer = reinterpret_cast<std::remove_reference_t<decltype(Pointer)>>(address);
}
// The table entry of the pointer Name.
#define DIM_THEME_ENTRY(Name) {#Name, &BindThemeEntryPoint<Name>},

// A set of entry points bound from the theme library through the loader
// (SetThemeLibraryLoader). Start-up and shutdown may run more than once: the
// first start-up loads and binds, the matching last shutdown frees. A
// library that lacks any of the names is freed again and counts as absent:
// all pointers stay nil.
class TThemeBinding {
 public:
  TThemeBinding(const TThemeEntryPoint* entries, int count) : entries_(entries), count_(count) {}
  void Init();
  void Free();
  bool Loaded() const { return loaded_; }

 private:
  void Unbind();
  const TThemeEntryPoint* entries_;
  int count_;
  bool loaded_ = false;
  void* library_ = nullptr;
  int references_ = 0;
};

// Start-up and shutdown may run more than once: the first start-up loads
// and binds, the matching last shutdown frees. A library that lacks any of
// the 45 names is freed again and counts as absent: all pointers stay nil.
void InitThemeLibrary();
void FreeThemeLibrary();
// True while the library is loaded and all its entry points bound.
bool ThemeLibraryLoaded();
// The themed look of a control: the library is loaded and says a theme is
// active.
bool ThemedLookActive();

// Draws Part in State of the theme class ClassName into Rect of Canvas;
// false, drawing nothing, when no theme is active, so that the caller
// draws its own look instead.
bool DrawThemedPart(HWND Window, LPCWSTR ClassName, TCanvas& Canvas, int Part, int State, const TRect& Rect);

// The themed push button drawn by hand, for a control asked to look themed
// where no theme draws it: a rounded frame round a light face that darkens
// when pressed (State 3) and takes a warm rim under the mouse (State 2).
void DrawOwnThemedButton(TCanvas& Canvas, const TRect& Rect, int State, bool Enabled);
// The arrow of a themed drop-down or spin button drawn by hand: a small
// solid triangle in the themed arrow colour, centred in Rect, pointing
// Direction (DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT or
// DFCS_SCROLLRIGHT), pale when not Enabled.
void DrawOwnThemedArrow(TCanvas& Canvas, const TRect& Rect, unsigned Direction, bool Enabled);
