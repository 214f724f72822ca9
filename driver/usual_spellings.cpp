#include "usual_spellings.h"

namespace recodo {

FirstItemRequest RequestOfFirstItem(std::u16string_view item) {
  if (item == u"-h" || item == u"--help") return FirstItemRequest::Help;
  if (item == u"--version") return FirstItemRequest::Version;
  return FirstItemRequest::None;
}

std::u16string TableSpelling(std::u16string_view item) {
  if (item == u"-r") return u"/recursive";
  // "--" alone or "---x" names nothing the table knows; left as typed, it is
  // reported as an unknown option.
  if (item.size() > 2 && item.substr(0, 2) == u"--" && item[2] != u'-') return u"/" + std::u16string(item.substr(2));
  return std::u16string(item);
}

}  // namespace recodo
