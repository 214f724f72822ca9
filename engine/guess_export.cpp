// The exported guess: a buffer read as a conversion with /guess reads a file.
#include <algorithm>
#include <new>

#include "engine/engine.h"
#include "recodo/recodo.h"

using namespace recodo;

extern "C" RECODO_API int32_t GuessCharacterSet(const uint8_t* src, uint32_t srcLength, int32_t* confidence) try {
  if (confidence != nullptr) *confidence = 0;
  if (src == nullptr && srcLength != 0) return CharsetCount;
  engine::SetIdentifier identifier(true);
  // The identifier keeps only its window of the text; detection reads on
  // while it is undecided, as it does over a file.
  for (std::size_t at = 0; at < srcLength && !identifier.Decided();) {
    const std::size_t piece = std::min<std::size_t>(srcLength - at, engine::kReadPiece);
    identifier.Feed({src + at, piece});
    at += piece;
  }
  const engine::Identification answer = identifier.Finish();
  if (!answer.text) return CharsetCount;
  if (confidence != nullptr) *confidence = answer.confidence;
  return answer.set;
} catch (const std::bad_alloc&) {
  // Out of memory: what a file that cannot be read is taken for, unsure.
  return CharsetWindows1252;
}
