#include "platform/ui/ComCtrls.h"

// ---- TCustomRichEdit ----------------------------------------------------------------

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

TCustomRichEdit::~TCustomRichEdit() = default;
