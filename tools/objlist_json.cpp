#include "tools/objlist_json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace objlist {
namespace {

using catalogue::Field;
using catalogue::FieldType;

// Code points of the bytes 0x80 to 0x9F; the five unassigned bytes keep their
// C1 control code points so that every byte converts both ways.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char ByteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  throw std::runtime_error("character U+" + std::to_string(static_cast<std::uint32_t>(cp)) +
                           " has no cp1252 form");
}

void AppendJsonString(std::string& out, std::string_view cp1252) {
  out += '"';
  for (unsigned char c : cp1252) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          AppendUtf8(out, CodePointOf(c));
        }
    }
  }
  out += '"';
}

void AppendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) throw std::runtime_error("date-time is not a finite number");
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// A small reader for one flat JSON object.
class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : s_(text) {}

  void Skip() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
      ++i_;
  }
  bool Take(char c) {
    Skip();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  void Expect(char c) {
    if (!Take(c)) Fail(std::string("expected '") + c + "'");
  }
  bool AtEnd() {
    Skip();
    return i_ == s_.size();
  }
  bool TakeWord(std::string_view word) {
    Skip();
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }
  char Peek() {
    Skip();
    return i_ < s_.size() ? s_[i_] : '\0';
  }

  // A string as UTF-8.
  std::string String() {
    Expect('"');
    std::string out;
    while (true) {
      if (i_ >= s_.size()) Fail("unterminated string");
      const char c = s_[i_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) Fail("unterminated string");
      const char e = s_[i_++];
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          char32_t cp = Hex4();
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (s_.substr(i_, 2) != "\\u") Fail("lone surrogate");
            i_ += 2;
            const char32_t low = Hex4();
            if (low < 0xDC00 || low > 0xDFFF) Fail("lone surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          Fail("bad escape");
      }
    }
  }

  // The characters of a number; empty when none follow.
  std::string_view NumberText() {
    Skip();
    const size_t start = i_;
    while (i_ < s_.size() &&
           std::string_view("+-0123456789.eE").find(s_[i_]) != std::string_view::npos)
      ++i_;
    return s_.substr(start, i_ - start);
  }

  [[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("bad JSON at column " + std::to_string(i_ + 1) + ": " + what);
  }

 private:
  char32_t Hex4() {
    if (s_.size() - i_ < 4) Fail("bad \\u escape");
    std::uint32_t v = 0;
    const auto r = std::from_chars(s_.data() + i_, s_.data() + i_ + 4, v, 16);
    if (r.ptr != s_.data() + i_ + 4) Fail("bad \\u escape");
    i_ += 4;
    return v;
  }

  std::string_view s_;
  size_t i_ = 0;
};

catalogue::FieldValue ReadValue(JsonReader& in, Field field) {
  if (in.TakeWord("null")) return std::monostate{};
  const std::string name(catalogue::NameOf(field));
  switch (catalogue::DefOf(field).type) {
    case FieldType::Boolean:
      if (in.TakeWord("true")) return true;
      if (in.TakeWord("false")) return false;
      in.Fail(name + " must be true, false or null");
    case FieldType::String:
      if (in.Peek() != '"') in.Fail(name + " must be a string or null");
      return Utf8ToCp1252(in.String());
    case FieldType::Integer: {
      const std::string_view text = in.NumberText();
      std::int32_t v = 0;
      const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
      if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        in.Fail(name + " must be a 32-bit integer or null");
      return v;
    }
    case FieldType::DateTime: {
      const std::string_view text = in.NumberText();
      double v = 0;
      const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
      if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        in.Fail(name + " must be a number or null");
      return v;
    }
  }
  return std::monostate{};
}

}  // namespace

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = text[i];
    const int length = c < 0x80         ? 1
                       : (c >> 5) == 6  ? 2
                       : (c >> 4) == 14 ? 3
                       : (c >> 3) == 30 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size()) throw std::runtime_error("text is not UTF-8");
    char32_t cp = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const unsigned char next = text[i + k];
      if ((next >> 6) != 2) throw std::runtime_error("text is not UTF-8");
      cp = (cp << 6) | (next & 0x3F);
    }
    // A character written with more bytes than it needs is no UTF-8.
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[length]) throw std::runtime_error("text is not UTF-8");
    out += ByteOf(cp);
    i += length;
  }
  return out;
}

std::string RecordToJson(const catalogue::ObjRecord& record) {
  std::string out = "{";
  for (int i = 0; i < catalogue::kFieldCount; ++i) {
    const Field f = static_cast<Field>(i);
    if (i) out += ',';
    AppendJsonString(out, catalogue::NameOf(f));
    out += ':';
    if (record.IsNull(f)) {
      out += "null";
      continue;
    }
    switch (catalogue::DefOf(f).type) {
      case FieldType::Integer:
        out += std::to_string(record.Integer(f));
        break;
      case FieldType::String:
        AppendJsonString(out, record.Text(f));
        break;
      case FieldType::Boolean:
        out += record.Boolean(f) ? "true" : "false";
        break;
      case FieldType::DateTime:
        AppendNumber(out, record.DateTime(f));
        break;
    }
  }
  return out + "}";
}

catalogue::ObjRecord RecordFromJson(std::string_view line) {
  JsonReader in(line);
  catalogue::ObjRecord record;
  in.Expect('{');
  if (!in.Take('}')) {
    do {
      const std::string key = in.String();
      const auto field = catalogue::FieldByName(key);
      if (!field) in.Fail("unknown field \"" + key + "\"");
      in.Expect(':');
      record.Set(*field, ReadValue(in, *field));
    } while (in.Take(','));
    in.Expect('}');
  }
  if (!in.AtEnd()) in.Fail("text after the object");
  return record;
}

}  // namespace objlist
