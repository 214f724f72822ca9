/* recodo: character-set conversion between 52 single-byte sets, the East
   Asian sets, UTF-8, UTF-16 (little endian), UTF-16BE and UTF-32.

   All lengths are byte counts, also for UTF-16 buffers. Functions that write
   into a caller's buffer are used in two passes: a size pass (see each
   function for how it is selected), then the conversion into a buffer of at
   least that size. None of them keeps state; all may be called from several
   threads at once on distinct buffers.

   Arguments: a source may be null only with a length of 0 (below 2 for
   UTF-16), a destination only where it selects the size pass, and a length
   pointer never. Otherwise the converting functions return
   RECODO_CONV_INVALID_DATA and touch nothing; the others say below what
   they answer. Source and destination must not overlap. */
#ifndef RECODO_RECODO_H
#define RECODO_RECODO_H

#include <stdint.h>

#if defined(_WIN32)
#  define RECODO_API /* exported by name through the module's .def file */
#else
#  define RECODO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Character-set codes: 0..48 the first single-byte sets of the catalogue,
   49 "none fits" (detection only), 100 UTF-8, 101 UTF-16, 102 UTF-16BE;
   then the sets added since, which only the last two functions take. */
#define RECODO_CHARSET_COUNT 49
#define RECODO_CHARSET_UTF8 100
#define RECODO_CHARSET_UTF16 101
#define RECODO_CHARSET_UTF16BE 102
#define RECODO_CHARSET_UTF32 103 /* little endian */
#define RECODO_CHARSET_UTF32BE 104
#define RECODO_CHARSET_KOI8_R 110
#define RECODO_CHARSET_KOI8_U 111
#define RECODO_CHARSET_ISO_8859_16 112
#define RECODO_CHARSET_SHIFT_JIS 120 /* Windows code page 932 */
#define RECODO_CHARSET_EUC_JP 121
#define RECODO_CHARSET_ISO_2022_JP 122
#define RECODO_CHARSET_GBK 123 /* Windows code page 936 */
#define RECODO_CHARSET_GB18030 124
#define RECODO_CHARSET_BIG5 125 /* Windows code page 950 */
#define RECODO_CHARSET_EUC_KR 126 /* Windows code page 949 */

/* Result words of the converting functions. Bit 31 set means failure. */
#define RECODO_CONV_OK 0x00000000u
#define RECODO_CONV_INVALID_DATA 0x80000001u
#define RECODO_CONV_BUFFER_TOO_SMALL 0x80000002u
#define RECODO_CONV_MULTI_BYTE_SEEN 0x08000000u /* UTF-8 decoder only */

/* Line-break styles; any other value removes line breaks. */
#define RECODO_NEWLINE_DOS 1
#define RECODO_NEWLINE_UNIX 2
#define RECODO_NEWLINE_MAC 3

/* Decodes srcLength bytes of single-byte set `charset` into UTF-16.
   *dstLength is the capacity of dst in bytes; 0 asks for the size, which is
   stored there (srcLength * 2). Undefined bytes become U+FFFF. A charset
   outside 0..48 gets RECODO_CONV_INVALID_DATA from both passes. */
RECODO_API uint32_t ConvertSingleByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                  uint16_t* dst, uint32_t* dstLength);

/* Encodes srcLength bytes of UTF-16 into single-byte set `charset`.
   A null dst asks for the size (srcLength / 2), stored in *dstLength;
   otherwise *dstLength is the capacity. Unmappable units become '?'. A
   charset outside 0..48 gets RECODO_CONV_INVALID_DATA from both passes.
   dst must not overlap src. */
RECODO_API uint32_t ConvertDoubleByteToSingleByte(int32_t charset, const uint16_t* src, uint32_t srcLength,
                                                  uint8_t* dst, uint32_t* dstLength);

/* Decodes UTF-8 into UTF-16. A null dst measures only. *dstLength receives
   the bytes written or counted; it is never read: dst must hold the size
   the measuring pass gave. Malformed input becomes U+FFFD. Output that would
   pass 4 GiB is refused by both passes: nothing written, length 0,
   RECODO_CONV_BUFFER_TOO_SMALL. */
RECODO_API uint32_t ConvertUtf8ToDoubleByte(const uint8_t* src, uint32_t srcLength, uint16_t* dst,
                                            uint32_t* dstLength);

/* Encodes UTF-16 into UTF-8. *dstLength is the capacity in bytes, 0 asks for
   the size, as does a null dst whatever the capacity; on return it holds
   the bytes written or counted. */
RECODO_API uint32_t ConvertDoubleByteToUtf8(const uint16_t* src, uint32_t srcLength, uint8_t* dst,
                                            uint32_t* dstLength);

/* Swaps the bytes of every 16-bit unit in place. Returns 1; 0 for a null
   buffer with a length of 2 or more. */
RECODO_API int32_t TransformEndianess(uint16_t* buffer, uint32_t length);

/* Rewrites every line break (CR LF, CR, LF) of UTF-16 text into `type`.
   A null dst measures only; *dstLength receives the bytes written or
   counted: it is never read, and dst must hold the size the measuring pass
   gave. dst must not overlap src. Returns 0, or RECODO_CONV_BUFFER_TOO_SMALL
   (writing nothing, length 0) when the output would pass 4 GiB. */
RECODO_API int32_t TransformNewLineCharacter(int32_t type, const uint16_t* src, uint32_t srcLength,
                                             uint16_t* dst, uint32_t* dstLength);

/* Guesses the character set of a byte buffer, or of a file's content (a file
   that cannot be read, or a null path, gives 18, Windows-1252). A null
   buffer gives 0 below 3 bytes, as any such buffer does, and 49 (no set
   fits) from 3 on. */
RECODO_API int32_t DetectCharacterSet(const uint8_t* buffer, uint32_t length);
RECODO_API int32_t DetectCharacterSetByFile(const uint16_t* path);

/* Reads a byte buffer as a conversion with /guess reads a file: marks,
   UTF-16, UTF-8 and UTF-32 by their shape, then the set of the catalogue
   the text reads best in (the single-byte sets, the East Asian sets,
   ISO-2022-JP). Returns its code and writes the confidence, 0..100, to
   *confidence unless that is null. Bytes that are not text (a zero byte
   outside UTF-16 and UTF-32, or controls past a trace) give 49 with
   confidence 0, as does a null buffer of any length but 0. Plain ASCII
   gives 0 (ISO-8859-1), as detection does. Only the first 64 KiB are read. */
RECODO_API int32_t GuessCharacterSet(const uint8_t* src, uint32_t srcLength, int32_t* confidence);

/* Decodes srcLength bytes of any set but UTF-16 itself (the single-byte
   sets, UTF-8, UTF-16BE, UTF-32, UTF-32BE and the East Asian sets) into
   UTF-16. *dstLength is the capacity of dst in bytes; 0 asks for the size
   to give it, which is stored there: srcLength * 2, which no result passes,
   answered without reading the text (RECODO_CONV_OK). After the conversion
   *dstLength holds the bytes written. Malformed or
   unmapped input becomes U+FFFD (an undefined byte of a single-byte set
   U+FFFF, as above) and the result is RECODO_CONV_INVALID_DATA, with the
   whole text converted. An overlong two- or three-byte UTF-8 form decodes
   to the value it spells, and an odd last byte of UTF-16BE is dropped,
   both with RECODO_CONV_INVALID_DATA too. A capacity short of the size
   writes what fits, in whole units, and gives RECODO_CONV_BUFFER_TOO_SMALL. Where the size
   would pass 4 GiB the size pass reads the text for the exact one, and
   output that still passes it gets RECODO_CONV_BUFFER_TOO_SMALL (nothing
   written, length 0). A stateful set's text
   starts in ASCII. Any other charset gets RECODO_CONV_INVALID_DATA. */
RECODO_API uint32_t ConvertMultiByteToDoubleByte(int32_t charset, const uint8_t* src, uint32_t srcLength,
                                                 uint16_t* dst, uint32_t* dstLength);

/* Encodes srcLength bytes of UTF-16 into any set but UTF-16 itself.
   *dstLength is the capacity in bytes; 0 asks for the size to give it,
   which is stored there: the most the set's characters can take (1 byte a
   unit for the single-byte sets, 2 for the East Asian sets and UTF-16BE, 3
   for UTF-8 and EUC-JP, 4 for UTF-32 and GB18030, 5 and 3 more for
   ISO-2022-JP's escapes), answered without reading the text. After the
   conversion *dstLength holds the bytes written. A character the set
   lacks becomes '?' and the result is RECODO_CONV_INVALID_DATA, with the
   whole text converted. U+FFFF, no character, becomes the highest byte a
   single-byte set leaves undefined where it has one (as
   ConvertDoubleByteToSingleByte writes it), with RECODO_CONV_INVALID_DATA
   too. An ISO-2022-JP text ends back in ASCII. A capacity short of the
   size writes a shorter text, never part of a character (for ISO-2022-JP
   none at all), and gives RECODO_CONV_BUFFER_TOO_SMALL. */
RECODO_API uint32_t ConvertDoubleByteToMultiByte(int32_t charset, const uint16_t* src, uint32_t srcLength,
                                                 uint8_t* dst, uint32_t* dstLength);

#ifdef __cplusplus
}
#endif

#endif /* RECODO_RECODO_H */
