// A source past 4 GiB: converted whole, its sizes printed as they are.
#include <cstdint>
#include <fstream>

#include "program_fixture.h"

namespace recodo::test {
namespace {

std::string ReadAt(const fs::path& path, std::uint64_t offset, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::string bytes(count, '\x7F');
  in.read(bytes.data(), static_cast<std::streamsize>(count));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

TEST_F(ProgramTest, AFileOfFourGibibytesAndMoreConvertsWhole) {
  // Sparse: a few bytes at each end, zeros between, little on the disk.
  const std::uint64_t gap = std::uint64_t{4} << 30;
  const fs::path source = dir_ / "big.txt";
  Write(source, "head\n");
  fs::resize_file(source, gap + 5);
  {
    std::fstream out(source, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(gap));
    out << "tail\xE9";
  }
  const ProgramRun run = Run({"big.txt", "/scs=latin1", "/nobom"});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("Success: [4.00 GB + 1 Bytes] big.txt\n"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1 file(s) successfully converted with total size of 4294967301 Bytes\n"),
            std::string::npos)
      << run.output;

  const fs::path result = dir_ / "big.utf-8.txt";
  EXPECT_EQ(fs::file_size(result), gap + 6);
  EXPECT_EQ(ReadAt(result, 0, 5), "head\n");
  EXPECT_EQ(ReadAt(result, gap - 8, 8), std::string(8, '\0'));
  EXPECT_EQ(ReadAt(result, gap, 16), "tail\xC3\xA9") << "the part past 4 GiB is converted too";
  std::error_code ignored;
  fs::remove(result, ignored);
  fs::remove(source, ignored);
}

}  // namespace
}  // namespace recodo::test
