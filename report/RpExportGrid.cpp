// The text grid of an export: the texts of a page, their distinct
// positions along each axis clustered and numbered, each text given its
// row and column.
#include <algorithm>
#include <cmath>

#include "report/RpExport.h"

// ---- positions ------------------------------------------------------------------

void TRpPositions::AddPosition(Extended position) {
  if (!accepting_) return;
  const Int64 rounded = Round(position);
  const auto [it, added] = byRounded_.try_emplace(rounded, entries_.size());
  if (!added) {
    ++entries_[it->second].Count;
    return;
  }
  TRpPositionEntry entry;
  entry.Position = position;
  entries_.push_back(entry);
}

void TRpPositions::EndAdd() {
  accepting_ = false;
  sorted_.resize(entries_.size());
  for (std::size_t i = 0; i < sorted_.size(); ++i) sorted_[i] = i;
  // No two entries share a position: each stands for its own whole value.
  std::sort(sorted_.begin(), sorted_.end(),
            [&](std::size_t a, std::size_t b) { return entries_[a].Position < entries_[b].Position; });
  // Only positions the numbering scan can reach, from 0 up to its start
  // value, get a number.
  int next = 0;
  for (std::size_t i : sorted_) {
    TRpPositionEntry& e = entries_[i];
    if (e.Handled || e.Position < 0 || e.Position > 9999999) continue;
    e.Index = ++next;
    e.Handled = true;
  }
}

int TRpPositions::Find(Extended position) const {
  if (std::isnan(position)) return 0;
  // A margin of one around the tolerance band: the test below decides.
  const Extended low = position - Tolerance - 1, high = position + Tolerance + 1;
  auto it = std::lower_bound(sorted_.begin(), sorted_.end(), low,
                             [&](std::size_t i, Extended v) { return entries_[i].Position < v; });
  std::size_t first = entries_.size();
  for (; it != sorted_.end() && entries_[*it].Position <= high; ++it)
    if (std::fabs(entries_[*it].Position - position) <= Tolerance) first = std::min(first, *it);
  return first < entries_.size() ? entries_[first].Index : 0;
}

// ---- the filter -----------------------------------------------------------------

void TRpAbstractExportFilter::CreateStream(const AnsiString& fileName) {
  Stream = std::make_unique<TRpExportFile>(fileName);
}

void TRpAbstractExportFilter::CloseStream() {
  if (Stream) Stream->Commit();
  Stream.reset();
}

void TRpAbstractExportFilter::Start(int paperWidth, int paperHeight, TFont* font) {
  CreateStream(FileName);
  ClearPage();
  Font = font != nullptr ? *font : TFont();
  CurrentFont = TFont();
  LineHeight = Font.Size() * 254.0L / 72;
  CharWidth = LineHeight;
  PaperWidth = paperWidth;
  PaperHeight = paperHeight;
  LineCount = LineHeight > 0 ? static_cast<int>(Round(PaperHeight / LineHeight)) : 0;
  PageProcessed = false;
  XTolerance = 4.0;
  TRpExportFilter::Start(paperWidth, paperHeight, font);
}

void TRpAbstractExportFilter::ClearPage() {
  Entries.clear();
  cells_.clear();
}

void TRpAbstractExportFilter::EndPage() {
  ProcessPage();
  ClearPage();
}

void TRpAbstractExportFilter::Finish() {
  ClearPage();
  CloseStream();
  TRpExportFilter::Finish();
}

void TRpAbstractExportFilter::NewPage() {
  ClearPage();
  PageProcessed = false;
  CurrentFont = TFont();
  TRpExportFilter::NewPage();
}

void TRpAbstractExportFilter::TextOut(Extended x, Extended y, TFont* font, TColor, TAlignment alignment,
                                      const AnsiString& text) {
  TTextEntry entry;
  entry.Text = text;
  entry.X = x;
  entry.Y = y;
  entry.Alignment = alignment;
  if (font != nullptr) entry.Font = *font;
  Entries.push_back(std::move(entry));
}

void TRpAbstractExportFilter::ProcessPage() {
  PageProcessed = true;
  ProcessColumns();
  ProcessRows();
  cells_.clear();
  cells_.reserve(Entries.size());
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    const int row = static_cast<int>(Entries[i].Y), column = static_cast<int>(Entries[i].X);
    if (row >= 1 && column >= 1) cells_.push_back({row, column, i});
  }
  // By cell, and within a cell the entry that came first.
  std::sort(cells_.begin(), cells_.end(), [](const TCell& a, const TCell& b) {
    return std::tie(a.Row, a.Column, a.Entry) < std::tie(b.Row, b.Column, b.Entry);
  });
  cells_.erase(
      std::unique(cells_.begin(), cells_.end(),
                  [](const TCell& a, const TCell& b) { return a.Row == b.Row && a.Column == b.Column; }),
      cells_.end());
  WritePage();
}

namespace {

// Replaces each entry's position along one axis by its number there and
// gives the largest number.
int NumberAxis(std::vector<TTextEntry>& entries, Extended TTextEntry::*axis, Extended tolerance) {
  TRpPositions positions;
  positions.Tolerance = tolerance;
  positions.StartAdd();
  for (const TTextEntry& e : entries) positions.AddPosition(e.*axis);
  positions.EndAdd();
  int largest = 0;
  for (TTextEntry& e : entries) {
    e.*axis = positions.Find(e.*axis);
    largest = std::max(largest, static_cast<int>(e.*axis));
  }
  return largest;
}

}  // namespace

void TRpAbstractExportFilter::ProcessColumns() {
  ColumnCount = NumberAxis(Entries, &TTextEntry::X, XTolerance);
}

void TRpAbstractExportFilter::ProcessRows() { LineCount = NumberAxis(Entries, &TTextEntry::Y, 4.0); }

const TTextEntry* TRpAbstractExportFilter::FindEntryAt(int row, int column) const {
  auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair{row, column},
                             [](const TCell& c, const std::pair<int, int>& at) {
                               return std::pair{c.Row, c.Column} < at;
                             });
  if (it == cells_.end() || it->Row != row || it->Column != column) return nullptr;
  return &Entries[it->Entry];
}
