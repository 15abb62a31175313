// libFuzzer target: any settings file must load without a fault, into rows of every kind only
// values those rows accept, and the dialog's save into it must read back as saved while keeping
// the values it did not set, or be refused and leave the file exactly as it was. The same bytes
// as a registry REG_SZ must decode to text that encodes back to itself.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/linux/linux_settings_file.h"
#include "host/option_table.h"
#include "host/saver_settings.h"
#include "host/win32/win32_registry_store.h"

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

// A row of each kind, named as the lines a fuzzed file is likely to hold.
const char* const kChoices[] = {"slow", "normal", "fast", nullptr};
const marvolet::OptionRow kRows[] = {
    {"UseStars",
     marvolet::OptionKind::Switch,
     1,
     nullptr,
     0,
     1,
     0,
     nullptr,
     nullptr,
     "-a",
     "A",
     "",
     1,
     {0, 0, 0, 0},
     0,
     false,
     nullptr},
    {"UseBlur",
     marvolet::OptionKind::Number,
     5,
     nullptr,
     -3,
     9,
     0,
     nullptr,
     nullptr,
     "-b",
     "B",
     "",
     2,
     {0, 0, 0, 0},
     0,
     false,
     nullptr},
    {"UseTrails",
     marvolet::OptionKind::Text,
     0,
     "x",
     0,
     0,
     12,
     nullptr,
     nullptr,
     "-c",
     "C",
     "",
     3,
     {0, 0, 0, 0},
     0,
     false,
     nullptr},
    {"Mouse Threshold",
     marvolet::OptionKind::Path,
     0,
     "",
     0,
     0,
     40,
     nullptr,
     nullptr,
     "-d",
     "D",
     "",
     4,
     {0, 0, 0, 0},
     0,
     false,
     nullptr},
    {"Password Delay",
     marvolet::OptionKind::Choice,
     1,
     nullptr,
     0,
     0,
     0,
     kChoices,
     nullptr,
     "-e",
     "E",
     "",
     5,
     {0, 0, 0, 0},
     0,
     false,
     nullptr},
};
const marvolet::OptionTable kTable{kRows, 5};

void checkEveryKind(marvolet::FileSettingsStore& store) {
  marvolet::OptionValues values(kTable);
  marvolet::loadOptionValues(values, store.openKey("").get());
  const int32_t number = values.number(1);
  if (number < -3 || number > 9) std::abort();
  if (!marvolet::acceptsText(kRows[2], values.text(2))) std::abort();
  if (!marvolet::acceptsText(kRows[3], values.text(3))) std::abort();
  if (values.number(4) < 0 || values.number(4) > 2) std::abort();
}

void checkRegistryText(const uint8_t* data, size_t size) {
  std::string text;
  if (!marvolet::registryTextFromData(data, static_cast<uint32_t>(size), &text, 64)) return;
  std::vector<uint8_t> encoded;
  std::string again;
  if (text.size() > 64 || !marvolet::registryTextData(text, &encoded) ||
      !marvolet::registryTextFromData(encoded.data(), static_cast<uint32_t>(encoded.size()), &again,
                                      64) ||
      again != text) {
    std::abort();
  }
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
  checkEveryKind(store);
  checkRegistryText(data, size);
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
