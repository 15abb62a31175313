// The settings file: defaults, tolerant reading, OK/Cancel, and saves that never leave a half file.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "host/config_dialog.h"
#include "host/linux/linux_settings_file.h"
#include "host/saver_settings.h"

namespace marvolet {
namespace {

class TemporaryFolder {
 public:
  TemporaryFolder() {
    char pattern[] = "/tmp/marvolet-settings-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TemporaryFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::set<std::string> folderEntries(const std::string& folder) {
  std::set<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.insert(name);
    }
    closedir(dir);
  }
  return names;
}

SaverSettings loadedFrom(FileSettingsStore& store) {
  SaverSettings settings;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  return settings;
}

SaverSettings loadedFromText(const std::string& text) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  writeText(path, text);
  FileSettingsStore store(path);
  return loadedFrom(store);
}

// What a save appends for the rows a later change adds after the first six switches.
std::string defaultLinesAfterTheFirstSix() {
  const OptionValues defaults(saverOptionTable());
  std::string lines;
  for (size_t i = 6; i < saverOptionTable().count; ++i) {
    lines += std::string(saverOptionTable().rows[i].storedName) + "=" + defaults.words(i) + "\n";
  }
  return lines;
}

void expectDefaults(const SaverSettings& settings) {
  EXPECT_EQ(settings.passwordDelay, 15);
  EXPECT_EQ(settings.mouseThreshold, 50);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 1);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 0);
  EXPECT_EQ(renderFlagsFor(settings), 6u);
}

TEST(FileSettingsRead, MissingFileOrFolderGivesTheDefaults) {
  TemporaryFolder folder;
  FileSettingsStore missingFile(folder.path() + "/marvolet.conf");
  expectDefaults(loadedFrom(missingFile));
  FileSettingsStore missingFolder(folder.path() + "/no/such/folder/marvolet.conf");
  expectDefaults(loadedFrom(missingFolder));
  FileSettingsStore noPath("");
  expectDefaults(loadedFrom(noPath));
  EXPECT_EQ(noPath.createKey(kOptionsKey), nullptr);
}

TEST(FileSettingsRead, ReadsEveryValueWithBlanksCaseAndLineEnds) {
  const SaverSettings settings = loadedFromText(
      "# comment\n"
      "  usestars = 0 \r\n"
      "UseBlur=0\n"
      "\tUSETRAILS\t=\t1\n"
      "Password Delay=3\n"
      "burninguard=0\n"
      "MainMonitorOnly = 1\n"
      "BatteryPace=0\n"
      "mouse threshold = -7");  // no final newline
  EXPECT_EQ(settings.options.numberOf("BurnInGuard"), 0);
  EXPECT_EQ(settings.options.numberOf("MainMonitorOnly"), 1);
  EXPECT_EQ(settings.options.numberOf("BatteryPace"), 0);
  EXPECT_EQ(settings.passwordDelay, 3);
  EXPECT_EQ(settings.mouseThreshold, -7);
  EXPECT_EQ(settings.options.numberOf("UseStars"), 0);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 0);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 1);
  EXPECT_EQ(renderFlagsFor(settings), Trails);
}

TEST(FileSettingsRead, GarbledLinesAreIgnoredAndDefaultsKept) {
  expectDefaults(
      loadedFromText("UseStars=abc\n"
                     "UseBlur\n"
                     "=0\n"
                     "UseTrails=1.5\n"
                     "UseTrails=1 1\n"
                     "UseTrails=99999999999\n"
                     "UseTrails=4294967296\n"
                     "UseTrails=-2147483649\n"
                     "UseTrails=0x1\n"
                     "UseTrails=\n"
                     "UseTrails=-\n"
                     "# UseTrails=1\n"
                     "; UseTrails=1\n"
                     "Use Trails=1\n"
                     "Mouse Threshold=5 px\n"
                     "\x01\xff garbage \x7f\n"));
}

TEST(FileSettingsRead, AGarbledLaterLineDoesNotUndoAGoodOne) {
  const SaverSettings settings =
      loadedFromText("UseTrails=1\nUseTrails=yes\nUseBlur=0\nUseBlur=1\n");
  EXPECT_EQ(settings.options.numberOf("UseTrails"), 1);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), 1);  // the last well-formed line counts
}

TEST(FileSettingsRead, AnyNonZeroCountsAsOnAndThe32BitRangeIsKept) {
  const SaverSettings settings = loadedFromText(
      "UseStars=5\nUseBlur=4294967295\nUseTrails=-2147483648\nMouse Threshold=+2147483647\n");
  EXPECT_EQ(settings.options.numberOf("UseStars"), 5);
  EXPECT_EQ(settings.options.numberOf("UseBlur"), -1);
  EXPECT_EQ(settings.options.numberOf("UseTrails"), INT32_MIN);
  EXPECT_EQ(settings.mouseThreshold, INT32_MAX);
  EXPECT_EQ(renderFlagsFor(settings), 7u);
}

// What a settings path may hold instead of a small regular file. Each must read as absent, and
// the dialog's OK must leave it exactly as it was: a save "merging" into a FIFO or replacing the
// target of a link to a device would destroy something that is not ours.
TEST(FileSettingsRead, OversizedOrNonRegularFilesCountAsAbsentAndAreLeftAlone) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  const std::string values = "UseStars=0\nUseTrails=1\n";
  const auto padded = [&](size_t size) {
    return values + "#" + std::string(size - values.size() - 2, 'x') + "\n";
  };
  const auto saveFromDialog = [&] {
    FileSettingsStore store(path);
    SaverSettings settings = loadedFrom(store);
    settings.options.numberOf("UseBlur") = 0;
    settings.saveOptions(store);
  };

  writeText(path, padded(kMaxSettingsFileBytes));  // at the limit: still a settings file
  EXPECT_EQ(loadedFromText(readText(path)).options.numberOf("UseTrails"), 1);

  const std::string oversized = padded(kMaxSettingsFileBytes + 1);
  writeText(path, oversized);
  FileSettingsStore store(path);
  expectDefaults(loadedFrom(store));
  saveFromDialog();
  EXPECT_EQ(readText(path), oversized);
  ASSERT_EQ(unlink(path.c_str()), 0);

  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);  // no writer: a blocking open would never return
  expectDefaults(loadedFrom(store));
  saveFromDialog();
  struct stat info {};
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  ASSERT_EQ(unlink(path.c_str()), 0);

  ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  expectDefaults(loadedFrom(store));
  saveFromDialog();
  ASSERT_EQ(lstat(path.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  ASSERT_EQ(rmdir(path.c_str()), 0);

  // An endless device: only read here, never saved to, so that a fault cannot touch it.
  ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
  expectDefaults(loadedFrom(store));
  ASSERT_EQ(unlink(path.c_str()), 0);

  if (geteuid() != 0) {  // root reads any file
    writeText(path, values);
    ASSERT_EQ(chmod(path.c_str(), 0200), 0);
    expectDefaults(loadedFrom(store));
    saveFromDialog();
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(readText(path), values);
    ASSERT_EQ(unlink(path.c_str()), 0);
  }
  EXPECT_TRUE(folderEntries(folder.path()).empty());  // no temporary file left behind
}

constexpr int32_t kStarsBox = 1001;
constexpr int32_t kLightEffectsBox = 1002;
constexpr int32_t kTrailsBox = 1003;
constexpr int32_t kBurnInGuardBox = 1004;
constexpr int32_t kMainMonitorOnlyBox = 1005;
constexpr int32_t kBatteryPaceBox = 1006;

// Check boxes as the dialog would report them.
struct Boxes : DialogControls {
  std::map<int32_t, uint32_t> states;
  void setState(int32_t id, uint32_t state) override { states[id] = state; }
  uint32_t state(int32_t id) override { return states[id]; }
  void setText(int32_t, const std::string&) override {}
  std::string text(int32_t) override { return std::string(); }
};
Boxes boxes;

TEST(FileSettingsDialog, CancelWritesNothingAndOkWritesEveryBox) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/config/marvolet/marvolet.conf";
  FileSettingsStore store(path);
  SaverSettings settings = loadedFrom(store);
  boxes.states = {{kStarsBox, 0},       {kLightEffectsBox, 1},    {kTrailsBox, 1},
                  {kBurnInGuardBox, 0}, {kMainMonitorOnlyBox, 1}, {kBatteryPaceBox, 0}};

  EXPECT_EQ(configDialogCommand(settings, store, kDialogCancel, boxes).endWith, kDialogCancel);
  EXPECT_FALSE(exists(path));
  EXPECT_FALSE(exists(folder.path() + "/config"));
  EXPECT_EQ(settings.options.numberOf("UseStars"), 1);

  EXPECT_EQ(configDialogCommand(settings, store, kDialogOk, boxes).endWith, kDialogOk);
  ASSERT_TRUE(exists(path));
  const SaverSettings reloaded = loadedFrom(store);
  EXPECT_EQ(reloaded.options.numberOf("UseStars"), 0);
  EXPECT_EQ(reloaded.options.numberOf("UseBlur"), 1);
  EXPECT_EQ(reloaded.options.numberOf("UseTrails"), 1);
  EXPECT_EQ(reloaded.options.numberOf("BurnInGuard"), 0);
  EXPECT_EQ(reloaded.options.numberOf("MainMonitorOnly"), 1);
  EXPECT_EQ(reloaded.options.numberOf("BatteryPace"), 0);
  struct stat info {};
  stat((folder.path() + "/config/marvolet").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(FileSettingsDialog, OkAfterAStoredFiveWritesOneOrZero) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  writeText(path, "UseStars=5\nUseBlur=5\n");
  FileSettingsStore store(path);
  SaverSettings settings = loadedFrom(store);
  boxes.states = {
      {kStarsBox, 1}, {kLightEffectsBox, 0}, {kTrailsBox, 2}};  // 2: not exactly checked
  configDialogCommand(settings, store, kDialogOk, boxes).endWith;
  const std::string text = readText(path);
  EXPECT_NE(text.find("UseStars=1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("UseBlur=0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("UseTrails=0\n"), std::string::npos) << text;
}

// Where OK cannot save, the save says why in words a user can act on and leaves every file as
// it was. Permissions bind only other users than root, so as root those cases run in a child
// process that has become "nobody".
std::string failuresOfUnwritableSaves(const std::string& folder) {
  std::string failures;
  const auto expectRefused = [&](const std::string& path, const std::string& words) {
    FileSettingsStore store(path);
    SaverSettings settings;
    settings.options.numberOf("UseTrails") = 1;
    std::string reason;
    if (settings.saveOptions(store, &reason)) {
      failures += path + ": saved\n";
    } else if (reason.find(words) == std::string::npos) {
      failures += path + ": the reason \"" + reason + "\" lacks \"" + words + "\"\n";
    }
  };
  const std::string readOnlyFolder = folder + "/read-only";
  mkdir(readOnlyFolder.c_str(), 0700);
  writeText(readOnlyFolder + "/marvolet.conf", "UseStars=0\n");
  chmod(readOnlyFolder.c_str(), 0500);
  expectRefused(readOnlyFolder + "/marvolet.conf", "Permission denied");
  expectRefused(readOnlyFolder + "/new/marvolet.conf", "cannot be made: Permission denied");
  if (readText(readOnlyFolder + "/marvolet.conf") != "UseStars=0\n") failures += "changed\n";
  if (folderEntries(readOnlyFolder).size() != 1) failures += "left a file behind\n";
  chmod(readOnlyFolder.c_str(), 0700);

  const std::string readOnlyFile = folder + "/marvolet.conf";
  writeText(readOnlyFile, "UseStars=0\n");
  chmod(readOnlyFile.c_str(), 0444);
  expectRefused(readOnlyFile, "is read-only");
  if (readText(readOnlyFile) != "UseStars=0\n") failures += "read-only file changed\n";
  return failures;
}

TEST(FileSettingsSave, ASaveThatCannotBeMadeSaysWhyAndChangesNothing) {
  TemporaryFolder folder;
  // XDG_CONFIG_HOME naming a file: its settings folder cannot be made.
  const std::string file = folder.path() + "/not-a-folder";
  writeText(file, "mine\n");
  FileSettingsStore underAFile(file + "/marvolet/marvolet.conf");
  SaverSettings settings;
  std::string reason;
  EXPECT_FALSE(settings.saveOptions(underAFile, &reason));
  EXPECT_NE(reason.find(file + " is not a folder"), std::string::npos) << reason;
  EXPECT_EQ(readText(file), "mine\n");

  // The settings path a folder.
  const std::string folderPath = folder.path() + "/marvolet.conf";
  ASSERT_EQ(mkdir(folderPath.c_str(), 0700), 0);
  FileSettingsStore atAFolder(folderPath);
  EXPECT_FALSE(settings.saveOptions(atAFolder, &reason));
  EXPECT_EQ(reason, folderPath + " is a folder, not a settings file");
  EXPECT_TRUE(folderEntries(folderPath).empty());
  ASSERT_EQ(rmdir(folderPath.c_str()), 0);

  if (geteuid() != 0) {
    EXPECT_EQ(failuresOfUnwritableSaves(folder.path()), "");
    return;
  }
  ASSERT_EQ(chmod(folder.path().c_str(), 0777), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const std::string failures = failuresOfUnwritableSaves(folder.path());
    std::fputs(failures.c_str(), stderr);
    _exit(failures.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "see the child's messages above";
  std::system(("chmod -R u+rwx '" + folder.path() + "'").c_str());
}

TEST(FileSettingsSave, KeepsOtherLinesAndDropsStaleDuplicates) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  writeText(path,
            "# my settings\n"
            "Mouse Threshold = 10\n"
            "usestars=1\n"
            "something odd\n"
            "UseStars=1\n");
  FileSettingsStore store(path);
  SaverSettings settings = loadedFrom(store);
  settings.options.numberOf("UseStars") = 0;
  settings.saveOptions(store);
  EXPECT_EQ(readText(path),
            "# my settings\n"
            "Mouse Threshold = 10\n"
            "UseStars=0\n"
            "something odd\n"
            "UseBlur=1\n"
            "UseTrails=0\n"
            "BurnInGuard=1\n"
            "MainMonitorOnly=0\n"
            "BatteryPace=1\n" +
                defaultLinesAfterTheFirstSix());
  EXPECT_EQ(loadedFrom(store).options.numberOf("UseStars"), 0);
  EXPECT_EQ(loadedFrom(store).mouseThreshold, 10);
}

// The key contract behind the loads and saves above, which always open a fresh key.
TEST(FileSettingsSave, AWritingKeyReadsBackItsValuesAndAReadingKeyRefusesWrites) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  writeText(path, "UseTrails=1\n");
  FileSettingsStore store(path);
  int32_t value = 42;
  {
    std::unique_ptr<SettingsKey> reading = store.openKey(kOptionsKey);
    ASSERT_NE(reading, nullptr);
    EXPECT_FALSE(reading->readInteger("UseStars", &value));
    EXPECT_EQ(value, 42);  // a failed read leaves the caller's default
    EXPECT_FALSE(reading->writeInteger("UseStars", 0));
  }
  EXPECT_EQ(readText(path), "UseTrails=1\n");
  {
    std::unique_ptr<SettingsKey> writing = store.createKey(kOptionsKey);
    ASSERT_NE(writing, nullptr);
    EXPECT_TRUE(writing->writeInteger("usetrails", -1));
    EXPECT_TRUE(writing->readInteger("UseTrails", &value));
    EXPECT_EQ(value, -1);
    EXPECT_EQ(readText(path), "UseTrails=1\n");  // saved only when the key closes
  }
  EXPECT_EQ(readText(path), "usetrails=-1\n");
}

TEST(FileSettingsSave, ReplacesTheTargetOfASymbolicLink) {
  TemporaryFolder folder;
  const std::string target = folder.path() + "/dotfiles.conf";
  const std::string link = folder.path() + "/marvolet.conf";
  writeText(target, "UseTrails=0\n");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  FileSettingsStore store(link);
  SaverSettings settings = loadedFrom(store);
  settings.options.numberOf("UseTrails") = 1;
  settings.saveOptions(store);
  struct stat info {};
  ASSERT_EQ(lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(loadedFrom(store).options.numberOf("UseTrails"), 1);
}

uid_t actingAsRoot() {
  return 0;
}
uid_t actingAsAStranger() {
  return geteuid() + 1;
}

// An ordinary user's id that exists only in these tests.
constexpr uid_t kSomeoneElse = 4322;

// Nobody but the owner saves, and root, whose save would take a user's file from them, only
// where everything on the way is root's: so not through another user's link to a file of root's
// (as "sudo -E" with the user's HOME would). The owner's save keeps the file's owner, group and
// mode.
TEST(FileSettingsSave, OnlyTheOwnerSavesAndTheFileKeepsItsOwnerGroupAndMode) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  const std::string original = "UseTrails=0\n";
  writeText(path, original);
  chmod(path.c_str(), 0640);
  // A group of this process's besides its own, where there is one.
  gid_t group = geteuid() == 0 ? kSomeoneElse : static_cast<gid_t>(-1);
  gid_t groups[64];
  for (int i = 0, count = getgroups(64, groups); i < count && geteuid() != 0; ++i) {
    if (groups[i] != getegid()) group = groups[i];
  }
  if (group != static_cast<gid_t>(-1)) {
    ASSERT_EQ(chown(path.c_str(), geteuid(), group), 0);
  }
  const auto saveTrails = [](FileSettingsStore& store) {
    SaverSettings settings = loadedFrom(store);
    settings.options.numberOf("UseTrails") = 1;
    settings.saveOptions(store);
  };

  FileSettingsStore stranger(path);
  stranger.calls.user = actingAsAStranger;
  saveTrails(stranger);
  EXPECT_EQ(readText(path), original);
  FileSettingsStore strangersNew(folder.path() + "/new/marvolet.conf");
  strangersNew.calls.user = actingAsAStranger;
  EXPECT_EQ(strangersNew.createKey(kOptionsKey), nullptr);
  EXPECT_FALSE(exists(folder.path() + "/new"));
  EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"marvolet.conf"});

  FileSettingsStore owner(path);
  saveTrails(owner);
  EXPECT_EQ(loadedFrom(owner).options.numberOf("UseTrails"), 1);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, geteuid());
  if (group != static_cast<gid_t>(-1)) {
    EXPECT_EQ(info.st_gid, group);
  }
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // Another user's home with a link of theirs to a file of root's.
  const std::string home = folder.path() + "/home";
  const std::string link = home + "/marvolet.conf";
  mkdir(home.c_str(), 0755);
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  FileSettingsStore throughTheirLink(link);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(home.c_str(), kSomeoneElse, kSomeoneElse), 0);
    ASSERT_EQ(lchown(link.c_str(), kSomeoneElse, kSomeoneElse), 0);
  } else {
    throughTheirLink.calls.user = actingAsRoot;  // the folders are this user's, not root's
  }
  const std::string before = readText(path);
  SaverSettings settings = loadedFrom(throughTheirLink);
  settings.options.numberOf("UseStars") = 0;
  settings.saveOptions(throughTheirLink);
  EXPECT_EQ(readText(path), before);
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  if (group != static_cast<gid_t>(-1)) {
    EXPECT_EQ(info.st_gid, group);
  }
  EXPECT_EQ(folderEntries(home), std::set<std::string>{"marvolet.conf"});
  EXPECT_NE(replacementProblem(throughTheirLink.calls.user(), link).find("run it as"),
            std::string::npos);
}

// Write-call doubles. A plain function pointer carries no state, so the budget is global.
size_t writeBudget = 0;

ssize_t writeOneByte(int fd, const void* data, size_t size) {
  return ::write(fd, data, size > 0 ? 1 : 0);
}

ssize_t writeThenFail(int fd, const void* data, size_t size) {
  if (writeBudget == 0) {
    errno = ENOSPC;
    return -1;
  }
  const size_t chunk = size < writeBudget ? size : writeBudget;
  writeBudget -= chunk;
  return ::write(fd, data, chunk);
}

ssize_t writeThenDie(int fd, const void* data, size_t size) {
  if (writeBudget == 0) _exit(3);  // the process is killed half-way through the file
  return writeThenFail(fd, data, size);
}

int failFsync(int) {
  errno = EIO;
  return -1;
}

int failRename(const char*, const char*) {
  errno = EXDEV;
  return -1;
}

TEST(FileSettingsSave, ShortWritesAreContinuedToTheEnd) {
  TemporaryFolder folder;
  const std::string path = folder.path() + "/marvolet.conf";
  FileSettingsStore store(path);
  store.calls.write = writeOneByte;
  SaverSettings settings = loadedFrom(store);
  settings.options.numberOf("UseTrails") = 1;
  settings.saveOptions(store);
  const SaverSettings reloaded = loadedFrom(store);
  EXPECT_EQ(reloaded.options.numberOf("UseTrails"), 1);
  EXPECT_NE(readText(path).find("UseTrails=1\n"), std::string::npos);
}

class InterruptedSave : public ::testing::Test {
 protected:
  void SetUp() override {
    path = folder.path() + "/marvolet.conf";
    writeText(path, original);
  }

  // Saves changed options through `store` and checks that the old file is still whole.
  void expectOriginalKept(FileSettingsStore& store) {
    SaverSettings settings = loadedFrom(store);
    settings.options.numberOf("UseStars") = 0;
    settings.options.numberOf("UseTrails") = 1;
    settings.saveOptions(store);
    EXPECT_EQ(readText(path), original);
    EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"marvolet.conf"});
  }

  TemporaryFolder folder;
  std::string path;
  const std::string original =
      "# kept as it was\nUseStars=1\nUseBlur=1\nUseTrails=0\nMouse Threshold=20\n";
};

TEST_F(InterruptedSave, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  FileSettingsStore store(path);
  store.calls.write = writeThenFail;
  writeBudget = 20;
  expectOriginalKept(store);
}

TEST_F(InterruptedSave, AFailedFsyncLeavesTheOldFile) {
  FileSettingsStore store(path);
  store.calls.fsync = failFsync;
  expectOriginalKept(store);
}

TEST_F(InterruptedSave, AFailedRenameLeavesTheOldFile) {
  FileSettingsStore store(path);
  store.calls.rename = failRename;
  expectOriginalKept(store);
}

TEST_F(InterruptedSave, AProcessKilledMidWriteLeavesTheOldFileWhole) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileSettingsStore store(path);
    store.calls.write = writeThenDie;
    writeBudget = 25;
    SaverSettings settings = loadedFrom(store);
    settings.options.numberOf("UseTrails") = 1;
    settings.saveOptions(store);
    _exit(0);  // not reached: the write dies first
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(readText(path), original);
  FileSettingsStore store(path);
  EXPECT_EQ(loadedFrom(store).mouseThreshold, 20);
}

TEST_F(InterruptedSave, AFirstSaveThatFailsLeavesNoFileAtAll) {
  const std::string fresh = folder.path() + "/new/marvolet.conf";
  FileSettingsStore store(fresh);
  store.calls.write = writeThenFail;
  writeBudget = 10;
  SaverSettings settings = loadedFrom(store);
  settings.saveOptions(store);
  EXPECT_FALSE(exists(fresh));
  EXPECT_TRUE(folderEntries(folder.path() + "/new").empty());
}

// Sets or clears an environment variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (hadOld_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool hadOld_;
  std::string old_;
};

TEST(DefaultSettingsPath, FollowsXdgConfigHomeThenHome) {
  ScopedVariable home("HOME", "/home/tester");
  {
    ScopedVariable xdg("XDG_CONFIG_HOME", "/srv/config");
    EXPECT_EQ(defaultSettingsPath(), "/srv/config/marvolet/marvolet.conf");
  }
  for (const char* ignored : {"relative/config", ""}) {
    ScopedVariable xdg("XDG_CONFIG_HOME", ignored);
    EXPECT_EQ(defaultSettingsPath(), "/home/tester/.config/marvolet/marvolet.conf") << ignored;
  }
  ScopedVariable xdg("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(defaultSettingsPath(), "/home/tester/.config/marvolet/marvolet.conf");
}

TEST(DefaultSettingsPath, WithoutHomeUsesThePasswordDatabase) {
  ScopedVariable xdg("XDG_CONFIG_HOME", nullptr);
  ScopedVariable home("HOME", nullptr);
  const std::string path = defaultSettingsPath();
  EXPECT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("/.config/marvolet/marvolet.conf"), std::string::npos);
}

}  // namespace
}  // namespace marvolet
