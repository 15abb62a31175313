// Password verification and change through a fake platform, including the Windows 9x branches
// that a 64-bit program can never reach under Wine or modern Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/password_services.h"

namespace marvolet {
namespace {

class FakePasswordPlatform : public PasswordPlatform {
 public:
  bool ntFamily = false;
  bool libraryPresent = true;
  bool entryPresent = true;
  int32_t verifyResult = 0;

  std::vector<std::string> calls;
  int loaded = 0;
  int freed = 0;

  bool isNtFamily() override {
    calls.push_back("version");
    return ntFamily;
  }
  void* loadSystemLibrary(const char* fileName) override {
    calls.push_back(std::string("load ") + fileName);
    if (!libraryPresent) return nullptr;
    ++loaded;
    return &library_;
  }
  void* findEntry(void* library, const char* name) override {
    EXPECT_EQ(library, &library_);
    calls.push_back(std::string("find ") + name);
    return entryPresent ? &entry_ : nullptr;
  }
  void freeLibrary(void* library) override {
    EXPECT_EQ(library, &library_);
    calls.push_back("free");
    ++freed;
  }
  int32_t callVerify(void* entry, uintptr_t window) override {
    EXPECT_EQ(entry, &entry_);
    calls.push_back("verify " + std::to_string(window));
    return verifyResult;
  }
  void callChange(void* entry, const char* category, uintptr_t owner) override {
    EXPECT_EQ(entry, &entry_);
    calls.push_back(std::string("change ") + category + " " + std::to_string(owner));
  }

 private:
  int library_ = 0;
  int entry_ = 0;
};

using Calls = std::vector<std::string>;

TEST(VerifyPassword, NtFamilyClosesWithoutLoadingAnything) {
  FakePasswordPlatform platform;
  platform.ntFamily = true;
  EXPECT_NE(verifyPasswordWith(platform, 7), 0);
  EXPECT_EQ(platform.calls, Calls{"version"});
}

TEST(VerifyPassword, NinetyFivePlatformAsksTheService) {
  FakePasswordPlatform platform;
  platform.verifyResult = 0;
  EXPECT_EQ(verifyPasswordWith(platform, 42), 0);
  EXPECT_EQ(platform.calls, (Calls{"version", "load PASSWORD.CPL", "find VerifyScreenSavePwd",
                                   "verify 42", "free"}));
  platform.verifyResult = 3;
  EXPECT_EQ(verifyPasswordWith(platform, 42), 3);  // the service's own non-zero answer
  EXPECT_EQ(platform.loaded, platform.freed);
}

TEST(VerifyPassword, MissingLibraryOrEntryLetsTheSaverClose) {
  FakePasswordPlatform noLibrary;
  noLibrary.libraryPresent = false;
  EXPECT_EQ(verifyPasswordWith(noLibrary, 1), 1);
  EXPECT_EQ(noLibrary.freed, 0);

  FakePasswordPlatform noEntry;
  noEntry.entryPresent = false;
  EXPECT_EQ(verifyPasswordWith(noEntry, 1), 1);
  EXPECT_EQ(noEntry.calls.back(), "free");
  EXPECT_EQ(noEntry.loaded, noEntry.freed);
}

TEST(ChangePassword, CallsTheServiceForTheScreenSaverCategory) {
  FakePasswordPlatform platform;
  platform.ntFamily = true;  // no platform test: the change runs wherever the service exists
  changePasswordWith(platform, 1234);
  EXPECT_EQ(platform.calls,
            (Calls{"load MPR.DLL", "find PwdChangePasswordA", "change SCRSAVE 1234", "free"}));
}

TEST(ChangePassword, MissingServiceDoesNothing) {
  FakePasswordPlatform noLibrary;
  noLibrary.libraryPresent = false;
  changePasswordWith(noLibrary, 1);
  EXPECT_EQ(noLibrary.calls, Calls{"load MPR.DLL"});

  FakePasswordPlatform noEntry;
  noEntry.entryPresent = false;
  changePasswordWith(noEntry, 1);
  EXPECT_EQ(noEntry.calls, (Calls{"load MPR.DLL", "find PwdChangePasswordA", "free"}));
}

TEST(SystemLibraryPath, JoinsDirectoryAndNameWithOneBackslash) {
  char out[64];
  ASSERT_TRUE(systemLibraryPath("C:\\Windows\\system32", "MPR.DLL", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Windows\\system32\\MPR.DLL");
  ASSERT_TRUE(systemLibraryPath("C:\\", "PASSWORD.CPL", out, sizeof out));
  EXPECT_STREQ(out, "C:\\PASSWORD.CPL");
}

TEST(SystemLibraryPath, RefusesWhatWouldFallBackToTheSearchPath) {
  char out[16] = "stale";
  // An empty directory would leave a bare name, which the platform searches for.
  EXPECT_FALSE(systemLibraryPath("", "MPR.DLL", out, sizeof out));
  EXPECT_STREQ(out, "");
  // "C:\abc\MPR.DLL" needs 15 bytes with its NUL.
  EXPECT_TRUE(systemLibraryPath("C:\\abc", "MPR.DLL", out, 15));
  EXPECT_FALSE(systemLibraryPath("C:\\abcd", "MPR.DLL", out, 15));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(systemLibraryPath("C:\\", "MPR.DLL", out, 0));
}

}  // namespace
}  // namespace marvolet
