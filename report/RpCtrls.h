#pragma once
// The printable controls: text (labels, memos, system values, expressions,
// data fields), shapes, pictures and the designer's frame lines.

#include <memory>
#include <optional>

#include "platform/gfx/Picture.h"
#include "platform/rtl/ClassesReader.h"
#include "platform/ui/ComCtrls.h"
#include "report/BandRpt.h"

enum TExportType { exptText, exptNumeric, exptFormula };

using TRpLabelOnPrintEvent = std::function<void(TObject* sender, AnsiString& value)>;

class TRpCustomLabel : public TRpPrintable {
 public:
  explicit TRpCustomLabel(TComponent* owner);

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& value);
  bool AutoSize = true;
  bool AutoStretch() const { return autoStretch_; }
  void SetAutoStretch(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  TExportType ExportAs = exptText;
  TRpLabelOnPrintEvent OnPrint;
  TStringList* Lines() { return &lines_; }
  // The lines as broken for the text, box and font the label now has.
  TStringList* FormattedLines() {
    if (!formatted_) FormatLines();
    return &formattedLines_;
  }
  int LineIndex = 0;
  const AnsiString& PrintText() const { return printText_; }
  bool Formatted() const { return formatted_; }
  // The font's size read from a stored form, applied by Loaded.
  int StoredFontSize = 0;
  // The "FontSize" property of a stored form: written as the font's size;
  // read into StoredFontSize. A value that is no 16-bit integer raises
  // EReadError and changes nothing.
  void WriteFontSize(TComponentWriter& writer) const;
  void ReadFontSize(const TStreamValue& value);

  virtual bool IsCaptionBased() { return captionBased_; }
  virtual void FormatLines();
  // A changed font formats again.
  void FontChanged();

  void SetParent(TWinControl* parent) override;
  void SetAlignment(TAlignment value) override;
  void Prepare() override;
  void Print(int ofsX, int ofsY) override;
  void Loaded() override;
  void SetName(const AnsiString& name);
  // The line height in pixels that formatting uses, at full size.
  int LineHeight();
  // The line height on the printer, in the report's native units; while
  // the label prints or its band is about to.
  Extended PrintLineHeight();
  // A line's height in pixels at the zoom when a band asks how tall the
  // text grows: the text's own height, without the formatting's spare
  // pixel.
  Extended TextLineHeight();

 protected:
  void Paint() override;
  // The zoomed font on Canvas, a pixel smaller at a time until the laid-out
  // lines fit the control.
  void FitZoomedFont(TCanvas& c);
  // A new font (its own or its parent's) formats the lines again.
  void Dispatch(TMessage& message) override;
  void SetPrintText(const AnsiString& text) { printText_ = text; }
  // Whether the alignment is mirrored: a right-to-left control on a Middle
  // East system.
  virtual bool RightToLeftAlignment() const { return UseRightToLeftAlignment(); }
  void Unformat() { formatted_ = false; }
  bool captionBased_ = true;

 private:
  // Whether a new text can be broken into lines only when they are needed.
  bool CanBreakLater() const;
  int TextWidthOf(const AnsiString& text);
  // The width lines are broken to, in the pixels TextWidthOf measures.
  int FormatWidth() const;
  // The pieces of one text, each measured as TextWidthOf measures it.
  class Pieces;
  void FormatSource(AnsiString text);
  // Characters From to To of the text Pieces measure.
  void FormatParagraph(const AnsiString& text, std::size_t from, std::size_t to, const Pieces& pieces);
  // The length of the longest prefix of the Length characters at From
  // whose measured width Fits.
  template <class Fits>
  static std::size_t LongestPrefix(std::size_t from, std::size_t length, const Pieces& pieces, Fits fits);
  void PrintLines(Extended x, Extended y, Extended w, Extended h, Extended lh, bool expand);
  // Blanks are spread between the words until the line fills Width.
  AnsiString Justify(const AnsiString& line, Extended width);
  // The alignment as drawn: left and right change places when the text
  // runs right to left.
  TAlignment MirroredAlignment() const;

  // What the lines were last broken for, with the line height of that
  // font: the same text in the same box and font breaks the same way, and
  // a report sets its font on every label each time it is shown.
  struct Breaking {
    AnsiString text;
    int width = 0;
    bool autoSize = false, wordWrap = false;
    const TCustomBandRep* report = nullptr;
    TFont font;
    int lineHeight = 0;
    bool SameMeasure(const Breaking& other) const;
    bool SameAs(const Breaking& other) const;
  };
  std::optional<Breaking> broken_;

  AnsiString caption_, printText_;
  bool formatted_ = false;
  bool autoStretch_ = false;
  bool wordWrap_ = true;
  bool sizing_ = false;
  TStringList lines_, formattedLines_;
};

class TRpLabel : public TRpCustomLabel {
 public:
  explicit TRpLabel(TComponent* owner) : TRpCustomLabel(owner) {}
  // The "Text Settings" editor.
  TRpPrintableEditorClass GetEditorClass() override;
};

class TRpMemo : public TRpCustomLabel {
 public:
  explicit TRpMemo(TComponent* owner);
  void SetLines(const TStrings& lines);
  // The memo's text as the one line Line: a report fed a line per record
  // sets it that way for each.
  void SetLine(const AnsiString& line);
  void GetExpandedHeight(Extended& height) override;
  void Print(int ofsX, int ofsY) override;

 protected:
  // A memo with lines shows them, not its name: the name the caption took
  // goes.
  void Paint() override;
};

enum TRpSysDataType {
  rpsTime,
  rpsDate,
  rpsDateTime,
  rpsPageNumber,
  rpsReportTitle,
  rpsDetailCount,
  rpsDetailNo
};

class TRpSysData : public TRpCustomLabel {
 public:
  explicit TRpSysData(TComponent* owner);
  TRpSysDataType Data() const { return data_; }
  void SetData(TRpSysDataType data);
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& text);
  void Print(int ofsX, int ofsY) override;

 private:
  void DesignCaption();
  TRpSysDataType data_ = rpsTime;
  AnsiString text_;
};

class TRpExpr : public TRpCustomLabel {
 public:
  explicit TRpExpr(TComponent* owner);
  const AnsiString& Expression() const { return expression_; }
  void SetExpression(const AnsiString& expression);
  const AnsiString& Mask() const { return mask_; }
  void SetMask(const AnsiString& mask);
  // The level whose records the expression counts: the report or a
  // controller band. Its going clears it.
  TComponent* Master() const { return master_; }
  void SetMaster(TComponent* master);
  bool ResetAfterPrint = false;
  TRpEvaluator* Evaluator() { return &evaluator_; }
  // The "Expression settings" editor.
  TRpPrintableEditorClass GetEditorClass() override;

  void Prepare() override;
  void Unprepare() override;
  void BandNotify(TObject* sender, Byte operation) override;
  void Print(int ofsX, int ofsY) override;
  // The text a value prints as under the mask.
  static AnsiString FormatValue(const TRpEvResult& value, const AnsiString& mask);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  AnsiString expression_, mask_;
  TRpEvaluator evaluator_;
  TComponent* master_ = nullptr;
};

class TRpDBText : public TRpCustomLabel {
 public:
  explicit TRpDBText(TComponent* owner);
  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  const AnsiString& DataField() const { return dataField_; }
  void SetDataField(const AnsiString& name);
  AnsiString Mask;

  bool IsCaptionBased() override { return !memo_; }
  void Prepare() override;
  void Unprepare() override;
  void Print(int ofsX, int ofsY) override;
  void FetchContent(AnsiString& text) override;
  void GetExpandedHeight(Extended& height) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // Numbers and dates keep their alignment whatever the reading order.
  bool RightToLeftAlignment() const override;

 private:
  TDataSet* dataSet_ = nullptr;
  AnsiString dataField_;
  TField* field_ = nullptr;
  int fieldIndex_ = -1;
  bool fieldFound_ = false;
  bool memo_ = false;
};

// ---- shapes and pictures ---------------------------------------------------------

enum TRpShapeType {
  rpsRectangle,
  rpsCircle,
  rpsVertLine,
  rpsHorLine,
  rpsTopAndBottom,
  rpsRightAndLeft,
  rpsRoundRect,
  rpsLeftDiagonal,
  rpsRightDiagonal
};

class TRpShape : public TRpPrintable {
 public:
  explicit TRpShape(TComponent* owner);
  TRpShapeType Shape() const { return shape_; }
  void SetShape(TRpShapeType shape);
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  void SetPen(const TPen& pen);
  void SetBrush(const TBrush& brush);
  float RoundFactor() const { return roundFactor_; }
  void SetRoundFactor(float factor);
  int VertAdjust = 0;
  void Print(int ofsX, int ofsY) override;

 protected:
  void Paint() override;

 private:
  TRpShapeType shape_ = rpsRectangle;
  TPen pen_;
  TBrush brush_;
  float roundFactor_ = 0;
};

class TRpImage : public TRpPrintable {
 public:
  explicit TRpImage(TComponent* owner);
  TPicture* Picture() { return &picture_; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  void PictureChanged();
  void Print(int ofsX, int ofsY) override;

 protected:
  void Paint() override;

 private:
  TPicture picture_;
  bool autoSize_ = false, stretch_ = false, center_ = false;
};

// A picture read from a data set's blob field on each print.
class TRpDBImage : public TRpPrintable {
 public:
  explicit TRpDBImage(TComponent* owner);
  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  AnsiString DataField;
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // The design picture.
  TPicture* Picture() { return &picture_; }

  void Prepare() override;
  void Unprepare() override;
  void Print(int ofsX, int ofsY) override;
  void GetExpandedHeight(Extended& height) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;

 private:
  // The field's picture; nil for none or bytes that are no picture.
  std::unique_ptr<TGraphic> FieldGraphic() const;
  TDataSet* dataSet_ = nullptr;
  TField* field_ = nullptr;
  TPicture picture_;
  bool stretch_ = false, center_ = true;
};

// A designer's guide line: never printed.
class TRpFrameline : public TRpPrintable {
 public:
  explicit TRpFrameline(TComponent* owner) : TRpPrintable(owner) {}
  void Print(int, int) override {}
  TRpFrameline* AsFrameline() override { return this; }

 protected:
  void Paint() override;
};

// ---- rich text --------------------------------------------------------------------

// The hidden editor that holds a rich-text control's formatted text.
class TRpRichEdit : public TCustomRichEdit {
 public:
  explicit TRpRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
};

// Formatted text printed in its band: it can stretch the band in 5 mm
// steps and continues on the next page where it stopped.
class TRpCustomRichText : public TRpPrintable {
 public:
  explicit TRpCustomRichText(TComponent* owner);
  TRpRichEdit* RichEdit() const { return richEdit_; }
  bool AutoStretch = false;
  TAlignment Alignment() const;
  void SetAlignment(TAlignment value) override;
  TColor Color() const { return richEdit_->Color(); }
  void SetColor(TColor value) { richEdit_->SetColor(value); }
  TFont& Font() { return richEdit_->Font(); }
  // Where the text continues on the band's next page; 0 after a whole print.
  int NextChar() const { return nextChar_; }
  void Print(int ofsX, int ofsY) override;
  // The height the whole text needs at the control's width, in screen pixels.
  void GetExpandedHeight(Extended& height) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

 private:
  int nextChar_ = 0;
  // The sheet in twips, as the text's first page took it.
  TRect sheet_{};
  TRpRichEdit* richEdit_;
  // The picture control each page's text goes out to an export filter as:
  // made once, it takes each page's name, picture and size in turn.
  std::unique_ptr<TRpImage> exportImage_;
  // Records each page's picture, its storage kept from page to page.
  std::unique_ptr<TMetafileCanvas> exportCanvas_;
  // Where the box's place and size last put it.
  std::optional<TRect> exportPlace_;
};

class TRpRichText : public TRpCustomRichText {
 public:
  using TRpCustomRichText::TRpCustomRichText;
};
