#include "charset_list.h"

#include "base/unit_text.h"
#include "engine/engine.h"
#include "platform/paths.h"

namespace recodo {

std::vector<std::u16string> CharsetListEntries() {
  std::vector<std::u16string> entries;
  for (const engine::NamedSet& set : engine::SingleByteSets()) {
    std::u16string entry(set.name);
    if (!set.description.empty()) entry += u" (" + std::u16string(set.description) + u")";
    entries.push_back(entry);
  }
  entries.push_back(u"UTF-8 (Unicode Transformation 8 Bits)");
  entries.push_back(u"UTF-16 (Unicode Transformation 16 Bits)");
  entries.push_back(u"UTF-16BE (Unicode Transformation 16 Bits, Big Endian)");
  for (const engine::NamedSet& set : engine::AddedSets())
    entries.push_back(std::u16string(set.name) + u" (" + std::u16string(set.description) + u")");
  return entries;
}

std::u16string_view EntryName(std::u16string_view entry) {
  const std::size_t open = entry.find(u'(');
  if (open == std::u16string_view::npos) return entry;
  return entry.substr(0, open == 0 ? 0 : open - 1);
}

void ProposeDestination(const char16_t* source, char16_t (&destination)[platform::kPathCapacity]) {
  destination[0] = 0;
  const std::u16string path(source);
  const std::u16string extension(platform::FindExtension(source));
  if (extension.size() > 63) return;
  const std::u16string proposal = path.substr(0, path.size() - extension.size()) + u".2" + extension;
  CopyPath(destination, proposal.c_str());  // too long: stays empty
}

}  // namespace recodo
