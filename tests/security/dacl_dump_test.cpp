// The DACL dump over lists built with the system's own ACL functions, and
// the real privilege listing of the token Wine gives.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <filesystem>
#include <random>
#include <string>

#include "diagnostics_capture.h"
#include "security/dacl_dump.h"
#include "security/privileges.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;

class DaclDump : public ::testing::Test {
 protected:
  void SetUp() override {
    diagnostics_ = std::make_unique<test::DiagnosticsCapture>();
    InitializeAcl(acl(), sizeof buffer_, ACL_REVISION_DS);
  }
  PACL acl() { return reinterpret_cast<PACL>(buffer_); }
  std::string Text() const { return diagnostics_->Text(); }

  alignas(8) BYTE buffer_[1024];
  std::unique_ptr<test::DiagnosticsCapture> diagnostics_;
};

TEST_F(DaclDump, AnEmptyList) {
  DumpDacl(acl(), *diagnostics_);
  EXPECT_EQ(Text(), "Entries in ACL: 0, Size of ACL: 1024 Bytes\n");
}

TEST_F(DaclDump, EntriesOfEveryKind) {
  PSID unknown = nullptr;  // a domain account nobody has
  ConvertStringSidToSidW(L"S-1-5-21-1111-2222-3333-4444", &unknown);
  ASSERT_TRUE(AddAccessAllowedAceEx(acl(), ACL_REVISION_DS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERITED_ACE,
                                    FILE_ALL_ACCESS, unknown));
  ASSERT_TRUE(AddAccessDeniedAce(acl(), ACL_REVISION_DS, GENERIC_READ | GENERIC_WRITE | 0x0003, unknown));
  ASSERT_TRUE(AddAuditAccessAce(acl(), ACL_REVISION_DS, GENERIC_ALL, unknown, TRUE, FALSE));
  // An object entry without object types: header, mask, flags, then the SID.
  alignas(4) BYTE object[64] = {};
  const DWORD sidLength = GetLengthSid(unknown);
  auto* header = reinterpret_cast<ACE_HEADER*>(object);
  header->AceType = ACCESS_ALLOWED_OBJECT_ACE_TYPE;
  header->AceSize = static_cast<WORD>(12 + sidLength);
  *reinterpret_cast<DWORD*>(object + 4) = MAXIMUM_ALLOWED | SYNCHRONIZE;
  CopySid(sidLength, object + 12, unknown);
  ASSERT_TRUE(AddAce(acl(), ACL_REVISION_DS, MAXDWORD, object, header->AceSize));
  DumpDacl(acl(), *diagnostics_);
  LocalFree(unknown);
  EXPECT_EQ(Text(),
            "Entries in ACL: 4, Size of ACL: 1024 Bytes\n"
            "ACE Entry 0\n\tFlags: CONTAINER INHERIT, INHERITED, OBJECT INHERIT, \n\tType: 0\n"
            "Access Allowed for \"@\" (Benutzer)\n"
            "\tDELETE, READ CONTROL, WRITE DAC, WRITE OWNER, SYNCHRONIZE, 01ff\n"
            "ACE Entry 1\n\tFlags: \n\tType: 0x1\n"
            "Access Denied for \"@\" (Benutzer)\n"
            "\tGENERIC READ, GENERIC WRITE, 0003\n"
            "ACE Entry 2\n\tFlags: \n\tType: 0x2\n"
            "ACE Entry 3\n\tFlags: \n\tType: 0x5\n"
            "MAXIMUM ALLOWED, SYNCHRONIZE, 0000\n");
}

TEST(SidTypeNames, TheGermanWords) {
  const char16_t* expected[] = {u"Unbekannt", u"Benutzer", u"Gruppe",    u"Domäne",    u"Alias",     u"WellKnown",
                                u"Gelöscht",  u"Ungültig", u"Unbekannt", u"Computer", u"Unbekannt"};
  for (int type = 0; type <= 10; ++type) {
    char16_t word[128];
    GetSidTypeName(type, word);
    EXPECT_EQ(std::u16string(word), expected[type]) << type;
  }
}

TEST_F(DaclDump, TheRealTokensPrivileges) {
  AdjustProcessPrivileges(*diagnostics_);
  const std::string text = Text();
  EXPECT_EQ(text.rfind("Privileges: Se", 0), 0u) << text;
  EXPECT_EQ(text.find("failed"), std::string::npos) << text;
  EXPECT_EQ(text.find("Failed"), std::string::npos) << text;
}

}  // namespace
}  // namespace recodo
