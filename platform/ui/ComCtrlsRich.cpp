#include <algorithm>

#include "platform/rtl/FileUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"

// The control lays its text out at the screen's resolution.
constexpr int kScreenDpi = 96;

// ---- lines -----------------------------------------------------------------------------

// The rich edit's lines: RTF in and out unless the control is plain text.
class TRichEditStrings : public TMemoStrings {
 public:
  explicit TRichEditStrings(TCustomRichEdit& edit) : TMemoStrings(edit), edit_(edit) {}
  void LoadFromStream(TStream& stream) override {
    AnsiString bytes;
    char buffer[65536];
    for (int n; (n = stream.Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
    if (!edit_.PlainText() && richtext::IsRtf(bytes)) {
      edit_.SetRichText(bytes);
      return;
    }
    edit_.content_.SetDocument(TRichDocument{});
    edit_.synced_ = false;
    SetText(bytes);
  }
  void SaveToStream(TStream& stream) const override {
    if (edit_.PlainText()) {
      TMemoStrings::SaveToStream(stream);
      return;
    }
    const AnsiString rtf = edit_.RichText();
    stream.WriteBuffer(rtf.data(), static_cast<int>(rtf.size()));
  }
  void SaveToFile(const AnsiString& fileName) const override {
    if (edit_.PlainText())
      TMemoStrings::SaveToFile(fileName);
    else
      SafeWriteFile(fileName, edit_.RichText());
  }

 protected:
  Int64 MaxLoadSize() const override { return MaxRichEditFileSize; }

 private:
  TCustomRichEdit& edit_;
};

// ---- TCustomRichEdit ----------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {
  ReplaceLines(std::make_unique<TRichEditStrings>(*this));
  fontFormat_ = FontFormat();
  content_.SetDefault(fontFormat_);
}

TCustomRichEdit::~TCustomRichEdit() = default;

TRichCharFormat TCustomRichEdit::FontFormat() const {
  const TFont& f = Font();
  TRichCharFormat format;
  format.Name = f.Name;
  format.Charset = f.Charset == SYMBOL_CHARSET ? SYMBOL_CHARSET : GREEK_CHARSET;
  format.Style = f.Style;
  format.Color = f.Color;
  const int h = f.Height() < 0 ? -f.Height() : f.Height();
  format.HalfPoints = std::max(1, MulDiv(h, 144, f.PixelsPerInch));
  return format;
}

const TRichContent& TCustomRichEdit::Content() const {
  SyncContent();
  return content_;
}

void TCustomRichEdit::SyncContent() const {
  if (synced_) return;
  const AnsiString& now = Text();
  const AnsiString& had = content_.Text();
  synced_ = true;
  if (now == had) return;
  // The memo changed the text itself (SetText, its lines, undo): the
  // common start and end keep their formats, the middle is new.
  const size_t n = std::min(now.size(), had.size());
  size_t p = 0;
  while (p < n && now[p] == had[p]) ++p;
  size_t s = 0;
  while (s < n - p && now[now.size() - 1 - s] == had[had.size() - 1 - s]) ++s;
  const int start = static_cast<int>(p);
  const int end = static_cast<int>(had.size() - s);
  const int format = content_.InsertFormatAt(start);
  const int paragraphs = content_.ParagraphCount();
  WidenUndo(start, end);
  content_.Replace(start, end, now.substr(p, now.size() - s - p), format);
  if (!undo_.Empty) undo_.Count += content_.ParagraphCount() - paragraphs;
  fullLayout_ = true;
}

void TCustomRichEdit::WidenUndo(int start, int end) const {
  if (!CanUndo()) return;
  TRichUndo& undo = undo_;
  const int n = content_.Length();
  // One paragraph more on each side: a break typed beside another can
  // join it (CR before LF) and so change the paragraph before.
  const int first = content_.ParagraphOf(std::clamp(start - 1, 0, n));
  const int last = content_.ParagraphOf(std::clamp(end + 1, 0, n));
  if (undo.Empty) {
    undo.First = first;
    undo.Count = last - first + 1;
    undo.Old = content_.CopyParagraphs(first, last);
    undo.Empty = false;
    return;
  }
  const int kept = undo.First + undo.Count - 1;
  if (first < undo.First) {
    undo.Old = TRichContent::Joined(content_.CopyParagraphs(first, undo.First - 1), undo.Old);
    undo.Count += undo.First - first;
    undo.First = first;
  }
  if (last > kept) {
    undo.Old = TRichContent::Joined(std::move(undo.Old), content_.CopyParagraphs(kept + 1, last));
    undo.Count += last - kept;
  }
}

void TCustomRichEdit::Relayout() {
  fullLayout_ = true;
  InvalidateLayout();
}

int TCustomRichEdit::InsertFormat() const {
  if (insertFormat_ >= 0) return insertFormat_;
  SyncContent();
  return SelLength() > 0 ? content_.FormatIndexAt(SelStart()) : content_.InsertFormatAt(SelStart());
}

void TCustomRichEdit::RangeReplacing(int start, int end, const AnsiString& s) {
  SyncContent();
  if (pendingEdit_ || fullLayout_)
    fullLayout_ = true;
  else
    pendingEdit_ = std::make_unique<TPendingEdit>(TPendingEdit{start, end, static_cast<int>(s.size())});
  const int paragraphs = content_.ParagraphCount();
  WidenUndo(start, end);
  // The memo puts the same text in next: the two stay in step.
  editInStep_ = true;
  std::unique_ptr<TRichDocument> doc = std::move(pendingDoc_);
  bool done = false;
  if (doc) {
    TRichContent piece;
    piece.SetDocument(*doc);
    if (piece.Text() == s) {
      content_.Replace(start, end, *doc);
      done = true;
    }
  }
  if (!done) {
    const int format = insertFormat_ >= 0
                           ? insertFormat_
                           : (end > start ? content_.FormatIndexAt(start) : content_.InsertFormatAt(start));
    content_.Replace(start, end, s, format);
  }
  if (!undo_.Empty) undo_.Count += content_.ParagraphCount() - paragraphs;
}

void TCustomRichEdit::SaveUndo() {
  SyncContent();
  TCustomMemo::SaveUndo();
  undo_ = TRichUndo{};
  undo_.Default = content_.Default();
}

void TCustomRichEdit::Undo() {
  if (!CanUndo()) return;
  SyncContent();
  // The content goes back first; the memo's text then finds it in step.
  if (!undo_.Empty) {
    const int last = undo_.First + undo_.Count - 1;
    TRichContent::TParagraphs now = content_.CopyParagraphs(undo_.First, last);
    content_.PutParagraphs(undo_.First, undo_.Count, undo_.Old);
    undo_.Count = static_cast<int>(undo_.Old.Paras.size());
    undo_.Old = std::move(now);
  }
  if (!(content_.Default() == undo_.Default)) {
    const TRichCharFormat now = content_.Default();
    content_.SetDefault(undo_.Default);
    undo_.Default = now;
  }
  // Lines laid out for the content as it was stand no longer.
  fullLayout_ = true;
  pendingEdit_.reset();
  TCustomMemo::Undo();
  synced_ = false;
  SyncContent();
  Relayout();
  LayoutMoved();
  Invalidate();
}

void TCustomRichEdit::ContentReplaced() {
  synced_ = false;
  TControl::SetText(content_.Text());
  Relayout();
  Invalidate();
}

void TCustomRichEdit::SetRichText(std::string_view rtf) {
  // Read first: damaged RTF leaves the control as it was.
  const TRichDocument doc = richtext::ReadRtf(rtf, content_.Default());
  content_.SetDocument(doc);
  insertFormat_ = -1;
  ContentReplaced();
}

bool TCustomRichEdit::ReplaceSelection(const TRichDocument& doc) {
  TRichContent piece;
  piece.SetDocument(doc);
  pendingDoc_ = std::make_unique<TRichDocument>(doc);
  const bool done = UserReplace(piece.Text());
  pendingDoc_.reset();
  return done;
}

int TCustomRichEdit::FindText(const AnsiString& SearchStr, int StartPos, int Length,
                              TSearchTypes Options) const {
  return Content().Find(SearchStr, StartPos, StartPos + std::max(0, Length), (Options & stMatchCase) != 0,
                        (Options & stWholeWord) != 0);
}

// ---- formats ----

void TCustomRichEdit::ChangeFormat(int start, int end, const std::function<void(TRichCharFormat&)>& change) {
  SyncContent();
  if (start >= end) {
    // Nothing selected: the change waits for what is typed next.
    TRichCharFormat f = content_.Format(InsertFormat());
    change(f);
    insertFormat_ = content_.AddFormat(f);
    notifiedStart_ = SelStart();
    notifiedLength_ = SelLength();
    return;
  }
  SaveUndo();
  WidenUndo(start, end);
  content_.ChangeFormat(start, end, change);
  Modified = true;
  Relayout();
  LayoutMoved();
  Invalidate();
  Change();
}

void TCustomRichEdit::ChangePara(const std::function<void(TRichParaFormat&)>& change) {
  SyncContent();
  SaveUndo();
  WidenUndo(SelStart(), SelStart() + SelLength());
  content_.ChangePara(SelStart(), SelStart() + SelLength(), change);
  Modified = true;
  Relayout();
  LayoutMoved();
  Invalidate();
  Change();
}

TRichCharFormat TTextAttributes::Get() const {
  if (type_ == atDefaultText) return edit_.Content().Default();
  return edit_.content_.Format(edit_.InsertFormat());
}

void TTextAttributes::Change(const std::function<void(TRichCharFormat&)>& change) {
  if (type_ == atDefaultText) {
    TRichCharFormat f = edit_.Content().Default();
    change(f);
    edit_.content_.SetDefault(f);
    edit_.Relayout();
    edit_.LayoutMoved();
    edit_.Invalidate();
    return;
  }
  edit_.ChangeFormat(edit_.SelStart(), edit_.SelStart() + edit_.SelLength(), change);
}

void TTextAttributes::SetName(const AnsiString& v) {
  Change([&](TRichCharFormat& f) { f.Name = v; });
}
void TTextAttributes::SetSize(int v) {
  Change([&](TRichCharFormat& f) { f.HalfPoints = std::max(1, v * 2); });
}
int TTextAttributes::Height() const { return -MulDiv(Get().HalfPoints, kScreenDpi, 144); }
void TTextAttributes::SetHeight(int v) {
  Change([&](TRichCharFormat& f) { f.HalfPoints = std::max(1, MulDiv(std::abs(v), 144, kScreenDpi)); });
}
void TTextAttributes::SetStyle(TFontStyles v) {
  Change([&](TRichCharFormat& f) { f.Style = v; });
}
void TTextAttributes::SetColor(TColor v) {
  Change([&](TRichCharFormat& f) { f.Color = v; });
}
void TTextAttributes::SetCharset(int v) {
  Change([&](TRichCharFormat& f) { f.Charset = v == SYMBOL_CHARSET ? SYMBOL_CHARSET : GREEK_CHARSET; });
}
void TTextAttributes::Assign(const TFont& font) {
  Change([&](TRichCharFormat& f) {
    f.Name = font.Name;
    f.Style = font.Style;
    f.Color = font.Color;
    f.Charset = font.Charset == SYMBOL_CHARSET ? SYMBOL_CHARSET : GREEK_CHARSET;
    f.HalfPoints = std::max(1, MulDiv(std::abs(font.Height()), 144, font.PixelsPerInch));
  });
}
void TTextAttributes::AssignTo(TFont& font) const {
  const TRichCharFormat f = Get();
  font.Name = f.Name;
  font.Style = f.Style;
  font.Color = f.Color;
  font.Charset = f.Charset;
  font.SetHeight(-MulDiv(f.HalfPoints, font.PixelsPerInch, 144));
}

TRichParaFormat TParaAttributes::Get() const {
  const TRichContent& c = edit_.Content();
  return c.Para(c.ParagraphOf(edit_.SelStart()));
}
void TParaAttributes::Change(const std::function<void(TRichParaFormat&)>& change) {
  edit_.ChangePara(change);
}
void TParaAttributes::SetAlignment(TAlignment v) {
  Change([&](TRichParaFormat& p) { p.Alignment = v; });
}
void TParaAttributes::SetFirstIndent(int v) {
  Change([&](TRichParaFormat& p) { p.FirstIndent = v * 20; });
}
void TParaAttributes::SetLeftIndent(int v) {
  Change([&](TRichParaFormat& p) { p.LeftIndent = v * 20; });
}
void TParaAttributes::SetRightIndent(int v) {
  Change([&](TRichParaFormat& p) { p.RightIndent = v * 20; });
}
void TParaAttributes::SetNumbering(TNumberingStyle v) {
  Change([&](TRichParaFormat& p) { p.Bullet = v == nsBullet; });
}
void TParaAttributes::SetTabCount(int v) {
  Change([&](TRichParaFormat& p) { p.Tabs.resize(static_cast<size_t>(std::clamp(v, 0, 32)), 0); });
}
int TParaAttributes::Tab(int index) const {
  const TRichParaFormat p = Get();
  return index >= 0 && index < static_cast<int>(p.Tabs.size()) ? p.Tabs[static_cast<size_t>(index)] / 20 : 0;
}
void TParaAttributes::SetTab(int index, int v) {
  Change([&](TRichParaFormat& p) {
    if (index >= 0 && index < static_cast<int>(p.Tabs.size())) p.Tabs[static_cast<size_t>(index)] = v * 20;
  });
}

// ---- clipboard ----

namespace {
UINT RichTextFormat() {
  static const UINT format = RegisterClipboardFormat("Rich Text Format");
  return format;
}
}  // namespace

void TCustomRichEdit::CopyToClipboard() {
  if (SelLength() == 0) return;
  const AnsiString rtf = richtext::WriteRtf(Content().Document(SelStart(), SelStart() + SelLength()));
  TClipboard& clipboard = *Clipboard();
  clipboard.Open();
  clipboard.SetAsText(SelText());
  clipboard.SetAsHandle(RichTextFormat(), rtf);
  clipboard.Close();
}

void TCustomRichEdit::CutToClipboard() {
  if (SelLength() == 0 || ReadOnly()) return;
  CopyToClipboard();
  UserReplace("");
}

void TCustomRichEdit::PasteFromClipboard() {
  TClipboard& clipboard = *Clipboard();
  if (!PlainText() && clipboard.HasFormat(RichTextFormat())) {
    try {
      ReplaceSelection(richtext::ReadRtf(clipboard.GetAsHandle(RichTextFormat()), content_.Default()));
      return;
    } catch (const ERichTextError&) {
      // Damaged rich text on the clipboard: its text form serves.
    }
  }
  TCustomMemo::PasteFromClipboard();
}

// ---- layout and painting ----

TRichLayout TCustomRichEdit::ScreenLayout() const {
  TRichLayout layout(content_, kScreenDpi);
  layout.FontOf = [this](const TRichCharFormat& format, TFont& font) {
    // Text in the control's own font keeps that font's exact height.
    if (!(format == fontFormat_)) return false;
    font.Assign(Font());
    return true;
  };
  return layout;
}

void TCustomRichEdit::LayoutLines(std::vector<TEditLine>& lines, int& lineHeight) const {
  SyncContent();
  const int width = EditRect().Width();
  const bool wrap = WrapLines();
  // Every change of the content asks for a whole layout or names its edit;
  // with neither, the lines stand.
  const bool same = !fullLayout_ && width == laidWidth_ && wrap == laidWrap_ && !screenLines_.empty();
  if (!same || pendingEdit_) editedFirst_ = -1;
  const size_t before = screenLines_.size();
  bool edited = same && pendingEdit_ && RelayoutEdit(*pendingEdit_, width, wrap);
  if (!same || (pendingEdit_ && !edited)) {
    screenLines_ = ScreenLayout().Lay(0, width, 0, wrap);
    endsCache_.clear();
    editedFirst_ = -1;
    edited = false;
  }
  fullLayout_ = false;
  pendingEdit_.reset();
  laidWidth_ = width;
  laidWrap_ = wrap;
  // Each line is as high as its tallest font; the first one's height
  // stands for the control's.
  lineHeight = screenLines_.empty() ? 1 : std::max(1, screenLines_.front().Height);
  const auto entry = [](const TRichLine& l) { return TEditLine{l.Start, l.End - l.Start}; };
  if (edited && lines.size() == before) {
    // The memo's lines are those laid out before the edit: the lines laid
    // out again take their places, the ones after them move.
    const auto first = static_cast<std::ptrdiff_t>(editedFirst_);
    const auto oldEnd =
        first + static_cast<std::ptrdiff_t>(before + editedLast_ - editedFirst_ - screenLines_.size());
    std::vector<TEditLine> mid;
    for (int i = editedFirst_; i < editedLast_; ++i)
      mid.push_back(entry(screenLines_[static_cast<size_t>(i)]));
    if (static_cast<std::ptrdiff_t>(mid.size()) == oldEnd - first) {
      std::copy(mid.begin(), mid.end(), lines.begin() + first);
    } else {
      lines.erase(lines.begin() + first, lines.begin() + oldEnd);
      lines.insert(lines.begin() + first, mid.begin(), mid.end());
    }
    for (size_t i = static_cast<size_t>(editedLast_); i < lines.size(); ++i)
      lines[i].Start = screenLines_[i].Start;
    return;
  }
  lines.clear();
  lines.reserve(screenLines_.size());
  for (const TRichLine& l : screenLines_) lines.push_back(entry(l));
}

int TCustomRichEdit::WidestAfterEdit(int widest) const {
  if (editedFirst_ < 0 || editedWidest_ < 0) return -1;
  int now = 0;
  for (int i = editedFirst_; i < editedLast_; ++i) {
    TRichLine& l = screenLines_[static_cast<size_t>(i)];
    if (l.End > l.Start) now = std::max(now, MeasuredWidth(l));
  }
  // The widest line stands when the lines laid out again were narrower
  // than it, or held it and are no narrower now; only a widest line that
  // shrank has every line measured again.
  if (editedWidest_ < widest || now >= editedWidest_) return std::max(widest, now);
  return -1;
}

int TCustomRichEdit::MeasuredWidth(TRichLine& l) const {
  if (l.Width < 0) l.Width = ScreenLayout().Measure(l);
  return l.Left + l.Width;
}

bool TCustomRichEdit::RelayoutEdit(const TPendingEdit& e, int width, bool wrap) const {
  std::vector<TRichLine>& old = screenLines_;
  if (old.empty()) return false;
  // The paragraphs the edit touched, before and after it.
  const int p1 = content_.ParagraphOf(e.Start);
  const auto byPara = [](const TRichLine& l, int para) { return l.Para < para; };
  const size_t i1 = static_cast<size_t>(std::lower_bound(old.begin(), old.end(), p1, byPara) - old.begin());
  if (i1 >= old.size() || old[i1].Start != content_.ParagraphStart(p1)) return false;
  const auto last = std::upper_bound(old.begin(), old.end(), e.End,
                                     [](int pos, const TRichLine& l) { return pos < l.Start; });
  if (last == old.begin()) return false;
  const int oldP2 = (last - 1)->Para;
  const size_t i2 =
      static_cast<size_t>(std::lower_bound(old.begin(), old.end(), oldP2 + 1, byPara) - old.begin());
  const int p2 = content_.ParagraphOf(std::min(e.Start + e.Inserted, content_.Length()));
  std::vector<TRichLine> mid = ScreenLayout().Lay(content_.ParagraphStart(p1), width, 0, wrap, p2);
  const int top = old[i1].Top;
  const int oldBottom = i2 < old.size() ? old[i2].Top : old.back().Top + old.back().Height;
  for (TRichLine& l : mid) l.Top += top;
  // Measures of the lines before the edit stand; those after it move.
  const int editedFrom = old[i1].Start;
  const int editedTo = i2 < old.size() ? old[i2].Start : content_.Length() + 1;
  std::map<int, std::vector<int>> kept;
  for (auto& [start, ends] : endsCache_) {
    if (start < editedFrom)
      kept.emplace(start, std::move(ends));
    else if (start >= editedTo)
      kept.emplace(start + e.Inserted - (e.End - e.Start), std::move(ends));
  }
  endsCache_.swap(kept);
  const int moveTop = (mid.back().Top + mid.back().Height) - oldBottom;
  const int moveChars = e.Inserted - (e.End - e.Start);
  const int movePara = p2 - oldP2;
  for (size_t i = i2; i < old.size(); ++i) {
    old[i].Start += moveChars;
    old[i].End += moveChars;
    old[i].Next += moveChars;
    old[i].Para += movePara;
    old[i].Top += moveTop;
  }
  // The widest of the lines replaced, when each was measured.
  editedWidest_ = 0;
  for (size_t i = i1; i < i2 && editedWidest_ >= 0; ++i)
    if (old[i].End > old[i].Start)
      editedWidest_ = old[i].Width < 0 ? -1 : std::max(editedWidest_, old[i].Left + old[i].Width);
  editedFirst_ = static_cast<int>(i1);
  editedLast_ = static_cast<int>(i1 + mid.size());
  editedMoved_ = moveTop != 0 || mid.size() != i2 - i1;
  if (mid.size() == i2 - i1) {
    std::copy(mid.begin(), mid.end(), old.begin() + static_cast<std::ptrdiff_t>(i1));
  } else {
    old.erase(old.begin() + static_cast<std::ptrdiff_t>(i1), old.begin() + static_cast<std::ptrdiff_t>(i2));
    old.insert(old.begin() + static_cast<std::ptrdiff_t>(i1), mid.begin(), mid.end());
  }
  return true;
}

const std::vector<int>& TCustomRichEdit::CachedEnds(const TRichLine& line) const {
  auto it = endsCache_.find(line.Start);
  if (it != endsCache_.end()) return it->second;
  if (endsCache_.size() > 4096) endsCache_.clear();
  return endsCache_.emplace(line.Start, ScreenLayout().CharEnds(line)).first->second;
}

const std::vector<int>& TCustomRichEdit::LineEnds(int line) const {
  TCustomEdit::Lines();  // the layout is current
  return CachedEnds(screenLines_[static_cast<size_t>(line)]);
}

int TCustomRichEdit::LineWidth(int line) const {
  TCustomEdit::Lines();
  return MeasuredWidth(screenLines_[static_cast<size_t>(line)]);
}

int TCustomRichEdit::LineLeft(int line) const {
  TCustomEdit::Lines();
  return line >= 0 && line < static_cast<int>(screenLines_.size())
             ? screenLines_[static_cast<size_t>(line)].Left
             : 0;
}

int TCustomRichEdit::LineTop(int line) const {
  TCustomEdit::Lines();
  if (screenLines_.empty()) return 0;
  const int count = static_cast<int>(screenLines_.size());
  if (line < count) return screenLines_[static_cast<size_t>(std::max(0, line))].Top;
  const TRichLine& l = screenLines_.back();
  return l.Top + l.Height * (line - count + 1);
}

int TCustomRichEdit::LineHeightAt(int line) const {
  TCustomEdit::Lines();
  if (screenLines_.empty()) return LineHeight();
  return screenLines_[static_cast<size_t>(std::clamp(line, 0, static_cast<int>(screenLines_.size()) - 1))]
      .Height;
}

int TCustomRichEdit::LineAtY(int y) const {
  TCustomEdit::Lines();
  if (y < 0) return -1;
  const auto it = std::upper_bound(screenLines_.begin(), screenLines_.end(), y,
                                   [](int v, const TRichLine& l) { return v < l.Top; });
  return std::max(0, static_cast<int>(it - screenLines_.begin()) - 1);
}

void TCustomRichEdit::InvalidateEdited(int start) {
  (void)start;
  // An edit that replaced text by the same text sent no notice.
  editInStep_ = false;
  TCustomEdit::Lines();
  if (editedFirst_ < 0 || editedFirst_ >= static_cast<int>(screenLines_.size())) {
    Invalidate();
    return;
  }
  // Only the lines laid out again, and what is below them when they grew
  // or shrank.
  const TRect area = TextArea();
  const TRect er = EditRect();
  const int last = std::max(editedFirst_, editedLast_ - 1);
  const int top = std::max(area.Top, LineY(editedFirst_));
  const int bottom = editedMoved_ ? area.Bottom : std::min(area.Bottom, LineY(last) + LineHeightAt(last));
  if (bottom > top && top < er.Bottom) InvalidateRect(Rect(area.Left, top, area.Right, bottom));
}

void TCustomRichEdit::PaintLines(TCanvas& c) {
  TCustomEdit::Lines();
  const int first = TopLine();
  const int count = static_cast<int>(screenLines_.size());
  const TRect er = EditRect();
  // Only the lines the paint's clip reaches are drawn: typing repaints the
  // line it changed, not the page.
  const TRegion* region = c.ClipRegion();
  const TRegion whole{c.ClipRect()};
  const TRegion& clip = region ? *region : whole;
  const int top0 = LineTop(first);
  std::vector<TRichLine> shown;
  for (int i = first; i < count; ++i) {
    TRichLine l = screenLines_[static_cast<size_t>(i)];
    l.Top -= top0;
    if (er.Top + l.Top >= er.Bottom) break;
    const int y1 = er.Top + l.Top, y2 = y1 + l.Height;
    if (std::any_of(clip.begin(), clip.end(), [&](const TRect& r) { return r.Top < y2 && r.Bottom > y1; }))
      shown.push_back(l);
  }
  const bool showSelection = SelLength() > 0 && (Focused() || !HideSelection);
  TRichLayout layout = ScreenLayout();
  layout.EndsOf = [this](const TRichLine& line) -> const std::vector<int>& { return CachedEnds(line); };
  layout.DrawDpi = layout.DotsPerInch();
  if (!Enabled()) layout.TextColor = clGrayText;
  layout.Draw(c, shown, er.Left - scrollX_, er.Top, showSelection ? SelStart() : 0,
              showSelection ? SelStart() + SelLength() : 0, Focused() ? clHighlight : clBtnFace,
              Focused() ? clHighlightText : clWindowText);
}

void TCustomRichEdit::DefaultHandler(TMessage& m) {
  if (m.Msg == WM_CHAR && m.WParam > 0xFF && Enabled()) {
    // A character beyond the code page: typed as itself in the format
    // typing takes, "?" in the control's text.
    TRichDocument doc;
    doc.Paragraphs[0].Append(content_.Format(InsertFormat()),
                             std::u16string(1, static_cast<char16_t>(m.WParam)));
    ReplaceSelection(doc);
    return;
  }
  TCustomMemo::DefaultHandler(m);
}

void TCustomRichEdit::LayoutChanged() {
  TCustomMemo::LayoutChanged();
  if (SelStart() == notifiedStart_ && SelLength() == notifiedLength_) return;
  notifiedStart_ = SelStart();
  notifiedLength_ = SelLength();
  insertFormat_ = -1;
  if (OnSelectionChange) OnSelectionChange(this);
}

TSize TCustomRichEdit::RequiredSize() const {
  SyncContent();
  const TRichLayout layout = ScreenLayout();
  TSize size{0, 0};
  for (const TRichLine& l : layout.Lay(0, EditRect().Width(), 0, WrapLines())) {
    size.cx = std::max(size.cx, l.Left + (l.Width < 0 ? layout.Measure(l) : l.Width));
    size.cy += l.Height;
  }
  return size;
}

// ---- format-range ----

TRichPage::TRichPage(const TRichContent& content, const FORMATRANGE& range, TRichMeasures* measures)
    : content_(content), measures_(measures) {
  Lay(range);
}

void TRichPage::Lay(const FORMATRANGE& range) {
  ends_.clear();
  const int from = std::clamp(range.chrg.cpMin, 0, content_.Length());
  // Laid out in twips, whatever the canvas: every device breaks alike.
  TRichLayout layout(content_, 1440);
  layout.Measures = measures_;
  layout.LayPage(from, range.rc.Right - range.rc.Left, std::max(1, range.rc.Bottom - range.rc.Top), &room_,
                 lines_);
  if (range.chrg.cpMax >= 0 && range.chrg.cpMax > from) {
    while (lines_.size() > 1 && lines_.back().Start >= range.chrg.cpMax) lines_.pop_back();
  }
}

void TRichPage::Draw(const FORMATRANGE& range) const {
  TCanvas& c = *range.hdc;
  const int lpx = c.GetDeviceCaps(LOGPIXELSX), lpy = c.GetDeviceCaps(LOGPIXELSY);
  const TRect box = Rect(MulDiv(range.rc.Left, lpx, 1440), MulDiv(range.rc.Top, lpy, 1440),
                         MulDiv(range.rc.Right, lpx, 1440), MulDiv(range.rc.Bottom, lpy, 1440));
  const int saved = c.SaveDC();
  // A line taller than the page is cut at its foot.
  c.IntersectClipRect(box);
  TRichLayout layout(content_, 1440);
  layout.Measures = measures_;
  // The measures keep the lines' ends from page to page when there are
  // any; a page of its own keeps them for as long as it is drawn again.
  if (measures_ == nullptr)
    layout.EndsOf = [&](const TRichLine& line) -> const std::vector<int>& {
      auto found = ends_.find(line.Start);
      if (found == ends_.end()) found = ends_.emplace(line.Start, layout.CharEnds(line)).first;
      return found->second;
    };
  layout.Draw(c, lines_, box.Left, box.Top);
  c.RestoreDC(saved);
}

int TCustomRichEdit::FormatRange(const FORMATRANGE* range, bool render) {
  return FormatRange(range, render, nullptr);
}

int TCustomRichEdit::FormatRange(const FORMATRANGE* range, bool render, int& room) {
  return FormatRange(range, render, &room);
}

int TCustomRichEdit::FormatRange(const FORMATRANGE* range, bool render, int* room) {
  if (room != nullptr) *room = 0;
  if (range == nullptr || range->hdc == nullptr) {
    pageKept_ = false;
    return 0;
  }
  const TRichContent& content = Content();
  const int n = content.Length();
  const int from = std::clamp(range->chrg.cpMin, 0, n);
  if (from >= n && n > 0) return n;
  printMeasures_.Follow(content, 1440);
  const TPageAsked asked{content.Revision(), from, range->rc.Right - range->rc.Left,
                         std::max(1, range->rc.Bottom - range->rc.Top), range->chrg.cpMax};
  // The room is a bound that tightens as the text is laid further down,
  // so only a call that does not ask for it takes the page kept.
  if (!pageKept_ || room != nullptr || !(lastAsked_ == asked)) {
    if (lastPage_)
      lastPage_->Lay(*range);
    else
      lastPage_.emplace(content, *range, &printMeasures_);
    lastAsked_ = asked;
    pageKept_ = true;
  }
  if (render) lastPage_->Draw(*range);
  if (room != nullptr) *room = lastPage_->Room();
  return lastPage_->Next();
}

// ---- messages ----

void TCustomRichEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CM_TEXTCHANGED:
      // An edit changed the content as it changed the text; anything else
      // has the two compared.
      if (!std::exchange(editInStep_, false)) synced_ = false;
      SyncContent();
      break;
    case CM_FONTCHANGED: {
      const TRichCharFormat now = FontFormat();
      if (content_.Default() == fontFormat_) content_.SetDefault(now);
      fontFormat_ = now;
      Relayout();
      break;
    }
    case EM_FORMATRANGE:
      m.Result = FormatRange(reinterpret_cast<const FORMATRANGE*>(m.LParam), m.WParam != 0);
      return;
    case EM_EXLINEFROMCHAR:
      m.Result = LineFromChar(static_cast<int>(m.LParam) < 0 ? SelStart() : static_cast<int>(m.LParam));
      return;
    case EM_EXGETSEL:
      if (m.LParam) *reinterpret_cast<CHARRANGE*>(m.LParam) = {SelStart(), SelStart() + SelLength()};
      return;
    case EM_EXSETSEL:
      if (m.LParam) {
        const CHARRANGE r = *reinterpret_cast<const CHARRANGE*>(m.LParam);
        if (r.cpMin == 0 && r.cpMax == -1)
          SelectAll();
        else
          SetSelection(r.cpMin, r.cpMax < 0 ? r.cpMin : r.cpMax);
      }
      m.Result = SelStart() + SelLength();
      return;
    case EM_FINDTEXT: {
      const auto* find = reinterpret_cast<const FINDTEXTA*>(m.LParam);
      if (find == nullptr || find->lpstrText == nullptr) {
        m.Result = -1;
        return;
      }
      const int end = find->chrg.cpMax < 0 ? Content().Length() : find->chrg.cpMax;
      m.Result = Content().Find(find->lpstrText, find->chrg.cpMin, end, (m.WParam & FR_MATCHCASE) != 0,
                                (m.WParam & FR_WHOLEWORD) != 0);
      return;
    }
    default:
      break;
  }
  TCustomMemo::Dispatch(m);
}
