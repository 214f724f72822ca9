#include "destination_naming.h"

#include <string>

#include "platform/paths.h"

namespace recodo {
namespace {

constexpr char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

}  // namespace

bool NameDestination(const Settings& settings, const char16_t* sourcePath, const char16_t* sourceDirectory,
                     const char16_t* destinationDirectory, char16_t (&destination)[kPathCapacity]) {
  if (settings.replaceSource) return CopyPath(destination, sourcePath);

  char16_t path[kPathCapacity];
  if (!CopyPath(path, destinationDirectory) ||
      !platform::AppendPath(path, kPathCapacity, platform::FindFileName(sourcePath)))
    return false;
  char16_t* extension = const_cast<char16_t*>(platform::FindExtension(path));
  const std::u16string extensionText(extension);
  *extension = 0;
  std::u16string name(path);
  if (EqualIgnoringAsciiCase(sourceDirectory, destinationDirectory)) {
    name += u'.';
    name += settings.destCharsetName;
  }
  name += extensionText;
  return CopyPath(destination, name.c_str());
}

}  // namespace recodo
