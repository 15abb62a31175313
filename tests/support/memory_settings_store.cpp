// In-memory registry for tests: keys and raw values held in maps.
#include "memory_settings_store.h"

#include <cstring>

#include "host/win32/win32_registry_store.h"

namespace marvolet {

class MemorySettingsStore::Key : public SettingsKey {
 public:
  Key(MemorySettingsStore& store, std::string path) : store_(store), path_(std::move(path)) {}

  bool readInteger(const char* name, int32_t* value) override {
    return registryInteger([&](uint8_t* buffer, uint32_t* size,
                               uint32_t* type) { return query(name, buffer, size, type); },
                           value);
  }

  bool writeInteger(const char* name, int32_t value) override {
    if (store_.failWrites.count(name) != 0) return false;
    store_.setDword(path_, name, static_cast<uint32_t>(value));
    store_.writes_.push_back({path_, name, value, std::string()});
    return true;
  }

  bool readText(const char* name, std::string* value, size_t maxBytes) override {
    return registryText([&](uint8_t* buffer, uint32_t* size,
                            uint32_t* type) { return query(name, buffer, size, type); },
                        value, maxBytes);
  }

  bool writeText(const char* name, const std::string& value) override {
    std::vector<uint8_t> data;
    if (store_.failWrites.count(name) != 0 || !registryTextData(value, &data)) return false;
    store_.setRaw(path_, name, std::move(data), kRegistryText);
    store_.writes_.push_back({path_, name, 0, value});
    return true;
  }

 private:
  // RegQueryValueExA's contract, as registryInteger() expects it.
  bool query(const char* name, uint8_t* buffer, uint32_t* size, uint32_t* type) {
    const Values& values = store_.keys_[path_];
    auto found = values.find(name);
    const bool fits = found != values.end() && found->second.data.size() <= *size;
    if (store_.failQueries.count(name) != 0 || !fits) {
      // The registry leaves the buffer undefined on failure; scribble over it so that a
      // reader which uses it anyway is caught.
      std::memset(buffer, 0xA5, *size);
      return false;
    }
    // An empty value has no data pointer to copy from.
    const std::vector<uint8_t>& data = found->second.data;
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    *size = static_cast<uint32_t>(data.size());
    *type = found->second.type;
    return true;
  }

  MemorySettingsStore& store_;
  std::string path_;
};

std::unique_ptr<SettingsKey> MemorySettingsStore::openKey(const char* path) {
  if (failOpen || keys_.count(path) == 0) return nullptr;
  return std::make_unique<Key>(*this, path);
}

std::unique_ptr<SettingsKey> MemorySettingsStore::createKey(const char* path) {
  if (failCreate) {
    createFailure_ = "the registry key could not be created (as the test asked)";
    return nullptr;
  }
  keys_[path];
  return std::make_unique<Key>(*this, path);
}

void MemorySettingsStore::setRaw(const std::string& key, const std::string& name,
                                 std::vector<uint8_t> data, uint32_t type) {
  keys_[key][name] = Value{std::move(data), type};
}

void MemorySettingsStore::setText(const std::string& key, const std::string& name,
                                  const std::string& text) {
  std::vector<uint8_t> data;
  registryTextData(text, &data);
  setRaw(key, name, std::move(data), kRegistryText);
}

uint32_t MemorySettingsStore::type(const std::string& key, const std::string& name) const {
  auto k = keys_.find(key);
  if (k == keys_.end()) return 0;
  auto v = k->second.find(name);
  return v == k->second.end() ? 0 : v->second.type;
}

void MemorySettingsStore::setDword(const std::string& key, const std::string& name,
                                   uint32_t value) {
  setRaw(key, name,
         {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

std::vector<uint8_t> MemorySettingsStore::raw(const std::string& key,
                                              const std::string& name) const {
  auto k = keys_.find(key);
  if (k == keys_.end()) return {};
  auto v = k->second.find(name);
  return v == k->second.end() ? std::vector<uint8_t>{} : v->second.data;
}

}  // namespace marvolet
