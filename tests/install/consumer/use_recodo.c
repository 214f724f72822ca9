/* A program of someone else's, built against an installed recodo: it
   decodes Windows-1252 text to UTF-16, encodes it as UTF-8 and detects the
   set of the result, and says what it got. */
#include <recodo/recodo.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  const uint8_t source[] = {'c', 'a', 'f', 0xE9, ' ', 0x80};
  uint16_t units[16];
  uint32_t unitBytes = 0; /* the size pass, then the conversion */
  ConvertSingleByteToDoubleByte(18, source, sizeof source, units, &unitBytes);
  if (unitBytes != 2 * sizeof source) return 1;
  if (ConvertSingleByteToDoubleByte(18, source, sizeof source, units, &unitBytes) != RECODO_CONV_OK) return 1;
  uint8_t utf8[32];
  uint32_t utf8Bytes = 0;
  ConvertDoubleByteToUtf8(units, unitBytes, utf8, &utf8Bytes);
  if (utf8Bytes > sizeof utf8) return 2;
  if (ConvertDoubleByteToUtf8(units, unitBytes, utf8, &utf8Bytes) != RECODO_CONV_OK) return 2;
  const uint8_t expected[] = {'c', 'a', 'f', 0xC3, 0xA9, ' ', 0xE2, 0x82, 0xAC};
  if (utf8Bytes != sizeof expected || memcmp(utf8, expected, sizeof expected) != 0) return 3;
  printf("%u bytes, detected %d\n", (unsigned)utf8Bytes, (int)DetectCharacterSet(utf8, utf8Bytes));
  return 0;
}
