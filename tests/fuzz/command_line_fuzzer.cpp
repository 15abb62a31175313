// libFuzzer target: the command-line parser must accept any bytes, never read past them, and
// give the same answer for a buffer and for its NUL-terminated copy.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using marvolet::CommandLine;
  // libFuzzer's buffer ends exactly at `size`; AddressSanitizer reports any read beyond it.
  const CommandLine parsed = marvolet::parseCommandLine(reinterpret_cast<const char*>(data), size);

  if (parsed.mode < marvolet::NoMode || parsed.mode > marvolet::Saver) std::abort();
  if (parsed.useForegroundWindow && (parsed.mode != marvolet::Config || parsed.window != 0)) {
    std::abort();
  }
  if (parsed.mode == marvolet::Saver && parsed.window != 0) std::abort();

  const std::string copy(reinterpret_cast<const char*>(data), size);  // stops at a NUL too
  const CommandLine terminated = marvolet::parseCommandLine(copy.c_str());
  if (terminated.mode != parsed.mode || terminated.window != parsed.window ||
      terminated.useForegroundWindow != parsed.useForegroundWindow) {
    std::abort();
  }
  return 0;
}
