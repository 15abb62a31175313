// The X11 saver's settings: one small "Name=value" text file instead of the registry.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "host/settings_store.h"

namespace marvolet {

// The settings file: $XDG_CONFIG_HOME/marvolet/marvolet.conf when XDG_CONFIG_HOME is an absolute
// path, else ~/.config/marvolet/marvolet.conf with ~ from HOME (or the password database).
// Empty when no home directory can be found.
std::string defaultSettingsPath();

// Eight short lines need about a hundred and fifty bytes; anything past this is not a settings
// file.
constexpr size_t kMaxSettingsFileBytes = 8192;

// The system calls behind an atomic save, replaceable so that tests can interrupt one or act as
// another user.
struct FileWriteCalls {
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  uid_t (*user)();  // whom the program acts for: the effective user id
};
FileWriteCalls systemFileWriteCalls();

// Why `user` may not replace `path`, or make it where it is missing, as a sentence for the user
// ("... belongs to alice; run it as alice"); empty when it may. Every folder and symbolic link on
// the way must be the user's or root's, and the file at the end of the links the user's own (or,
// when it is missing, the folder it would be made in, unless that is shared with the sticky bit
// like /tmp). So
// someone else's file is never written, through a link or otherwise, nor handed to a new owner;
// and root, whose writes would land in another user's home as root's files, may only write
// where everything is root's.
std::string replacementProblem(uid_t user, const std::string& path);

// Replaces `path` (at its target, when it is a symbolic link) by a file holding `data`: written
// in full to a temporary file in the same folder with the old file's owner, group and mode,
// fsync'ed, renamed over it, and the folder fsync'ed. False, with the old file untouched and the
// reason in `problem` (when given), when replacementProblem() objects or any step fails.
bool replaceFileAtomically(const FileWriteCalls& calls, const std::string& path,
                           const std::string& data, std::string* problem = nullptr);

// Creates each missing folder of `path`'s parent with mode 0700. False, with the folder that
// could not be had and why in *reason, when one is missing and cannot be made or a file sits
// where a folder should be.
bool makeParentFolders(const std::string& path, std::string* reason);

// Every key path names the same file, so the shared values ("Password Delay", "Mouse
// Threshold") and the program's options (the option table's stored names) sit side by side.
//
// File format: one "Name=value" per line; blanks around name and value are ignored, names
// compare case-insensitively (as registry value names do), '#' or ';' starts a comment line.
// An integer value is decimal, -2147483648 to 4294967295, read as the signed integer with the
// same 32-bit pattern (4294967295 is -1) as a REG_DWORD would be; saves write the signed form.
// A text value is the rest of the line, trimmed; text that would not come back the same (a line
// break, a NUL, blanks at either end) is refused by writeText(). Any other line is ignored, so
// the setting keeps its default; when a name appears more than once, its last well-formed line
// counts (for an integer, the last that holds one).
//
// Writing: keys from openKey() only read. A key from createKey() collects written values, which
// its reads then return, and saves them on commit() (or, unreported, when it is destroyed
// uncommitted; discard() drops them), in one atomic replacement: a temporary file in the same
// folder, written in full, fsync'ed, then renamed over the old file. Lines for other names,
// comments and ignored lines are kept. Either the old file or the complete new one is there at
// any moment. A path that holds something other than a readable regular file of at most
// kMaxSettingsFileBytes, a file without write permission, or a save that would grow the file
// past that size is left alone: reads give the defaults and commit() says why nothing was
// written.
class FileSettingsStore : public SettingsStore {
 public:
  explicit FileSettingsStore(std::string path);

  // Null when the file is missing, unreadable, not a regular file or larger than
  // kMaxSettingsFileBytes: the caller keeps its defaults.
  std::unique_ptr<SettingsKey> openKey(const char* path) override;
  // Creates the file's missing folders (mode 0700); null when replacementProblem() objects for
  // calls.user(), that fails or no path is known.
  std::unique_ptr<SettingsKey> createKey(const char* path) override;
  std::string createFailure() const override { return createFailure_; }

  FileWriteCalls calls;

 private:
  class Key;
  std::string path_;
  std::string createFailure_;
};

}  // namespace marvolet
