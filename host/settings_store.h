// The small slice of a registry-like store that the saver's settings need: named 32-bit integers.
#pragma once

#include <cstdint>
#include <memory>

namespace marvolet {

// One open key. Closing the key is destroying the object.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;

  // Reads value `name` as a 32-bit integer. False, leaving *value untouched, when the value is
  // missing, cannot be read or holds no integer in the store's format; the caller keeps its
  // default then.
  virtual bool readInteger(const char* name, int32_t* value) = 0;

  // Stores `value` under `name` (a REG_DWORD in the registry). False on failure.
  virtual bool writeInteger(const char* name, int32_t value) = 0;
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
