// libFuzzer target: any settings file must load without a fault, and the dialog's save into it
// must read back as saved while keeping the values it did not set, or be refused and leave the
// file exactly as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "host/linux/linux_settings_file.h"
#include "host/saver_settings.h"

namespace {

std::string folder;
std::string path;

void removeFiles() {
  unlink(path.c_str());
  rmdir(folder.c_str());
}

// Each input is one whole file; a save's fsync would only slow the search down.
int noFsync(int) {
  return 0;
}

bool writeFile(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

bool fileHolds(const uint8_t* data, size_t size) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str() == std::string(reinterpret_cast<const char*>(data), size);
}

marvolet::SaverSettings load(marvolet::FileSettingsStore& store) {
  marvolet::SaverSettings settings;
  settings.loadSharedValues(store);
  settings.loadOptions(store);
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (folder.empty()) {
    char pattern[] = "/tmp/marvolet-settings-fuzz-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    folder = pattern;
    path = folder + "/marvolet.conf";
    std::atexit(removeFiles);
  }
  if (!writeFile(data, size)) std::abort();
  marvolet::FileSettingsStore store(path);
  store.calls.fsync = noFsync;
  const marvolet::SaverSettings before = load(store);
  const bool tooLarge = size > marvolet::kMaxSettingsFileBytes;
  if (tooLarge &&
      (before.options.numberOf("UseStars") != 1 || before.options.numberOf("UseBlur") != 1 ||
       before.options.numberOf("UseTrails") != 0 || before.mouseThreshold != 50 ||
       before.passwordDelay != 15)) {
    std::abort();
  }

  marvolet::SaverSettings changed = before;
  changed.options.numberOf("UseStars") = before.options.numberOf("UseStars") == 0 ? -3 : 0;
  changed.options.numberOf("UseBlur") = before.options.numberOf("UseBlur") == 0 ? 7 : 0;
  changed.options.numberOf("UseTrails") = before.options.numberOf("UseTrails") == 0 ? INT32_MIN : 0;
  std::string reason;
  const bool saved = changed.saveOptions(store, &reason);
  if (saved != reason.empty() || (tooLarge && saved)) std::abort();
  // A refused save (the file too large already, or a save that would push it past the limit)
  // leaves every byte as it was.
  if (!saved) {
    if (!fileHolds(data, size)) std::abort();
    return 0;
  }
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) std::abort();
  if (static_cast<size_t>(info.st_size) > marvolet::kMaxSettingsFileBytes) std::abort();
  const marvolet::SaverSettings after = load(store);
  if (after.options.numberOf("UseStars") != changed.options.numberOf("UseStars") ||
      after.options.numberOf("UseBlur") != changed.options.numberOf("UseBlur") ||
      after.options.numberOf("UseTrails") != changed.options.numberOf("UseTrails") ||
      after.mouseThreshold != before.mouseThreshold ||
      after.passwordDelay != before.passwordDelay) {
    std::abort();
  }
  return 0;
}
