// What the browser host tells the page about windows, boxes and dialogs, as JSON: resolved to
// what the page draws (buttons and their texts, controls in pixels), so the page knows none of
// the system's rules.
#pragma once

#include <functional>
#include <string>

#include "framework/sim/desktop.h"

namespace web {

// The name the page gives a top-level window's frame and canvas.
using WindowNamer = std::function<std::string(const sim::WindowInfo& window, bool isMain)>;

// The top-level windows (dialogs aside): place, frame, client size, caption, icon, menu bar.
std::string WindowsJson(const sim::Desktop& desktop, const WindowNamer& name);
// A message box or dialog that opens: its texts and buttons, or its controls in pixels.
std::string ModalJson(const sim::Modal& modal, int serial);
// The check state and enabling of an open dialog's controls.
std::string DialogState(const sim::Modal& modal);
// What a screen reader finds in a window as it now is (its cells with their names and places in
// client pixels, in rows of `columns`, and the focused one) and what just changed: a cell's
// name, the focus, all the cells, or a sentence said (`said`).
std::string AccessJson(const sim::Desktop& desktop, const sim::AccessRecord& news);

}  // namespace web
