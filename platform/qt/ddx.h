// Dialog data exchange of a float with an edit.
#pragma once

#include <QLineEdit>

#include "platform/message_sink.h"

// saveAndValidate false: shows value ("%g", six significant digits).
// saveAndValidate true: reads the edit into value; when it does not hold a
// number, shows "Please enter a number." (no caption of its own, OK and the
// exclamation icon), puts the focus on the edit, selects its text, leaves
// value unchanged and returns false, so the caller stops its exchange there.
bool DDX_TextFloat(QLineEdit* edit, float& value, bool saveAndValidate, vortan::IMessageSink& sink);
