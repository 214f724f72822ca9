// The spellings people type at a Linux shell, mapped onto the option table.
#pragma once

#include <string>
#include <string_view>

namespace recodo {

enum class FirstItemRequest { None, Help, Version };

// "-h" and "--help" ask for the usage text, "--version" for the banner line;
// only as the first item, where anything else is the source.
FirstItemRequest RequestOfFirstItem(std::u16string_view item);

// The option item as the table spells it: "--name" and "--name=value" become
// "/name" and "/name=value", "-r" becomes "/recursive"; anything else is
// returned as it is.
std::u16string TableSpelling(std::u16string_view item);

}  // namespace recodo
