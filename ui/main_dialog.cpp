#include "main_dialog.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>

#include "charset_list.h"
#include "dialog_layout.h"
#include "base/ascii_case.h"
#include "driver/settings.h"
#include "engine/engine.h"
#include "convert/convert_file.h"
#include "erase_clipping.h"
#include "platform/paths.h"
#include "resource.h"

namespace recodo {

char16_t FilterBuffer[kFilterBufferUnits];

namespace {

constexpr std::size_t kNameBufferUnits = 64;
constexpr std::size_t kEntryUnits = 128;

wchar_t* W(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
const wchar_t* W(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

std::u16string EntryText(HWND list, LRESULT index) {
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR || length >= static_cast<LRESULT>(kEntryUnits)) return {};
  char16_t text[kEntryUnits] = {};
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
  return text;
}

// The settings point into one buffer per choice, which lives as long as the
// process; choosing again overwrites it.
enum Choice { kSourceChoice, kDestinationChoice, kLineBreakChoice, kChoiceCount };
char16_t ChosenNames[kChoiceCount][kNameBufferUnits];

const char16_t* KeepName(Choice choice, std::u16string_view name) {
  char16_t* buffer = ChosenNames[choice];
  const std::size_t length = name.copy(buffer, kNameBufferUnits - 1);
  buffer[length] = 0;
  return buffer;
}

// Null when nothing is selected.
const char16_t* SelectedName(HWND list, Choice choice) {
  const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return nullptr;
  return KeepName(choice, EntryName(EntryText(list, index)));
}

void Initialise(HWND dialog) {
  SetClassLongW(dialog, GCL_STYLE, GetClassLongW(dialog, GCL_STYLE) | CS_PARENTDC);
  HWND sourceList = GetDlgItem(dialog, IDC_SOURCE_CHARSET);
  HWND destinationList = GetDlgItem(dialog, IDC_DESTINATION_CHARSET);
  for (const std::u16string& entry : CharsetListEntries()) {
    SendMessageW(sourceList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageW(destinationList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  }
  HWND lineBreaks = GetDlgItem(dialog, IDC_LINE_BREAK);
  for (const wchar_t* entry : {L"Do not change", L"DOS", L"UNIX", L"MAC"})
    SendMessageW(lineBreaks, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  SendMessageW(lineBreaks, CB_SETCURSEL, 0, 0);
  BuildFilterBuffer(FilterBuffer);
  CaptureLayout(dialog, LayoutTable);
  DragAcceptFiles(dialog, TRUE);
}

// A file named on the command line or dropped: as if picked with "...". A
// name too long for the dialog's path is refused, never cut to another
// file's.
bool TakeSource(HWND dialog, const char16_t* path) {
  Settings& settings = ProgramSettings();
  if (!platform::FullPath(settings.sourcePath, kPathCapacity, path)) {
    settings.sourcePath[0] = 0;
    const std::wstring text = L"\"" + std::wstring(W(path)) + L"\" is too long for a path of the dialog.";
    MessageBoxW(dialog, text.c_str(), L"Error", MB_OK | MB_ICONERROR);
    return false;
  }
  OnSourcePicked(dialog);
  return true;
}

// The first of several files given at once; the title says how many came.
void TakeFirstOf(HWND dialog, const char16_t* first, unsigned count, const wchar_t* given) {
  if (!TakeSource(dialog, first)) return;
  const std::wstring title = count > 1 ? L"Recodo - " + std::to_wstring(count) + L" files " + given +
                                             L", the first is the source"
                                       : L"Recodo";
  SetWindowTextW(dialog, title.c_str());
}

void TakeDroppedFiles(HWND dialog, HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  // The whole name, however long: a cut one may name another file.
  std::u16string path(count > 0 ? DragQueryFileW(drop, 0, nullptr, 0) : 0, u'\0');
  if (!path.empty()) DragQueryFileW(drop, 0, W(path.data()), static_cast<UINT>(path.size() + 1));
  DragFinish(drop);
  if (path.empty()) return;
  TakeFirstOf(dialog, path.c_str(), count, L"dropped");
}

// Both pickers: owned by the dialog, the filters, the path buffer, a title.
OPENFILENAMEW Picker(HWND dialog, char16_t* path, const wchar_t* title) {
  OPENFILENAMEW picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = dialog;
  picker.lpstrFilter = W(FilterBuffer);
  picker.nFilterIndex = 1;
  picker.lpstrFile = W(path);
  picker.nMaxFile = kPathCapacity;
  picker.lpstrTitle = title;
  return picker;
}

void PickSource(HWND dialog) {
  OPENFILENAMEW picker =
      Picker(dialog, ProgramSettings().sourcePath, L"Please select a source text document to convert");
  picker.Flags = OFN_ENABLESIZING;
  if (GetOpenFileNameW(&picker)) OnSourcePicked(dialog);
}

void PickDestination(HWND dialog) {
  Settings& settings = ProgramSettings();
  std::u16string extension(platform::FindExtension(settings.outputPath));
  if (!extension.empty()) extension.erase(0, 1);
  if (extension.empty()) extension = u"txt";
  if (extension.size() > 63) extension.resize(63);
  OPENFILENAMEW picker = Picker(dialog, settings.outputPath, L"Please select a name for destination text document");
  picker.Flags = OFN_OVERWRITEPROMPT | OFN_EXTENSIONDIFFERENT | OFN_EXPLORER | OFN_ENABLESIZING;
  picker.lpstrDefExt = W(extension.c_str());
  if (GetSaveFileNameW(&picker)) SetDlgItemTextW(dialog, IDC_DESTINATION_PATH, W(settings.outputPath));
}

void Convert(HWND dialog) {
  Settings& settings = ProgramSettings();
  settings.sourceCharsetName = SelectedName(GetDlgItem(dialog, IDC_SOURCE_CHARSET), kSourceChoice);
  settings.destCharsetName = SelectedName(GetDlgItem(dialog, IDC_DESTINATION_CHARSET), kDestinationChoice);
  HWND lineBreaks = GetDlgItem(dialog, IDC_LINE_BREAK);
  const LRESULT lineBreak = SendMessageW(lineBreaks, CB_GETCURSEL, 0, 0);
  if (lineBreak > 0) settings.lineBreakName = KeepName(kLineBreakChoice, EntryText(lineBreaks, lineBreak));
  if (IsDlgButtonChecked(dialog, IDC_NO_BOM) == BST_CHECKED) settings.writeBom = false;
  if (IsDlgButtonChecked(dialog, IDC_MODIFY_XML) == BST_CHECKED) settings.modifyXmlHeader = true;
  if (IsDlgButtonChecked(dialog, IDC_MODIFY_HTML) == BST_CHECKED) settings.modifyHtmlMeta = true;
  EndDialog(dialog, IDOK);
}

}  // namespace

void SelectCharsetInList(HWND list, const char16_t* name) {
  if (name == nullptr) return;
  const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const std::u16string text = EntryText(list, i);
    if (text.empty()) continue;
    if (EqualIgnoringAsciiCase(EntryName(text), name)) {
      SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
  }
}

void OnSourcePicked(HWND dialog) {
  Settings& settings = ProgramSettings();
  ProposeDestination(settings.sourcePath, settings.outputPath);
  SetDlgItemTextW(dialog, IDC_SOURCE_PATH, W(settings.sourcePath));
  SetDlgItemTextW(dialog, IDC_DESTINATION_PATH, W(settings.outputPath));
  // Where detection falls back to Windows-1252, a confident guess is the
  // better proposal; the user sees it and can change it.
  engine::Identification source;
  platform::ErrorCode unreadable = 0;
  IdentifyFile(settings.sourcePath, true, &source, &unreadable);
  const CharsetCode proposed =
      source.guessed && source.confidence >= engine::kHighGuessConfidence ? source.set : source.detected;
  const char16_t* name = engine::SetName(proposed);
  SelectCharsetInList(GetDlgItem(dialog, IDC_SOURCE_CHARSET), name);
  SelectCharsetInList(GetDlgItem(dialog, IDC_DESTINATION_CHARSET), name);
}

void UpdateConvertButton(HWND dialog) {
  const bool ready = GetWindowTextLengthW(GetDlgItem(dialog, IDC_SOURCE_PATH)) > 0 &&
                     GetWindowTextLengthW(GetDlgItem(dialog, IDC_DESTINATION_PATH)) > 0 &&
                     SendMessageW(GetDlgItem(dialog, IDC_DESTINATION_CHARSET), CB_GETCURSEL, 0, 0) != CB_ERR;
  EnableWindow(GetDlgItem(dialog, IDOK), ready);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      if (const auto* start = reinterpret_cast<const DialogStart*>(lParam); start != nullptr && start->files > 0)
        TakeFirstOf(dialog, start->source, start->files, L"given");
      UpdateConvertButton(dialog);
      break;
    case WM_DROPFILES:
      TakeDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
      UpdateConvertButton(dialog);
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      break;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Convert(dialog);
          break;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          break;
        case IDC_SOURCE_PICK:
          PickSource(dialog);
          break;
        case IDC_DESTINATION_PICK:
          PickDestination(dialog);
          break;
        default:
          break;
      }
      UpdateConvertButton(dialog);
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 300;
      info->ptMinTrackSize.y = 400;
      info->ptMaxTrackSize.y = 400;
      break;
    }
    case WM_SIZE: {
      if (LayoutTable[0].clientWidth == 0) break;  // sized while being made, before the capture
      RECT window;
      GetWindowRect(dialog, &window);
      ApplyLayout(dialog, LayoutTable, window);
      // Controls that grew leave their old edges on the dialog beneath them
      // (a group box's frame line): all of it is painted afresh.
      RedrawWindow(dialog, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
      break;
    }
    case WM_SIZING:
      if (LayoutTable[0].clientWidth == 0) break;
      ApplyLayout(dialog, LayoutTable, *reinterpret_cast<const RECT*>(lParam));
      break;
    case WM_ERASEBKGND:
      ClipControlsForErase(reinterpret_cast<HDC>(wParam), LayoutTable);
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace recodo
