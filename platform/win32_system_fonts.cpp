// The Windows fonts folder as a list of font files, the faces that cover most scripts first.
#include <windows.h>

#include <algorithm>
#include <cctype>

#include "platform/system_fonts.h"

namespace marvolet::platform {

namespace {

// Faces shipped by Windows versions from XP to 11 for Latin, Greek, Cyrillic, Hebrew, Arabic,
// Indic scripts, Chinese, Japanese and Korean, in the order they are best tried.
const char* const Preferred[] = {"times.ttf",   "arial.ttf",   "segoeui.ttf",  "tahoma.ttf",
                                 "nirmala.ttf", "mangal.ttf",  "msyh.ttc",     "msyh.ttf",
                                 "simsun.ttc",  "yugothm.ttc", "meiryo.ttc",   "msgothic.ttc",
                                 "malgun.ttf",  "gulim.ttc",   "seguisym.ttf", "arialuni.ttf"};

bool isFontFile(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "ttf" || ext == "ttc" || ext == "otf";
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::vector<FontFile> systemFontsFor(const std::u32string& characters) {
  std::vector<FontFile> files;
  if (characters.empty()) return files;
  char windows[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return files;
  const std::string folder = std::string(windows) + "\\Fonts\\";

  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isFontFile(found.cFileName)) {
      names.push_back(found.cFileName);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);

  auto rank = [](const std::string& name) {
    const std::string l = lower(name);
    for (size_t i = 0; i < sizeof Preferred / sizeof Preferred[0]; ++i) {
      if (l == Preferred[i]) return static_cast<int>(i);
    }
    return static_cast<int>(sizeof Preferred / sizeof Preferred[0]);
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const int ra = rank(a), rb = rank(b);
    return ra != rb ? ra < rb : lower(a) < lower(b);
  });
  for (const std::string& name : names) files.push_back(FontFile{folder + name, 0});
  return files;
}

}  // namespace marvolet::platform
