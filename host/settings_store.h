// The small slice of a registry-like store that the saver's settings need.
#pragma once

#include <cstdint>
#include <memory>

namespace marvolet {

// One open key. Closing the key is destroying the object.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;

  // Copies the stored data of value `name` into `buffer`, with the registry's rules: on entry
  // *size is the buffer's capacity in bytes; on success it holds the number of bytes copied.
  // Fails, copying nothing that the caller may rely on, when the value is missing or its data
  // is longer than the capacity. The value's type is not examined.
  virtual bool queryValue(const char* name, uint8_t* buffer, uint32_t* size) = 0;

  // Stores `value` as a 32-bit little-endian integer (REG_DWORD). False on failure.
  virtual bool setDword(const char* name, uint32_t value) = 0;
};

// A tree of keys named by backslash-separated paths under the current user.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens an existing key; null when it is missing or cannot be opened.
  virtual std::unique_ptr<SettingsKey> openKey(const char* path) = 0;

  // Opens the key, creating it (and its parents) first if it is missing; null on failure.
  virtual std::unique_ptr<SettingsKey> createKey(const char* path) = 0;
};

}  // namespace marvolet
