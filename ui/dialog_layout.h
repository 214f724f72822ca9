// The anchored controls of the main dialog: captured once, laid out again
// from that capture for every new window size.
#pragma once

#include <windows.h>

#include <cstdint>

namespace recodo {

enum : std::uint32_t { AnchorTop = 1, AnchorLeft = 2, AnchorBottom = 4, AnchorRight = 8 };

struct LayoutEntry {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  std::int32_t clientWidth;
  std::int32_t clientHeight;
  std::uint32_t controlId;  // 0 ends the table
  std::uint32_t anchors;
};

extern LayoutEntry LayoutTable[];

// A control's window rectangle in the dialog's client coordinates.
RECT ControlRectInClient(HWND dialog, HWND control);

int CountLayoutEntries(const LayoutEntry* table);
void CaptureLayout(HWND dialog, LayoutEntry* table);
void ApplyLayout(HWND dialog, const LayoutEntry* table, const RECT& windowRect);

}  // namespace recodo
