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
