#pragma once
// The rich-text printer's page preview keeps each finished page as an
// Enhanced Metafile in a page file, "PreviewMetafile<n>", and with
// compression on as one zlib stream in "PreviewMetafile<n>.CPR"; pages are
// read back whenever they are drawn or printed. Each preview keeps its
// files in a private folder of its own, so two previews, or a file of the
// user's that happens to bear the name, never meet; closing deletes what
// the preview wrote and then the folder.

#include "platform/gfx/Metafile.h"
#include "platform/rtl/Classes.h"

// Copies one stream into another through zlib: compressing at the fastest
// level, or inflating in reads of 4,096 bytes. Damaged compressed data
// raises EReadError; the target then holds what was inflated before.
class TCompress {
 public:
  TCompress(TStream* source, TStream* target) : source_(source), target_(target) {}
  void Compress();
  void Decompress();

 private:
  TStream* source_;
  TStream* target_;
  unsigned char buffer_[4096];
};

class TPreviewPageFiles {
 public:
  explicit TPreviewPageFiles(bool compress);
  ~TPreviewPageFiles();
  TPreviewPageFiles(const TPreviewPageFiles&) = delete;
  TPreviewPageFiles& operator=(const TPreviewPageFiles&) = delete;

  bool Compressed() const { return compress_; }
  const AnsiString& Folder() const { return folder_; }
  // The file of page N (0-based) as it stays between writing and drawing.
  AnsiString PageName(int n) const;
  // False when the page file cannot be made (the caller says so and goes on).
  bool SavePage(int n, const TMetafile& page);
  // False, Page left empty, when the file is missing or does not hold a
  // metafile: such a page draws and prints nothing.
  bool LoadPage(int n, TMetafile& page) const;
  // Deletes every page file written, then the folder.
  void DeleteAll();
  int PagesWritten() const { return written_; }

 private:
  AnsiString PlainName(int n) const;
  bool compress_;
  AnsiString folder_;
  int written_ = 0;  // pages 0 .. written_ - 1 may have files
};

// Which pages the preview shows and where its arrows may go: one page, or
// four to a view, and as many again in the facing window when it is open.
struct TPreviewNavigation {
  int Current = 0;   // the first page shown, 0-based
  int LastPage = 0;  // the last page written
  bool Facing = false;
  bool FourUp = false;

  int PagesPerView() const { return (FourUp ? 4 : 1) * (Facing ? 2 : 1); }
  void Next();
  void Previous();
  void First() { Current = 0; }
  void Last();
  // A page number typed by the user (1-based); out of range or no number
  // changes nothing. With the facing window an even number is shown as
  // the right page of its pair; in four-up views the view that holds it.
  void GoTo(const AnsiString& typed);
  bool CanGoBack() const { return Current > 0; }
  bool CanGoOn() const { return Current + PagesPerView() - 1 < LastPage; }
  // "3", or "1-4" when several pages are shown.
  AnsiString PageLabel() const;
  // Sheets of four pages that a four-up print needs.
  int FourUpSheets() const { return (LastPage + 1 + 3) / 4; }
};

// The preview's zoom: a step added or taken away, never below 1.0.
struct TPreviewZoom {
  long double Zoom = 1.0L;
  long double Step = 0.25L;
  void In() { Zoom += Step; }
  void Out() { Zoom = Zoom - Step < 1.0L ? 1.0L : Zoom - Step; }
  void Reset() { Zoom = 1.0L; }
  bool CanZoomOut() const { return Zoom != 1.0L; }
  // The step as typed; a text that is no number makes it 0.1.
  void SetStepText(const AnsiString& text);
  // With three decimals, as the labels show it.
  static AnsiString Text(long double value);
};
