// libFuzzer target: any settings file must load without a fault, and the dialog's save into it
// must read back as saved while keeping the values it did not set.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
  if (tooLarge && (before.stars != 1 || before.lightEffects != 1 || before.trails != 0 ||
                   before.mouseThreshold != 50 || before.passwordDelay != 15)) {
    std::abort();
  }

  marvolet::SaverSettings changed = before;
  changed.stars = before.stars == 0 ? -3 : 0;
  changed.lightEffects = before.lightEffects == 0 ? 7 : 0;
  changed.trails = before.trails == 0 ? INT32_MIN : 0;
  changed.saveOptions(store);

  struct stat info {};
  if (stat(path.c_str(), &info) != 0) std::abort();
  if (tooLarge) {
    if (static_cast<size_t>(info.st_size) != size) std::abort();  // left as it was
    return 0;
  }
  // A save can push a file near the limit past it; then it rightly reads as absent.
  if (static_cast<size_t>(info.st_size) > marvolet::kMaxSettingsFileBytes) return 0;
  const marvolet::SaverSettings after = load(store);
  if (after.stars != changed.stars || after.lightEffects != changed.lightEffects ||
      after.trails != changed.trails || after.mouseThreshold != before.mouseThreshold ||
      after.passwordDelay != before.passwordDelay) {
    std::abort();
  }
  return 0;
}
