#pragma once
// What the design-time windows share in building themselves.

#include "platform/ui/Forms.h"

// A control of Owner named Name, placed on Parent at the given bounds.
template <typename T>
T* RpPlaceControl(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
                  int height) {
  T* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

// A design-time dialog window: fixed border, centred on the screen.
inline void RpSetUpDialog(TCustomForm& form, const char* name, const AnsiString& caption, int clientWidth,
                          int clientHeight) {
  form.SetName(name);
  form.SetCaption(caption);
  form.BorderStyle = bsDialog;
  form.Position = poScreenCenter;
  form.SetClientWidth(clientWidth);
  form.SetClientHeight(clientHeight);
}
