#pragma once
// The base of cell-check plug-ins: a grid that has one attached lets it
// correct a typed text and mark its errors when the cell is committed.

#include "platform/ui/Component.h"

class TExtStringGridCheck : public TComponent {
 public:
  explicit TExtStringGridCheck(TComponent* AOwner) : TComponent(AOwner) {}
  bool AutoCorrect = false;
  bool AutoMarkError = false;
  bool GotoCell = false;
  bool UseCorrect = false;
  bool UseMarkError = false;
  virtual AnsiString CheckCorrect(int /*ACol*/, int /*ARow*/, const AnsiString& Text) { return Text; }
  virtual AnsiString CheckMarkError(int /*ACol*/, int /*ARow*/, const AnsiString& Text) { return Text; }
  virtual void BeginCheck() {}
  virtual void EndCheck() {}
};
