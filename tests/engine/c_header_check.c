/* The public header must compile as C and declare what other programs call. */
#include "recodo/recodo.h"

#include <stddef.h>

int recodo_c_header_check(void) {
  const uint8_t text[] = {0x43, 0x61, 0x66, 0xC3, 0xA9};
  uint16_t units[8];
  uint32_t length = 0;
  if (ConvertUtf8ToDoubleByte(text, sizeof text, NULL, &length) != RECODO_CONV_MULTI_BYTE_SEEN) return 1;
  if (ConvertUtf8ToDoubleByte(text, sizeof text, units, &length) != RECODO_CONV_MULTI_BYTE_SEEN) return 2;
  if (length != 8 || units[3] != 0xE9) return 3;
  return DetectCharacterSet(text, sizeof text) == RECODO_CHARSET_UTF8 ? 0 : 4;
}
