// SettingsStore over the registry under HKEY_CURRENT_USER.
#pragma once

#include <cstdint>

#include "host/settings_store.h"

namespace marvolet {

class Win32RegistryStore : public SettingsStore {
 public:
  // RegOpenKeyExA with KEY_ALL_ACCESS.
  std::unique_ptr<SettingsKey> openKey(const char* path) override;
  // RegCreateKeyExA: no class, non-volatile, KEY_ALL_ACCESS, default security. Its keys write
  // integers as REG_DWORD and read them with registryInteger().
  std::unique_ptr<SettingsKey> createKey(const char* path) override;
};

// How a registry value's data becomes an integer. `query(data, size)` stands for
// RegQueryValueExA on one value: on entry *size is the capacity of `data` in bytes; it returns
// true with the data copied and *size set, or false (leaving `data` undefined) when the value is
// missing, unreadable or longer than the capacity. The data go into a zeroed 4-byte buffer, so
// shorter data (REG_BINARY 01, say) read as their zero-extended little-endian number and empty
// data as 0; longer data and failed queries leave *value untouched. The value's type is not
// examined. Portable, so that the tests' in-memory registry reads by the same rules.
template <typename Query>
bool registryInteger(Query&& query, int32_t* value) {
  uint8_t data[4] = {0, 0, 0, 0};
  uint32_t size = sizeof data;
  if (!query(data, &size)) return false;
  *value = static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24);
  return true;
}

}  // namespace marvolet
