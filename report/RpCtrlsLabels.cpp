// The text printables by source: fixed lines, system values, expressions
// and data-set fields.
#include "report/RpCtrls.h"
#include "report/RpExprEd.h"
#include "report/RpLablEd.h"

namespace {

const char* const kSysDataNames[] = {"Time",         "Date",         "Date/Time", "Page#",
                                     "Report title", "Detail count", "Detail no"};

}  // namespace

// ---- labels ---------------------------------------------------------------------------

TRpPrintableEditorClass TRpLabel::GetEditorClass() {
  return [](TRpPrintable* control) -> std::unique_ptr<TRpPrintableEditor> {
    return std::make_unique<TRpLabelEditor>(control);
  };
}

// ---- memo ---------------------------------------------------------------------------

TRpMemo::TRpMemo(TComponent* owner) : TRpCustomLabel(owner) { captionBased_ = false; }

void TRpMemo::SetLines(const TStrings& lines) {
  Lines()->Assign(lines);
  Unformat();
  Invalidate();
}

void TRpMemo::SetLine(const AnsiString& line) {
  TStringList& lines = *Lines();
  if (lines.Count() == 1) {
    lines.Put(0, line);
  } else {
    lines.Clear();
    lines.Add(line);
  }
  Unformat();
  Invalidate();
}

void TRpMemo::GetExpandedHeight(Extended& height) {
  FormatLines();
  height = FormattedLines()->Count() * TextLineHeight();
}

void TRpMemo::Paint() {
  if (Lines()->Count() > 0 && !Caption().empty()) SetCaption("");
  TRpCustomLabel::Paint();
}

void TRpMemo::Print(int ofsX, int ofsY) {
  SetCaption("");
  TRpCustomLabel::Print(ofsX, ofsY);
  SetCaption(Name());
}

// ---- system values ----------------------------------------------------------------

TRpSysData::TRpSysData(TComponent* owner) : TRpCustomLabel(owner) { DesignCaption(); }

void TRpSysData::DesignCaption() {
  SetCaption(text_ + "(" + kSysDataNames[data_] + ")");
  Invalidate();
}

void TRpSysData::SetData(TRpSysDataType data) {
  data_ = data;
  DesignCaption();
}

void TRpSysData::SetText(const AnsiString& text) {
  text_ = text;
  DesignCaption();
}

void TRpSysData::Print(int ofsX, int ofsY) {
  auto* report = dynamic_cast<TBandRep*>(ParentReport);
  switch (data_) {
    case rpsTime:
      SetCaption(text_ + FormatDateTime("t", Now()));
      break;
    case rpsDate:
      SetCaption(text_ + FormatDateTime("c", Date()));
      break;
    case rpsDateTime:
      SetCaption(text_ + FormatDateTime("c", Now()));
      break;
    case rpsPageNumber:
      SetCaption(text_ + IntToStr(ParentReport != nullptr ? ParentReport->PageNumber : 0));
      break;
    case rpsReportTitle:
      SetCaption(text_ + (ParentReport != nullptr ? ParentReport->ReportTitle : AnsiString()));
      break;
    case rpsDetailCount:
      if (report != nullptr) SetCaption(text_ + IntToStr(report->GetRecordCount()));
      break;
    case rpsDetailNo:
      if (report != nullptr) SetCaption(text_ + IntToStr(report->GetRecordNumber()));
      break;
  }
  TRpCustomLabel::Print(ofsX, ofsY);
}

// ---- expressions -------------------------------------------------------------------

TRpExpr::TRpExpr(TComponent* owner) : TRpCustomLabel(owner) { SetExpression(""); }

TRpPrintableEditorClass TRpExpr::GetEditorClass() {
  return [](TRpPrintable* control) -> std::unique_ptr<TRpPrintableEditor> {
    return std::make_unique<TRpExprEditor>(control);
  };
}

void TRpExpr::SetExpression(const AnsiString& expression) {
  expression_ = expression;
  SetCaption(expression.empty() ? AnsiString("(none)") : expression);
  Invalidate();
}

void TRpExpr::SetMask(const AnsiString& mask) {
  mask_ = mask;
  SetExpression(expression_);
}

void TRpExpr::SetMaster(TComponent* master) {
  if (master_ != nullptr) master_->RemoveFreeNotification(this);
  master_ = master;
  if (master != nullptr) master->FreeNotification(this);
}

void TRpExpr::Notification(TComponent* component, TOperation operation) {
  TRpCustomLabel::Notification(component, operation);
  if (operation == opRemove && component == master_) master_ = nullptr;
}

void TRpExpr::Prepare() {
  TRpCustomLabel::Prepare();
  if (ParentReport != nullptr) {
    evaluator_.SetDataSets(ParentReport->DataSetList());
    evaluator_.Environment = ParentReport->Functions();
  }
  evaluator_.Prepare(expression_);
  if (auto* master = dynamic_cast<TCustomBandRep*>(master_)) {
    master->AddNotifyClient(this);
  } else if (auto* band = dynamic_cast<TRpControllerBand*>(master_)) {
    band->AddNotifyClient(this);
  } else if (master_ == nullptr && evaluator_.IsAggregate() && ParentReport != nullptr) {
    ParentReport->AddNotifyClient(this);
  }
  evaluator_.Reset();
}

void TRpExpr::Unprepare() {
  evaluator_.SetDataSets(nullptr);
  if (evaluator_.Prepared()) evaluator_.Unprepare();
  TRpCustomLabel::Unprepare();
  SetExpression(expression_);
}

void TRpExpr::BandNotify(TObject* sender, Byte operation) {
  TRpCustomLabel::BandNotify(sender, operation);
  if (operation == 0 && evaluator_.Prepared()) evaluator_.DoAggregate();
}

AnsiString TRpExpr::FormatValue(const TRpEvResult& value, const AnsiString& mask) {
  try {
    switch (value.Kind) {
      case rpvInteger:
        return FormatFloat(mask, static_cast<Extended>(value.IntValue));
      case rpvFloat:
        if (mask.find("%m") != AnsiString::npos)
          return Format(mask, {static_cast<Extended>(value.FloatValue)});
        return FormatFloat(mask, value.FloatValue);
      case rpvBoolean:
        return value.BoolValue ? "True" : "False";
      default:
        return value.StrValue;
    }
  } catch (const Exception& e) {
    // A mask the formatter refuses prints why.
    return e.Message;
  }
}

void TRpExpr::Print(int ofsX, int ofsY) {
  if (!CanPrint() || !evaluator_.Prepared()) return;
  SetPrintText(FormatValue(evaluator_.Value(), mask_));
  Unformat();
  TRpCustomLabel::Print(ofsX, ofsY);
  if (ResetAfterPrint) evaluator_.Reset();
}

// ---- data-set fields --------------------------------------------------------------

TRpDBText::TRpDBText(TComponent* owner) : TRpCustomLabel(owner) {}

void TRpDBText::SetDataSet(TDataSet* dataSet) {
  if (dataSet_ != nullptr) dataSet_->RemoveFreeNotification(this);
  dataSet_ = dataSet;
  if (dataSet != nullptr) dataSet->FreeNotification(this);
}

void TRpDBText::Notification(TComponent* component, TOperation operation) {
  TRpCustomLabel::Notification(component, operation);
  if (operation == opRemove && component == dataSet_) {
    dataSet_ = nullptr;
    field_ = nullptr;
    fieldFound_ = false;
  }
}

bool TRpDBText::RightToLeftAlignment() const {
  if (!TRpCustomLabel::RightToLeftAlignment()) return false;
  const TField* field = field_;
  if (field == nullptr && dataSet_ != nullptr && dataSet_->Active()) field = dataSet_->FindField(dataField_);
  if (field == nullptr) return true;
  const TFieldType kind = field->DataType();
  // Strings, booleans and the kinds after the date-time ones (the data sets
  // here have no auto-increment kind, which would keep its alignment).
  return kind == ftString || kind == ftBoolean || kind > ftDateTime;
}

void TRpDBText::SetDataField(const AnsiString& name) {
  dataField_ = name;
  SetCaption(name);
}

void TRpDBText::Prepare() {
  TRpCustomLabel::Prepare();
  field_ = nullptr;
  fieldFound_ = false;
  memo_ = false;
  if (dataSet_ == nullptr) return;
  field_ = dataSet_->Active() ? dataSet_->FindField(dataField_) : nullptr;
  if (field_ != nullptr) {
    fieldIndex_ = field_->Index();
    fieldFound_ = true;
    memo_ = field_->DataType() == ftMemo || field_->DataType() == ftBlob;
    if (memo_) SetPrintText("");
  }
}

void TRpDBText::Unprepare() {
  field_ = nullptr;
  fieldFound_ = false;
  TRpCustomLabel::Unprepare();
  // DataField itself stays as the designer set it; only the caption shows
  // the name.
  SetCaption(dataField_.empty() ? Name() : dataField_);
}

void TRpDBText::FetchContent(AnsiString& text) {
  if (!CanPrint()) return;
  if (fieldFound_ && dataSet_ != nullptr && dataSet_->Active()) field_ = dataSet_->Fields(fieldIndex_);
  if (field_ == nullptr) {
    text.clear();
    return;
  }
  try {
    if (memo_) {
      Lines()->SetText(field_->AsString());
      return;
    }
    const TFieldType type = field_->DataType();
    if (Mask.empty() || type == ftString) {
      text = field_->Text();
    } else if (type == ftInteger || type == ftSmallint || type == ftWord) {
      text = FormatFloat(Mask, field_->AsInteger());
    } else if (type == ftBCD || type == ftFloat || type == ftCurrency) {
      text = FormatFloat(Mask, field_->AsFloat());
    } else if (type == ftDateTime || type == ftDate || type == ftTime) {
      text = FormatDateTime(Mask, field_->AsDateTime());
    }
  } catch (const Exception&) {
    text.clear();
  }
}

void TRpDBText::Print(int ofsX, int ofsY) {
  AnsiString text = PrintText();
  FetchContent(text);
  SetPrintText(text);
  Unformat();
  TRpCustomLabel::Print(ofsX, ofsY);
}

void TRpDBText::GetExpandedHeight(Extended& height) {
  AnsiString text = PrintText();
  FetchContent(text);
  SetPrintText(text);
  FormatLines();
  height = FormattedLines()->Count() * TextLineHeight();
}
