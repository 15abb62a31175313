// SettingsStore over the registry under HKEY_CURRENT_USER.
#pragma once

#include "host/settings_store.h"

namespace marvolet {

class Win32RegistryStore : public SettingsStore {
 public:
  // RegOpenKeyExA with KEY_ALL_ACCESS.
  std::unique_ptr<SettingsKey> openKey(const char* path) override;
  // RegCreateKeyExA: no class, non-volatile, KEY_ALL_ACCESS, default security.
  std::unique_ptr<SettingsKey> createKey(const char* path) override;
};

}  // namespace marvolet
