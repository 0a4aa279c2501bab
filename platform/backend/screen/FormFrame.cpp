#include "platform/backend/screen/FormFrame.h"

TFrameHints FrameHintsFor(TFormBorderStyle style, TBorderIcons icons, bool modal) {
  TFrameHints hints;
  const bool dialog = style == bsDialog;
  hints.Dialog = dialog;
  // A modal form that could be minimised or left behind its owner would
  // leave the program's other windows disabled with nothing to answer.
  hints.Transient = modal || dialog;
  if (style == bsNone) return hints;
  const bool sizeable = style == bsSizeable || style == bsSizeToolWin;
  hints.FixedSize = !sizeable;
  // Minimise and maximise hang on the system menu; dialogs and tool
  // windows never have them.
  const bool menu = icons.Contains(biSystemMenu);
  const bool boxes = menu && (style == bsSingle || style == bsSizeable);
  const bool minimize = boxes && icons.Contains(biMinimize);
  const bool maximize = boxes && icons.Contains(biMaximize);
  // A modal form minimised alone would hide what the disabled windows wait
  // for.
  const bool minimizeAllowed = minimize && !modal;
  hints.Functions = mwm::FuncMove;
  hints.Decorations = mwm::DecorBorder | mwm::DecorTitle;
  if (sizeable) {
    hints.Functions |= mwm::FuncResize;
    hints.Decorations |= mwm::DecorResizeHandle;
  }
  if (menu) {
    hints.Functions |= mwm::FuncClose;
    hints.Decorations |= mwm::DecorMenu;
  }
  if (minimizeAllowed) {
    hints.Functions |= mwm::FuncMinimize;
    hints.Decorations |= mwm::DecorMinimize;
  }
  if (maximize) {
    hints.Functions |= mwm::FuncMaximize;
    hints.Decorations |= mwm::DecorMaximize;
  }
  hints.Restricted = !(sizeable && menu && minimizeAllowed && maximize);
  return hints;
}

TFrameHints FrameHintsFor(const TCustomForm& form) {
  return FrameHintsFor(form.BorderStyle, form.BorderIcons, form.FormState.Contains(fsModal));
}
