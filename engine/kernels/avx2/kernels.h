// The AVX2 kernels, with BMI1, BMI2 and POPCNT: twice the width of the
// baseline, in files compiled for those instructions alone.
#pragma once

#include "engine/kernels/dispatch.h"

namespace recodo::kernels::avx2 {

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r);
std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                       ConvResult* r);
std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n);
std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                       std::size_t* p);
bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst);
void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst);
void SwapBytes(std::uint16_t* buffer, std::size_t n);
std::size_t BreakFree(const std::uint16_t* src, std::size_t n);

}  // namespace recodo::kernels::avx2
