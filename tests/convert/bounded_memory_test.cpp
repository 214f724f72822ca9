// A declaration value that never closes is held back to the end of the text:
// however long it is, the conversion's memory must stay the same. Every
// allocation of this test program is counted to see it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "convert/text_pipeline.h"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

// Each block carries its size in front of it.
constexpr std::size_t kHeader = 16;

void* Allocate(std::size_t size) noexcept {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  const std::size_t live = liveBytes += size;
  for (std::size_t peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
  }
  return block + kHeader;
}

void Free(void* p) noexcept {
  if (p == nullptr) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  std::size_t size;
  std::memcpy(&size, block, sizeof size);
  liveBytes -= size;
  std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
  void* p = Allocate(size);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace recodo {
namespace {

// Checks each byte of the result against what it must be, keeping none.
class ExpectedBytes : public ByteSink {
 public:
  ExpectedBytes(std::string head, std::string body) : head_(std::move(head)), body_(std::move(body)) {}
  bool Take(const std::uint8_t* bytes, std::size_t length) override {
    for (std::size_t i = 0; i < length; ++i, ++position_) {
      const char expected =
          position_ < head_.size() ? head_[position_] : body_[(position_ - head_.size()) % body_.size()];
      if (static_cast<char>(bytes[i]) != expected && mismatch_ == ~std::uint64_t(0)) mismatch_ = position_;
    }
    return true;
  }
  std::uint64_t position_ = 0;
  std::uint64_t mismatch_ = ~std::uint64_t(0);

 private:
  std::string head_, body_;
};

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string{c, '\0'};
  return wide;
}

struct Unclosed {
  const char* head;
  bool xml;
};

TEST(BoundedMemory, AValueThatNeverClosesKeepsTheMemoryOfAnyOtherText) {
  constexpr std::uint64_t kValueBytes = 100u << 20;
  for (const Unclosed& c : {Unclosed{"<?xml version=\"1.0\" encoding=\"", true},
                            Unclosed{"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=", false}}) {
    PipelineOptions options;
    options.source = CharsetUtf8;
    options.destination = CharsetUtf16;
    options.writeBom = false;
    options.rewriteXml = c.xml;
    options.rewriteHtml = !c.xml;
    options.destinationName = u"utf-16";
    TextPipeline pipeline;
    pipeline.Start(options);
    std::vector<std::uint8_t> piece(256 << 10, 'x');
    const std::string head = c.head;
    std::memcpy(piece.data(), head.data(), head.size());
    ExpectedBytes sink(Utf16(head), Utf16("x"));

    const std::size_t before = liveBytes;
    peakBytes = before;
    std::uint64_t sent = 0;
    const std::uint64_t total = head.size() + kValueBytes;
    while (sent < total) {
      const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), total - sent));
      std::size_t taken = 0;
      ASSERT_TRUE(pipeline.Convert(piece.data(), length, sent + length == total, &taken, sink));
      ASSERT_EQ(taken, length);
      if (sent == 0) std::memset(piece.data(), 'x', head.size());
      sent += length;
    }
    EXPECT_EQ(sink.position_, 2 * total) << c.head;
    EXPECT_EQ(sink.mismatch_, ~std::uint64_t(0)) << c.head;
    // The pipeline's buffers for a piece, a few times its size, and the
    // value's 64 KiB: far from the value's own 100 MB.
    EXPECT_LT(peakBytes - before, std::size_t(8) << 20) << c.head;
  }
}

}  // namespace
}  // namespace recodo
