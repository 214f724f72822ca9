// A single-byte set's bytes as UTF-8, for the kernels that expand a text
// straight into UTF-8: each byte's form, up to three bytes low first, with
// its length in the top byte's low bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace recodo::kernels {

// Set in the top byte of a form the pipeline wants to hear of (a byte that
// decodes to no character); the kernels OR the forms they expand.
inline constexpr std::uint32_t kNotedForm = 0x80000000u;

// Writes a form's bytes, the fourth byte's place too (the next form writes
// over it); returns its length.
inline std::size_t PutForm(std::uint32_t form, std::uint8_t* dst) {
  dst[0] = static_cast<std::uint8_t>(form);
  dst[1] = static_cast<std::uint8_t>(form >> 8);
  dst[2] = static_cast<std::uint8_t>(form >> 16);
  dst[3] = 0;
  return (form >> 24) & 3;
}

// The bytes from src[*i] up to the next ASCII byte (or n), each as its form.
inline void ExpandUpperRun(const std::uint32_t* forms, const std::uint8_t* src, std::size_t* i, std::size_t n,
                           std::uint8_t* dst, std::size_t* written, std::uint32_t* seen) {
  std::size_t k = *i, w = *written;
  std::uint32_t or_ = 0;
  while (k < n && src[k] >= 0x80) {
    const std::uint32_t form = forms[src[k++]];
    or_ |= form;
    w += PutForm(form, dst + w);
  }
  *i = k;
  *written = w;
  *seen |= or_;
}

// What is left of a text, byte by byte.
inline void ExpandRest(const std::uint32_t* forms, const std::uint8_t* src, std::size_t* i, std::size_t n,
                       std::uint8_t* dst, std::size_t* written, std::uint32_t* seen) {
  while (*i < n) {
    while (*i < n && src[*i] < 0x80) dst[(*written)++] = src[(*i)++];
    ExpandUpperRun(forms, src, i, n, dst, written, seen);
  }
}

}  // namespace recodo::kernels
