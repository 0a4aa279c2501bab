#pragma once
// The program's dialogs, all of them our own windows: message boxes with
// the Greek captions and buttons, and the open, save, font, print, printer
// set-up, find and input dialogs.
//
// Message boxes go through the backend (Backend().MessageBox), so that the
// headless backend answers them from its script by their text; the screen
// backend shows them as the message form built here.

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/print/Printers.h"
#include "platform/ui/Forms.h"

// ---- message boxes ----------------------------------------------------------

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};

// The system has no message box of Yes with Cancel; the message dialogs
// have, and carry it to the backend under this type.
constexpr UINT MB_YESCANCEL = 0x0007;

// Shows Msg with the caption of its kind ("Προειδοποίηση", "Σφάλμα",
// "Πληροφορία", "Επιβεβαίωση"; the application's title for mtCustom), the
// kind's icon and Buttons, which must be one of the sets the program uses:
// OK; Yes, No; Yes, Cancel; OK, Cancel; Yes, No, Cancel (others raise
// EInvalidOperation). Answers mrYes, mrNo, mrOk or mrCancel.
int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// Msg in a box captioned with the application's title, with OK.
void ShowMessage(const AnsiString& Msg);
// The system's message box call: Type is MB_OK... with an MB_ICON kind.
int MessageBox(HWND hWnd, const AnsiString& Text, const AnsiString& Caption, UINT Type);

// The message form for Text: icon by the MB_ICON bits, buttons by the type
// bits (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, MB_YESCANCEL; others
// raise EInvalidOperation), default button by MB_DEFBUTTONn. Enter presses
// the focused button, Escape and closing the window answer Cancel (No
// without Cancel, OK alone), and each button's "&" letter presses it. The
// caller owns the form; ShowModal answers IDOK, IDYES...
TForm* CreateMessageDialog(const AnsiString& Text, const AnsiString& Caption, UINT Type);
// Builds the message form, shows it modally, frees it: what the backends
// that show windows do for Backend().MessageBox.
int ShowMessageForm(const AnsiString& Text, const AnsiString& Caption, UINT Type);

// ---- the common dialogs -----------------------------------------------------

class TCommonDialog : public TComponent {
 public:
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  // Shows the dialog (modally, except the find dialog); true when the user
  // confirmed.
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;
};

// The options the program sets; with ofEnableSizing the user can make the
// dialog larger (its lists grow), without it the dialog keeps its size.
enum TOpenOption {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofPathMustExist,
  ofFileMustExist,
  ofEnableSizing,
};
using TOpenOptions = TSet<TOpenOption>;

// Choosing a file to open in the real file system: a folder list, a file
// list showing the files of the chosen filter, a file name field. Names are
// 1253 (files whose names the code page cannot spell are not listed).
// Options acted on: ofFileMustExist, ofPathMustExist, ofOverwritePrompt
// (save), ofHideReadOnly (else an "open read-only" box sets ofReadOnly),
// ofNoChangeDir (else the current folder becomes the chosen file's, as the
// system's dialogs do).
class TOpenDialog : public TCommonDialog {
 public:
  explicit TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;

  // The chosen file, with its folder; before Execute, the name to start with.
  AnsiString FileName;
  // Pairs "description|masks|description|masks", masks separated by ";".
  AnsiString Filter;
  // 1-based; after Execute, the filter that was chosen.
  int FilterIndex = 1;
  // Added (without the dot) to a typed name that has no extension.
  AnsiString DefaultExt;
  AnsiString InitialDir;
  AnsiString Title;
  TOpenOptions Options{ofHideReadOnly, ofEnableSizing};

 protected:
  virtual bool IsSaveDialog() const { return false; }
};

class TSaveDialog : public TOpenDialog {
 public:
  explicit TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

 protected:
  bool IsSaveDialog() const override { return true; }
};

// ---- window-free parts of the file dialogs ----------------------------------
namespace dialogs {

struct TFilterEntry {
  AnsiString Description;
  std::vector<AnsiString> Masks;
};
// The question before files that exist are written over: "<name> υπάρχει
// ήδη." for one, the names one a line for several.
AnsiString ReplaceQuestion(const std::vector<AnsiString>& fileNames);

// The pairs of a filter string; a description without masks is dropped,
// and an empty filter gives one entry showing every file.
std::vector<TFilterEntry> ParseFilter(const AnsiString& filter);

// What an open or save dialog shows and decides, without its window: the
// folder, its subfolders and the files of the chosen filter, and what the
// OK button does with the typed name.
class TFileBrowser {
 public:
  TFileBrowser(const AnsiString& folder, const AnsiString& filter, int filterIndex,
               const AnsiString& defaultExt, TOpenOptions options, bool save);

  const AnsiString& Folder() const { return folder_; }
  // Subfolders of the folder, ".." first except at the root.
  const std::vector<AnsiString>& Folders() const { return folders_; }
  const std::vector<AnsiString>& Files() const { return files_; }
  const std::vector<TFilterEntry>& Filters() const { return filters_; }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index);
  // Into a subfolder of the current one, or ".." up; false when it cannot
  // be listed.
  bool Enter(const AnsiString& folder);
  bool SetFolder(const AnsiString& folder);
  void Refresh();

  enum class TVerdict {
    Listed,   // the typed text was a folder or a mask: the lists changed
    Refused,  // Message tells why; the dialog stays
    Confirm,  // Message asks whether to overwrite; Yes takes FileName
    Chosen,   // FileName is the answer
  };
  struct TAccept {
    TVerdict Verdict = TVerdict::Listed;
    AnsiString FileName;
    AnsiString Message;
  };
  // What OK does with the typed text.
  TAccept Accept(const AnsiString& typed);

 private:
  std::vector<AnsiString> masks_;
  std::vector<TFilterEntry> filters_;
  AnsiString folder_;
  std::vector<AnsiString> folders_;
  std::vector<AnsiString> files_;
  int filterIndex_ = 1;
  AnsiString defaultExt_;
  TOpenOptions options_;
  bool save_;
};

}  // namespace dialogs

// ---- input boxes ------------------------------------------------------------

// A box captioned ACaption asking APrompt, with Value in an edit (selected)
// and OK and Cancel. True on OK, with the edited text in Value.
bool InputQuery(const AnsiString& ACaption, const AnsiString& APrompt, AnsiString& Value);
// The edited text on OK, ADefault otherwise.
AnsiString InputBox(const AnsiString& ACaption, const AnsiString& APrompt, const AnsiString& ADefault);

// ---- find -------------------------------------------------------------------

enum TFindOption {
  frDown,
  frFindNext,
  frHideMatchCase,
  frHideWholeWord,
  frHideUpDown,
  frMatchCase,
  frDisableMatchCase,
  frDisableUpDown,
  frDisableWholeWord,
  frWholeWord,
};
using TFindOptions = TSet<TFindOption>;

namespace dialogs {
class TFindForm;
}

// The find dialog is modeless: Execute shows it and returns at once; each
// "Εύρεση επομένου" puts the text and choices into FindText and Options
// (with frFindNext) and calls OnFind, until the user closes the dialog.
class TFindDialog : public TCommonDialog {
 public:
  explicit TFindDialog(TComponent* AOwner);
  bool Execute() override;
  void CloseDialog();

  AnsiString FindText;
  TFindOptions Options{frDown};
  // Where the dialog appears (screen coordinates); -1 centres it.
  int Left = -1;
  int Top = -1;
  TPoint Position() const { return Point(Left, Top); }
  void SetPosition(TPoint p) {
    Left = p.X;
    Top = p.Y;
  }
  TNotifyEvent OnFind;
  // The dialog's window while it exists (for tests and placing).
  TCustomForm* Form() const;

 private:
  friend class dialogs::TFindForm;
  dialogs::TFindForm* form_ = nullptr;
};

// ---- font -------------------------------------------------------------------

// fdEffects shows strike-out, underline and colour; fdLimitSize keeps the
// size within MinFontSize..MaxFontSize.
enum TFontDialogOption { fdEffects, fdLimitSize };
using TFontDialogOptions = TSet<TFontDialogOption>;

// Choosing a font among the faces the program offers (FontFaceNames), its
// style and size in points, and with fdEffects underline, strike-out and
// one of the sixteen basic colours.
class TFontDialog : public TCommonDialog {
 public:
  explicit TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  // The font to start with; after Execute, the one chosen.
  TFont Font;
  TFontDialogOptions Options{fdEffects};
  int MinFontSize = 0;
  int MaxFontSize = 0;
};

// ---- printing ---------------------------------------------------------------

enum TPrintRange { prAllPages, prSelection, prPageNums };
enum TPrintDialogOption { poPrintToFile, poPageNums, poSelection, poWarning, poHelp, poDisablePrintToFile };
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// Choosing the printer, the pages and the copies for a print job. On OK
// the program's printer (Printer()) takes the chosen printer (its settings
// start afresh only when it is another one), the copies and the collation.
// poPageNums (with MinPage below MaxPage) and poSelection offer those
// ranges, page numbers checked against MinPage..MaxPage; poPrintToFile shows the
// "print to file" box (greyed with poDisablePrintToFile). Without any
// printer the dialog does not show (poWarning says so first). poHelp adds a
// Help button that sends the registered "commdlg_help" message (wParam: the
// dialog's window) to HelpWindow, as the system's dialog tells its owner.
struct TPrintDialogChoices {
  bool Collate = false;
  int Copies = 1;
  int FromPage = 0;
  int ToPage = 0;
  int MinPage = 0;
  int MaxPage = 0;
  TPrintDialogOptions Options;
  TPrintRange PrintRange = prAllPages;
  bool PrintToFile = false;
};

class TPrintDialog : public TCommonDialog, public TPrintDialogChoices {
 public:
  explicit TPrintDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
  // Shown across the middle a third of the way down the screen's free
  // area, rather than in its centre.
  bool ThirdOfScreen = false;
  HWND HelpWindow = nullptr;
};

// From now on, each document the PDF printer writes to a file it names
// itself is followed by an information box naming that file, so that the
// user finds what was "printed".
void ShowPrintedFileNames();
AnsiString PrintedFileMessage(const AnsiString& fileName);

// Choosing the printer, its paper, paper source and orientation; on OK
// the program's printer takes them. Without any printer it says so.
class TPrinterSetupDialog : public TCommonDialog {
 public:
  explicit TPrinterSetupDialog(TComponent* AOwner) : TCommonDialog(AOwner) {}
  bool Execute() override;
};

// ---- page set-up -------------------------------------------------------------

constexpr DWORD PSD_DEFAULTMINMARGINS = 0x0, PSD_MINMARGINS = 0x1, PSD_MARGINS = 0x2,
                PSD_INTHOUSANDTHSOFINCHES = 0x4, PSD_INHUNDREDTHSOFMILLIMETERS = 0x8,
                PSD_DISABLEMARGINS = 0x10, PSD_DISABLEPRINTER = 0x20, PSD_DISABLEORIENTATION = 0x100,
                PSD_DISABLEPAPER = 0x200, PSD_RETURNDEFAULT = 0x400, PSD_ENABLEPAGESETUPHOOK = 0x2000;

// A device-names block: three offsets (16-bit, in bytes from the block's
// start) of the driver, device and port names, a default flag, then the
// names, each ending in a zero byte.
std::string MakeDevNames(const AnsiString& driver, const AnsiString& device, const AnsiString& port);
// False when the block is too short or an offset points outside it.
bool ReadDevNames(std::string_view block, AnsiString& driver, AnsiString& device, AnsiString& port);

// The page set-up request and its answer. Margins and the paper's size are
// in thousandths of an inch (PSD_INTHOUSANDTHSOFINCHES) or hundredths of a
// millimetre (PSD_INHUNDREDTHSOFMILLIMETERS): Left, Top, Right, Bottom.
struct PAGESETUPDLG {
  HWND hwndOwner = nullptr;
  // The printer to start with (its names and its settings); on OK the
  // chosen one. Empty: the program's printer.
  std::string hDevNames;
  std::optional<TDeviceMode> hDevMode;
  DWORD Flags = 0;
  TPoint ptPaperSize{0, 0};
  // With PSD_MINMARGINS the smallest margins allowed, else the printer's
  // unprintable edges.
  TRect rtMinMargin{0, 0, 0, 0};
  // With PSD_MARGINS the margins to start with; on OK the chosen ones.
  TRect rtMargin{0, 0, 0, 0};
  // With PSD_ENABLEPAGESETUPHOOK, called with the dialog before it shows.
  std::function<void(TCustomForm&)> lpfnPageSetupHook;
};

// The page set-up dialog: printer, paper, orientation and margins, each
// part greyed by its PSD_DISABLE flag. On OK the record holds the choice
// and the result is true; Cancel leaves the record as it was. Margins
// below the minimum are raised to it; margins that leave no room on the
// paper are refused with a message. Without any printer it says so.
bool PageSetupDlg(PAGESETUPDLG& psd);

class TComboBox;
namespace dialogs {
class TDialogForm;
// A paper's name as the dialogs show it: "A4 (210 x 297 mm)".
AnsiString PaperName(int code);
// The printer group the printing dialogs begin with, its list named
// "PrinterList" showing the program's printer.
TComboBox* AddPrinterChooser(TDialogForm& form, int width);
// False, after saying so when asked, when there is no printer to choose.
bool HavePrinters(bool warn);
}  // namespace dialogs
