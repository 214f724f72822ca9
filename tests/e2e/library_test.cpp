// Other programs load recodo.exe and call the engine through its exports.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <filesystem>

namespace {

// An export as the function it is (through void*: FARPROC names none).
template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Threads whose first calls come at once: the first binds the module's
// imports while the others wait, or they call through slots not yet bound.
// Loaded afresh each round, so that every round binds again.
TEST(RecodoExeExports, FirstCallsFromManyThreadsAtOnce) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path program = std::filesystem::path(self).parent_path() / L"recodo.exe";
  using Guess = std::int32_t(__cdecl*)(const std::uint8_t*, std::uint32_t, std::int32_t*);
  // "日本語の文字コード" in Shift_JIS.
  static const std::uint8_t japanese[] = {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x82, 0xCC,
                                          0x95, 0xB6, 0x8E, 0x9A, 0x83, 0x52, 0x81, 0x5B, 0x83, 0x68};
  struct Shared {
    Guess guess;
    HANDLE go;
    std::atomic<int> wrong{0};
  };
  for (int round = 0; round < 10; ++round) {
    HMODULE module = LoadLibraryW(program.c_str());
    ASSERT_NE(module, nullptr);
    Shared shared{Export<Guess>(module, "GuessCharacterSet"), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    ASSERT_TRUE(shared.guess);
    HANDLE threads[16];
    for (HANDLE& thread : threads)
      thread = CreateThread(
          nullptr, 0,
          [](LPVOID parameter) -> DWORD {
            auto* s = static_cast<Shared*>(parameter);
            WaitForSingleObject(s->go, INFINITE);
            std::int32_t confidence = 0;
            if (s->guess(japanese, sizeof japanese, &confidence) != 120) ++s->wrong;
            return 0;
          },
          &shared, 0, nullptr);
    Sleep(20);
    SetEvent(shared.go);
    WaitForMultipleObjects(16, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(shared.go);
    EXPECT_EQ(shared.wrong.load(), 0) << "round " << round;
    FreeLibrary(module);
  }
}

TEST(RecodoExeExports, LoadedAsALibrary) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path program = std::filesystem::path(self).parent_path() / L"recodo.exe";
  HMODULE module = LoadLibraryW(program.c_str());
  ASSERT_NE(module, nullptr);
  for (const char* name : {"ConvertSingleByteToDoubleByte", "ConvertDoubleByteToSingleByte", "ConvertUtf8ToDoubleByte",
                           "ConvertDoubleByteToUtf8", "TransformEndianess", "TransformNewLineCharacter",
                           "DetectCharacterSet", "DetectCharacterSetByFile", "ConvertMultiByteToDoubleByte",
                           "ConvertDoubleByteToMultiByte", "GuessCharacterSet"})
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;

  using Utf8ToUtf16 = std::uint32_t(__cdecl*)(const std::uint8_t*, std::uint32_t, std::uint16_t*, std::uint32_t*);
  using Detect = std::int32_t(__cdecl*)(const std::uint8_t*, std::uint32_t);
  using ToSingle = std::uint32_t(__cdecl*)(std::int32_t, const std::uint16_t*, std::uint32_t, std::uint8_t*,
                                           std::uint32_t*);
  auto decode = Export<Utf8ToUtf16>(module, "ConvertUtf8ToDoubleByte");
  auto detect = Export<Detect>(module, "DetectCharacterSet");
  auto encode = Export<ToSingle>(module, "ConvertDoubleByteToSingleByte");
  ASSERT_TRUE(decode && detect && encode);

  const std::uint8_t text[] = {'c', 'a', 'f', 0xC3, 0xA9, 0xE2, 0x82, 0xAC};
  std::uint32_t length = 0;
  EXPECT_EQ(decode(text, sizeof text, nullptr, &length), 0x08000000u);
  EXPECT_EQ(length, 10u);
  std::uint16_t units[5] = {};
  decode(text, sizeof text, units, &length);
  EXPECT_EQ(units[3], 0x00E9);
  EXPECT_EQ(units[4], 0x20AC);
  EXPECT_EQ(detect(text, sizeof text), 100);

  std::uint8_t narrow[5] = {};
  std::uint32_t capacity = 5;
  EXPECT_EQ(encode(18, units, 10, narrow, &capacity), 0u);
  EXPECT_EQ(narrow[3], 0xE9);
  EXPECT_EQ(narrow[4], 0x80);  // the euro sign in Windows-1252
  // Detection of a file reaches the system through the module's imports.
  using DetectFile = std::int32_t(__cdecl*)(const std::uint16_t*);
  auto detectFile = Export<DetectFile>(module, "DetectCharacterSetByFile");
  const std::filesystem::path sample = std::filesystem::temp_directory_path() / L"recodo-library-sample.txt";
  HANDLE file = CreateFileW(sample.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, "\xFF\xFEh\0", 4, &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(detectFile(reinterpret_cast<const std::uint16_t*>(sample.c_str())), 101);
  DeleteFileW(sample.c_str());

  // The East Asian sets' tables, found wherever the loader put the module.
  using AnyToUtf16 = std::uint32_t(__cdecl*)(std::int32_t, const std::uint8_t*, std::uint32_t, std::uint16_t*,
                                             std::uint32_t*);
  using Utf16ToAny = std::uint32_t(__cdecl*)(std::int32_t, const std::uint16_t*, std::uint32_t, std::uint8_t*,
                                             std::uint32_t*);
  auto fromAny = Export<AnyToUtf16>(module, "ConvertMultiByteToDoubleByte");
  auto toAny = Export<Utf16ToAny>(module, "ConvertDoubleByteToMultiByte");
  ASSERT_TRUE(fromAny && toAny);
  const std::uint8_t sjis[] = {'A', 0x82, 0xA0};
  for (std::int32_t set : {120, 121, 122, 123, 124, 125, 126}) {
    const std::uint16_t middle[] = {'A', 0x4E2D};  // a character every one of them holds
    std::uint8_t bytes[16] = {};
    capacity = sizeof bytes;
    EXPECT_EQ(toAny(set, middle, 4, bytes, &capacity), 0u) << set;
    std::uint16_t back[8] = {};
    length = sizeof back;
    EXPECT_EQ(fromAny(set, bytes, capacity, back, &length), 0u) << set;
    EXPECT_EQ(length, 4u) << set;
    EXPECT_EQ(back[1], 0x4E2D) << set;
  }
  length = sizeof units;
  EXPECT_EQ(fromAny(120, sjis, sizeof sjis, units, &length), 0u);
  EXPECT_EQ(units[1], 0x3042);

  // The guess, with the tables of its models.
  using Guess = std::int32_t(__cdecl*)(const std::uint8_t*, std::uint32_t, std::int32_t*);
  auto guess = Export<Guess>(module, "GuessCharacterSet");
  ASSERT_TRUE(guess);
  // "日本語の文字コードを推測します。" in Shift_JIS.
  const std::uint8_t japanese[] = {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x82, 0xCC, 0x95, 0xB6, 0x8E, 0x9A, 0x83, 0x52,
                                   0x81, 0x5B, 0x83, 0x68, 0x82, 0xF0, 0x90, 0x84, 0x91, 0xAA, 0x82, 0xB5, 0x82, 0xDC,
                                   0x82, 0xB7, 0x81, 0x42};
  std::int32_t confidence = -1;
  EXPECT_EQ(guess(japanese, sizeof japanese, &confidence), 120);
  EXPECT_GE(confidence, 90);
  const std::uint8_t binary[] = {0x7F, 'E', 'L', 'F', 2, 1, 1, 0, 0, 0, 'x'};
  EXPECT_EQ(guess(binary, sizeof binary, &confidence), 49);
  EXPECT_EQ(confidence, 0);
  FreeLibrary(module);
}

}  // namespace
