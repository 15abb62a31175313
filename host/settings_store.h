// The small slice of a registry-like store that the saver's settings need: named 32-bit integers
// and short texts, and a way to tell whether a save went through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace marvolet {

// One open key. Closing the key is destroying the object.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;

  // Reads value `name` as a 32-bit integer. False, leaving *value untouched, when the value is
  // missing, cannot be read or holds no integer in the store's format (in the registry: is
  // neither a REG_DWORD nor REG_BINARY bytes); the caller keeps its default then.
  virtual bool readInteger(const char* name, int32_t* value) = 0;

  // Stores `value` under `name` (a REG_DWORD in the registry). False on failure.
  virtual bool writeInteger(const char* name, int32_t value) = 0;

  // Reads value `name` as UTF-8 text of at most `maxBytes` bytes. False, leaving *value
  // untouched, when the value is missing, unreadable, holds no text in the store's format (in
  // the registry: is not a REG_SZ) or is longer; nothing longer than `maxBytes` is ever read.
  virtual bool readText(const char* name, std::string* value, size_t maxBytes) = 0;

  // Stores UTF-8 `value` under `name` (a REG_SZ in the registry, written through the wide API).
  // False on failure, also when the store cannot hold this text as it is.
  virtual bool writeText(const char* name, const std::string& value) = 0;

  // Makes the writes so far lasting. False, with a sentence for the user in *reason, when they
  // could not be; a store that writes at once only reports.
  virtual bool commit(std::string* reason) {
    (void)reason;
    return true;
  }

  // Drops the writes not yet lasting, so that a save that failed half way leaves nothing; a
  // store that writes at once has nothing to drop.
  virtual void discard() {}
};

// A tree of keys named by backslash-separated paths under the current user.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens an existing key; null when it is missing or cannot be opened.
  virtual std::unique_ptr<SettingsKey> openKey(const char* path) = 0;

  // Opens the key, creating it (and its parents) first if it is missing; null on failure, with
  // the reason in createFailure().
  virtual std::unique_ptr<SettingsKey> createKey(const char* path) = 0;

  // Why the last createKey() gave null, as a sentence for the user.
  virtual std::string createFailure() const {
    return "the settings could not be opened for saving";
  }
};

}  // namespace marvolet
