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
        [&](uint8_t* data, uint32_t* size, uint32_t* type) {
          DWORD length = *size;
          DWORD valueType = 0;
          if (RegQueryValueExA(key_, name, nullptr, &valueType, data, &length) != ERROR_SUCCESS) {
            return false;
          }
          *size = length;
          *type = valueType;
          return true;
        },
        value);
  }

  bool readText(const char* name, std::string* value, size_t maxBytes) override {
    std::wstring wideName;
    if (!utf16FromUtf8(name, &wideName)) return false;
    return registryText(
        [&](uint8_t* data, uint32_t* size, uint32_t* type) {
          DWORD length = *size;
          DWORD valueType = 0;
          if (RegQueryValueExW(key_, wideName.c_str(), nullptr, &valueType, data, &length) !=
              ERROR_SUCCESS) {
            return false;
          }
          *size = length;
          *type = valueType;
          return true;
        },
        value, maxBytes);
  }

  bool writeText(const char* name, const std::string& value) override {
    std::wstring wideName;
    std::vector<uint8_t> data;
    if (!utf16FromUtf8(name, &wideName) || !registryTextData(value, &data)) return false;
    return RegSetValueExW(key_, wideName.c_str(), 0, REG_SZ, data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
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
  const LONG status = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    failure_ = std::string("the registry key HKEY_CURRENT_USER\\") + path +
               (status == ERROR_ACCESS_DENIED
                    ? " may not be changed by this user"
                    : " could not be opened (error " + std::to_string(status) + ")");
    return nullptr;
  }
  return std::make_unique<RegistryKey>(key);
}

}  // namespace marvolet
