// The conversion dialog under a virtual display: its template, lists, what a
// source pick does, Convert, the layout while sizing and the erase clipping.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <map>
#include <vector>
#include <string>

#include "driver/settings.h"
#include "ui/charset_list.h"
#include "ui/dialog_layout.h"
#include "ui/erase_clipping.h"
#include "ui/main_dialog.h"
#include "ui/resource.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;

class MainDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramSettings() = Settings{};
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc, 0);
    ASSERT_NE(dialog_, nullptr);
    ShowWindow(dialog_, SW_SHOW);
    dir_ = fs::temp_directory_path() / ("recodo-dialog-" + std::to_string(GetTickCount()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
    ProgramSettings() = Settings{};
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::wstring Text(int id) const {
    wchar_t text[300] = {};
    GetWindowTextW(Item(id), text, 300);
    return text;
  }
  std::wstring Selected(int id) const {
    const LRESULT index = SendMessageW(Item(id), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return L"(none)";
    wchar_t text[128] = {};
    SendMessageW(Item(id), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
  }
  RECT ClientRectOf(int id) const {
    RECT r;
    GetWindowRect(Item(id), &r);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  void Command(int id, int code = 0) { SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, code), 0); }
  void Pick(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
    CopyPath(ProgramSettings().sourcePath, file.u16string().c_str());
    OnSourcePicked(dialog_);
    Command(IDC_SOURCE_PATH, EN_CHANGE);  // the enabling rule runs after any command
  }
  void SetWidth(int width) {
    RECT r;
    GetWindowRect(dialog_, &r);
    SetWindowPos(dialog_, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  }
  int Width() const {
    RECT r;
    GetWindowRect(dialog_, &r);
    return r.right - r.left;
  }

  HWND dialog_ = nullptr;
  fs::path dir_;
};

struct Control {
  int id;
  const wchar_t* className;
  LONG style;  // bits that must be set
  const wchar_t* caption;
  int x, y, width, height;
};

const Control kControls[] = {
    {IDOK, L"Button", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_DISABLED, L"&Convert", 185, 207, 50, 14},
    {IDCANCEL, L"Button", WS_TABSTOP, L"Cancel", 129, 207, 50, 14},
    {IDC_SOURCE_CHARSET, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, nullptr, 7, 15, 204, 103},
    {-1, L"Static", WS_GROUP, L"Source character set:", 7, 6, 84, 8},
    {IDC_DESTINATION_CHARSET, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, nullptr, 7, 57, 204, 97},
    {-1, L"Static", WS_GROUP, L"Destination character set:", 7, 48, 84, 8},
    {IDC_SOURCE_PATH, L"Edit", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", 7, 33, 204, 12},
    {IDC_SOURCE_PICK, L"Button", WS_TABSTOP, L"...", 219, 33, 16, 14},
    {IDC_DESTINATION_PATH, L"Edit", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", 7, 74, 204, 12},
    {IDC_DESTINATION_PICK, L"Button", WS_TABSTOP, L"...", 219, 74, 16, 14},
    {IDC_OPTIONS_GROUP, L"Button", BS_GROUPBOX, L"Options", 7, 90, 228, 53},
    {IDC_NO_BOM, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, L"Do not write a Byte Order Marker (BOM)", 15, 103, 162, 10},
    {IDC_MODIFY_XML, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, L"Modify XML file header if available", 15, 114, 162, 10},
    {IDC_MODIFY_HTML, L"Button", BS_AUTOCHECKBOX | WS_TABSTOP, L"Modify HTML META character set if available", 15,
     127, 162, 10},
    {IDC_FILETYPE_GROUP, L"Button", BS_GROUPBOX, L"Filetype", 7, 146, 228, 50},
    {IDC_LINE_BREAK, L"ComboBox", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, nullptr, 15, 159, 111, 53},
    {IDC_LINE_BREAK_TEXT, L"Static", WS_GROUP, L"Type of line break to use. DOS uses CRLF for instance.", 15, 175, 212,
     18},
};

TEST_F(MainDialog, TemplateHasEveryControlInTabOrder) {
  wchar_t title[32] = {};
  GetWindowTextW(dialog_, title, 32);
  EXPECT_STREQ(title, L"Recodo");
  const LONG style = GetWindowLongW(dialog_, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);

  HWND child = GetWindow(dialog_, GW_CHILD);
  for (const Control& c : kControls) {
    ASSERT_NE(child, nullptr) << c.id;
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
    wchar_t className[64] = {};
    GetClassNameW(child, className, 64);
    EXPECT_EQ(lstrcmpiW(className, c.className), 0) << c.id << " is a " << className;
    // A combo box hands its scroll bar to its list (which shows it only when
    // needed), and a dialog draws an edit's border as a client edge.
    LONG style = GetWindowLongW(child, GWL_STYLE);
    LONG wanted = c.style;
    if (lstrcmpiW(c.className, L"ComboBox") == 0) wanted &= ~WS_VSCROLL;
    if (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) style |= WS_BORDER;
    EXPECT_EQ(style & wanted, wanted) << c.id;
    if (c.caption != nullptr) {
      wchar_t caption[128] = {};
      GetWindowTextW(child, caption, 128);
      EXPECT_STREQ(caption, c.caption);
    }
    // Position and size are each mapped from dialog units, as the dialog
    // manager maps them.
    RECT place{c.x, c.y, c.width, c.height};
    MapDialogRect(dialog_, &place);
    RECT actual;
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, place.left) << c.id;
    EXPECT_EQ(actual.top, place.top) << c.id;
    EXPECT_EQ(actual.right - actual.left, place.right) << c.id;
    if (lstrcmpiW(c.className, L"ComboBox") != 0) {
      EXPECT_EQ(actual.bottom - actual.top, place.bottom) << c.id;
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
  EXPECT_TRUE(GetWindowLongW(Item(IDC_NO_BOM), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
}

TEST_F(MainDialog, EveryLabelFitsItsText) {
  // Measured with the dialog's own font, as the label draws it.
  HDC dc = GetDC(dialog_);
  const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)));
  int labels = 0;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0) continue;
    wchar_t text[300] = {};
    const int length = GetWindowTextW(child, text, 300);
    RECT client;
    GetClientRect(child, &client);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    if (extent.cy * 2 <= client.bottom) {
      // Room for more than one line: the words wrap.
      RECT needed = client;
      DrawTextW(dc, text, length, &needed, DT_CALCRECT | DT_WORDBREAK);
      EXPECT_LE(needed.bottom, client.bottom) << "too low for its text: " << fs::path(text).string();
    } else {
      EXPECT_LE(extent.cx, client.right) << "too narrow for its text: " << fs::path(text).string();
    }
    ++labels;
  }
  SelectObject(dc, old);
  ReleaseDC(dialog_, dc);
  EXPECT_EQ(labels, 3);
}

TEST_F(MainDialog, ListsHoldTheCatalogueAndTheLineBreaks) {
  const auto entries = CharsetListEntries();
  for (int id : {IDC_SOURCE_CHARSET, IDC_DESTINATION_CHARSET}) {
    // The Part's 52 entries, then the sets added since.
    ASSERT_EQ(SendMessageW(Item(id), CB_GETCOUNT, 0, 0), 64);
    for (int i = 0; i < 64; ++i) {
      wchar_t text[128] = {};
      SendMessageW(Item(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), entries[i]);
    }
    EXPECT_EQ(Selected(id), L"(none)");
  }
  EXPECT_EQ(SendMessageW(Item(IDC_LINE_BREAK), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Selected(IDC_LINE_BREAK), L"Do not change");
  EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
}

TEST_F(MainDialog, APickProposesDetectsAndEnablesConvert) {
  Pick(dir_ / "notes.txt", "caf\xC3\xA9");
  EXPECT_EQ(Text(IDC_SOURCE_PATH), (dir_ / "notes.txt").wstring());
  EXPECT_EQ(Text(IDC_DESTINATION_PATH), (dir_ / "notes.2.txt").wstring());
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET), L"UTF-8 (Unicode Transformation 8 Bits)");
  EXPECT_EQ(Selected(IDC_DESTINATION_CHARSET), L"UTF-8 (Unicode Transformation 8 Bits)");
  EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));

  Pick(dir_ / "README", std::string("\xFE\xFF\0a", 4));
  EXPECT_EQ(Text(IDC_DESTINATION_PATH), (dir_ / "README.2").wstring());  // replaces the earlier proposal
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET), L"UTF-16BE (Unicode Transformation 16 Bits, Big Endian)");
  EXPECT_EQ(Selected(IDC_DESTINATION_CHARSET), L"UTF-16BE (Unicode Transformation 16 Bits, Big Endian)");

  Pick(dir_ / "short.txt", "ab");
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET), L"ISO-8859-1 (Latin-1, West European)");

  // Without a destination set Convert stays off, whatever the source list.
  SendMessageW(Item(IDC_DESTINATION_CHARSET), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Command(IDC_SOURCE_CHARSET, CBN_SELCHANGE);
  EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
  SendMessageW(Item(IDC_DESTINATION_CHARSET), CB_SETCURSEL, 3, 0);
  Command(IDC_NO_BOM, BN_CLICKED);
  EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
}

// The files of a drag from Explorer, as the shell hands them over: a
// DROPFILES header and the wide names, each ended, and an empty one last.
HDROP DropOf(const std::vector<fs::path>& files) {
  std::wstring names;
  for (const fs::path& file : files) names += file.wstring() + L'\0';
  names += L'\0';
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

std::wstring Title(HWND window) {
  wchar_t title[200] = {};
  GetWindowTextW(window, title, 200);
  return title;
}

TEST_F(MainDialog, ADroppedFileIsTakenAsIfPicked) {
  std::ofstream(dir_ / "dropped.txt", std::ios::binary) << "caf\xC3\xA9";
  std::ofstream(dir_ / "other.txt", std::ios::binary) << "x";
  EXPECT_NE(GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  SendMessageW(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({dir_ / "dropped.txt"})), 0);
  EXPECT_EQ(Text(IDC_SOURCE_PATH), (dir_ / "dropped.txt").wstring());
  EXPECT_EQ(Text(IDC_DESTINATION_PATH), (dir_ / "dropped.2.txt").wstring());
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET), L"UTF-8 (Unicode Transformation 8 Bits)");
  EXPECT_EQ(Selected(IDC_DESTINATION_CHARSET), L"UTF-8 (Unicode Transformation 8 Bits)");
  EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
  EXPECT_EQ(Title(dialog_), L"Recodo");

  // Several: the first is the source, and the title says how many came.
  SendMessageW(dialog_, WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf({dir_ / "other.txt", dir_ / "dropped.txt", dir_ / "third.txt"})), 0);
  EXPECT_EQ(Text(IDC_SOURCE_PATH), (dir_ / "other.txt").wstring());
  EXPECT_EQ(Text(IDC_DESTINATION_PATH), (dir_ / "other.2.txt").wstring());
  EXPECT_EQ(Title(dialog_), L"Recodo - 3 files dropped, the first is the source");
  SendMessageW(dialog_, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf({dir_ / "dropped.txt"})), 0);
  EXPECT_EQ(Title(dialog_), L"Recodo");
}

TEST_F(MainDialog, AGivenFileIsTakenAsIfPicked) {
  DestroyWindow(dialog_);
  std::ofstream(dir_ / "given.txt", std::ios::binary) << std::string("\xFF\xFEh\0i\0", 6);
  const std::u16string path = (dir_ / "given.txt").u16string();
  DialogStart start{path.c_str(), 2};
  dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDialogProc,
                               reinterpret_cast<LPARAM>(&start));
  ASSERT_NE(dialog_, nullptr);
  EXPECT_EQ(Text(IDC_SOURCE_PATH), (dir_ / "given.txt").wstring());
  EXPECT_EQ(Text(IDC_DESTINATION_PATH), (dir_ / "given.2.txt").wstring());
  EXPECT_EQ(Selected(IDC_DESTINATION_CHARSET), L"UTF-16 (Unicode Transformation 16 Bits)");
  EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
  EXPECT_EQ(Title(dialog_), L"Recodo - 2 files given, the first is the source");
}

TEST_F(MainDialog, APickOfALegacyFileProposesAConfidentGuess) {
  // "Привет, как у тебя дела? Это простой русский текст для проверки." in DOS-866.
  Pick(dir_ / "ru.txt",
       "\x8F\xE0\xA8\xA2\xA5\xE2, \xAA\xA0\xAA \xE3 \xE2\xA5\xA1\xEF \xA4\xA5\xAB\xA0? \x9D\xE2\xAE "
       "\xAF\xE0\xAE\xE1\xE2\xAE\xA9 \xE0\xE3\xE1\xE1\xAA\xA8\xA9 \xE2\xA5\xAA\xE1\xE2 \xA4\xAB\xEF "
       "\xAF\xE0\xAE\xA2\xA5\xE0\xAA\xA8.");
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET).rfind(L"DOS-866", 0), 0u) << Selected(IDC_SOURCE_CHARSET);

  // Real Windows-1252 text still shows Windows-1252.
  Pick(dir_ / "fr.txt", "Voil\xE0 une phrase fran\xE7" "aise tr\xE8s ordinaire, \x93 entre guillemets \x94.");
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET).rfind(L"Windows-1252", 0), 0u) << Selected(IDC_SOURCE_CHARSET);
  // "日本語の文字コードを推測します。" in Shift_JIS, and "한국어 텍스트입니다." in EUC-KR:
  // the sets added to the lists.
  Pick(dir_ / "ja.txt",
       "\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68\x82\xF0\x90\x84\x91\xAA"
       "\x82\xB5\x82\xDC\x82\xB7\x81\x42");
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET).rfind(L"Shift_JIS", 0), 0u) << Selected(IDC_SOURCE_CHARSET);
  Pick(dir_ / "ko.txt", "\xC7\xD1\xB1\xB9\xBE\xEE \xC5\xD8\xBD\xBA\xC6\xAE\xC0\xD4\xB4\xCF\xB4\xD9.");
  EXPECT_EQ(Selected(IDC_SOURCE_CHARSET).rfind(L"EUC-KR", 0), 0u) << Selected(IDC_SOURCE_CHARSET);
}

TEST_F(MainDialog, ConvertWritesTheChoicesIntoTheSettings) {
  Pick(dir_ / "a.txt", "x");
  SendMessageW(Item(IDC_DESTINATION_CHARSET), CB_SETCURSEL, 51, 0);
  SendMessageW(Item(IDC_LINE_BREAK), CB_SETCURSEL, 2, 0);
  Command(IDOK);
  const Settings& settings = ProgramSettings();
  EXPECT_EQ(std::u16string(settings.destCharsetName), u"UTF-16BE");
  EXPECT_EQ(std::u16string(settings.sourceCharsetName), u"ISO-8859-1");
  EXPECT_EQ(std::u16string(settings.lineBreakName), u"UNIX");
  EXPECT_TRUE(settings.writeBom);  // unchecked boxes keep the defaults
  EXPECT_FALSE(settings.modifyXmlHeader);
  EXPECT_FALSE(settings.modifyHtmlMeta);
}

TEST_F(MainDialog, CheckedBoxesAndDoNotChange) {
  Pick(dir_ / "a.txt", "x");
  for (int id : {IDC_NO_BOM, IDC_MODIFY_XML, IDC_MODIFY_HTML}) CheckDlgButton(dialog_, id, BST_CHECKED);
  Command(IDOK);
  const Settings& settings = ProgramSettings();
  EXPECT_EQ(settings.lineBreakName, nullptr);
  EXPECT_FALSE(settings.writeBom);
  EXPECT_TRUE(settings.modifyXmlHeader);
  EXPECT_TRUE(settings.modifyHtmlMeta);
}

TEST_F(MainDialog, SizingKeepsTheAnchorsWithoutDrift) {
  MINMAXINFO limits{};
  limits.ptMaxTrackSize = {5000, 5000};
  SendMessageW(dialog_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, 300);
  EXPECT_EQ(limits.ptMinTrackSize.y, 400);
  EXPECT_EQ(limits.ptMaxTrackSize.y, 400);
  EXPECT_EQ(limits.ptMaxTrackSize.x, 5000);

  const int start = Width();
  SetWidth(start + 1);
  SetWidth(start);
  std::map<int, RECT> before;
  for (const LayoutEntry* row = LayoutTable; row->controlId != 0; ++row)
    before[static_cast<int>(row->controlId)] = ClientRectOf(static_cast<int>(row->controlId));
  const RECT labelBefore = [&] {
    RECT r;
    GetWindowRect(GetWindow(dialog_, GW_CHILD), &r);
    return r;
  }();

  SetWidth(start + 100);
  for (const LayoutEntry* row = LayoutTable; row->controlId != 0; ++row) {
    const int id = static_cast<int>(row->controlId);
    const RECT was = before[id], now = ClientRectOf(id);
    const bool stretches = (row->anchors & AnchorLeft) && (row->anchors & AnchorRight);
    const bool moves = !(row->anchors & AnchorLeft);
    EXPECT_EQ(now.left - was.left, moves ? 100 : 0) << id;
    EXPECT_EQ(now.right - was.right, stretches || moves ? 100 : 0) << id;
    EXPECT_EQ(now.top, was.top) << id;
  }

  // Many sizes, the narrowest included, then back: exactly as before.
  for (int width : {300, start + 37, start + 400, 300, start + 3}) SetWidth(width);
  SetWidth(start);
  for (const auto& [id, was] : before) {
    const RECT now = ClientRectOf(id);
    EXPECT_TRUE(EqualRect(&now, &was)) << id;
  }
  RECT label;
  GetWindowRect(GetWindow(dialog_, GW_CHILD), &label);
  EXPECT_EQ(label.right - label.left, labelBefore.right - labelBefore.left);
}

TEST_F(MainDialog, AWindowOfTheCapturedSizePutsEveryControlBack) {
  SetWidth(Width() + 150);
  // The window rectangle whose estimated client area is the captured one.
  const LayoutEntry& first = LayoutTable[0];
  RECT window{0, 0, first.clientWidth + 2 * GetSystemMetrics(SM_CXFRAME),
              first.clientHeight + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION)};
  ApplyLayout(dialog_, LayoutTable, window);
  EXPECT_EQ(CountLayoutEntries(LayoutTable), 15);
  for (const LayoutEntry* row = LayoutTable; row->controlId != 0; ++row) {
    const RECT now = ClientRectOf(static_cast<int>(row->controlId));
    EXPECT_EQ(now.left, row->left) << row->controlId;
    EXPECT_EQ(now.top, row->top) << row->controlId;
    EXPECT_EQ(now.right, row->right) << row->controlId;
    EXPECT_EQ(now.bottom, row->bottom) << row->controlId;
  }
}

TEST_F(MainDialog, EraseClippingSparesTheControls) {
  HDC dc = GetDC(dialog_);
  ClipControlsForErase(dc, LayoutTable);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetClipRgn(dc, clip), 1);
  const auto center = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };
  for (const LayoutEntry* row = LayoutTable; row->controlId != 0; ++row) {
    const int id = static_cast<int>(row->controlId);
    const RECT r = ClientRectOf(id);
    if (id == IDC_OPTIONS_GROUP || id == IDC_FILETYPE_GROUP) {
      EXPECT_FALSE(PtInRegion(clip, r.left + 9, r.top + 2)) << id << ": caption";
      EXPECT_FALSE(PtInRegion(clip, r.left, (r.top + r.bottom) / 2)) << id << ": left frame";
      EXPECT_FALSE(PtInRegion(clip, r.right - 1, (r.top + r.bottom) / 2)) << id << ": right frame";
      EXPECT_FALSE(PtInRegion(clip, (r.left + r.right) / 2, r.bottom - 1)) << id << ": bottom frame";
      EXPECT_TRUE(PtInRegion(clip, r.right - 4, r.top + 25)) << id << ": inside, clear of the controls";
    } else {
      const POINT p = center(r);
      EXPECT_FALSE(PtInRegion(clip, p.x, p.y)) << id;
    }
  }
  // The labels are not in the table: the erase may fill them.
  RECT label;
  GetWindowRect(GetWindow(dialog_, GW_CHILD), &label);  // the Convert button comes first
  HWND sourceLabel = GetWindow(Item(IDC_SOURCE_CHARSET), GW_HWNDNEXT);
  GetWindowRect(sourceLabel, &label);
  MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&label), 2);
  const POINT p = center(label);
  EXPECT_TRUE(PtInRegion(clip, p.x, p.y));
  DeleteObject(clip);
  ReleaseDC(dialog_, dc);
}

}  // namespace
}  // namespace recodo
