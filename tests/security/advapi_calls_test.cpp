// The security calls, their order and their arguments, checked against a
// recording stand-in for advapi32 (Wine accepts the real calls but keeps
// nothing they set), and every failure's line.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "convert/convert_file.h"
#include "diagnostics_capture.h"
#include "platform/paths.h"
#include "platform/win32/advapi.h"
#include "security/helper.h"
#include "security/privileges.h"
#include "security/user_translation_table.h"

namespace recodo {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> calls;
DWORD failWith = 0;          // the error of the call named in failing
std::string failing;
BYTE fakeSid[16] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};  // S-1-5-18
BYTE fakeDescriptor[64];
BYTE fakeAcl[64];
EXPLICIT_ACCESS_W lastAccess;

DWORD lastError = 0;         // what GetLastError answers

bool Fails(const char* name) { return failing == name; }
std::string Narrow(const wchar_t* text) { return text == nullptr ? "(null)" : std::string(text, text + wcslen(text)); }
// The file a call is about: its name, or "temporary" for the file a result
// is written into before it takes its place.
std::string FileOf(const wchar_t* path) {
  const std::string name = fs::path(path).filename().string();
  return name.rfind("~recodo", 0) == 0 ? "temporary" : name;
}

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD access, PHANDLE token) {
  calls.push_back("OpenProcessToken " + std::to_string(access));
  *token = reinterpret_cast<HANDLE>(0x1234);
  return TRUE;
}
BOOL WINAPI FakeLookupPrivilegeValueW(LPCWSTR, LPCWSTR name, PLUID luid) {
  calls.push_back("LookupPrivilegeValue " + Narrow(name));
  luid->LowPart = static_cast<DWORD>(calls.size());
  return TRUE;
}
BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE, BOOL disableAll, PTOKEN_PRIVILEGES record, DWORD length,
                                      PTOKEN_PRIVILEGES, PDWORD) {
  calls.push_back("AdjustTokenPrivileges " + std::to_string(disableAll) + " " + std::to_string(record->PrivilegeCount) +
                  " " + std::to_string(record->Privileges[3].Attributes) + " " + std::to_string(length));
  if (!Fails("AdjustTokenPrivileges")) return TRUE;
  lastError = failWith;
  return FALSE;
}
BOOL WINAPI FakeGetTokenInformation(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID buffer, DWORD length, PDWORD needed) {
  calls.push_back("GetTokenInformation " + std::to_string(length));
  const DWORD size = sizeof(DWORD) + 5 * sizeof(LUID_AND_ATTRIBUTES);
  *needed = size;
  if (buffer == nullptr) {  // the size query
    lastError = Fails("GetTokenInformationSize") ? 5 : ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  if (Fails("GetTokenInformation")) {
    lastError = failWith;
    return FALSE;
  }
  auto* list = static_cast<TOKEN_PRIVILEGES*>(buffer);
  list->PrivilegeCount = 5;
  const DWORD attributes[] = {3, 1, 2, 4, 0};
  for (DWORD i = 0; i < 5; ++i) {
    list->Privileges[i].Luid.LowPart = i;
    list->Privileges[i].Attributes = attributes[i];
  }
  return TRUE;
}
BOOL WINAPI FakeLookupPrivilegeNameW(LPCWSTR, PLUID luid, LPWSTR name, LPDWORD) {
  wcscpy(name, (L"Privilege" + std::to_wstring(luid->LowPart)).c_str());
  return TRUE;
}
BOOL WINAPI FakeLookupAccountNameW(LPCWSTR, LPCWSTR account, PSID sid, LPDWORD sidSize, LPWSTR domain,
                                   LPDWORD domainSize, PSID_NAME_USE) {
  calls.push_back("LookupAccountName " + Narrow(account) + " " + std::to_string(*sidSize) + " " +
                  std::to_string(*domainSize) + (sid == nullptr ? " no buffers" : " buffers"));
  if (Narrow(account) == "missing") {
    lastError = 1332;  // ERROR_NONE_MAPPED
    return FALSE;
  }
  if (sid == nullptr) {
    *sidSize = sizeof fakeSid;
    *domainSize = 8;
    lastError = ERROR_INSUFFICIENT_BUFFER;
    return FALSE;
  }
  std::memcpy(sid, fakeSid, sizeof fakeSid);
  wcscpy(domain, L"HOST");
  return !Fails("LookupAccountName2");
}
BOOL WINAPI FakeLookupAccountSidW(LPCWSTR, PSID, LPWSTR name, LPDWORD, LPWSTR domain, LPDWORD, PSID_NAME_USE use) {
  wcscpy(name, L"someone");
  wcscpy(domain, L"HOST");
  *use = SidTypeUser;
  return TRUE;
}
BOOL WINAPI FakeConvertSidToStringSidW(PSID, LPWSTR* text) {
  calls.push_back("ConvertSidToStringSid");
  static wchar_t sidText[] = L"S-1-5-18";
  *text = sidText;
  return TRUE;
}
DWORD WINAPI FakeGetNamedSecurityInfoW(LPCWSTR path, SE_OBJECT_TYPE type, SECURITY_INFORMATION what, PSID*, PSID*,
                                       PACL* dacl, PACL*, PSECURITY_DESCRIPTOR* descriptor) {
  calls.push_back("GetNamedSecurityInfo " + std::to_string(type) + " " + std::to_string(what) + " " + FileOf(path));
  if (dacl != nullptr) {
    InitializeAcl(reinterpret_cast<PACL>(fakeAcl), sizeof fakeAcl, ACL_REVISION);
    *dacl = reinterpret_cast<PACL>(fakeAcl);
  }
  *descriptor = fakeDescriptor;
  return ERROR_SUCCESS;
}
DWORD WINAPI FakeSetEntriesInAclW(ULONG count, PEXPLICIT_ACCESS_W access, PACL old, PACL* acl) {
  calls.push_back("SetEntriesInAcl " + std::to_string(count) + (old == nullptr ? " no old list" : " old list"));
  lastAccess = *access;
  if (Fails("SetEntriesInAcl")) return failWith;
  *acl = reinterpret_cast<PACL>(fakeAcl);
  return ERROR_SUCCESS;
}
DWORD WINAPI FakeSetNamedSecurityInfoW(LPWSTR, SE_OBJECT_TYPE, SECURITY_INFORMATION what, PSID owner, PSID, PACL acl,
                                       PACL) {
  calls.push_back(std::string("SetNamedSecurityInfo ") + (what == DACL_SECURITY_INFORMATION ? "DACL" : "OWNER") +
                  (owner != nullptr ? " owner" : "") + (acl != nullptr ? " acl" : ""));
  if (what == DACL_SECURITY_INFORMATION && Fails("SetNamedSecurityInfoDacl")) return failWith;
  if (what == OWNER_SECURITY_INFORMATION && Fails("SetNamedSecurityInfoOwner")) return failWith;
  return ERROR_SUCCESS;
}
BOOL WINAPI FakeSetFileSecurityW(LPCWSTR path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR) {
  calls.push_back(std::string("SetFileSecurity ") + (what == DACL_SECURITY_INFORMATION ? "DACL " : "OWNER ") +
                  FileOf(path));
  return TRUE;
}
BOOL WINAPI FakeCloseHandle(HANDLE) {
  calls.push_back("CloseHandle");
  return TRUE;
}
HLOCAL WINAPI FakeLocalFree(HLOCAL memory) {
  calls.push_back(memory == fakeAcl ? "LocalFree acl"
                  : memory == fakeDescriptor ? "LocalFree descriptor"
                                             : "LocalFree sid text");
  return nullptr;
}
DWORD WINAPI FakeGetLastError() { return lastError; }

class AdvapiCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::Advapi();
    platform::Advapi() = {FakeOpenProcessToken,    FakeLookupPrivilegeValueW, FakeAdjustTokenPrivileges,
                          FakeGetTokenInformation, FakeLookupPrivilegeNameW,  FakeLookupAccountNameW,
                          FakeLookupAccountSidW,   FakeConvertSidToStringSidW, FakeGetNamedSecurityInfoW,
                          FakeSetEntriesInAclW,    FakeSetNamedSecurityInfoW, FakeSetFileSecurityW,
                          FakeCloseHandle,         FakeLocalFree,             FakeGetLastError,
                          true};
    calls.clear();
    lastError = 0;
    failing.clear();
    failWith = 0;
    dir_ = fs::temp_directory_path() / ("recodo-advapi-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_);
    diagnostics_ = std::make_unique<test::DiagnosticsCapture>();
  }
  void TearDown() override {
    diagnostics_.reset();
    platform::Advapi() = saved_;
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Diagnostics() const { return diagnostics_->Text(); }
  static platform::Account Owner() {
    platform::Account account;
    account.sid = fakeSid;
    return account;
  }
  // The source line of a report in the helper's own source.
  static int SourceLine(const std::string& marker) {
    std::ifstream in(std::string(RECODO_SOURCE_DIR) + "/security/helper_win32.cpp");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
      if (line.find(marker) != std::string::npos) return number;
    return -1;
  }

  platform::AdvapiCalls saved_;
  fs::path dir_;
  std::unique_ptr<test::DiagnosticsCapture> diagnostics_;
  FileConverter converter_;
  // in.txt, read as Windows-1252, into the file of that name.
  ConvertFileResult Convert(const char* destination, ConversionOptions options) {
    options.sourceChoice = SourceSetChoice::Given;
    options.sourceSet = 18;
    ConversionOutcome outcome;
    return converter_.ConvertFile((dir_ / "in.txt").u16string().c_str(), (dir_ / destination).u16string().c_str(),
                                  options, &outcome);
  }
};

TEST_F(AdvapiCalls, TakeOwnerShipSetsOneEntryThenTheOwner) {
  EXPECT_TRUE(TakeOwnerShip(u"C:\\file.txt", Owner(), *diagnostics_));
  EXPECT_EQ(calls, (std::vector<std::string>{"SetEntriesInAcl 1 no old list", "SetNamedSecurityInfo DACL acl",
                                             "LocalFree acl", "SetNamedSecurityInfo OWNER owner"}));
  EXPECT_EQ(lastAccess.grfAccessPermissions, 0x100C0000u);
  EXPECT_EQ(lastAccess.grfAccessMode, SET_ACCESS);
  EXPECT_EQ(lastAccess.grfInheritance, static_cast<DWORD>(NO_INHERITANCE));
  EXPECT_EQ(lastAccess.Trustee.TrusteeForm, TRUSTEE_IS_SID);
  EXPECT_EQ(lastAccess.Trustee.TrusteeType, TRUSTEE_IS_USER);
  EXPECT_EQ(lastAccess.Trustee.MultipleTrusteeOperation, NO_MULTIPLE_TRUSTEE);
  EXPECT_EQ(static_cast<void*>(lastAccess.Trustee.ptstrName), static_cast<void*>(fakeSid));
  EXPECT_EQ(Diagnostics(), "");
}

TEST_F(AdvapiCalls, TakeOwnerShipFailuresPrintTheirLinesAndGoOn) {
  failing = "SetEntriesInAcl";
  failWith = 87;
  EXPECT_FALSE(TakeOwnerShip(u"C:\\file.txt", Owner(), *diagnostics_));
  EXPECT_EQ(calls, (std::vector<std::string>{"SetEntriesInAcl 1 no old list", "SetNamedSecurityInfo OWNER owner"}));
  const int entriesLine = SourceLine("u\"SetEntriesInAcl\"");
  ASSERT_GT(entriesLine, 0);
  EXPECT_EQ(Diagnostics(), "helper.TakeOwnerShip:" + std::to_string(entriesLine) +
                               " - SetEntriesInAcl: Failed with error 87\n");

  failing = "SetNamedSecurityInfoOwner";
  failWith = 5;
  EXPECT_FALSE(TakeOwnerShip(u"C:\\file.txt", Owner(), *diagnostics_));
  EXPECT_NE(Diagnostics().find("helper.TakeOwnerShip:" + std::to_string(SourceLine("(TAKE OWNERSHIP)")) +
                               " - SetNamedSecurityInfo(TAKE OWNERSHIP): Failed with error 5\n"),
            std::string::npos);
  failing = "SetNamedSecurityInfoDacl";
  failWith = 1307;
  EXPECT_FALSE(TakeOwnerShip(u"C:\\file.txt", Owner(), *diagnostics_));
  EXPECT_NE(Diagnostics().find(" - SetNamedSecurityInfo(SET ACL): Failed with error 1307\n"), std::string::npos);
}

TEST_F(AdvapiCalls, AnOwnerFromAPrefixIsLookedUpTwiceDumpedAndSet) {
  std::ofstream(dir_ / "table.csv") << "p01;missing\np01;alice\n";
  std::ofstream(dir_ / "p01-a.txt") << "x";
  char16_t target[platform::kPathCapacity] = {};
  const std::u16string path = (dir_ / "p01-a.txt").u16string();
  path.copy(target, path.size());
  CUserTranslationTable owners((dir_ / "table.csv").u16string().c_str(), target);
  owners.ApplyOwnerFromPrefix(true, *diagnostics_);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "LookupAccountName missing 0 0 no buffers", "LookupAccountName alice 0 0 no buffers",
                       "LookupAccountName alice 16 8 buffers", "ConvertSidToStringSid", "LocalFree sid text",
                       "GetNamedSecurityInfo 1 4 a.txt", "LocalFree descriptor", "SetEntriesInAcl 1 no old list",
                       "SetNamedSecurityInfo DACL acl", "LocalFree acl", "SetNamedSecurityInfo OWNER owner"}));
  EXPECT_EQ(Diagnostics(),
            "LookupAccountName for user \"missing\" failed with error code 1332\n"
            "SID for user \"alice\" is \"S-1-5-18\"\n"
            "Entries in ACL: 0, Size of ACL: 64 Bytes\n");
  EXPECT_EQ(fs::path(std::u16string(target)).filename(), "a.txt");
}

TEST_F(AdvapiCalls, KeptSecurityGoesOnTheDestinationDaclFirst) {
  std::ofstream(dir_ / "in.txt") << "abc";
  ConversionOptions settings;
  settings.keepDacl = settings.keepOwner = true;
  ASSERT_EQ(Convert("out.txt", settings),
            0);
  EXPECT_EQ(calls, (std::vector<std::string>{"GetNamedSecurityInfo 1 5 in.txt", "SetFileSecurity DACL out.txt",
                                             "SetFileSecurity OWNER out.txt", "LocalFree descriptor"}));
}

TEST_F(AdvapiCalls, AReplacedDestinationKeepsItsOwnOwnerAndAccessList) {
  // As truncating it in place would: its own descriptor goes onto the new
  // file before that takes its place.
  std::ofstream(dir_ / "in.txt") << "abc";
  std::ofstream(dir_ / "out.txt") << "old";
  ConversionOptions settings;
  ASSERT_EQ(Convert("out.txt", settings),
            0);
  EXPECT_EQ(calls, (std::vector<std::string>{"GetNamedSecurityInfo 1 5 out.txt", "SetFileSecurity DACL temporary",
                                             "SetFileSecurity OWNER temporary", "LocalFree descriptor"}));
  // "/keep-owner" then gives it the source's owner on top.
  calls.clear();
  settings.keepOwner = true;
  Convert("out.txt", settings);
  EXPECT_EQ(calls, (std::vector<std::string>{"GetNamedSecurityInfo 1 5 in.txt", "GetNamedSecurityInfo 1 5 out.txt",
                                             "SetFileSecurity DACL temporary", "SetFileSecurity OWNER temporary",
                                             "LocalFree descriptor", "SetFileSecurity OWNER out.txt",
                                             "LocalFree descriptor"}));
  // A new destination takes what its folder gives it.
  calls.clear();
  settings = ConversionOptions{};
  Convert("new.txt", settings);
  EXPECT_EQ(calls, std::vector<std::string>{});
}

TEST_F(AdvapiCalls, PrivilegesAreEnabledAndListed) {
  AdjustProcessPrivileges(*diagnostics_);
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "OpenProcessToken " + std::to_string(TOKEN_READ | TOKEN_ADJUST_PRIVILEGES),
                       "LookupPrivilegeValue SeTakeOwnershipPrivilege", "LookupPrivilegeValue SeTcbPrivilege",
                       "LookupPrivilegeValue SeBackupPrivilege", "LookupPrivilegeValue SeRestorePrivilege",
                       "AdjustTokenPrivileges 0 4 2 64", "GetTokenInformation 0", "GetTokenInformation 64",
                       "CloseHandle"}));
  EXPECT_EQ(Diagnostics(),
            "Privileges: Privilege0 = ENABLED (DEFAULT ENABLED)\n"
            "Privileges: Privilege1 = DISABLED (DEFAULT ENABLED)\n"
            "Privileges: Privilege2 = ENABLED\n"
            "Privileges: Privilege3 = REMOVED\n"
            "Privileges: Privilege4 = DISABLED\n");
}

TEST_F(AdvapiCalls, PrivilegeFailuresPrintTheirLines) {
  failing = "AdjustTokenPrivileges";
  failWith = 1300;
  AdjustProcessPrivileges(*diagnostics_);
  EXPECT_EQ(Diagnostics().rfind("AdjustTokenPrivileges failed with error code 1300\n", 0), 0u) << Diagnostics();
  failing = "GetTokenInformation";
  failWith = 998;  // the size query as usual, then the real call fails
  AdjustProcessPrivileges(*diagnostics_);
  EXPECT_NE(Diagnostics().find("GetTokenInformation: Failed with error code 998\n"), std::string::npos);
  failing = "GetTokenInformationSize";  // the size query fails otherwise than for the size
  AdjustProcessPrivileges(*diagnostics_);
  EXPECT_NE(Diagnostics().find("GetTokenInformation: Failed with error code 5\n"), std::string::npos);
}

}  // namespace
}  // namespace recodo
