// libFuzzer target: any ~/.xscreensaver is read without a fault, and every edit made to it reads
// back as the old list with exactly our entry added or removed, and repeats as a no-op.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/x11/xscreensaver_programs.h"

namespace {

// The same rule as the editor's: the first word of the command names a program "marvolet".
bool ours(const marvolet::ListedHack& hack) {
  std::string program = hack.command.substr(0, hack.command.find_first_of(" \t\n\r\v\f"));
  program.erase(0, program.rfind('/') == std::string::npos ? 0 : program.rfind('/') + 1);
  return program == "marvolet";
}

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using marvolet::ProgramsEdit;
  const std::string file(reinterpret_cast<const char*>(data), size);
  const marvolet::ProgramsList before = marvolet::readProgramsList(file);

  const ProgramsEdit added = marvolet::addToPrograms(file, file);
  check(added.outcome == ProgramsEdit::Refused || before.error.empty());
  if (added.outcome == ProgramsEdit::Changed) {
    const marvolet::ProgramsList after = marvolet::readProgramsList(added.text);
    check(after.error.empty() && added.number >= 1 &&
          static_cast<size_t>(added.number) <= after.hacks.size());
    check(after.hacks[added.number - 1].enabled && ours(after.hacks[added.number - 1]));
    check(marvolet::addToPrograms(added.text, "").outcome == ProgramsEdit::Unchanged);
    // Taking ours out of a garbled list may change its neighbour (an unclosed quoted name keeps
    // the blanks before our entry); that is refused, never written.
    const ProgramsEdit removed = marvolet::removeFromPrograms(added.text);
    check(removed.outcome != ProgramsEdit::Unchanged);
    if (removed.outcome == ProgramsEdit::Refused) return 0;
    const marvolet::ProgramsList gone = marvolet::readProgramsList(removed.text);
    std::vector<marvolet::ListedHack> expected;
    for (const marvolet::ListedHack& hack : before.hacks) {
      if (!ours(hack)) expected.push_back(hack);
    }
    // A list that was missing came from the defaults, so only a list that was there compares.
    check(gone.error.empty() && (!before.found || gone.hacks == expected));
  }

  const ProgramsEdit removed = marvolet::removeFromPrograms(file);
  if (removed.outcome == ProgramsEdit::Changed) {
    for (const marvolet::ListedHack& hack : marvolet::readProgramsList(removed.text).hacks) {
      check(!ours(hack));
    }
    check(marvolet::removeFromPrograms(removed.text).outcome == ProgramsEdit::Unchanged);
  }

  const ProgramsEdit created = marvolet::newProgramsFile(file);
  if (created.outcome == ProgramsEdit::Changed) {
    check(marvolet::addToPrograms(created.text, "").outcome == ProgramsEdit::Unchanged);
  }
  return 0;
}
