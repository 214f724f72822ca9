// The progress of a dialog run's conversion: after its first second, a small
// window with the file's name, a bar, the share done and Cancel. It answers
// its messages while the conversion goes on, and is gone before the final
// message box.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "driver/file_progress.h"

namespace recodo {

class ProgressWindow final : public FileProgress {
 public:
  using Clock = std::chrono::steady_clock;

  ProgressWindow() = default;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;
  ~ProgressWindow();

  void BeginFile(const char16_t* name) override;
  void EndFile() override;
  void Progress(std::uint64_t done, std::uint64_t total) override;
  bool StopRequested() override { return cancelled_; }

  // The window's class name, by which tests find it.
  static constexpr const wchar_t* kClassName = L"RecodoProgress";

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create();
  void Show(std::uint64_t done, std::uint64_t total);
  void Cancel();
  void Close();

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring name_;
  Clock::time_point start_{};
  Clock::time_point shown_{};
  bool cancelled_ = false;
};

}  // namespace recodo
