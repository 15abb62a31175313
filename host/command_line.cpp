// Command-line parsing for the screen-saver switches; pure, so every byte sequence is testable.
#include "host/command_line.h"

#include <cstring>

namespace marvolet {
namespace {

// A read position that treats the end of the buffer and a NUL byte alike as the end.
class Reader {
 public:
  Reader(const char* text, size_t length) : text_(text), length_(length) {}

  bool atEnd() const { return pos_ >= length_ || text_[pos_] == '\0'; }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void advance() {
    if (!atEnd()) ++pos_;
  }
  void skipWhile(bool (*match)(char)) {
    while (!atEnd() && match(text_[pos_])) ++pos_;
  }

 private:
  const char* text_;
  size_t length_;
  size_t pos_ = 0;
};

bool isBlank(char c) {
  return c == ' ';
}  // tabs are not blanks here
bool isBlankOrColon(char c) {
  return c == ' ' || c == ':';
}
bool isNotQuote(char c) {
  return c != '"';
}
bool isNotBlank(char c) {
  return c != ' ';
}
// The white space that atoi skips in the C locale.
bool isAtoiSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a number the way atoi does (leading white space, optional sign, digits up to the first
// other character, no digits giving 0). Overflow, which atoi leaves undefined, wraps modulo
// 2^32, so a handle written as an unsigned number keeps its 32 bits.
int32_t readAtoi(Reader& in) {
  in.skipWhile(isAtoiSpace);
  bool negative = false;
  if (in.peek() == '+' || in.peek() == '-') {
    negative = in.peek() == '-';
    in.advance();
  }
  uint32_t value = 0;
  while (in.peek() >= '0' && in.peek() <= '9') {
    value = value * 10u + static_cast<uint32_t>(in.peek() - '0');
    in.advance();
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

void skipProgramName(Reader& in) {
  if (in.peek() == '"') {
    in.advance();
    in.skipWhile(isNotQuote);
    in.advance();  // the closing quote, if there is one
  } else {
    in.skipWhile(isNotBlank);
    in.advance();  // the blank, if there is one
  }
}

}  // namespace

CommandLine parseCommandLine(const char* text, size_t length) {
  CommandLine result;
  if (text == nullptr) length = 0;
  Reader in(text, length);
  skipProgramName(in);
  in.skipWhile(isBlank);
  if (in.atEnd()) {
    result.mode = Config;
    return result;
  }
  if (in.peek() == '-' || in.peek() == '/') in.advance();

  switch (in.peek()) {
    case 'S':
    case 's':
      result.mode = Saver;
      break;
    case 'P':
    case 'p':
    case 'L':
    case 'l':
    case 'A':
    case 'a':
      result.mode = (in.peek() == 'A' || in.peek() == 'a') ? ChangePassword : Preview;
      in.advance();
      in.skipWhile(isBlankOrColon);
      result.window = readAtoi(in);
      break;
    case 'C':
    case 'c':
      result.mode = Config;
      in.advance();
      in.skipWhile(isBlankOrColon);
      if (in.atEnd()) {
        result.useForegroundWindow = true;
      } else {
        result.window = readAtoi(in);
      }
      break;
    default:
      break;
  }
  return result;
}

CommandLine parseCommandLine(const char* text) {
  return parseCommandLine(text, text == nullptr ? 0 : std::strlen(text));
}

}  // namespace marvolet
