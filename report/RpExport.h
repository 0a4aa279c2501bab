#pragma once
// The interface every export filter offers a report run, and the library of
// filter classes the preview's save dialog lists.

#include <functional>
#include <memory>
#include <vector>

#include "platform/gfx/Graphics.h"
#include "platform/ui/Component.h"
#include "platform/ui/Controls.h"

class TRpPrintable;
class TRpCustomBand;
class TCustomBandRep;

class TRpExportFilter {
 public:
  explicit TRpExportFilter(const AnsiString& fileName) : FileName(fileName) {}
  virtual ~TRpExportFilter() = default;
  TRpExportFilter(const TRpExportFilter&) = delete;
  TRpExportFilter& operator=(const TRpExportFilter&) = delete;

  virtual AnsiString Description() { return "Abstract non-working export filter"; }
  virtual AnsiString Extension() { return {}; }
  virtual AnsiString FilterName() { return "Abstract filter"; }
  virtual AnsiString VendorName();
  // True when the output has no page length: the run never breaks pages.
  virtual bool IsContinuous() { return false; }
  // Paper in 0.1 mm and the report's font.
  virtual void Start(int paperWidth, int paperHeight, TFont* font);
  virtual void EndPage() {}
  virtual void Finish() { Active = false; }
  virtual void NewPage() {}
  // Positions are device pixels of the run.
  virtual void ControlOut(TRpPrintable* /*control*/, Extended /*x*/, Extended /*y*/) {}
  virtual void ExtraControlOut(TRpPrintable* /*control*/, Extended /*x*/, Extended /*y*/) {}
  virtual void BandOut(TRpCustomBand* /*band*/, Extended /*expanded*/, Extended /*x*/, Extended /*y*/) {}
  virtual void TextOut(Extended /*x*/, Extended /*y*/, TFont* /*font*/, TColor /*backgroundColor*/,
                       TAlignment /*alignment*/, const AnsiString& /*text*/) {}

  bool Active = false;
  AnsiString FileName;
  TCustomBandRep* Report = nullptr;
};

// A filter class: its name and its constructor taking the file name.
struct TRpExportFilterClass {
  AnsiString ClassName;
  std::function<std::unique_ptr<TRpExportFilter>(const AnsiString&)> Create;
};

template <class Filter>
TRpExportFilterClass RpFilterClass(const AnsiString& className) {
  return {className, [](const AnsiString& fileName) { return std::make_unique<Filter>(fileName); }};
}

struct TRpExportFilterLibraryEntry {
  TRpExportFilterClass FilterClass;
  AnsiString FilterName;
  AnsiString Extension;
};

class TRpExportFilterLibrary {
 public:
  // A class whose name is registered already is not added twice.
  void AddFilter(const TRpExportFilterClass& filterClass);
  // Removes the first entry of the same filter name.
  void RemoveFilter(const TRpExportFilterClass& filterClass);
  // Ignoring case; nil when none.
  TRpExportFilterLibraryEntry* FindByExtension(const AnsiString& ext);
  // The page file first, then each filter: "name (*.ext)|*.ext" pairs.
  AnsiString SaveDialogFilterString() const;
  const std::vector<std::unique_ptr<TRpExportFilterLibraryEntry>>& Filters() const { return filters_; }

 private:
  std::vector<std::unique_ptr<TRpExportFilterLibraryEntry>> filters_;
};

// The program's one library.
TRpExportFilterLibrary& RpExportFilterLibrary();

// A component on a form that offers its filter class in the save dialog
// while it exists; the spreadsheet and RTF filter components are these.
class TRpFilterComponent : public TComponent {
 public:
  TRpFilterComponent(TComponent* owner, TRpExportFilterClass filterClass);
  ~TRpFilterComponent() override;

 private:
  TRpExportFilterClass filterClass_;
};

enum TPrevSaveType { stRPP, stPDF, stXL, stHTML, stRTF, stCSV, stASCII, stXML };
AnsiString SaveTypeExtension(TPrevSaveType type);

// The page file's description in the save dialog and the filters' maker.
AnsiString RpPageFileDescription();
AnsiString RpVendorName();
