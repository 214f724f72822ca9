#include "erase_clipping.h"

namespace recodo {
namespace {

void Exclude(HDC dc, HRGN region) {
  ExtSelectClipRgn(dc, region, RGN_DIFF);
  DeleteObject(region);
}

bool IsGroupBox(HWND control) {
  wchar_t name[128] = {};
  GetClassNameW(control, name, 128);
  return lstrcmpiW(name, L"button") == 0 && (GetWindowLongW(control, GWL_STYLE) & 7) == BS_GROUPBOX;
}

}  // namespace

void ClipControlsForErase(HDC dc, const LayoutEntry* table) {
  HWND dialog = WindowFromDC(dc);
  const int edgeX = GetSystemMetrics(SM_CXEDGE);
  const int edgeY = GetSystemMetrics(SM_CYEDGE);
  for (const LayoutEntry* row = table; row->controlId != 0; ++row) {
    HWND control = GetDlgItem(dialog, static_cast<int>(row->controlId));
    const RECT r = ControlRectInClient(dialog, control);
    const int left = r.left, top = r.top, right = r.right, bottom = r.bottom;

    if (!IsGroupBox(control)) {
      Exclude(dc, CreateRectRgn(left, top, right, bottom));
      continue;
    }
    // A group box keeps only its caption and frame line; its inside is
    // background like the rest.
    wchar_t caption[128] = {};
    GetWindowTextW(control, caption, 128);
    RECT text{0, 0, 0, 0};
    HDC controlDc = GetDC(control);
    HGDIOBJ oldFont = SelectObject(controlDc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    DrawTextW(controlDc, caption, -1, &text, DT_CALCRECT | DT_EXTERNALLEADING | DT_SINGLELINE);
    SelectObject(controlDc, oldFont);
    ReleaseDC(control, controlDc);
    const int tw = text.right, th = text.bottom;
    Exclude(dc, CreateRectRgn(left + 7, top, left + 7 + tw + edgeX, top + th + edgeY));

    const int m = th / 2;
    HRGN outer = CreateRectRgn(left, top + m, right, bottom);
    HRGN inner = CreateRectRgn(left + edgeX, top + m + edgeY, right - edgeX, bottom - edgeY);
    CombineRgn(outer, outer, inner, RGN_XOR);
    DeleteObject(inner);
    Exclude(dc, outer);
  }
}

}  // namespace recodo
