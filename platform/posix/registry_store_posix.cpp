#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <system_error>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

namespace platform {
namespace {

struct Key {
  std::string name;
  std::vector<std::pair<std::string, RegValue>> values;
};
using HiveData = std::vector<Key>;


// "a\b" is below "a" (and "a" is below itself).
bool IsWithin(std::string_view key, std::string_view parent) {
  if (key.size() == parent.size()) return EqualIgnoringCase(key, parent);
  return key.size() > parent.size() && key[parent.size()] == '\\' &&
         EqualIgnoringCase(key.substr(0, parent.size()), parent);
}

std::string Quote(std::string_view s) {
  static const char* hex = "0123456789abcdef";
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
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
        if (c < 0x20 || c == 0x7f) {
          out += "\\x";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string starting at line[pos] == '"'; advances pos past it.
bool Unquote(std::string_view line, size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= line.size()) return false;
    const char e = line[pos++];
    switch (e) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
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
      case 'x': {
        if (pos + 2 > line.size()) return false;
        const int hi = HexDigit(line[pos]), lo = HexDigit(line[pos + 1]);
        if (hi < 0 || lo < 0) return false;
        out += char(hi * 16 + lo);
        pos += 2;
        break;
      }
      default:
        return false;
    }
  }
  return false;
}

std::string Serialize(const HiveData& hive) {
  std::string out = "; Sparkletide settings registry. Edit with sparkletide-reg.\n";
  for (const Key& key : hive) {
    out += "\n[" + key.name + "]\n";
    for (const auto& [name, value] : key.values) {
      out += Quote(name) + "=";
      if (value.type == RegType::String) {
        out += Quote(value.text);
      } else {
        char buf[16];
        snprintf(buf, sizeof buf, "dword:%08x", value.number);
        out += buf;
      }
      out += "\n";
    }
  }
  return out;
}

HiveData Parse(const std::string& text, const std::string& path) {
  HiveData hive;
  size_t start = 0;
  int lineNo = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNo;
    auto fail = [&](const char* what) {
      return RegistryError(path + ":" + std::to_string(lineNo) + ": " + what);
    };
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) throw fail("malformed key line");
      hive.push_back({std::string(line.substr(1, line.size() - 2)), {}});
      continue;
    }
    if (hive.empty()) throw fail("value outside any key");
    size_t pos = 0;
    std::string name;
    if (!Unquote(line, pos, name) || pos >= line.size() || line[pos] != '=')
      throw fail("malformed value name");
    ++pos;
    RegValue value;
    if (pos < line.size() && line[pos] == '"') {
      if (!Unquote(line, pos, value.text) || pos != line.size())
        throw fail("malformed string value");
    } else if (line.substr(pos, 6) == "dword:" && line.size() == pos + 14) {
      value.type = RegType::DWord;
      for (char c : line.substr(pos + 6)) {
        const int d = HexDigit(c);
        if (d < 0) throw fail("malformed dword value");
        value.number = value.number * 16 + static_cast<unsigned>(d);
      }
    } else {
      throw fail("unknown value type");
    }
    hive.back().values.emplace_back(std::move(name), std::move(value));
  }
  return hive;
}

std::string ErrnoText(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// A missing hive is an empty one.
HiveData Load(const std::string& path) {
  try {
    return Parse(ReadWholeFile(path), path);
  } catch (const std::system_error& e) {
    if (e.code() == std::errc::no_such_file_or_directory) return {};
    throw RegistryError(e.what());
  }
}

void MakeFolders(const std::string& folder) {
  std::string partial;
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    partial = folder.substr(0, pos);
    if (!partial.empty() && mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
      throw RegistryError(ErrnoText("cannot create", partial));
  }
}

// Read-modify-write of one hive under an exclusive lock of its lock file. The
// new content goes to a temporary file that is synced and then renamed over
// the hive, so a crash at any point leaves the old or the new hive.
void Modify(const std::string& folder, const std::string& path,
            const std::function<bool(HiveData&)>& change) {
  MakeFolders(folder);
  const std::string lockPath = path + ".lock";
  const int lockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0) throw RegistryError(ErrnoText("cannot open", lockPath));
  struct Unlock {
    int fd;
    ~Unlock() { close(fd); }
  } unlock{lockFd};
  while (flock(lockFd, LOCK_EX) != 0) {
    if (errno != EINTR) throw RegistryError(ErrnoText("cannot lock", lockPath));
  }
  HiveData hive = Load(path);
  if (!change(hive)) return;

  try {
    WriteFileDurably(path, Serialize(hive), 0600);
  } catch (const std::runtime_error& e) {
    throw RegistryError(e.what());
  }
}

const Key* FindKey(const HiveData& hive, std::string_view key) {
  for (const Key& k : hive)
    if (EqualIgnoringCase(k.name, key)) return &k;
  return nullptr;
}

}  // namespace

RegistryStore::RegistryStore(std::string folder) : folder_(std::move(folder)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
}

RegistryStore RegistryStore::Default() {
  return RegistryStore(
      EnvOr("SPARKLETIDE_REGISTRY", JoinPath(ConfigHome(), "sparkletide/registry")));
}

std::string RegistryStore::HivePath(Hive hive) const {
  return JoinPath(folder_, hive == Hive::CurrentUser ? "HKCU.reg" : "HKLM.reg");
}

std::optional<RegValue> RegistryStore::Read(Hive hive, std::string_view key,
                                            std::string_view name) const {
  const HiveData data = Load(HivePath(hive));
  if (const Key* k = FindKey(data, key))
    for (const auto& [n, v] : k->values)
      if (EqualIgnoringCase(n, name)) return v;
  return std::nullopt;
}

std::vector<std::pair<std::string, RegValue>> RegistryStore::Values(Hive hive,
                                                                    std::string_view key) const {
  const HiveData data = Load(HivePath(hive));
  const Key* k = FindKey(data, key);
  return k ? k->values : std::vector<std::pair<std::string, RegValue>>{};
}

bool RegistryStore::KeyExists(Hive hive, std::string_view key) const {
  const HiveData data = Load(HivePath(hive));
  return std::any_of(data.begin(), data.end(), [&](const Key& k) { return IsWithin(k.name, key); });
}

void RegistryStore::Write(Hive hive, std::string_view key, std::string_view name,
                          const RegValue& value) {
  if (key.empty() || key.front() == '\\' || key.back() == '\\' ||
      key.find('\n') != std::string_view::npos || key.find("\\\\") != std::string_view::npos)
    throw RegistryError("invalid key name \"" + std::string(key) + "\"");
  Modify(folder_, HivePath(hive), [&](HiveData& data) {
    auto k =
        std::find_if(data.begin(), data.end(), [&](const Key& x) { return EqualIgnoringCase(x.name, key); });
    if (k == data.end()) {
      data.push_back({std::string(key), {}});
      k = data.end() - 1;
    }
    for (auto& [n, v] : k->values)
      if (EqualIgnoringCase(n, name)) {
        if (v == value) return false;
        v = value;
        return true;
      }
    k->values.emplace_back(std::string(name), value);
    return true;
  });
}

void RegistryStore::DeleteKey(Hive hive, std::string_view key) {
  if (!KeyExists(hive, key)) return;
  Modify(folder_, HivePath(hive), [&](HiveData& data) {
    const auto removed = std::remove_if(data.begin(), data.end(),
                                        [&](const Key& k) { return IsWithin(k.name, key); });
    const bool changed = removed != data.end();
    data.erase(removed, data.end());
    return changed;
  });
}

}  // namespace platform
