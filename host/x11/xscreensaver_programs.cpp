// xscreensaver's programs list: read as xscreensaver reads ~/.xscreensaver, edited in place.
#include "host/x11/xscreensaver_programs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace marvolet {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
// xscreensaver reads a line in pieces of about a kilobyte and mangles a backslash that ends a
// piece, so longer lines are not ours to interpret.
constexpr size_t kMaxLineBytes = 1000;

// A character of a logical line once continuations and escapes are applied, with the bytes of
// the file it came from ([begin, end)).
struct Char {
  char c;
  size_t begin;
  size_t end;
};

struct Entry {
  size_t begin = 0;  // the logical line's bytes, its final newline included
  size_t end = 0;
  bool setting = false;  // "name: value"; otherwise a comment or a blank line
  std::string key;
  std::vector<Char> chars;
  size_t colon = 0;  // index in chars
  size_t valueBegin = 0;
  size_t valueEnd = 0;
};

struct Parsed {
  std::vector<Entry> entries;
  std::string error;
};

// An entry of the list with where its characters sit in the logical line.
struct Span {
  ListedHack hack;
  size_t first = 0;  // its first and last non-blank characters
  size_t last = 0;
  size_t newline = kNone;  // the \n that ends it, if any
  size_t minus = kNone;    // the '-' that disables it, if any
};

bool isStripped(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool sameWord(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// `strict` is for the user's file: anything xscreensaver would read otherwise than we do, or
// skip as garbage, is an error. The app-defaults file is read leniently.
Parsed parseFile(const std::string& text, bool strict) {
  Parsed parsed;
  if (strict && text.size() > kMaxXscreensaverFileBytes) {
    parsed.error = "it is larger than 1 MiB";
    return parsed;
  }
  if (strict && text.find('\0') != std::string::npos) {
    parsed.error = "it holds NUL bytes, so it is no text file";
    return parsed;
  }
  size_t pos = 0;
  size_t line = 0;
  while (pos < text.size()) {
    Entry entry;
    entry.begin = pos;
    const size_t firstLine = line + 1;
    std::vector<Char> raw;
    for (bool first = true;; first = false) {
      const size_t newline = text.find('\n', pos);
      const bool hasNewline = newline != std::string::npos;
      const size_t end = hasNewline ? newline : text.size();
      ++line;
      if (strict && end - pos + 1 >= kMaxLineBytes) {
        parsed.error = "line " + std::to_string(line) + " is longer than xscreensaver reads";
        return parsed;
      }
      // xscreensaver's rule, quirk included: a first line of a lone backslash does not continue.
      const bool continued =
          hasNewline && end > pos && text[end - 1] == '\\' && (!first || end - pos >= 2);
      for (size_t i = pos; i < (continued ? end - 1 : end); ++i) raw.push_back({text[i], i, i + 1});
      pos = hasNewline ? newline + 1 : end;
      if (!continued) {
        if (hasNewline) raw.push_back({'\n', newline, newline + 1});
        break;
      }
      if (pos >= text.size()) break;
    }
    entry.end = pos;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i].c != '\\') {
        entry.chars.push_back(raw[i]);
        continue;
      }
      if (i + 1 == raw.size()) break;
      const char next = raw[i + 1].c;
      const char c = next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
      entry.chars.push_back({c, raw[i].begin, raw[i + 1].end});
      ++i;
    }
    const std::vector<Char>& chars = entry.chars;
    size_t start = 0;
    size_t stop = chars.size();
    while (start < stop && isStripped(chars[start].c)) ++start;
    while (stop > start && isStripped(chars[stop - 1].c)) --stop;
    if (start < stop && std::strchr("#!;", chars[start].c) == nullptr) {
      size_t colon = start;
      while (colon < stop && chars[colon].c != ':') ++colon;
      if (colon == stop) {
        if (strict) {
          parsed.error = "line " + std::to_string(firstLine) +
                         " is neither a comment nor a \"name: value\" setting";
          return parsed;
        }
      } else {
        entry.setting = true;
        entry.colon = colon;
        for (size_t i = start; i < colon; ++i) entry.key += chars[i].c;
        entry.valueBegin = colon + 1;
        while (entry.valueBegin < stop && isStripped(chars[entry.valueBegin].c)) {
          ++entry.valueBegin;
        }
        entry.valueEnd = stop;
      }
    }
    parsed.entries.push_back(std::move(entry));
  }
  return parsed;
}

// Blanks squeezed to one space until the first shell quoting character, trailing blanks cut;
// that is how xscreensaver compares and shows commands.
std::string squeezedCommand(const std::vector<Char>& chars, size_t begin, size_t end) {
  std::string out;
  size_t i = begin;
  while (i < end) {
    const char c = chars[i].c;
    if (c == '\'' || c == '"' || c == '`' || c == '\\') {
      for (; i < end; ++i) out += chars[i].c;
    } else if (c == ' ' || c == '\t') {
      while (i < end && (chars[i].c == ' ' || chars[i].c == '\t')) ++i;
      out += ' ';
    } else {
      out += c;
      ++i;
    }
  }
  while (!out.empty() && isSpace(out.back())) out.pop_back();
  return out;
}

std::vector<Span> spansOf(const Entry& entry) {
  std::vector<Span> spans;
  const std::vector<Char>& chars = entry.chars;
  const size_t end = entry.valueEnd;
  size_t i = entry.valueBegin;
  while (i < end) {
    while (i < end && (chars[i].c == ' ' || chars[i].c == '\t' || chars[i].c == '\n')) ++i;
    if (i == end) break;
    size_t stop = i;
    while (stop < end && chars[stop].c != '\n') ++stop;
    Span span;
    span.first = i;
    span.last = stop - 1;
    while (span.last > i && isSpace(chars[span.last].c)) --span.last;
    span.newline = stop < end ? stop : kNone;
    if (stop == end) {
      // The last entry's \n lies past the value, among the characters the value was cut from.
      for (size_t j = end; j < chars.size(); ++j) {
        if (chars[j].c == '\n' && chars[j].end - chars[j].begin == 2) {
          span.newline = j;
          break;
        }
      }
    }
    size_t j = i;
    while (j < stop && isSpace(chars[j].c)) ++j;
    if (j < stop && chars[j].c == '-') {
      span.hack.enabled = false;
      span.minus = j++;
      while (j < stop && isSpace(chars[j].c)) ++j;
    }
    size_t word = j;
    while (j < stop && chars[j].c != ':' && chars[j].c != '"' && !isSpace(chars[j].c)) ++j;
    if (j < stop && chars[j].c == ':') {
      for (size_t k = word; k < j; ++k) span.hack.visual += chars[k].c;
      ++j;
      while (j < stop && isSpace(chars[j].c)) ++j;
    } else {
      j = word;
    }
    if (j < stop && chars[j].c == '"') {
      ++j;
      while (j < stop && chars[j].c != '"') span.hack.name += chars[j++].c;
      if (j < stop) ++j;
      while (j < stop && isSpace(chars[j].c)) ++j;
    }
    span.hack.command = squeezedCommand(chars, j, stop);
    spans.push_back(std::move(span));
    i = stop + 1;
  }
  return spans;
}

// The program a command runs: its first word after any environment assignments
// ("LP_NUM_THREADS=0 marvolet -root"), with the shell's quoting taken off.
std::string programOf(const std::string& command) {
  size_t i = 0;
  for (;;) {
    while (i < command.size() && isSpace(command[i])) ++i;
    std::string word;
    bool assignment = false;  // an unquoted NAME= began the word
    bool plain = true;        // no quoting so far in the word
    while (i < command.size() && !isSpace(command[i])) {
      const char c = command[i];
      if (c == '\'' || c == '"') {
        plain = false;
        size_t close = i + 1;
        while (close < command.size() && command[close] != c) {
          if (c == '"' && command[close] == '\\' && close + 1 < command.size()) ++close;
          word += command[close++];
        }
        i = close < command.size() ? close + 1 : close;
      } else if (c == '\\' && i + 1 < command.size()) {
        plain = false;
        word += command[i + 1];
        i += 2;
      } else {
        const bool nameChar = c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9' && !word.empty());
        if (c == '=' && plain && !word.empty() && !assignment) assignment = true;
        if (!nameChar && !assignment) plain = false;
        word += c;
        ++i;
      }
    }
    if (!assignment) return word;
  }
}

bool isOurs(const ListedHack& hack) {
  std::string program = programOf(hack.command);
  const size_t slash = program.rfind('/');
  if (slash != std::string::npos) program.erase(0, slash + 1);
  return program == "marvolet";
}

ListedHack ourHack() {
  ListedHack hack;
  hack.visual = "GL";
  hack.command = kHackCommand;
  return hack;
}

const Entry* lastPrograms(const Parsed& parsed) {
  const Entry* found = nullptr;
  for (const Entry& entry : parsed.entries) {
    if (entry.setting && sameWord(entry.key, "programs")) found = &entry;
  }
  return found;
}

std::vector<ListedHack> hacksOf(const Entry& entry) {
  std::vector<ListedHack> hacks;
  for (Span& span : spansOf(entry)) hacks.push_back(std::move(span.hack));
  return hacks;
}

std::string valueOf(const Entry& entry) {
  std::string value;
  for (size_t i = entry.valueBegin; i < entry.valueEnd; ++i) value += entry.chars[i].c;
  return value;
}

// ---- Writing, in the layout of xscreensaver's own preferences writer ----

int columnsAfter(const std::string& text, int column) {
  for (char c : text) column = c == '\n' ? 0 : c == '\t' ? (column / 8 + 1) * 8 : column + 1;
  return column;
}

// Tabs, then spaces, from column `from` up to column `to`.
int padTo(std::string& out, int from, int to) {
  while (from < to / 8 * 8) {
    out += '\t';
    from = (from / 8 + 1) * 8;
  }
  for (; from < to; ++from) out += ' ';
  return from;
}

std::string formatHack(const ListedHack& hack) {
  std::string out = hack.enabled ? "" : "-";
  if (!hack.visual.empty()) out += (hack.enabled ? "  " : " ") + hack.visual + ": ";
  if (!hack.name.empty()) {
    const int column = columnsAfter(out, 0);
    const int width = static_cast<int>(hack.name.size()) + 2;
    if (width + column < 32) {
      padTo(out, column, 32 - width - 2);
    } else {
      out += ' ';
    }
    out += '"' + hack.name + '"';
    const int after = columnsAfter(out, 0);
    if (after >= 32) {
      padTo(out, after, 77);
    } else {
      out += ' ';
    }
  }
  padTo(out, columnsAfter(out, 0), 32);
  return out + hack.command;
}

// One entry of the list and the \n that ends it, continued on the next line.
std::string formatListLine(const ListedHack& hack) {
  const std::string body = formatHack(hack);
  std::string out;
  int column = 0;
  if (columnsAfter(body, 0) <= 75) {
    out = body;
    column = columnsAfter(body, 0);
  } else {
    // Long commands break between words onto continuation lines, as xscreensaver breaks them.
    size_t start = 0;
    size_t end = 0;
    while (start < body.size()) {
      while (end < body.size() && (body[end] == ' ' || body[end] == '\t')) ++end;
      while (end < body.size() && body[end] != ' ' && body[end] != '\t') ++end;
      if (columnsAfter(body.substr(start, end - start), column) >= 74) {
        padTo(out, column, 75);
        out += "   \\\n";
        column = padTo(out, 0, 34);
        while (start < end && (body[start] == ' ' || body[start] == '\t')) ++start;
      }
      column = columnsAfter(body.substr(start, end - start), column);
      out.append(body, start, end - start);
      start = end;
    }
  }
  padTo(out, column, 75);
  return out + " \\n";
}

std::string formatPrograms(const std::vector<ListedHack>& hacks) {
  std::string out = "programs:";
  padTo(out, 9, 77);
  out += " \\\n";
  for (const ListedHack& hack : hacks) out += formatListLine(hack) + "\\\n";
  return out + "\n";
}

// ---- Checking an edit ----

// The settings of a parsed file other than its programs lists, in order.
std::vector<std::pair<std::string, std::string>> otherSettings(const Parsed& parsed) {
  std::vector<std::pair<std::string, std::string>> settings;
  for (const Entry& entry : parsed.entries) {
    if (entry.setting && !sameWord(entry.key, "programs")) {
      settings.emplace_back(entry.key, valueOf(entry));
    }
  }
  return settings;
}

ProgramsEdit refusal(std::string why) {
  ProgramsEdit edit;
  edit.outcome = ProgramsEdit::Refused;
  edit.message = std::move(why);
  return edit;
}

// Reads `text` back: it must differ from `before` only in that its list is `expected`.
ProgramsEdit checked(const Parsed& before, std::string text,
                     const std::vector<ListedHack>& expected, int number) {
  const Parsed after = parseFile(text, true);
  const Entry* programs = lastPrograms(after);
  if (!after.error.empty() || programs == nullptr || hacksOf(*programs) != expected ||
      otherSettings(after) != otherSettings(before)) {
    return refusal("its programs list is laid out in a way this command cannot edit safely");
  }
  ProgramsEdit edit;
  edit.outcome = ProgramsEdit::Changed;
  edit.text = std::move(text);
  edit.number = number;
  return edit;
}

std::string edited(const std::string& text, size_t at, size_t removed, const std::string& added) {
  return text.substr(0, at) + added + text.substr(at + removed);
}

bool defaultsList(const std::string& defaults, std::vector<ListedHack>* hacks) {
  const Parsed parsed = parseFile(defaults, false);
  const Entry* found = nullptr;
  for (const Entry& entry : parsed.entries) {
    if (!entry.setting) continue;
    // "*programs", "XScreenSaver.programs" or "XScreenSaver*programs" in resource syntax.
    std::string key = entry.key;
    while (!key.empty() && isSpace(key.back())) key.pop_back();
    if (key.compare(0, 12, "XScreenSaver") == 0) key.erase(0, 12);
    if (!key.empty() && (key[0] == '*' || key[0] == '.')) key.erase(0, 1);
    if (sameWord(key, "programs")) found = &entry;
  }
  if (found == nullptr) return false;
  *hacks = hacksOf(*found);
  return !hacks->empty();
}

std::string nameAndCommand(const ListedHack& hack) {
  return hack.visual.empty() ? hack.command : hack.visual + ": " + hack.command;
}

// ---- Files ----

enum class ReadOutcome { Read, Missing, Refused };

// A regular file of at most `limit` bytes (symbolic links followed). O_NONBLOCK keeps a FIFO
// from stalling the open before its type is refused.
ReadOutcome readSmallFile(const std::string& path, size_t limit, std::string* contents,
                          int* error) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    *error = errno;
    return errno == ENOENT ? ReadOutcome::Missing : ReadOutcome::Refused;
  }
  *error = 0;
  if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(limit)) {
    return ReadOutcome::Refused;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    *error = errno;
    return ReadOutcome::Refused;
  }
  std::string text;
  char buffer[8192];
  bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  while (ok) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) *error = errno;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    text.append(buffer, static_cast<size_t>(got));
    ok = text.size() <= limit;
  }
  close(fd);
  if (!ok) return ReadOutcome::Refused;
  *contents = std::move(text);
  return ReadOutcome::Read;
}

}  // namespace

ProgramsList readProgramsList(const std::string& file) {
  ProgramsList list;
  const Parsed parsed = parseFile(file, true);
  list.error = parsed.error;
  if (!parsed.error.empty()) return list;
  if (const Entry* programs = lastPrograms(parsed)) {
    list.found = true;
    list.hacks = hacksOf(*programs);
  }
  return list;
}

ProgramsEdit addToPrograms(const std::string& file, const std::string& defaults) {
  const Parsed parsed = parseFile(file, true);
  if (!parsed.error.empty()) return refusal(parsed.error);
  const Entry* programs = lastPrograms(parsed);
  if (programs == nullptr) {
    std::vector<ListedHack> hacks;
    if (!defaultsList(defaults, &hacks)) {
      return refusal(
          "it has no programs list, and xscreensaver's defaults, which would give one, "
          "are not installed");
    }
    hacks.push_back(ourHack());
    std::string text = file;
    if (!text.empty() && text.back() != '\n') text += '\n';
    text += "\n" + formatPrograms(hacks);
    return checked(parsed, std::move(text), hacks, static_cast<int>(hacks.size()));
  }

  const std::vector<Span> spans = spansOf(*programs);
  std::vector<ListedHack> hacks;
  for (const Span& span : spans) hacks.push_back(span.hack);
  size_t disabled = kNone;
  for (size_t i = 0; i < spans.size(); ++i) {
    if (!isOurs(spans[i].hack)) continue;
    if (spans[i].hack.enabled) {
      ProgramsEdit edit;
      edit.outcome = ProgramsEdit::Unchanged;
      edit.number = static_cast<int>(i + 1);
      return edit;
    }
    if (disabled == kNone) disabled = i;
  }
  const std::vector<Char>& chars = programs->chars;
  if (disabled != kNone) {
    const Char& minus = chars[spans[disabled].minus];
    hacks[disabled].enabled = true;
    return checked(parsed, edited(file, minus.begin, minus.end - minus.begin, ""), hacks,
                   static_cast<int>(disabled + 1));
  }

  const std::string line = formatListLine(ourHack());
  size_t at = 0;
  std::string added;
  if (!spans.empty()) {
    const Span& last = spans.back();
    if (last.newline != kNone) {
      at = chars[last.newline].end;
      added = "\\\n" + line;
    } else {
      // Right after its last character: blanks there would join an unclosed quoted name.
      at = chars[last.last].end;
      added = "\\n\\\n" + line;
    }
  } else {
    // An empty list: on its blank closing line when it has one (xscreensaver's layout), else on
    // a new line after the name.
    const size_t lineStart =
        programs->end >= 2 ? file.rfind('\n', programs->end - 2) + 1 : programs->begin;
    const bool blankClose = file[programs->end - 1] == '\n' && lineStart > programs->begin &&
                            file.find_first_not_of(" \t\r", lineStart) >= programs->end - 1;
    if (blankClose) {
      at = lineStart;
      added = line + "\\\n";
    } else {
      at = chars[programs->colon].end;
      added = " \\\n" + line;
    }
  }
  hacks.push_back(ourHack());
  return checked(parsed, edited(file, at, 0, added), hacks, static_cast<int>(hacks.size()));
}

ProgramsEdit removeFromPrograms(const std::string& file) {
  const Parsed parsed = parseFile(file, true);
  if (!parsed.error.empty()) return refusal(parsed.error);
  const Entry* programs = lastPrograms(parsed);
  ProgramsEdit unchanged;
  unchanged.outcome = ProgramsEdit::Unchanged;
  if (programs == nullptr) return unchanged;
  const std::vector<Char>& chars = programs->chars;
  const std::vector<Span> spans = spansOf(*programs);
  // Each entry of ours goes from the \n before it through its own \n; a last entry without one
  // takes the \n before it instead, so that the entries kept keep every character.
  std::vector<std::pair<size_t, size_t>> ranges;
  std::vector<ListedHack> kept;
  for (size_t i = 0; i < spans.size(); ++i) {
    if (!isOurs(spans[i].hack)) {
      kept.push_back(spans[i].hack);
      continue;
    }
    size_t begin = chars[programs->colon].end;
    size_t end = 0;
    if (spans[i].newline != kNone) {
      end = chars[spans[i].newline].end;
      if (i > 0) begin = chars[spans[i - 1].newline].end;
    } else {
      end = chars[spans[i].last].end;
      if (i > 0) begin = chars[spans[i - 1].newline].begin;
    }
    if (!ranges.empty() && begin <= ranges.back().second) {
      ranges.back().second = std::max(ranges.back().second, end);
    } else {
      ranges.emplace_back(begin, end);
    }
  }
  if (ranges.empty()) return unchanged;
  std::string text = file;
  for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
    text.erase(range->first, range->second - range->first);
  }
  return checked(parsed, std::move(text), kept, 0);
}

ProgramsEdit newProgramsFile(const std::string& defaults) {
  std::vector<ListedHack> hacks;
  if (!defaultsList(defaults, &hacks)) {
    return refusal("xscreensaver's defaults hold no programs list");
  }
  hacks.push_back(ourHack());
  std::string text =
      "# XScreenSaver Preferences File\n"
      "# Written by marvolet -add-to-xscreensaver: xscreensaver's own list of programs and\n"
      "# Marvolet. xscreensaver-settings writes the other settings when it next saves.\n"
      "\n" +
      formatPrograms(hacks);
  return checked(Parsed(), std::move(text), hacks, static_cast<int>(hacks.size()));
}

std::vector<std::string> xscreensaverDefaultsPaths() {
  return {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver",
          "/usr/lib/X11/app-defaults/XScreenSaver"};
}

int editXscreensaverFile(bool add, const std::string& home,
                         const std::vector<std::string>& defaultsPaths, std::string* message,
                         const FileWriteCalls& calls) {
  if (home.empty()) {
    *message = "HOME is not set, so there is no ~/.xscreensaver to edit";
    return 1;
  }
  const std::string path = home + (home.back() == '/' ? "" : "/") + ".xscreensaver";
  const uid_t user = calls.user();
  const std::string problem = replacementProblem(user, path);
  if (user == 0 && problem.empty()) {
    *message = "xscreensaver never runs as root, so root's " + path +
               " is never read; run this as the user whose screen saver it is";
    return 1;
  }
  if (!problem.empty()) {
    *message = problem;
    return 1;
  }
  std::string defaults;
  if (add) {
    int ignored = 0;
    for (const std::string& candidate : defaultsPaths) {
      if (readSmallFile(candidate, kMaxXscreensaverFileBytes, &defaults, &ignored) ==
          ReadOutcome::Read) {
        break;
      }
      defaults.clear();
    }
  }
  std::string text;
  int error = 0;
  const ReadOutcome read = readSmallFile(path, kMaxXscreensaverFileBytes, &text, &error);
  const bool created = read == ReadOutcome::Missing;
  ProgramsEdit edit;
  if (read == ReadOutcome::Refused) {
    *message = path + " is left as it is: it is no readable file of at most 1 MiB" +
               (error != 0 ? std::string(" (") + std::strerror(error) + ")" : std::string());
    return 1;
  }
  if (created && !add) {
    *message = "there is no " + path + ", so Marvolet is in no list there; nothing changed";
    return 0;
  }
  if (created) {
    if (defaults.empty()) {
      *message = "there is no " + path +
                 " and xscreensaver's defaults are not installed (Debian: apt-get install "
                 "xscreensaver); nothing was written";
      return 1;
    }
    edit = newProgramsFile(defaults);
  } else {
    edit = add ? addToPrograms(text, defaults) : removeFromPrograms(text);
  }
  const std::string showIt =
      "pick Marvolet in xscreensaver-settings, or see it now with "
      "\"xscreensaver-command -select " +
      std::to_string(edit.number) + "\"";
  switch (edit.outcome) {
    case ProgramsEdit::Refused:
      *message = path + " is left as it is: " + edit.message;
      return 1;
    case ProgramsEdit::Unchanged:
      *message = add ? "Marvolet is already entry " + std::to_string(edit.number) +
                           " of the programs list in " + path + "; nothing changed"
                     : "Marvolet is not in the programs list in " + path + "; nothing changed";
      return 0;
    case ProgramsEdit::Changed:
      break;
  }
  std::string failure;
  if (!replaceFileAtomically(calls, path, edit.text, &failure)) {
    *message = path + " is left as it was: " + failure;
    return 1;
  }
  if (!add) {
    *message = "removed Marvolet from the programs list in " + path;
  } else if (created) {
    *message = "wrote " + path + " with xscreensaver's programs list and Marvolet as entry " +
               std::to_string(edit.number) + "; " + showIt;
  } else {
    *message = "added \"" + nameAndCommand(ourHack()) + "\" as entry " +
               std::to_string(edit.number) + " of the programs list in " + path + "; " + showIt;
  }
  return 0;
}

}  // namespace marvolet
