// Fuzzer bytes as a file, for the readers that take a path.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

namespace fuzz {

// The files a run wrote (and the ".out" beside each, which the conversion
// target writes), removed when the process ends normally.
class InputFiles {
 public:
  ~InputFiles() {
    for (const std::string& path : paths_) {
      std::remove(path.c_str());
      std::remove((path + ".out").c_str());
    }
  }
  void Add(const std::string& path) { paths_.insert(path); }

 private:
  std::set<std::string> paths_;
};

inline std::u16string WriteInputFile(const std::uint8_t* data, std::size_t size, const char* name) {
  static InputFiles written;
  const std::string path = "/dev/shm/recodo-fuzz-" + std::to_string(getpid()) + "-" + name;
  written.Add(path);
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return std::u16string(path.begin(), path.end());
}

}  // namespace fuzz
