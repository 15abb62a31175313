// Registry text as the saver reads and writes it: UTF-16LE REG_SZ data and UTF-8 in between.
#include "host/win32/win32_registry_store.h"

namespace marvolet {
namespace {

// The code point at `text[*i]`, advancing *i; false on a malformed sequence.
bool nextPoint(const std::string& text, size_t* i, uint32_t* point) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(*i);
  size_t length = 1;
  if (c < 0x80) {
    *point = c;
  } else if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    *point = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    *point = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    *point = c & 0x07;
  } else {
    return false;
  }
  if (*i + length > text.size()) return false;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(*i + k) & 0xC0) != 0x80) return false;
    *point = *point << 6 | (byte(*i + k) & 0x3F);
  }
  if ((length == 3 && *point < 0x800) || (length == 4 && *point < 0x10000) ||
      (*point >= 0xD800 && *point <= 0xDFFF) || *point > 0x10FFFF) {
    return false;
  }
  *i += length;
  return true;
}

void appendUtf8(uint32_t point, std::string* text) {
  if (point < 0x80) {
    *text += static_cast<char>(point);
  } else if (point < 0x800) {
    *text += static_cast<char>(0xC0 | point >> 6);
    *text += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    *text += static_cast<char>(0xE0 | point >> 12);
    *text += static_cast<char>(0x80 | (point >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    *text += static_cast<char>(0xF0 | point >> 18);
    *text += static_cast<char>(0x80 | (point >> 12 & 0x3F));
    *text += static_cast<char>(0x80 | (point >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (point & 0x3F));
  }
}

template <typename Unit>
bool fromUtf8(const std::string& text, std::basic_string<Unit>* units) {
  std::basic_string<Unit> result;
  for (size_t i = 0; i < text.size();) {
    uint32_t point = 0;
    if (!nextPoint(text, &i, &point)) return false;
    if (point >= 0x10000) {
      result += static_cast<Unit>(0xD800 + ((point - 0x10000) >> 10));
      result += static_cast<Unit>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      result += static_cast<Unit>(point);
    }
  }
  *units = std::move(result);
  return true;
}

template <typename Unit>
bool toUtf8(const Unit* units, size_t count, std::string* text) {
  std::string result;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t unit = static_cast<uint16_t>(units[i]);
    uint32_t point = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == count) return false;
      const uint32_t low = static_cast<uint16_t>(units[i + 1]);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      point = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
    appendUtf8(point, &result);
  }
  *text = std::move(result);
  return true;
}

}  // namespace

bool utf16FromUtf8(const std::string& text, std::u16string* units) {
  return fromUtf8(text, units);
}

bool utf8FromUtf16(const std::u16string& units, std::string* text) {
  return toUtf8(units.data(), units.size(), text);
}

bool utf16FromUtf8(const std::string& text, std::wstring* units) {
  return fromUtf8(text, units);
}

bool utf8FromUtf16(const wchar_t* units, std::string* text) {
  size_t count = 0;
  while (units[count] != 0) ++count;
  return toUtf8(units, count, text);
}

bool registryTextData(const std::string& text, std::vector<uint8_t>* data) {
  std::u16string units;
  if (!utf16FromUtf8(text, &units)) return false;
  data->clear();
  for (char16_t unit : units) {
    data->push_back(static_cast<uint8_t>(unit));
    data->push_back(static_cast<uint8_t>(unit >> 8));
  }
  data->push_back(0);
  data->push_back(0);
  return true;
}

bool registryTextFromData(const uint8_t* data, uint32_t size, std::string* value, size_t maxBytes) {
  std::u16string units;
  for (uint32_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) break;
    units += unit;
  }
  std::string text;
  if (!utf8FromUtf16(units, &text) || text.size() > maxBytes) return false;
  *value = std::move(text);
  return true;
}

}  // namespace marvolet
