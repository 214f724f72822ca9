#include "reference_codecs.h"

#include "engine/codepage_tables.generated.h"

namespace reference {
namespace {

constexpr std::uint32_t kOk = 0, kInvalid = 0x80000001u, kTooSmall = 0x80000002u, kMulti = 0x08000000u;

std::uint16_t DecodeByte(int charset, std::uint8_t b) {
  return b < 0x80 ? b : recodo::CodePageTable[charset][b - 0x80];
}

bool IsCont(std::uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

Units DecodeSingleByte(int charset, const std::vector<std::uint8_t>& src, std::uint32_t capacity) {
  Units out;
  out.length = capacity;
  if (capacity == 0) {
    out.length = static_cast<std::uint32_t>(src.size() * 2);
    return out;
  }
  for (std::size_t i = 0; i < src.size(); ++i) {
    if (2 * i + 2 > capacity) {
      out.result = kTooSmall;
      return out;
    }
    const std::uint16_t v = DecodeByte(charset, src[i]);
    out.data.push_back(v);
    if (v == 0xFFFF) out.result = kInvalid;
  }
  return out;
}

Bytes EncodeSingleByte(int charset, const std::vector<std::uint16_t>& src, std::uint32_t capacity) {
  Bytes out;
  out.length = capacity;
  std::vector<std::uint8_t> reverse(65536, 0x3F);
  for (int v = 0; v < 256; ++v) reverse[DecodeByte(charset, std::uint8_t(v))] = std::uint8_t(v);
  for (std::size_t j = 0; j < src.size(); ++j) {
    if (j >= capacity) {
      out.result = kTooSmall;
      return out;
    }
    out.data.push_back(reverse[src[j]]);
  }
  return out;
}

Units DecodeUtf8(const std::vector<std::uint8_t>& src, bool measuring) {
  Units out;
  std::uint32_t& r = out.result;
  std::size_t units = 0;
  auto emit = [&](std::uint16_t v) {
    if (!measuring) out.data.push_back(v);
    ++units;
  };
  auto fail = [&] {
    emit(0xFFFD);
    r = kInvalid;
    if (!measuring) ++out.substitutions;
  };
  const std::size_t n = src.size();
  std::size_t p = 0;
  while (p < n) {
    const std::uint8_t b = src[p];
    if (b >= 0xFE) {
      fail();
      p += 1;
      continue;
    }
    if (b >= 0x80 && b <= 0xBF) {
      fail();
      p += 1;
      continue;
    }
    if (b < 0x80) {
      emit(b);
      p += 1;
      continue;
    }
    const std::size_t len = b >= 0xFC ? 6 : b >= 0xF8 ? 5 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    if (p + len - 1 >= n) {
      // The form runs past the end: its continuation bytes go into one
      // U+FFFD; the measuring pass calls that no error when they reach the end.
      std::size_t k = 0;
      while (p + 1 + k < n && IsCont(src[p + 1 + k])) ++k;
      const bool toEnd = p + 1 + k == n;
      if (measuring && toEnd) {
        emit(0xFFFD);
      } else {
        fail();
      }
      p += k + 1;
      continue;
    }
    std::size_t k = 0;
    while (k < len - 1 && IsCont(src[p + 1 + k])) ++k;
    if (len >= 5 || k < len - 1) {
      fail();
      p += k + 1;
      continue;
    }
    r |= kMulti;
    if (len == 2) {
      emit(std::uint16_t(((b & 0x1F) << 6) | (src[p + 1] & 0x3F)));
    } else if (len == 3) {
      const std::uint32_t v = ((b & 0x0F) << 12) | ((src[p + 1] & 0x3F) << 6) | (src[p + 2] & 0x3F);
      if (measuring) {
        emit(0);
      } else if (v > 0xFFFD || (v >= 0xD800 && v <= 0xDFFF)) {
        fail();
      } else {
        emit(std::uint16_t(v));
      }
    } else {
      const std::uint32_t cp = ((b & 0x07) << 18) | ((src[p + 1] & 0x3F) << 12) | ((src[p + 2] & 0x3F) << 6) |
                               (src[p + 3] & 0x3F);
      if (measuring) {
        emit(0);
        emit(0);
      } else if (cp < 0x10000 || cp > 0x10FFFF) {
        fail();
      } else {
        emit(std::uint16_t(0xD800 + ((cp - 0x10000) >> 10)));
        emit(std::uint16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      }
    }
    p += len;
  }
  out.length = static_cast<std::uint32_t>(units * 2);
  return out;
}

Bytes EncodeUtf8(const std::vector<std::uint16_t>& src, std::uint32_t capacity) {
  Bytes out;
  const std::size_t n = src.size();
  std::size_t p = 0;
  auto put = [&](std::uint32_t b) { out.data.push_back(std::uint8_t(b)); };
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t w = src[i];
    const bool surrogate = w >= 0xD800 && w <= 0xDFFF;
    if (capacity == 0) {
      p += w < 0x80 ? 1 : w < 0x800 ? 2 : surrogate ? 4 : 3;
      continue;
    }
    // Every surrogate asks for 4 bytes of room before anything else.
    if (surrogate && p + 4 > capacity) {
      out.result = kTooSmall;
      break;
    }
    if (surrogate && w <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      const std::uint32_t cp = ((w - 0xD800) << 10) + (src[i + 1] - 0xDC00) + 0x10000;
      put(0xF0 | (cp >> 18));
      put(0x80 | ((cp >> 12) & 0x3F));
      put(0x80 | ((cp >> 6) & 0x3F));
      put(0x80 | (cp & 0x3F));
      p += 4;
      ++i;
      continue;
    }
    const std::uint32_t v = surrogate ? 0xFFFD : w;
    const std::size_t need = v < 0x80 ? 1 : v < 0x800 ? 2 : 3;
    if (p + need > capacity) {
      out.result = kTooSmall;
      break;
    }
    if (need == 1) {
      put(v);
    } else if (need == 2) {
      put(0xC0 | (v >> 6));
      put(0x80 | (v & 0x3F));
    } else {
      put(0xE0 | (v >> 12));
      put(0x80 | ((v >> 6) & 0x3F));
      put(0x80 | (v & 0x3F));
    }
    p += need;
  }
  out.length = static_cast<std::uint32_t>(p);
  return out;
}

Units TransformNewLines(int type, const std::vector<std::uint16_t>& src) {
  Units out;
  const std::size_t n = src.size();
  for (std::size_t i = 0; i < n; ++i) {
    bool isBreak = false;
    if (src[i] == 0x0D) {
      isBreak = true;
      if (i + 1 < n && src[i + 1] == 0x0A) ++i;
    } else if (src[i] == 0x0A) {
      isBreak = true;
    }
    if (!isBreak) {
      out.data.push_back(src[i]);
    } else if (type == 1) {
      out.data.push_back(0x0D);
      out.data.push_back(0x0A);
    } else if (type == 2) {
      out.data.push_back(0x0A);
    } else if (type == 3) {
      out.data.push_back(0x0D);
    }
  }
  out.length = static_cast<std::uint32_t>(out.data.size() * 2);
  return out;
}

int Detect(const std::vector<std::uint8_t>& s) {
  if (s.size() < 3) return 0;
  if (s[0] == 0xFE && s[1] == 0xFF) return 102;
  if (s[0] == 0xFF && s[1] == 0xFE) return 101;
  if (s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) return 100;
  if (s[0] != 0 && s[1] == 0) return 101;
  if (s[0] == 0 && s[1] != 0) return 102;
  const std::uint32_t r = DecodeUtf8(s, true).result;
  if ((r & 0x8000FFFFu) == 0 && (r & kMulti) != 0) return 100;
  for (int n = 0; n < 49; ++n) {
    bool fits = true;
    for (std::uint8_t b : s)
      if (b >= 0x80 && recodo::CodePageTable[n][b - 0x80] == 0xFFFF) {
        fits = false;
        break;
      }
    if (fits) return n;
  }
  return 49;
}

}  // namespace reference
