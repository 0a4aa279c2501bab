#include <stdlib.h>
#include <zlib.h>

#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"
#include "printing/RichPreview.h"

void TCompress::Compress() {
  z_stream z{};
  if (deflateInit(&z, Z_BEST_SPEED) != Z_OK) throw EWriteError("Stream write error");
  unsigned char out[4096];
  int flush = Z_NO_FLUSH;
  try {
    do {
      const int n = source_->Read(buffer_, sizeof buffer_);
      flush = n == 0 ? Z_FINISH : Z_NO_FLUSH;
      z.next_in = buffer_;
      z.avail_in = static_cast<uInt>(n);
      do {
        z.next_out = out;
        z.avail_out = sizeof out;
        deflate(&z, flush);
        target_->WriteBuffer(out, static_cast<int>(sizeof out - z.avail_out));
      } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
  } catch (...) {
    deflateEnd(&z);
    throw;
  }
  deflateEnd(&z);
}

void TCompress::Decompress() {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw EReadError("Stream read error");
  unsigned char out[4096];
  int status = Z_OK;
  try {
    while (status != Z_STREAM_END) {
      const int n = source_->Read(buffer_, sizeof buffer_);
      if (n == 0) throw EReadError("Compressed page is truncated");
      z.next_in = buffer_;
      z.avail_in = static_cast<uInt>(n);
      while (z.avail_in > 0 && status != Z_STREAM_END) {
        z.next_out = out;
        z.avail_out = sizeof out;
        status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) throw EReadError("Compressed page is damaged");
        target_->WriteBuffer(out, static_cast<int>(sizeof out - z.avail_out));
      }
    }
  } catch (...) {
    inflateEnd(&z);
    throw;
  }
  inflateEnd(&z);
}

TPreviewPageFiles::TPreviewPageFiles(bool compress) : compress_(compress) {
  std::string pattern = DiskFileName(GetTempDir()) + "preview.XXXXXX";
  if (!::mkdtemp(pattern.data())) throw EInOutError("Cannot create a folder for the preview pages");
  folder_ = IncludeTrailingPathDelimiter(cp1253::FromUtf8(pattern));
}

TPreviewPageFiles::~TPreviewPageFiles() { DeleteAll(); }

AnsiString TPreviewPageFiles::PlainName(int n) const { return folder_ + "PreviewMetafile" + IntToStr(n); }

AnsiString TPreviewPageFiles::PageName(int n) const { return PlainName(n) + (compress_ ? ".CPR" : ""); }

bool TPreviewPageFiles::SavePage(int n, const TMetafile& page) {
  if (folder_.empty()) return false;
  written_ = std::max(written_, n + 1);
  try {
    {
      TFileStream plain(PlainName(n), fmCreate);
      page.SaveToStream(plain);
    }
    if (!compress_) return true;
    {
      TFileStream plain(PlainName(n), fmOpenRead);
      TFileStream packed(PageName(n), fmCreate);
      TCompress(&plain, &packed).Compress();
    }
    DeleteFile(PlainName(n));
    return true;
  } catch (const Exception&) {
    DeleteFile(PlainName(n));
    DeleteFile(PageName(n));
    return false;
  }
}

bool TPreviewPageFiles::LoadPage(int n, TMetafile& page) const {
  page.Clear();
  if (!FileExists(PageName(n))) return false;
  try {
    if (compress_) {
      {
        TFileStream packed(PageName(n), fmOpenRead);
        TFileStream plain(PlainName(n), fmCreate);
        TCompress(&packed, &plain).Decompress();
      }
      TFileStream plain(PlainName(n), fmOpenRead);
      page.LoadFromStream(plain);
    } else {
      TFileStream plain(PlainName(n), fmOpenRead);
      page.LoadFromStream(plain);
    }
  } catch (const Exception&) {
    page.Clear();
  }
  if (compress_) DeleteFile(PlainName(n));
  return !page.Empty();
}

void TPreviewPageFiles::DeleteAll() {
  if (folder_.empty()) return;
  for (int n = 0; n < written_; ++n) {
    DeleteFile(PlainName(n));
    DeleteFile(PlainName(n) + ".CPR");
  }
  RemoveDir(ExcludeTrailingPathDelimiter(folder_));
  folder_.clear();
  written_ = 0;
}
