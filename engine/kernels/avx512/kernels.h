// The AVX-512 kernels (F, BW and VL, with BMI1, BMI2 and POPCNT): blocks of
// 64 bytes, tails under masks. The ones that permute bytes or compress
// lanes need VBMI or VBMI2, and are compiled for those in their own
// functions, so that the rest runs on processors without them.
#pragma once

#include "engine/kernels/dispatch.h"

// For the functions that use VBMI and VBMI2 instructions.
#define RECODO_AVX512_VBMI __attribute__((target("avx512vbmi,avx512vbmi2")))

namespace recodo::kernels::avx512 {

std::size_t Utf8Measure(const std::uint8_t* src, std::size_t len, std::size_t* units, ConvResult* r);
std::uint64_t Utf8Size(const std::uint16_t* src, std::size_t n);
std::size_t UnitsBefore(const std::uint16_t* src, std::size_t n, std::uint16_t a, std::uint16_t b);
void SingleEncode(const SingleByteSet& set, const std::uint16_t* src, std::size_t n, std::uint8_t* dst);

// With VBMI: byte permutes.
bool SingleDecode(const SingleByteSet& set, const std::uint8_t* src, std::size_t n, std::uint16_t* dst);
// With VBMI and VBMI2: byte permutes and lane compression.
std::size_t Utf8Decode(const std::uint8_t* src, std::size_t len, std::uint16_t* dst, std::size_t* units,
                       ConvResult* r);
// With VBMI2: byte compression.
std::size_t Utf8Encode(const std::uint16_t* src, std::size_t n, std::uint8_t* dst, std::size_t capacity,
                       std::size_t* p);

}  // namespace recodo::kernels::avx512
