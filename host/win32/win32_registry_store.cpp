// The registry behind the saver's settings.
#include "host/win32/win32_registry_store.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace marvolet {
namespace {

class RegistryKey : public SettingsKey {
 public:
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() override { RegCloseKey(key_); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool readInteger(const char* name, int32_t* value) override {
    return registryInteger(
        [&](uint8_t* data, uint32_t* size) {
          DWORD length = *size;
          if (RegQueryValueExA(key_, name, nullptr, nullptr, data, &length) != ERROR_SUCCESS) {
            return false;
          }
          *size = length;
          return true;
        },
        value);
  }

  bool writeInteger(const char* name, int32_t value) override {
    const DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

}  // namespace

std::unique_ptr<SettingsKey> Win32RegistryStore::openKey(const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<RegistryKey>(key);
}

std::unique_ptr<SettingsKey> Win32RegistryStore::createKey(const char* path) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<RegistryKey>(key);
}

}  // namespace marvolet
