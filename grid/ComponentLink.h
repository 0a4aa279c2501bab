#pragma once
// A component referred to but not owned (an image list, a picture container,
// a checker): the holder is told when it is freed and forgets it, so that no
// paint or commit reaches freed memory.

#include "platform/ui/Component.h"

// Points Slot at Value; Holder hears of Value's freeing (and no longer of the
// one Slot held before).
template <typename T>
void LinkComponent(TComponent& Holder, T*& Slot, T* Value) {
  if (Slot == Value) return;
  if (Slot) Slot->RemoveFreeNotification(&Holder);
  Slot = Value;
  if (Value) Value->FreeNotification(&Holder);
}

// Clears Slot when it holds the component being freed.
template <typename T>
void ForgetFreed(T*& Slot, const TComponent* Freed) {
  if (Slot != nullptr && static_cast<const TComponent*>(Slot) == Freed) Slot = nullptr;
}
