// Feeds files to a fuzz target without libFuzzer, so that the targets build
// with any compiler and their committed corpora run as ordinary tests.
// Usage: fuzz_<target> <file or directory>...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A copy of its own, so that a read past the input is caught as it would be
  // under libFuzzer.
  std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int a = 1; a < argc; ++a) {
    std::error_code error;
    if (std::filesystem::is_directory(argv[a], error)) {
      for (const auto& entry : std::filesystem::directory_iterator(argv[a], error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
      files.emplace_back(argv[a]);
    }
  }
  std::sort(files.begin(), files.end());
  std::size_t replayed = 0;
  for (const auto& file : files) {
    if (!Replay(file)) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
    ++replayed;
  }
  std::printf("%zu inputs replayed\n", replayed);
  return replayed != 0 ? 0 : 1;  // an empty corpus proves nothing
}
