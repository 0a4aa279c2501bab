#pragma once
// A small demo form for the tests: an edit-like control, buttons with
// default/cancel/accelerator behaviour, a custom-drawn graphic control, a
// timer and a popup. They log what reaches them so tests can check order.

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

struct EventLog {
  std::vector<std::string> lines;
  void Add(const std::string& s) { lines.push_back(s); }
  void Clear() { lines.clear(); }
  int Count(const std::string& s) const { return static_cast<int>(std::count(lines.begin(), lines.end(), s)); }
};

// Takes characters, Backspace deletes; paints its text.
class TDemoEdit : public TCustomControl {
 public:
  explicit TDemoEdit(TComponent* owner) : TCustomControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
  }
  int PaintCount = 0;
  TRect LastPaintClip;
  EventLog* Log = nullptr;

  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case WM_GETDLGCODE:
        m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS;
        return;
      case WM_SETFOCUS:
        if (Log) Log->Add(Name() + ".WM_SETFOCUS");
        break;
      case WM_KILLFOCUS:
        if (Log) Log->Add(Name() + ".WM_KILLFOCUS");
        break;
      case WM_DESTROY:
        if (Log) Log->Add(Name() + ".WM_DESTROY");
        break;
      case CM_FONTCHANGED:
        if (Log) Log->Add(Name() + ".CM_FONTCHANGED");
        break;
      case WM_CHAR: {
        TCustomControl::Dispatch(m);  // OnKeyPress may change or eat it
        const char ch = static_cast<char>(m.WParam);
        if (ch == '\b') {
          if (!Text().empty()) SetText(Text().substr(0, Text().size() - 1));
        } else if (static_cast<unsigned char>(ch) >= ' ') {
          SetText(Text() + ch);
        }
        return;
      }
      default:
        break;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    ++PaintCount;
    LastPaintClip = Canvas().ClipRect();
    Canvas().Brush->Color = Color();
    Canvas().FillRect(ClientRect());
    Canvas().Font->Assign(Font());
    Canvas().TextOut(2, 2, Text());
  }
  void DoEnter() override {
    if (Log) Log->Add(Name() + ".OnEnter");
    TCustomControl::DoEnter();
  }
  void DoExit() override {
    if (Log) Log->Add(Name() + ".OnExit");
    TCustomControl::DoExit();
  }
};

// A push button: click by mouse, Space, Enter when Default, Escape when
// Cancel, Alt+accelerator from its "&" caption; sets the form's
// ModalResult when it has one.
class TDemoButton : public TCustomControl {
 public:
  explicit TDemoButton(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }
  bool Default = false;
  bool Cancel = false;
  TModalResult ModalResult = mrNone;
  int PaintCount = 0;

  void Click() override {
    if (TCustomForm* form = GetParentForm(); form && ModalResult != mrNone) form->SetModalResult(ModalResult);
    TCustomControl::Click();
  }
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case CM_DIALOGKEY:
        if ((MsgCharCode(m) == VK_RETURN && Default) || (MsgCharCode(m) == VK_ESCAPE && Cancel)) {
          Click();
          m.Result = 1;
          return;
        }
        break;
      case CM_DIALOGCHAR:
        if (IsAccel(MsgCharCode(m), Caption()) && Enabled() && Visible()) {
          Click();
          m.Result = 1;
          return;
        }
        break;
      case WM_KEYDOWN:
        if (MsgCharCode(m) == VK_SPACE) {
          Click();
          return;
        }
        break;
      default:
        break;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    ++PaintCount;
    Canvas().Brush->Color = clBtnFace;
    Canvas().FillRect(ClientRect());
    Canvas().Pen->Color = clBlack;
    Canvas().Brush->Style = bsClear;
    Canvas().Rectangle(ClientRect());
  }
};

// Custom-drawn, windowless: a filled square in its colour.
class TDemoSwatch : public TGraphicControl {
 public:
  explicit TDemoSwatch(TComponent* owner) : TGraphicControl(owner) { SetColor(clRed); }
  int PaintCount = 0;
  TRect LastPaintClip;

 protected:
  void Paint() override {
    ++PaintCount;
    LastPaintClip = Canvas().ClipRect();
    Canvas().Brush->Color = Color();
    Canvas().FillRect(ClientRect());
  }
};

// A control that, like a grid under BeginUpdate, ignores WM_PAINT while
// locked.
class TDemoLockable : public TCustomControl {
 public:
  explicit TDemoLockable(TComponent* owner) : TCustomControl(owner) {}
  int UpdateCount = 0;
  int PaintCount = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_PAINT && UpdateCount > 0) {
      m.Result = 0;
      return;
    }
    TCustomControl::Dispatch(m);
  }

 protected:
  void Paint() override {
    ++PaintCount;
    Canvas().Brush->Color = Color();
    Canvas().FillRect(ClientRect());
  }
};

class TDemoForm : public TForm {
 public:
  explicit TDemoForm(TComponent* owner) : TForm(owner) {
    SetCaption("Demo");
    SetBounds(100, 50, 400, 300);
    Edit1 = Add<TDemoEdit>("Edit1", 10, 10, 150, 24);
    Edit2 = Add<TDemoEdit>("Edit2", 10, 40, 150, 24);
    Swatch = Add<TDemoSwatch>("Swatch", 200, 10, 40, 40);
    OkButton = Add<TDemoButton>("OkButton", 10, 250, 80, 25);
    OkButton->SetCaption("&OK");
    OkButton->Default = true;
    OkButton->ModalResult = mrOk;
    CancelButton = Add<TDemoButton>("CancelButton", 100, 250, 80, 25);
    CancelButton->SetCaption("Ακυρο"_a);
    CancelButton->Cancel = true;
    CancelButton->ModalResult = mrCancel;
    StopButton = Add<TDemoButton>("StopButton", 190, 250, 80, 25);
    StopButton->SetCaption("&Stop");
    StopButton->OnClick = [this](TObject*) { StopRequested = true; };
    Ticker = new TTimer(this);
    Ticker->SetEnabled(false);
    Ticker->SetInterval(500);
    Ticker->OnTimer = [this](TObject*) { ++Ticks; };
  }

  template <typename C>
  C* Add(const char* name, int x, int y, int w, int h) {
    auto* c = new C(this);
    c->SetName(name);
    c->SetBounds(x, y, w, h);
    c->SetParent(this);
    return c;
  }

  TDemoEdit* Edit1;
  TDemoEdit* Edit2;
  TDemoSwatch* Swatch;
  TDemoButton* OkButton;
  TDemoButton* CancelButton;
  TDemoButton* StopButton;
  TTimer* Ticker;
  bool StopRequested = false;
  int Ticks = 0;
};
