#pragma once
// The report form: the one dialog through which the windows print their
// reports. A caller sets ReportKind and shows the form modally, unless a
// showing is already under way (ShowGuard above 5).
//
// So far the form is the dialog's frame with its exit button; the page
// orientation, frame and font choices and the preview button come with the
// report engine that runs the reports.

#include <cstdint>

#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Panels.h"
#include "report/RpExport.h"

class TrpForm : public TForm {
 public:
  explicit TrpForm(TComponent* AOwner);

  // The report to run: 1 the calculation preview's text, 2 the budget
  // window's check report, 3 the offer budget, 4 the offer of category
  // discounts. Set by the caller before showing the form.
  std::int32_t ReportKind = 0;
  // 10 while the dialog is shown, 0 once it is left; callers do not show
  // the form while it is above 5.
  std::int32_t ShowGuard = 0;

  // What a caller does: nothing while a showing is under way (false);
  // else sets ReportKind to Kind and shows the form modally (true once it
  // has been shown and closed).
  bool ShowForKind(std::int32_t Kind);

  TPanel* Panel1;
  TBitBtn* BitBtn1;  // "ΕΞΟΔΟΣ"
  // While the form exists the preview's save dialog offers the
  // spreadsheet and RTF formats after the page file.
  TRpExcelFilter* rpExcelFilter1;
  TRpRTFFilter* rpRTFFilter1;

  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void BitBtn1Click(TObject* Sender);
};
