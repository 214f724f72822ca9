// Keeps the dialog's background fill off its controls.
#pragma once

#include <windows.h>

#include "dialog_layout.h"

namespace recodo {

// Removes from the clip region of the erase device context every control of
// the table, and of a group box only its caption and frame line.
void ClipControlsForErase(HDC dc, const LayoutEntry* table);

}  // namespace recodo
