// SettingsStore over the registry under HKEY_CURRENT_USER.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/settings_store.h"

namespace marvolet {

class Win32RegistryStore : public SettingsStore {
 public:
  // RegOpenKeyExA with KEY_ALL_ACCESS.
  std::unique_ptr<SettingsKey> openKey(const char* path) override;
  // RegCreateKeyExA: no class, non-volatile, KEY_ALL_ACCESS, default security. Its keys write
  // integers as REG_DWORD and text as REG_SZ through the wide API, and read them with
  // registryInteger() and registryText().
  std::unique_ptr<SettingsKey> createKey(const char* path) override;
  std::string createFailure() const override { return failure_; }

 private:
  std::string failure_;
};

// Registry value types, as winnt.h numbers them.
constexpr uint32_t kRegistryText = 1;              // REG_SZ
constexpr uint32_t kRegistryBinary = 3;            // REG_BINARY
constexpr uint32_t kRegistryInteger = 4;           // REG_DWORD
constexpr uint32_t kRegistryBigEndianInteger = 5;  // REG_DWORD_BIG_ENDIAN

// How a registry value's data becomes an integer. `query(data, size, type)` stands for
// RegQueryValueEx on one value: on entry *size is the capacity of `data` in bytes; it returns
// true with the data copied, *size and *type set, or false (leaving `data` undefined) when the
// value is missing, unreadable or longer than the capacity. Only data that are a little-endian
// number count: a REG_DWORD, or REG_BINARY bytes (as a hand-made .reg file's "hex:01" gives).
// Any other type leaves *value untouched (a REG_SZ "0" would read as 48, so on), as do longer
// data and failed queries. The data go into a zeroed 4-byte buffer, so shorter data (REG_BINARY
// 01, say) read as their zero-extended little-endian number and empty data as 0. Portable, so
// that the tests' in-memory registry reads by the same rules.
template <typename Query>
bool registryInteger(Query&& query, int32_t* value) {
  uint8_t data[4] = {0, 0, 0, 0};
  uint32_t size = sizeof data;
  uint32_t type = 0;
  if (!query(data, &size, &type)) return false;
  if (type != kRegistryInteger && type != kRegistryBinary) return false;
  *value = static_cast<int32_t>(uint32_t{data[0]} | uint32_t{data[1]} << 8 |
                                uint32_t{data[2]} << 16 | uint32_t{data[3]} << 24);
  return true;
}

// UTF-8 to UTF-16 and back; false on malformed input (a lone surrogate, an invalid sequence).
bool utf16FromUtf8(const std::string& text, std::u16string* units);
bool utf8FromUtf16(const std::u16string& units, std::string* text);
// Windows' wide strings are UTF-16.
bool utf16FromUtf8(const std::string& text, std::wstring* units);
bool utf8FromUtf16(const wchar_t* units, std::string* text);

// A REG_SZ's data for UTF-8 `text`: UTF-16LE with its terminating zero. False on malformed text.
bool registryTextData(const std::string& text, std::vector<uint8_t>* data);

// How a registry value's data becomes text of at most `maxBytes` UTF-8 bytes, with the same
// `query` as registryInteger(). The buffer offered holds no more than such text can take in
// UTF-16, so a longer value fails the query and is never read whole. Only a REG_SZ counts; its
// text ends at the first zero unit; malformed UTF-16 and text longer than `maxBytes` once in
// UTF-8 leave *value untouched.
bool registryTextFromData(const uint8_t* data, uint32_t size, std::string* value, size_t maxBytes);
template <typename Query>
bool registryText(Query&& query, std::string* value, size_t maxBytes) {
  std::vector<uint8_t> data((maxBytes + 1) * 2);
  uint32_t size = static_cast<uint32_t>(data.size());
  uint32_t type = 0;
  if (!query(data.data(), &size, &type) || type != kRegistryText) return false;
  return registryTextFromData(data.data(), size, value, maxBytes);
}

}  // namespace marvolet
