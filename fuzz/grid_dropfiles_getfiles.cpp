// LIBS: grid_controls
// A file list dragged in as any bytes, read the way the grid's drop target
// reads it: names come back whole or not at all, and never crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

#include "grid/EsgDD.h"

namespace {

// Offers the fuzz bytes as its one CF_HDROP block.
class TBytesData : public IDataObject {
 public:
  explicit TBytesData(std::vector<std::uint8_t> b) : block_(std::move(b)) {}
  HRESULT GetData(const FORMATETC& f, STGMEDIUM& m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m.Block = block_;
    return S_OK;
  }
  HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC& f) override { return f.cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC; }
  HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC&) override { return E_NOTIMPL; }
  HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** out) override;

 private:
  std::vector<std::uint8_t> block_;
};

// Lists CF_TEXT (never served) and then CF_HDROP.
class TTwoFormats : public IEnumFORMATETC {
 public:
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count && at_ < 2; ++n) {
      out[n] = FORMATETC{};
      out[n].cfFormat = at_++ == 0 ? CF_TEXT : CF_HDROP;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT Reset() override {
    at_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC**) override { return E_NOTIMPL; }

 private:
  int at_ = 0;
};

HRESULT TBytesData::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
  *out = new TTwoFormats;
  (*out)->AddRef();
  return S_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TComPtr<TBytesData> object(new TBytesData(std::vector<std::uint8_t>(data, data + size)));
  TEnumFormats formats(object.Get());
  std::vector<AnsiString> names;
  if (!formats.HasFiles()) std::abort();
  formats.GetFiles(names);
  std::size_t total = 0;
  for (const AnsiString& name : names) {
    if (name.empty()) std::abort();
    total += name.size() + 1;
  }
  if (total > size || formats.Text() != "") std::abort();
  return 0;
}
