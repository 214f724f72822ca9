// The conversion dialog shown for an empty command line: it fills the
// settings and ends with 1 (Convert) or 2 (Cancel).
#pragma once

#include <windows.h>

#include "file_filters.h"

namespace recodo {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Selects the first entry of a character-set list whose name is `name`
// (ASCII letters without case); a null name does nothing.
void SelectCharsetInList(HWND list, const char16_t* name);

// What follows a source pick: the destination proposal, the two paths shown,
// and the detected set preselected in both lists.
void OnSourcePicked(HWND dialog);

// Convert is enabled exactly when both paths are shown and a destination
// set is chosen.
void UpdateConvertButton(HWND dialog);

// The picker filters, for the rest of the process.
extern char16_t FilterBuffer[kFilterBufferUnits];

}  // namespace recodo
