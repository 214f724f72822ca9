// The conversion dialog shown for an empty command line, or for "/dialog"
// and files: it fills the settings and ends with 1 (Convert) or 2 (Cancel).
// A file dropped on it becomes its source.
#pragma once

#include <windows.h>

#include "file_filters.h"

namespace recodo {

// Files the dialog starts with ("/dialog" and the files named with it): the
// first is the source, as if picked.
struct DialogStart {
  const char16_t* source = nullptr;
  unsigned files = 0;
};

// Its init parameter points to a DialogStart, or is 0.
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
