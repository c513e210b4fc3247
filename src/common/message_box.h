#pragma once

#include "common/message.h"

class QMessageBox;

namespace vorkel {

// The real box for a message: title, texts, icon, OK, and wide enough that
// its texts are not squeezed into a narrow column.
void SetUpMessageBox(QMessageBox& box, const Message& message);

// From here on messages are shown in modal boxes (the windows call it).
void UseMessageBoxes();

} // namespace vorkel
