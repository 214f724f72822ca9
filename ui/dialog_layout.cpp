#include "dialog_layout.h"

#include "resource.h"

namespace recodo {

LayoutEntry LayoutTable[] = {
    {0, 0, 0, 0, 0, 0, IDC_OPTIONS_GROUP, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_FILETYPE_GROUP, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_SOURCE_CHARSET, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_DESTINATION_CHARSET, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_SOURCE_PATH, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_DESTINATION_PATH, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_SOURCE_PICK, AnchorTop | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_DESTINATION_PICK, AnchorTop | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDOK, AnchorBottom | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDCANCEL, AnchorBottom | AnchorRight},
    {0, 0, 0, 0, 0, 0, IDC_MODIFY_HTML, AnchorTop | AnchorLeft},
    {0, 0, 0, 0, 0, 0, IDC_MODIFY_XML, AnchorTop | AnchorLeft},
    {0, 0, 0, 0, 0, 0, IDC_NO_BOM, AnchorTop | AnchorLeft},
    {0, 0, 0, 0, 0, 0, IDC_LINE_BREAK, AnchorTop | AnchorLeft},
    {0, 0, 0, 0, 0, 0, IDC_LINE_BREAK_TEXT, AnchorTop | AnchorLeft | AnchorRight},
    {0, 0, 0, 0, 0, 0, 0, 0},
};

int CountLayoutEntries(const LayoutEntry* table) {
  int n = 0;
  while (table[n].controlId != 0) ++n;
  return n;
}

RECT ControlRectInClient(HWND dialog, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  POINT topLeft{r.left, r.top};
  POINT bottomRight{r.right, r.bottom};
  ScreenToClient(dialog, &topLeft);
  ScreenToClient(dialog, &bottomRight);
  return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

void CaptureLayout(HWND dialog, LayoutEntry* table) {
  RECT client;
  GetClientRect(dialog, &client);
  for (LayoutEntry* row = table; row->controlId != 0; ++row) {
    row->clientWidth = client.right;
    row->clientHeight = client.bottom;
    const RECT r = ControlRectInClient(dialog, GetDlgItem(dialog, static_cast<int>(row->controlId)));
    row->left = r.left;
    row->top = r.top;
    row->right = r.right;
    row->bottom = r.bottom;
  }
}

void ApplyLayout(HWND dialog, const LayoutEntry* table, const RECT& windowRect) {
  // The client size the window rectangle will have, from the frame metrics.
  const int width = windowRect.right - windowRect.left - 2 * GetSystemMetrics(SM_CXFRAME);
  const int height =
      windowRect.bottom - windowRect.top - 2 * GetSystemMetrics(SM_CYFRAME) - GetSystemMetrics(SM_CYCAPTION);
  HDWP batch = BeginDeferWindowPos(CountLayoutEntries(table));
  for (const LayoutEntry* row = table; row->controlId != 0 && batch != nullptr; ++row) {
    int x = 0, y = 0;
    int w = row->right - row->left;
    int h = row->bottom - row->top;
    if (row->anchors & AnchorLeft) x = row->left;
    if (row->anchors & AnchorTop) y = row->top;
    if (row->anchors & AnchorRight) {
      const int newRight = width - (row->clientWidth - row->right);
      if (row->anchors & AnchorLeft) {
        w = newRight - x;
      } else {
        x = newRight - w;
      }
    }
    if (row->anchors & AnchorBottom) {
      const int newBottom = height - (row->clientHeight - row->bottom);
      if (row->anchors & AnchorTop) {
        h = newBottom - y;
      } else {
        y = newBottom - h;
      }
    }
    batch = DeferWindowPos(batch, GetDlgItem(dialog, static_cast<int>(row->controlId)), nullptr, x, y, w, h,
                           SWP_NOZORDER | SWP_NOOWNERZORDER);
  }
  if (batch != nullptr) EndDeferWindowPos(batch);
}

}  // namespace recodo
