// Loading the theme library and binding its entry points by name.

#include "grid/ThemeApi.h"

#include <type_traits>

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

template <auto& Pointer>
void BindTo(void* address) {
  Pointer = reinterpret_cast<std::remove_reference_t<decltype(Pointer)>>(address);
}

struct EntryPoint {
  const char* name;
  void (*bind)(void*);
};

#define DIM_ENTRY(Name) \
  { #Name, &BindTo < Name> }
constexpr EntryPoint kEntryPoints[45] = {
    DIM_ENTRY(OpenThemeData),
    DIM_ENTRY(CloseThemeData),
    DIM_ENTRY(DrawThemeBackground),
    DIM_ENTRY(DrawThemeText),
    DIM_ENTRY(GetThemeBackgroundContentRect),
    DIM_ENTRY(GetThemeBackgroundExtent),
    DIM_ENTRY(GetThemeTextExtent),
    DIM_ENTRY(GetThemeTextMetrics),
    DIM_ENTRY(GetThemeBackgroundRegion),
    DIM_ENTRY(HitTestThemeBackground),
    DIM_ENTRY(DrawThemeEdge),
    DIM_ENTRY(DrawThemeIcon),
    DIM_ENTRY(IsThemePartDefined),
    DIM_ENTRY(IsThemeBackgroundPartiallyTransparent),
    DIM_ENTRY(GetThemeColor),
    DIM_ENTRY(GetThemeMetric),
    DIM_ENTRY(GetThemeString),
    DIM_ENTRY(GetThemeBool),
    DIM_ENTRY(GetThemeInt),
    DIM_ENTRY(GetThemeEnumValue),
    DIM_ENTRY(GetThemePosition),
    DIM_ENTRY(GetThemeFont),
    DIM_ENTRY(GetThemeRect),
    DIM_ENTRY(GetThemeMargins),
    DIM_ENTRY(GetThemeIntList),
    DIM_ENTRY(SetWindowTheme),
    DIM_ENTRY(GetThemeFilename),
    DIM_ENTRY(GetThemeSysColor),
    DIM_ENTRY(GetThemeSysColorBrush),
    DIM_ENTRY(GetThemeSysBool),
    DIM_ENTRY(GetThemeSysSize),
    DIM_ENTRY(GetThemeSysFont),
    DIM_ENTRY(GetThemeSysString),
    DIM_ENTRY(GetThemeSysInt),
    DIM_ENTRY(IsThemeActive),
    DIM_ENTRY(IsAppThemed),
    DIM_ENTRY(GetWindowTheme),
    DIM_ENTRY(EnableThemeDialogTexture),
    DIM_ENTRY(IsThemeDialogTextureEnabled),
    DIM_ENTRY(GetThemeAppProperties),
    DIM_ENTRY(SetThemeAppProperties),
    DIM_ENTRY(GetCurrentThemeName),
    DIM_ENTRY(GetThemeDocumentationProperty),
    DIM_ENTRY(DrawThemeParentBackground),
    DIM_ENTRY(EnableTheming),
};
#undef DIM_ENTRY

void* NoLibrary(const char*) { return nullptr; }
void* NoEntryPoint(void*, const char*) { return nullptr; }
void NothingToClose(void*) {}

TThemeLibraryLoader g_loader{&NoLibrary, &NoEntryPoint, &NothingToClose};
bool g_loaded = false;
void* g_library = nullptr;
int g_references = 0;

void UnbindAll() {
  for (const EntryPoint& entry : kEntryPoints) entry.bind(nullptr);
}

void Load() {
  if (g_loaded || !g_loader.Open) return;
  void* library = g_loader.Open(ThemeLibraryName);
  if (!library) return;
  for (const EntryPoint& entry : kEntryPoints) {
    void* address = g_loader.Lookup ? g_loader.Lookup(library, entry.name) : nullptr;
    if (!address) {
      // A library from another version of the system: no themes rather
      // than a half-bound set of pointers.
      UnbindAll();
      if (g_loader.Close) g_loader.Close(library);
      return;
    }
    entry.bind(address);
  }
  g_library = library;
  g_loaded = true;
}

void Unload() {
  if (!g_loaded) return;
  UnbindAll();
  if (g_loader.Close) g_loader.Close(g_library);
  g_library = nullptr;
  g_loaded = false;
}

// The unit's start-up and shutdown.
struct ThemeUnit {
  ThemeUnit() { InitThemeLibrary(); }
  ~ThemeUnit() { FreeThemeLibrary(); }
} g_unit;

}  // namespace

TThemeLibraryLoader SystemThemeLibraryLoader() { return {&NoLibrary, &NoEntryPoint, &NothingToClose}; }

void SetThemeLibraryLoader(const TThemeLibraryLoader& loader) { g_loader = loader; }

void InitThemeLibrary() {
  if (g_references++ == 0) Load();
}

void FreeThemeLibrary() {
  if (g_references == 0) return;
  if (--g_references == 0) Unload();
}

bool ThemeLibraryLoaded() { return g_loaded; }

bool ThemedLookActive() { return g_loaded && IsThemeActive && IsThemeActive() != 0; }
