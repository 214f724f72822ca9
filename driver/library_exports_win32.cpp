// The engine functions as recodo.exe exports them: each makes sure the
// module's imports are bound before the engine runs, since a program that
// loads recodo.exe as a library may find them unbound.
#include "platform/import_binding.h"
#include "recodo/recodo.h"

#define RECODO_BOUND(name, parameters, arguments)   \
  extern "C" auto Bound##name parameters {          \
    recodo::platform::BindOwnImports();             \
    return name arguments;                          \
  }

RECODO_BOUND(ConvertSingleByteToDoubleByte,
             (int32_t charset, const uint8_t* src, uint32_t srcLength, uint16_t* dst, uint32_t* dstLength),
             (charset, src, srcLength, dst, dstLength))
RECODO_BOUND(ConvertDoubleByteToSingleByte,
             (int32_t charset, const uint16_t* src, uint32_t srcLength, uint8_t* dst, uint32_t* dstLength),
             (charset, src, srcLength, dst, dstLength))
RECODO_BOUND(ConvertUtf8ToDoubleByte, (const uint8_t* src, uint32_t srcLength, uint16_t* dst, uint32_t* dstLength),
             (src, srcLength, dst, dstLength))
RECODO_BOUND(ConvertDoubleByteToUtf8, (const uint16_t* src, uint32_t srcLength, uint8_t* dst, uint32_t* dstLength),
             (src, srcLength, dst, dstLength))
RECODO_BOUND(TransformEndianess, (uint16_t* buffer, uint32_t length), (buffer, length))
RECODO_BOUND(TransformNewLineCharacter,
             (int32_t type, const uint16_t* src, uint32_t srcLength, uint16_t* dst, uint32_t* dstLength),
             (type, src, srcLength, dst, dstLength))
RECODO_BOUND(DetectCharacterSet, (const uint8_t* buffer, uint32_t length), (buffer, length))
RECODO_BOUND(DetectCharacterSetByFile, (const uint16_t* path), (path))
RECODO_BOUND(ConvertMultiByteToDoubleByte,
             (int32_t charset, const uint8_t* src, uint32_t srcLength, uint16_t* dst, uint32_t* dstLength),
             (charset, src, srcLength, dst, dstLength))
RECODO_BOUND(ConvertDoubleByteToMultiByte,
             (int32_t charset, const uint16_t* src, uint32_t srcLength, uint8_t* dst, uint32_t* dstLength),
             (charset, src, srcLength, dst, dstLength))
RECODO_BOUND(GuessCharacterSet, (const uint8_t* src, uint32_t srcLength, int32_t* confidence),
             (src, srcLength, confidence))
