// Storage of the recorded GL calls.
#include "gl_recorder.h"

#include <utility>

namespace marvolet::testing {

namespace {
bool recording = false;
std::vector<GlCall>& log() {
  static std::vector<GlCall> calls;
  return calls;
}
}  // namespace

void startGlRecording() {
  log().clear();
  recording = true;
}

std::vector<GlCall> stopGlRecording() {
  recording = false;
  return std::move(log());
}

bool glRecordingActive() {
  return recording;
}

void appendGlCall(const char* name, std::vector<double> args) {
  log().push_back(GlCall{name, std::move(args)});
}

}  // namespace marvolet::testing
