// Adding the hack to, and removing it from, the programs list of xscreensaver's ~/.xscreensaver.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/linux/linux_settings_file.h"

namespace marvolet {

// The list entry written for the hack: "GL: marvolet -root". An entry counts as ours when the
// first word of its command names a program called "marvolet" (any folder).
constexpr const char* kHackCommand = "marvolet -root";

// Files past this are not xscreensaver's settings (its own are a few dozen kilobytes).
constexpr size_t kMaxXscreensaverFileBytes = 1 << 20;

// One entry of a programs list as xscreensaver reads it: "[-] [visual:] ["name"] command".
struct ListedHack {
  bool enabled = true;
  std::string visual;   // "GL", or empty
  std::string name;     // the quoted label, or empty
  std::string command;  // blanks squeezed to one space where no shell quoting is involved
  bool operator==(const ListedHack& other) const {
    return enabled == other.enabled && visual == other.visual && name == other.name &&
           command == other.command;
  }
};

struct ProgramsEdit {
  enum Outcome { Changed, Unchanged, Refused };
  Outcome outcome = Refused;
  std::string text;     // the whole new file, when Changed
  std::string message;  // one sentence: what was done, or why nothing could be
  int number = 0;       // our entry's 1-based place in the list afterwards (0 when not listed);
                        // what `xscreensaver-command -select` takes
};

// The text is read the way xscreensaver reads ~/.xscreensaver: a line ending in a backslash
// continues on the next, then \n, \r, \t and \<any> escapes apply; '#', '!' or ';' start a
// comment; every other line is "name: value", and the last "programs" entry counts. The list's
// entries are separated by \n escapes.
//
// A text xscreensaver would read differently from us is refused, and left alone: NUL bytes, a
// line of 1000 bytes or more (xscreensaver reads in pieces of about a kilobyte), a line that is
// neither a comment nor "name: value", or a file larger than kMaxXscreensaverFileBytes.
//
// Edits only insert or delete bytes inside the programs entry; every other byte of the file
// stays as it was. Each edit is checked by reading the result back: the other entries must be
// unchanged and the list exactly the old one with our entry added or removed, or it is refused.

// Appends our entry to the list (or enables a disabled one). A file without a programs entry
// gets one at its end, holding the defaults' list and ours; `defaults` is the text of
// xscreensaver's app-defaults file, empty when it is not installed.
ProgramsEdit addToPrograms(const std::string& file, const std::string& defaults);

// Removes every entry of ours from the list.
ProgramsEdit removeFromPrograms(const std::string& file);

// A new ~/.xscreensaver in the layout xscreensaver itself writes, holding the programs list of
// `defaults` (its "*programs" resource) followed by our entry.
ProgramsEdit newProgramsFile(const std::string& defaults);

// The list as xscreensaver would run it; `found` tells whether there is a programs entry at all.
// Refused texts (see above) give an empty list and `error` set.
struct ProgramsList {
  bool found = false;
  std::vector<ListedHack> hacks;
  std::string error;
};
ProgramsList readProgramsList(const std::string& file);

// The command behind -add-to-xscreensaver (add) and -remove-from-xscreensaver: edits
// `home`/.xscreensaver in place through replaceFileAtomically (a symbolic link is followed to a
// file of the user's own; owner, group and mode are kept), or creates it from the first readable
// file of `defaultsPaths` when there is none. Refused, before anything is read, when `calls`
// acts as root (xscreensaver never runs as root, and root's edit would take the user's file from
// them) or for someone the file is not theirs (replacementProblem). Returns the exit code (0 done
// or nothing to do, 1 refused or failed) and the message for the user in `message`.
int editXscreensaverFile(bool add, const std::string& home,
                         const std::vector<std::string>& defaultsPaths, std::string* message,
                         const FileWriteCalls& calls = systemFileWriteCalls());

// Where Debian (and most systems) install xscreensaver's app-defaults file, in search order.
std::vector<std::string> xscreensaverDefaultsPaths();

}  // namespace marvolet
