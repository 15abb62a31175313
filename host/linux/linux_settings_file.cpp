// Settings in a text file under the XDG configuration folder, replaced atomically on save.
#include "host/linux/linux_settings_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

namespace marvolet {
namespace {

constexpr const char* kFileHeader = "# Marvolet screen saver settings\n";

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string trimmed(const std::string& text, size_t begin, size_t end) {
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A decimal 32-bit integer, signed or unsigned range, as the signed integer of its 32-bit pattern.
bool parseValue(const std::string& text, int32_t* value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  if (i == text.size()) return false;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > int64_t{UINT32_MAX}) return false;  // also keeps the product in range
  }
  if (negative && magnitude > -int64_t{INT32_MIN}) return false;
  *value = static_cast<int32_t>(static_cast<uint32_t>(negative ? -magnitude : magnitude));
  return true;
}

// A "Name=value" line, its name and value trimmed; comments, blank lines and lines without a
// name give false.
bool splitLine(const std::string& line, std::string* name, std::string* value) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  if (start == line.size() || line[start] == '#' || line[start] == ';') return false;
  const size_t equals = line.find('=', start);
  if (equals == std::string::npos) return false;
  *name = trimmed(line, start, equals);
  *value = trimmed(line, equals + 1, line.size());
  return !name->empty();
}

// A well-formed "Name=integer" line; comments, blank and garbled lines give false.
bool parseLine(const std::string& line, std::string* name, int32_t* value) {
  std::string text;
  return splitLine(line, name, &text) && parseValue(text, value);
}

// Text a "Name=value" line gives back as it was: one line, no blanks at either end.
bool fitsOnALine(const std::string& text) {
  if (!text.empty() && (isBlank(text.front()) || isBlank(text.back()))) return false;
  for (char c : text) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  return true;
}

std::string errorText() {
  return std::strerror(errno);
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Only a regular file of at most kMaxSettingsFileBytes counts. O_NONBLOCK keeps open() from
// waiting for a writer when the path is a FIFO (it is refused right after, by its type); a
// device, a folder or a file grown past the limit (a symbolic link to /dev/zero, say) would
// otherwise stall or exhaust the saver before it shows anything.
enum class ReadResult { Read, Missing, Refused };

ReadResult readFile(const std::string& path, std::string* contents) {
  // Checked before opening as well, so that no device is ever opened (some act on open).
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) {
    return errno == ENOENT ? ReadResult::Missing : ReadResult::Refused;
  }
  if (!S_ISREG(before.st_mode)) return ReadResult::Refused;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Refused;
  struct stat info {};
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_size <= static_cast<off_t>(kMaxSettingsFileBytes);
  std::string text;
  if (ok) {
    // One byte more than the limit tells a file that grew since fstat from one that fits.
    char buffer[kMaxSettingsFileBytes + 1];
    size_t total = 0;
    while (total < sizeof buffer) {
      const ssize_t got = ::read(fd, buffer + total, sizeof buffer - total);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) ok = false;
      if (got <= 0) break;
      total += static_cast<size_t>(got);
    }
    ok = ok && total <= kMaxSettingsFileBytes;
    if (ok) text.assign(buffer, total);
  }
  close(fd);
  if (!ok) return ReadResult::Refused;
  *contents = std::move(text);
  return ReadResult::Read;
}

std::string userName(uid_t uid) {
  if (const passwd* entry = getpwuid(uid); entry != nullptr && entry->pw_name != nullptr) {
    return entry->pw_name;
  }
  return "user " + std::to_string(uid);
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The sentence for `thing`, which belongs to `owner` rather than to `user`: `path` as the user
// named it, and how it leads there.
std::string notTheUsers(const std::string& path, const std::string& thing, uid_t owner,
                        uid_t user) {
  std::string subject = path;
  if (path.compare(0, thing.size() + 1, thing + "/") == 0) {
    subject = path + " is in " + thing + ", which";
  } else if (thing != path) {
    subject = path + " leads to " + thing + ", which";
  }
  if (owner == 0) {
    // Most likely left by an earlier command run as root in this user's home.
    const std::string name = userName(user);
    return subject + " belongs to root, not to " + name + "; give it back with \"sudo chown " +
           name + ": " + thing + "\"";
  }
  const std::string name = userName(owner);
  return subject + " belongs to " + name + "; run it as " + name +
         (user == 0 ? ", not as root" : "");
}

// Where `path` ends, followed as the kernel follows it, and whether what is passed on the way
// may be trusted by `user`: every folder and symbolic link must be the user's or root's.
// Another user could otherwise swap them, or point a link of theirs at a file of the user's.
struct PathWalk {
  std::string target;    // the end of the links; its last components may not exist yet
  bool exists = false;   // whether something is at `target`
  struct stat found {};  // what is there, when it exists
  std::string problem;   // why `user` may not write there; empty when it may
};

PathWalk walkPath(uid_t user, const std::string& path) {
  PathWalk walk;
  const auto trusted = [user](const struct stat& info) {
    return info.st_uid == user || info.st_uid == 0;
  };
  // Components still to follow, the next one last.
  std::vector<std::string> pending;
  const auto push = [&pending](const std::string& text) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= text.size()) {
      const size_t end = std::min(text.find('/', begin), text.size());
      if (end > begin) parts.push_back(text.substr(begin, end - begin));
      begin = end + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
  };
  std::string start = path;
  if (path.empty() || path[0] != '/') {
    char* here = getcwd(nullptr, 0);
    start = std::string(here != nullptr ? here : "") + "/" + path;
    std::free(here);
  }
  push(start);
  std::string resolved;   // "" is the root folder
  struct stat folder {};  // the folder `resolved` names
  lstat("/", &folder);
  int links = 0;
  while (!pending.empty()) {
    const std::string part = pending.back();
    pending.pop_back();
    if (part == ".") continue;
    if (part == "..") {
      resolved.erase(std::min(resolved.rfind('/'), resolved.size()));
      lstat(resolved.empty() ? "/" : resolved.c_str(), &folder);
      continue;
    }
    const std::string next = resolved + "/" + part;
    struct stat info {};
    if (lstat(next.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        walk.problem = "cannot look at " + next + " (" + std::strerror(errno) + ")";
        return walk;
      }
      walk.target = next;
      for (auto rest = pending.rbegin(); rest != pending.rend(); ++rest) walk.target += "/" + *rest;
      // What is made goes into this folder, which must be the user's, or shared with the sticky
      // bit (/tmp), where nobody else can take it over.
      if (folder.st_uid != user && (folder.st_mode & S_ISVTX) == 0) {
        walk.problem = notTheUsers(path, resolved.empty() ? "/" : resolved, folder.st_uid, user);
      }
      return walk;
    }
    if (S_ISLNK(info.st_mode)) {
      if (!trusted(info)) {
        walk.problem = notTheUsers(path, next, info.st_uid, user);
        return walk;
      }
      char text[PATH_MAX];
      const ssize_t length = readlink(next.c_str(), text, sizeof text - 1);
      if (length <= 0 || ++links > 40) {
        walk.problem = "cannot follow the symbolic link " + next;
        return walk;
      }
      if (text[0] == '/') {
        resolved.clear();
        lstat("/", &folder);
      }
      push(std::string(text, static_cast<size_t>(length)));
      continue;
    }
    resolved = next;
    if (pending.empty()) break;
    if (!S_ISDIR(info.st_mode)) {
      walk.problem = next + " is not a folder";
      return walk;
    }
    if (!trusted(info)) {
      walk.problem = notTheUsers(path, next, info.st_uid, user);
      return walk;
    }
    folder = info;
  }
  walk.target = resolved.empty() ? "/" : resolved;
  walk.exists = lstat(walk.target.c_str(), &walk.found) == 0;
  // The file itself must be the user's: replacing it would otherwise hand it to a new owner.
  if (walk.exists && walk.found.st_uid != user) {
    walk.problem = notTheUsers(path, walk.target, walk.found.st_uid, user);
  }
  return walk;
}

ssize_t systemWrite(int fd, const void* data, size_t size) {
  return ::write(fd, data, size);
}
int systemFsync(int fd) {
  return ::fsync(fd);
}
int systemRename(const char* from, const char* to) {
  return ::rename(from, to);
}
uid_t systemUser() {
  return geteuid();
}

bool writeAll(const FileWriteCalls& calls, int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = calls.write(fd, data.data() + done, data.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

bool failWith(std::string* problem, const std::string& why) {
  if (problem != nullptr) *problem = why;
  return false;
}

}  // namespace

// Creates each missing folder of `path`'s parent with mode 0700. False, with the folder that
// could not be had and why in *reason, when one is missing and cannot be made or a file sits
// where a folder should be.
bool makeParentFolders(const std::string& path, std::string* reason) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) == 0) continue;
    struct stat info {};
    if (errno == EEXIST && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    *reason = errno == EEXIST || errno == ENOTDIR
                  ? folder + " is not a folder, so the file cannot be made in it"
                  : "the folder " + folder + " cannot be made: " + errorText();
    return false;
  }
  return true;
}

std::string defaultSettingsPath() {
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  // Relative values are invalid by the XDG rules and must be ignored.
  if (configHome != nullptr && configHome[0] == '/') {
    return std::string(configHome) + "/marvolet/marvolet.conf";
  }
  std::string home;
  if (const char* value = std::getenv("HOME"); value != nullptr && value[0] != '\0') {
    home = value;
  } else if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir) {
    home = entry->pw_dir;
  }
  if (home.empty()) return std::string();
  return home + "/.config/marvolet/marvolet.conf";
}

FileWriteCalls systemFileWriteCalls() {
  return {systemWrite, systemFsync, systemRename, systemUser};
}

std::string replacementProblem(uid_t user, const std::string& path) {
  return walkPath(user, path).problem;
}

bool replaceFileAtomically(const FileWriteCalls& calls, const std::string& path,
                           const std::string& data, std::string* problem) {
  // A settings file kept as a symbolic link (dotfile managers) is replaced at its target.
  const PathWalk walk = walkPath(calls.user(), path);
  if (!walk.problem.empty()) return failWith(problem, walk.problem);
  const std::string& target = walk.target;
  const bool existed = walk.exists;
  const struct stat& old = walk.found;
  const std::string temporary = target + ".tmp." + std::to_string(getpid());
  unlink(temporary.c_str());  // left by a crashed run that had our process id
  const int fd =
      open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    return failWith(problem, "cannot write in " + folderOf(target) + ": " + std::strerror(errno));
  }
  const auto abandon = [&](const std::string& why) {
    close(fd);
    unlink(temporary.c_str());
    return failWith(problem, why);
  };
  // Owner and group before the mode, since a change of owner clears the set-id bits.
  if (existed) {
    struct stat made {};
    if (fstat(fd, &made) != 0 || ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
                                  fchown(fd, old.st_uid, old.st_gid) != 0)) {
      return abandon("cannot give the new " + path + " the old one's group (" +
                     std::strerror(errno) + ")");
    }
    if (fchmod(fd, old.st_mode & 07777) != 0) {
      return abandon("cannot give the new " + path + " the old one's mode (" +
                     std::strerror(errno) + ")");
    }
  }
  if (!writeAll(calls, fd, data) || calls.fsync(fd) != 0) {
    return abandon("cannot write " + path + " (" + std::strerror(errno) + ")");
  }
  if (close(fd) != 0 || calls.rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return failWith(problem, "cannot write " + path + " (" + std::strerror(error) + ")");
  }
  // The rename itself must survive a power cut, so the folder is flushed too.
  const int folderFd = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    calls.fsync(folderFd);
    close(folderFd);
  }
  return true;
}

class FileSettingsStore::Key : public SettingsKey {
 public:
  Key(FileSettingsStore& store, std::string contents, bool writable)
      : store_(store), contents_(std::move(contents)), writable_(writable) {}

  ~Key() override {
    std::string ignored;
    if (!committed_) commit(&ignored);
  }

  bool readInteger(const char* name, int32_t* value) override {
    if (const Staged* staged = find(name)) return parseValue(staged->value, value);
    bool found = false;
    std::string lineName;
    int32_t lineValue = 0;
    for (const std::string& line : splitLines(contents_)) {
      if (parseLine(line, &lineName, &lineValue) && sameName(lineName, name)) {
        *value = lineValue;
        found = true;
      }
    }
    return found;
  }

  bool writeInteger(const char* name, int32_t value) override {
    return stage(name, std::to_string(value), true);
  }

  bool readText(const char* name, std::string* value, size_t maxBytes) override {
    std::string text;
    bool found = false;
    if (const Staged* staged = find(name)) {
      text = staged->value;
      found = true;
    } else {
      std::string lineName, lineValue;
      for (const std::string& line : splitLines(contents_)) {
        if (splitLine(line, &lineName, &lineValue) && sameName(lineName, name)) {
          text = lineValue;
          found = true;
        }
      }
    }
    if (!found || text.size() > maxBytes) return false;
    *value = std::move(text);
    return true;
  }

  bool writeText(const char* name, const std::string& value) override {
    return fitsOnALine(value) && stage(name, value, false);
  }

  bool commit(std::string* reason) override {
    committed_ = true;
    if (!writable_ || staged_.empty()) return true;
    *reason = save();
    return reason->empty();
  }

  void discard() override { staged_.clear(); }

 private:
  struct Staged {
    std::string name;
    std::string value;
    bool integer;  // replaces only the name's lines that hold an integer, as reads see them
  };

  const Staged* find(const char* name) const {
    for (const Staged& entry : staged_) {
      if (sameName(entry.name, name)) return &entry;
    }
    return nullptr;
  }

  bool stage(const char* name, std::string value, bool integer) {
    if (!writable_) return false;
    for (Staged& entry : staged_) {
      if (sameName(entry.name, name)) {
        entry = Staged{name, std::move(value), integer};
        return true;
      }
    }
    staged_.push_back(Staged{name, std::move(value), integer});
    return true;
  }

  // Empty when saved; else why not, for the user.
  std::string save() {
    const std::string& path = store_.path_;
    // Taken afresh, so that a hand edit made while the key was open is kept.
    std::string current = kFileHeader;
    // Whatever sits at the path and is not a settings file we could read (a huge file, a
    // device, a FIFO, a folder, one we may not read) is the user's, not ours to replace.
    if (readFile(path, &current) == ReadResult::Refused) {
      struct stat info {};
      if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return path + " is a folder, not a settings file";
      }
      if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
          info.st_size > static_cast<off_t>(kMaxSettingsFileBytes)) {
        return path + " is too large to be a settings file";
      }
      return path + " cannot be read, so it is not replaced";
    }
    // Replacing the file would get round a file the user made read-only.
    if (access(path.c_str(), F_OK) == 0 && access(path.c_str(), W_OK) != 0) {
      return path + " is read-only: " + errorText();
    }
    std::vector<bool> written(staged_.size(), false);
    std::string output;
    std::string lineName, lineText;
    for (const std::string& line : splitLines(current)) {
      size_t index = staged_.size();
      if (splitLine(line, &lineName, &lineText)) {
        int32_t ignored = 0;
        for (size_t i = 0; i < staged_.size(); ++i) {
          if (sameName(staged_[i].name, lineName) &&
              (!staged_[i].integer || parseValue(lineText, &ignored))) {
            index = i;
          }
        }
      }
      if (index == staged_.size()) {
        output += line + "\n";
      } else if (!written[index]) {
        // The first line of a name takes the new value; later ones would override it on the
        // next read, so they go.
        output += staged_[index].name + "=" + staged_[index].value + "\n";
        written[index] = true;
      }
    }
    for (size_t i = 0; i < staged_.size(); ++i) {
      if (!written[i]) output += staged_[i].name + "=" + staged_[i].value + "\n";
    }
    // A file past the limit would be refused, whole, at the next start.
    if (output.size() > kMaxSettingsFileBytes) {
      return "the settings would not fit in " + std::to_string(kMaxSettingsFileBytes) +
             " bytes, the most a settings file may hold";
    }
    std::string problem;
    if (!replaceFileAtomically(store_.calls, path, output, &problem)) return problem;
    return std::string();
  }

  FileSettingsStore& store_;
  std::string contents_;
  bool writable_;
  bool committed_ = false;
  std::vector<Staged> staged_;
};

FileSettingsStore::FileSettingsStore(std::string path)
    : calls(systemFileWriteCalls()), path_(std::move(path)) {}

std::unique_ptr<SettingsKey> FileSettingsStore::openKey(const char*) {
  std::string contents;
  if (path_.empty() || readFile(path_, &contents) != ReadResult::Read) return nullptr;
  return std::make_unique<Key>(*this, std::move(contents), false);
}

std::unique_ptr<SettingsKey> FileSettingsStore::createKey(const char*) {
  if (path_.empty()) {
    createFailure_ = "no home folder is known (HOME is not set), so there is nowhere to save";
    return nullptr;
  }
  createFailure_ = replacementProblem(calls.user(), path_);
  if (!createFailure_.empty() || !makeParentFolders(path_, &createFailure_)) return nullptr;
  std::string contents;
  readFile(path_, &contents);
  return std::make_unique<Key>(*this, std::move(contents), true);
}

}  // namespace marvolet
