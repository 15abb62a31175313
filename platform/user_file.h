// Reading a file the user named (a passage, a picture) whole, within a size limit, refusing
// folders, devices and oversized files before reading anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marvolet::platform {

enum class UserFileStatus {
  Read,        // bytes holds the whole file
  Missing,     // no file by that name (or a part of the path is not a folder)
  Folder,      // the name is a folder's
  NotAFile,    // a device, pipe, socket or the like: never opened for reading
  TooLarge,    // more than the limit; nothing is read
  Unreadable,  // it exists but cannot be opened or read (permissions, I/O error)
};

struct UserFile {
  UserFileStatus status = UserFileStatus::Missing;
  std::vector<unsigned char> bytes;  // the contents when status is Read, else empty
  uint64_t size = 0;                 // bytes the file holds, when known (Read, TooLarge)
  std::string systemMessage;         // the system's words for an Unreadable file, else empty
};

// Reads the file at `path` (UTF-8; wide names on Windows) if it is a regular file of at most
// `maxBytes` bytes. The type and size are checked on the open file before reading, and at most
// maxBytes + 1 bytes are ever read, so a file that grows meanwhile is still refused as too large.
// Symbolic links are followed. Never blocks on a pipe.
UserFile readUserFile(const std::string& path, size_t maxBytes);

}  // namespace marvolet::platform
