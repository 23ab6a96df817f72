#include "common/uUtils.h"

#include <zlib.h>

#include <stdexcept>
#include <vector>

#include "platform/clock.h"
#include "platform/datetime.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"

namespace {

std::string gAppDir;
std::string gObjectsDir;

bool HasWildcards(std::string_view s) {
  return s.find_first_of("*?") != std::string_view::npos;
}

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  return out + "'";
}

}  // namespace

const std::string& AppDir() {
  return gAppDir;
}
const std::string& ObjectsDir() {
  return gObjectsDir;
}

void SetAppDir(const std::string& dir) {
  gAppDir = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  gObjectsDir = gAppDir + "Objects/";
}

std::string RegRead(std::string_view Name, std::string_view Default) {
  const auto value =
      platform::RegistryStore::Default().Read(platform::Hive::CurrentUser, kClientKey, Name);
  if (!value) return std::string(Default);
  if (value->type != platform::RegType::String)
    throw platform::RegistryError("Invalid data type for '" + std::string(Name) + "'");
  return value->text.empty() ? std::string(Default) : value->text;
}

std::int32_t RegReadInt(std::string_view Name, std::int32_t Default) {
  return StrToIntDef(RegRead(Name, std::to_string(Default)), Default);
}

void RegWrite(std::string_view Name, std::string_view Value) {
  platform::RegistryStore::Default().Write(platform::Hive::CurrentUser, kClientKey, Name,
                                           platform::RegValue::String(std::string(Value)));
}

bool FileFound(const std::string& Name) {
  const size_t slash = Name.rfind('/');
  const std::string last = Name.substr(slash == std::string::npos ? 0 : slash + 1);
  if (!HasWildcards(last)) return platform::Attributes(Name).has_value();
  const std::string folder = slash == std::string::npos ? "." : Name.substr(0, slash + 1);
  for (const std::string& name : platform::FolderEntries(folder))
    if (platform::MaskMatches(last, name)) return true;
  return false;
}

void DeleteDir(const std::string& Folder, const std::string& Mask) {
  for (const std::string& name : platform::FolderEntries(Folder)) {
    if (!platform::MaskMatches(Mask, name)) continue;
    const std::string path = Folder + name;
    const auto attributes = platform::Attributes(path);
    if (!attributes) continue;
    // Only a plain folder is entered; a hidden or read-only one is taken for
    // a file, whose removal fails, so it stays. Read-only files stay too.
    if (attributes->directory && !attributes->hidden && !attributes->readOnly)
      DeleteDir(path + "/", Mask);
    else if (!attributes->readOnly || attributes->link)
      platform::RemoveFile(path);
  }
  platform::RemoveEmptyFolder(Folder);
}

void AppendLine(const std::string& FileName, std::string_view Text) {
  std::string line(Text);
  line += "\r\n";
  platform::AppendExclusive(FileName, line);  // a line that cannot be written is lost
}

std::string CRC32Text(const void* Bytes, std::size_t Length) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const auto* p = static_cast<const Bytef*>(Bytes);
  while (Length > 0) {
    const uInt chunk = Length > 0x40000000u ? 0x40000000u : static_cast<uInt>(Length);
    crc = crc32(crc, p, chunk);
    p += chunk;
    Length -= chunk;
  }
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08lX", crc & 0xFFFFFFFFul);
  return buf;
}

std::string FileCRCText(const std::string& FileName) {
  return CRC32Text(platform::ReadWholeFile(FileName));
}

std::string StartupFolder() {
  return platform::AutostartFolder();
}
std::string ProgramsFolder() {
  return platform::ApplicationsFolder();
}

std::string PadId(std::int64_t ID) {
  std::string text = std::to_string(ID);
  if (text.size() < 8) text.insert(0, 8 - text.size(), '0');
  return text;
}

std::string SizeText(std::int64_t Bytes) {
  if (Bytes < 1024) return std::to_string(Bytes) + " b";
  if (Bytes <= 10485760) return std::to_string(Bytes / 1024) + " Kb";
  return std::to_string(Bytes / 1024 / 1024) + " Mb";
}

std::string BoolText(bool Value) {
  return Value ? "true" : "false";
}

std::string ReplaceChar(std::string S, char Old, char New) {
  for (char& c : S)
    if (c == Old) c = New;
  return S;
}

namespace {

// Reads an unsigned decimal number at s[pos]; -1 when there is none.
long ReadNumber(std::string_view s, size_t& pos, int& digits) {
  digits = 0;
  long value = 0;
  while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && digits < 9) {
    value = value * 10 + (s[pos++] - '0');
    ++digits;
  }
  return digits ? value : -1;
}

int CurrentYear() {
  return platform::DecodeDateTime(platform::SystemClock().Now()).year;
}

}  // namespace

double StrToDateTimeOr0(std::string_view S) {
  size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < S.size() && S[pos] == ' ') ++pos;
  };
  auto expect = [&](char c) {
    if (pos < S.size() && S[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  };
  int digits = 0, yearDigits = 0;
  platform::DateParts p;
  skipBlanks();
  const long d = ReadNumber(S, pos, digits);
  if (d < 0 || !expect('.')) return 0;
  const long m = ReadNumber(S, pos, digits);
  if (m < 0 || !expect('.')) return 0;
  long y = ReadNumber(S, pos, yearDigits);
  if (y < 0) return 0;
  if (yearDigits <= 2) {
    // Two-digit years fall within the 50 years before and 49 after this year.
    const int base = CurrentYear() - 50;
    y += base / 100 * 100;
    if (y < base) y += 100;
  }
  p.year = static_cast<int>(y);
  p.month = static_cast<int>(m);
  p.day = static_cast<int>(d);
  skipBlanks();
  if (pos < S.size()) {
    const long h = ReadNumber(S, pos, digits);
    if (h < 0 || !expect(':')) return 0;
    const long n = ReadNumber(S, pos, digits);
    if (n < 0) return 0;
    long sec = 0;
    if (expect(':')) {
      sec = ReadNumber(S, pos, digits);
      if (sec < 0) return 0;
    }
    skipBlanks();
    if (pos != S.size()) return 0;
    p.hour = static_cast<int>(h);
    p.minute = static_cast<int>(n);
    p.second = static_cast<int>(sec);
  }
  return platform::EncodeDateTime(p).value_or(0.0);
}

std::int32_t StrToIntDef(std::string_view S, std::int32_t Default) {
  size_t pos = 0;
  while (pos < S.size() && (S[pos] == ' ' || S[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < S.size() && (S[pos] == '+' || S[pos] == '-')) negative = S[pos++] == '-';
  int base = 10;
  if (pos < S.size() && S[pos] == '$') {
    base = 16;
    ++pos;
  } else if (pos + 1 < S.size() && S[pos] == '0' && (S[pos + 1] == 'x' || S[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos == S.size()) return Default;
  std::int64_t value = 0;
  for (; pos < S.size(); ++pos) {
    const char c = S[pos];
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else
      return Default;
    value = value * base + digit;
    // Hexadecimal texts may name the full 32-bit pattern ("$FFFFFFFF" is -1).
    if (value > (base == 16 ? 0xFFFFFFFFll : 0x80000000ll)) return Default;
  }
  if (base == 16) value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return Default;
  return static_cast<std::int32_t>(value);
}

void DeleteClientKey() {
  try {
    platform::RegistryStore::Default().DeleteKey(platform::Hive::CurrentUser, kClientKey);
  } catch (const std::exception&) {
  }
}

void DeleteUninstallKey() {
  try {
    platform::RegistryStore::Default().DeleteKey(platform::Hive::LocalMachine, kUninstallKey);
  } catch (const std::exception&) {
  }
}

void DeleteProgramGroup() {
  DeleteDir(ProgramsFolder() + "/" + "sparkletide" + "/", "*.*");
}

void SelfDeleteBatch(const std::string& Folder) {
  std::string trimmed = Folder;
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  const size_t slash = trimmed.rfind('/');
  // Never for the root folder or a relative name.
  if (trimmed.empty() || slash == std::string::npos) return;
  const std::string parent = trimmed.substr(0, slash + 1);
  const std::string script = parent + "pdel.sh";
  const std::string folder = ShellQuote(Folder);
  const std::string text =
      "#!/bin/sh\n"
      "# Removes the program folder once the agent has ended, then this script.\n"
      "while kill -0 " +
      std::to_string(platform::CurrentProcessId()) +
      " 2>/dev/null; do sleep 0.2; done\n"
      "tries=0\n"
      "while [ -e " +
      folder +
      " ] && [ $tries -lt 120 ]; do\n"
      "  rm -rf " +
      folder +
      " || sleep 1\n"
      "  tries=$((tries + 1))\n"
      "done\n"
      "rm -f " +
      ShellQuote(script) + "\n";
  try {
    platform::WriteFileDurably(script, text, 0700);
  } catch (const std::exception&) {
    return;
  }
  platform::LaunchDetached({"/bin/sh", script}, nullptr);
}
