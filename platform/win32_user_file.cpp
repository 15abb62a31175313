// Bounded whole-file reads on Windows, through the C runtime's wide-character calls so that a
// name in any script opens.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/user_file.h"

namespace marvolet::platform {

namespace {

// UTF-8 to UTF-16. A malformed name cannot name an existing file, so it yields an empty result
// and the caller reports the file as missing.
bool widen(const std::string& text, std::wstring* wide) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  for (size_t i = 0; i < size;) {
    const unsigned char lead = bytes[i];
    char32_t code;
    size_t length;
    if (lead < 0x80) {
      code = lead;
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      code = lead & 0x1F;
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      code = lead & 0x0F;
      length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      code = lead & 0x07;
      length = 4;
    } else {
      return false;
    }
    if (size - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      code = (code << 6) | (bytes[i + k] & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    if (code >= 0x10000) {
      wide->push_back(static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10)));
      wide->push_back(static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      wide->push_back(static_cast<wchar_t>(code));
    }
    i += length;
  }
  return true;
}

UserFileStatus statusOfOpenError(int error) {
  return error == ENOENT || error == ENAMETOOLONG || error == EINVAL ? UserFileStatus::Missing
                                                                     : UserFileStatus::Unreadable;
}

UserFile refusal(UserFileStatus status, int error = 0) {
  UserFile file;
  file.status = status;
  if (status == UserFileStatus::Unreadable && error != 0) file.systemMessage = std::strerror(error);
  return file;
}

UserFileStatus statusOfType(unsigned short mode) {
  if ((mode & _S_IFMT) == _S_IFDIR) return UserFileStatus::Folder;
  if ((mode & _S_IFMT) != _S_IFREG) return UserFileStatus::NotAFile;
  return UserFileStatus::Read;
}

}  // namespace

UserFile readUserFile(const std::string& path, size_t maxBytes) {
  std::wstring wide;
  if (path.empty() || path.find('\0') != std::string::npos || !widen(path, &wide)) {
    return refusal(UserFileStatus::Missing);
  }
  // Checked before opening: a folder cannot be opened at all, and a device (CON, NUL) must not be.
  struct _stat64 before {};
  if (_wstat64(wide.c_str(), &before) != 0) {
    const int error = errno;
    return refusal(statusOfOpenError(error), error);
  }
  if (statusOfType(before.st_mode) != UserFileStatus::Read) {
    return refusal(statusOfType(before.st_mode));
  }
  const int fd = _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (fd < 0) {
    const int error = errno;
    return refusal(statusOfOpenError(error), error);
  }
  UserFile file;
  struct _stat64 info {};
  if (_fstat64(fd, &info) != 0) {
    const int error = errno;
    _close(fd);
    return refusal(UserFileStatus::Unreadable, error);
  }
  file.status = statusOfType(info.st_mode);
  file.size = static_cast<uint64_t>(info.st_size);
  if (file.status == UserFileStatus::Read && file.size > maxBytes) {
    file.status = UserFileStatus::TooLarge;
  }
  if (file.status != UserFileStatus::Read) {
    _close(fd);
    if (file.status != UserFileStatus::TooLarge) file.size = 0;
    return file;
  }
  // As on POSIX: room for the size _fstat64 gave plus one byte, growing only if the file did.
  file.bytes.resize(static_cast<size_t>(file.size) + 1);
  size_t total = 0;
  while (true) {
    if (total == file.bytes.size()) {
      if (total > maxBytes) break;
      file.bytes.resize(std::min(maxBytes + 1, total * 2 + 4096));
    }
    const size_t want = std::min<size_t>(file.bytes.size() - total, INT_MAX);
    const int got = _read(fd, file.bytes.data() + total, static_cast<unsigned>(want));
    if (got < 0) {
      const int error = errno;
      _close(fd);
      return refusal(UserFileStatus::Unreadable, error);
    }
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  _close(fd);
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
