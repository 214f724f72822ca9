// A file of given bytes in the temporary directory, removed again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace test {

class TempFile {
 public:
  TempFile(const std::vector<std::uint8_t>& content, const char* prefix) {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(++counter) + ".txt");
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() { std::filesystem::remove(path_); }
  std::u16string Path() const {
    const std::string s = path_.string();
    return std::u16string(s.begin(), s.end());  // the temporary directory's name is ASCII here
  }

 private:
  std::filesystem::path path_;
};

}  // namespace test
