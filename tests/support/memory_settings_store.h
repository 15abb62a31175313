// A test double for SettingsStore: an in-memory registry holding each value's raw data, read by
// the registry store's rules, with failure injection.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/settings_store.h"
#include "host/win32/win32_registry_store.h"

namespace marvolet {

class MemorySettingsStore : public SettingsStore {
 public:
  struct Write {
    std::string key;
    std::string name;
    int32_t value;     // writeInteger
    std::string text;  // writeText
  };

  std::unique_ptr<SettingsKey> openKey(const char* path) override;
  std::unique_ptr<SettingsKey> createKey(const char* path) override;
  std::string createFailure() const override { return createFailure_; }

  // Stores raw data, of any length and registry type, as a value of `key` (creating the key).
  void setRaw(const std::string& key, const std::string& name, std::vector<uint8_t> data,
              uint32_t type = kRegistryInteger);
  // Stores a 4-byte little-endian value, as a REG_DWORD is.
  void setDword(const std::string& key, const std::string& name, uint32_t value);
  // Stores UTF-8 `text` as a REG_SZ is: UTF-16LE with its terminator.
  void setText(const std::string& key, const std::string& name, const std::string& text);
  // The registry type of a value; 0 when missing.
  uint32_t type(const std::string& key, const std::string& name) const;
  bool hasKey(const std::string& key) const { return keys_.count(key) != 0; }
  // The stored data of a value; empty when missing.
  std::vector<uint8_t> raw(const std::string& key, const std::string& name) const;

  // Every successful writeInteger through a key, in order.
  const std::vector<Write>& writes() const { return writes_; }

  // Failure injection.
  bool failOpen = false;              // openKey fails even for present keys
  bool failCreate = false;            // createKey fails
  std::set<std::string> failQueries;  // value names whose reads fail
  std::set<std::string> failWrites;   // value names whose writeInteger or writeText fails

 private:
  class Key;
  struct Value {
    std::vector<uint8_t> data;
    uint32_t type;
  };
  using Values = std::map<std::string, Value>;
  std::map<std::string, Values> keys_;
  std::vector<Write> writes_;
  std::string createFailure_;
};

}  // namespace marvolet
