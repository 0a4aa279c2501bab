#pragma once
// A data object as another program would offer it, for tests and fuzzing:
// byte blocks by format, listed by an enumerator. A counter, when given,
// follows the objects alive, so a test sees a reference kept too long.

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/ui/DragDrop.h"

class TBlockEnum : public IEnumFORMATETC {
 public:
  explicit TBlockEnum(std::vector<UINT> formats, int* live = nullptr)
      : formats_(std::move(formats)), live_(live) {
    if (live_) ++*live_;
  }
  ~TBlockEnum() override {
    if (live_) --*live_;
  }
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    ULONG n = 0;
    for (; n < count && index_ < formats_.size(); ++n) {
      out[n] = FORMATETC{};
      out[n].cfFormat = formats_[index_++];
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    index_ = std::min<std::size_t>(formats_.size(), index_ + count);
    return S_OK;
  }
  HRESULT Reset() override {
    index_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** out) override {
    *out = new TBlockEnum(formats_, live_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  std::vector<UINT> formats_;
  int* live_;
  std::size_t index_ = 0;
};

class TBlockData : public IDataObject {
 public:
  explicit TBlockData(int* live = nullptr) : live_(live) {
    if (live_) ++*live_;
  }
  ~TBlockData() override {
    if (live_) --*live_;
  }
  std::map<UINT, std::vector<std::uint8_t>> Blocks;
  // What the enumerator lists (empty: the formats of Blocks); a format listed
  // without a block is refused when asked for.
  std::vector<UINT> Listed;
  bool GivesEnumerator = true;

  HRESULT GetData(const FORMATETC& f, STGMEDIUM& m) override {
    if (QueryGetData(f) != S_OK) return DV_E_FORMATETC;
    m.Block = Blocks[f.cfFormat];
    return S_OK;
  }
  HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
  HRESULT QueryGetData(const FORMATETC& f) override {
    return Blocks.count(f.cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC&) override { return E_NOTIMPL; }
  HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return DV_E_FORMATETC; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    *out = nullptr;
    if (direction != DATADIR_GET || !GivesEnumerator) return E_NOTIMPL;
    std::vector<UINT> formats = Listed;
    if (formats.empty())
      for (const auto& entry : Blocks) formats.push_back(entry.first);
    *out = new TBlockEnum(std::move(formats), live_);
    (*out)->AddRef();
    return S_OK;
  }

 private:
  int* live_;
};
