#include "report/RpExport.h"

#include <algorithm>

#include "platform/rtl/Cp1253.h"

AnsiString RpPageFileDescription() { return "Σελίδες αναφοράς "_a; }
AnsiString RpVendorName() { return "Μηχανή αναφορών του προγράμματος"_a; }

AnsiString TRpExportFilter::VendorName() { return RpVendorName(); }

void TRpExportFilter::Start(int, int, TFont*) { Active = true; }

void TRpExportFilterLibrary::AddFilter(const TRpExportFilterClass& filterClass) {
  auto entry = std::make_unique<TRpExportFilterLibraryEntry>();
  {
    std::unique_ptr<TRpExportFilter> probe = filterClass.Create("");
    entry->FilterClass = filterClass;
    entry->FilterName = probe->FilterName();
    entry->Extension = probe->Extension();
  }
  for (const auto& e : filters_)
    if (e->FilterClass.ClassName == filterClass.ClassName) return;
  filters_.push_back(std::move(entry));
}

void TRpExportFilterLibrary::RemoveFilter(const TRpExportFilterClass& filterClass) {
  std::unique_ptr<TRpExportFilter> probe = filterClass.Create("");
  const AnsiString name = probe->FilterName();
  auto it =
      std::find_if(filters_.begin(), filters_.end(), [&](const auto& e) { return e->FilterName == name; });
  if (it != filters_.end()) filters_.erase(it);
}

TRpExportFilterLibraryEntry* TRpExportFilterLibrary::FindByExtension(const AnsiString& ext) {
  for (const auto& e : filters_)
    if (SameText(e->Extension, ext)) return e.get();
  return nullptr;
}

AnsiString TRpExportFilterLibrary::SaveDialogFilterString() const {
  AnsiString result = RpPageFileDescription() + "(*." + "RPP" + ")|*." + "RPP";
  for (const auto& e : filters_)
    result += "|" + e->FilterName + " (*." + e->Extension + ")|*." + e->Extension;
  return result;
}

TRpExportFilterLibrary& RpExportFilterLibrary() {
  static TRpExportFilterLibrary library;
  return library;
}

TRpFilterComponent::TRpFilterComponent(TComponent* owner, TRpExportFilterClass filterClass)
    : TComponent(owner), filterClass_(std::move(filterClass)) {
  RpExportFilterLibrary().AddFilter(filterClass_);
}

TRpFilterComponent::~TRpFilterComponent() { RpExportFilterLibrary().RemoveFilter(filterClass_); }

AnsiString SaveTypeExtension(TPrevSaveType type) {
  static const char* const ext[] = {".RPP", ".PDF", ".XLS", ".HTML", ".RTF", ".CSV", ".TXT", ".XML"};
  const int i = static_cast<int>(type);
  return (i >= 0 && i < 8) ? ext[i] : "";
}
