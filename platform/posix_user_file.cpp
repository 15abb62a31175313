// Bounded whole-file reads on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/user_file.h"

namespace marvolet::platform {

namespace {

UserFileStatus statusOfOpenError(int error) {
  return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP
             ? UserFileStatus::Missing
             : UserFileStatus::Unreadable;
}

UserFile refusal(UserFileStatus status, int error = 0) {
  UserFile file;
  file.status = status;
  if (status == UserFileStatus::Unreadable && error != 0) file.systemMessage = std::strerror(error);
  return file;
}

UserFileStatus statusOfType(mode_t mode) {
  if (S_ISDIR(mode)) return UserFileStatus::Folder;
  if (!S_ISREG(mode)) return UserFileStatus::NotAFile;
  return UserFileStatus::Read;
}

}  // namespace

UserFile readUserFile(const std::string& path, size_t maxBytes) {
  if (path.empty() || path.find('\0') != std::string::npos) return refusal(UserFileStatus::Missing);
  // Checked before opening too: opening some devices acts on them (a tape rewinds).
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) {
    const int error = errno;
    return refusal(statusOfOpenError(error), error);
  }
  if (statusOfType(before.st_mode) != UserFileStatus::Read) {
    return refusal(statusOfType(before.st_mode));
  }
  // O_NONBLOCK: a pipe swapped in after stat() must not stall the saver before it shows.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    return refusal(statusOfOpenError(error), error);
  }
  UserFile file;
  struct stat info {};
  if (fstat(fd, &info) != 0) {
    const int error = errno;
    close(fd);
    return refusal(UserFileStatus::Unreadable, error);
  }
  file.status = statusOfType(info.st_mode);
  file.size = static_cast<uint64_t>(info.st_size);
  if (file.status == UserFileStatus::Read && file.size > maxBytes) {
    file.status = UserFileStatus::TooLarge;
  }
  if (file.status != UserFileStatus::Read) {
    close(fd);
    if (file.status != UserFileStatus::TooLarge) file.size = 0;
    return file;
  }
  // Room for the size fstat gave plus one byte; it grows (up to the limit + 1) only if the file
  // grew since.
  file.bytes.resize(static_cast<size_t>(file.size) + 1);
  size_t total = 0;
  while (true) {
    if (total == file.bytes.size()) {
      if (total > maxBytes) break;
      file.bytes.resize(std::min(maxBytes + 1, total * 2 + 4096));
    }
    const ssize_t got = ::read(fd, file.bytes.data() + total, file.bytes.size() - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      close(fd);
      return refusal(UserFileStatus::Unreadable, error);
    }
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  close(fd);
  if (total > maxBytes) {
    UserFile tooLarge = refusal(UserFileStatus::TooLarge);
    tooLarge.size = total;
    return tooLarge;
  }
  file.bytes.resize(total);
  file.size = total;
  return file;
}

}  // namespace marvolet::platform
