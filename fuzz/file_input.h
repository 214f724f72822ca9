// Fuzzer bytes as a file, for the readers that take a path.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace fuzz {

inline std::u16string WriteInputFile(const std::uint8_t* data, std::size_t size, const char* name) {
  const std::string path = "/dev/shm/recodo-fuzz-" + std::to_string(getpid()) + "-" + name;
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  return std::u16string(path.begin(), path.end());
}

}  // namespace fuzz
