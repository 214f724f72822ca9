#include "dacl_dump.h"

#include <string>

#include "security/text.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/advapi.h"
#endif

namespace recodo {

void DumpAccessMask(std::uint32_t mask, DiagnosticSink& diagnostics) {
  static const struct {
    std::uint32_t bit;
    const char16_t* text;
  } kRights[] = {{0x80000000u, u"GENERIC READ, "}, {0x40000000u, u"GENERIC WRITE, "},
                 {0x20000000u, u"GENERIC EXECUTE, "}, {0x10000000u, u"GENERIC ALL, "},
                 {0x02000000u, u"MAXIMUM ALLOWED, "}, {0x00010000u, u"DELETE, "},
                 {0x00020000u, u"READ CONTROL, "}, {0x00040000u, u"WRITE DAC, "},
                 {0x00080000u, u"WRITE OWNER, "}, {0x00100000u, u"SYNCHRONIZE, "}};
  std::u16string line;
  for (const auto& right : kRights)
    if (mask & right.bit) line += right.text;
  line += security::Hex4(mask & 0xFFFF) + u"\n";
  diagnostics.Write(line);
}

void GetSidTypeName(int type, char16_t* buffer) {
  static const char16_t* const kWords[] = {u"Benutzer", u"Gruppe",    u"Domäne",    u"Alias",   u"WellKnown",
                                           u"Gelöscht", u"Ungültig", u"Unbekannt", u"Computer"};
  const char16_t* word = type >= 1 && type <= 9 ? kWords[type - 1] : u"Unbekannt";
  std::u16string(word).copy(buffer, 127);
  buffer[std::u16string(word).size()] = 0;
}

#if defined(_WIN32)
void DumpDacl(const void* dacl, DiagnosticSink& diagnostics) {
  const auto* list = static_cast<const ACL*>(dacl);
  diagnostics.Write(u"Entries in ACL: " + security::Decimal(list->AceCount) + u", Size of ACL: " +
                    security::Decimal(list->AclSize) + u" Bytes\n");
  static const struct {
    BYTE bit;
    const char16_t* text;
  } kFlags[] = {{CONTAINER_INHERIT_ACE, u"CONTAINER INHERIT, "}, {INHERIT_ONLY_ACE, u"INHERIT ONLY, "},
                {INHERITED_ACE, u"INHERITED, "}, {NO_PROPAGATE_INHERIT_ACE, u"NO PROPAGATE INHERIT, "},
                {OBJECT_INHERIT_ACE, u"OBJECT INHERIT, "}};
  const auto* entry = reinterpret_cast<const BYTE*>(list) + sizeof(ACL);
  for (int j = 0; j < list->AceCount; ++j) {
    const auto* header = reinterpret_cast<const ACE_HEADER*>(entry);
    std::u16string flags = u"\tFlags: ";
    for (const auto& flag : kFlags)
      if (header->AceFlags & flag.bit) flags += flag.text;
    diagnostics.Write(u"ACE Entry " + security::Decimal(j) + u"\n" + flags + u"\n");
    const unsigned type = header->AceType;
    diagnostics.Write(u"\tType: " + security::AlternateHex(type) + u"\n");
    if (type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_DENIED_ACE_TYPE) {
      const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
      wchar_t name[128] = {};
      wchar_t domain[128] = {};
      DWORD nameSize = 128, domainSize = 128;
      SID_NAME_USE use = SidTypeUser;
      platform::Advapi().LookupAccountSidW(nullptr, const_cast<DWORD*>(&ace->SidStart), name, &nameSize, domain,
                                           &domainSize, &use);
      char16_t word[128];
      GetSidTypeName(use, word);
      diagnostics.Write(std::u16string(type == 0 ? u"Access Allowed for \"" : u"Access Denied for \"") +
                        reinterpret_cast<const char16_t*>(name) + u"@" + reinterpret_cast<const char16_t*>(domain) +
                        u"\" (" + word + u")\n\t");
      DumpAccessMask(ace->Mask, diagnostics);
    } else if (type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE) {
      DumpAccessMask(reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(entry)->Mask, diagnostics);
    }
    entry += header->AceSize;
  }
}
#endif

}  // namespace recodo
