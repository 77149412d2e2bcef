// What the browser host tells the page about windows, boxes and dialogs, as JSON.
#pragma once

#include <string>

#include "framework/sim/desktop.h"

namespace web {

// The top-level windows (dialogs aside): place, client size, caption, icon, menu bar.
std::string WindowsJson(const sim::Desktop& desktop);
// A message box or dialog that opens: its texts, or its template laid out in dialog units.
std::string ModalJson(const sim::Modal& modal, int serial);
// The check state and enabling of an open dialog's controls.
std::string DialogState(const sim::Modal& modal);

}  // namespace web
