#pragma once
// The spreadsheet link: TExcel speaks to the spreadsheet program's service
// "Excel" on its topic "System" in that program's macro commands, and
// TFrmExcel is the dialog through which the budget window sends its grid.
//
// Cells go in frames: PutCell queues its select and formula commands, and
// the queue is sent when it reaches a frame's worth, 10 ms after the last
// send, before any other command and at the end. A transfer of thousands of
// cells therefore takes a fraction of a second instead of minutes of 10 ms
// waits, while every command still reaches the program once, in order.

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ipc/DdeMan.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Panels.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/StdEdits.h"

class TExcel : public TComponent {
 public:
  explicit TExcel(TComponent* AOwner);
  ~TExcel() override;

  // The program the conversation starts when the service does not answer;
  // kept without its extension as the service application.
  const AnsiString& ExeName() const { return exeName_; }
  void SetExeName(const AnsiString& name);
  bool Connected() const { return conv_.Connected(); }

  // Opens the conversation unless it is open; raises Exception with the
  // program's message when it cannot.
  void Connect();
  // Sends what is queued, then Cmd. A refused command is tried once more
  // after four turns of the message queue; refused again, it raises
  // "<Cmd> not excepted by Excel".
  void Exec(const AnsiString& Cmd);
  void Select(int Row, int Col);
  // Double quotes become single quotes, so the text stays one argument.
  void Formula(const AnsiString& Text);
  // Select and Formula of one cell, queued.
  void PutCell(int Row, int Col, const AnsiString& Text);
  void Minimize();
  void MinimizeAndNew();
  void Restore();
  // Sends every queued command, a frame at a time, turning the message
  // queue once per frame.
  void Flush();

  std::function<void(TObject* Sender)> OnOpen;
  std::function<void(TObject* Sender)> OnClose;

  // The commands of a select and a formula, as they are sent.
  static AnsiString SelectCommand(int Row, int Col);
  static AnsiString FormulaCommand(const AnsiString& Text);
  TDdeClientConv& Conversation() { return conv_; }

 private:
  void Queue(AnsiString cmd);
  void RunWithRetry(const AnsiString& cmd);

  TDdeClientConv conv_;
  AnsiString exeName_;
  std::vector<AnsiString> queue_;
  std::chrono::steady_clock::time_point lastSend_;
};

using TExcelTransferEvent = std::function<void(TExcel* Excel)>;

class TFrmExcel : public TForm {
 public:
  explicit TFrmExcel(TComponent* AOwner);

  TPanel* pnlInfo;
  TRadioGroup* radgrpWorkSheet;
  TSpeedButton* btnspdRunExcel;
  TSpeedButton* btnspdClose;
  TLabel* Label1;
  TEdit* edtExcelPos;
  TSpeedButton* btnspdLocateExcel;
  TOpenDialog* odLocateExcel;

  // The routine that writes the cells once the link is up.
  TExcelTransferEvent Transfer;
  // Created on the first transfer, owned by the dialog.
  TExcel* Excel = nullptr;

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void btnspdRunExcelClick(TObject* Sender);
  void btnspdCloseClick(TObject* Sender);
  void btnspdLocateExcelClick(TObject* Sender);
};

// Shows the dialog modally with the transfer routine, then frees it.
void ShowExcelDialog(const TExcelTransferEvent& Transfer);
