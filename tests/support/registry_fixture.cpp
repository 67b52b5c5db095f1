#include "registry_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct RootKey {
  const char* name;
  HKEY key;
};
const RootKey kRootKeys[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};

// Splits "HKEY_LOCAL_MACHINE\\System\\..." into its root and subkey.
bool SplitKeyPath(const std::string& path, HKEY* root, std::string* subkey) {
  for (const RootKey& r : kRootKeys) {
    const size_t n = std::strlen(r.name);
    if (path.compare(0, n, r.name) == 0 && (path.size() == n || path[n] == '\\')) {
      *root = r.key;
      *subkey = path.size() > n ? path.substr(n + 1) : std::string();
      return true;
    }
  }
  return false;
}

bool KeyExists(HKEY root, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The topmost key on `path` that does not exist yet, or "" when it does.
std::string TopmostMissingKey(const std::string& path) {
  HKEY root;
  std::string subkey;
  if (!SplitKeyPath(path, &root, &subkey)) return "";
  size_t end = 0;
  while (end != std::string::npos) {
    end = subkey.find('\\', end + 1);
    const std::string prefix = subkey.substr(0, end);
    if (!KeyExists(root, prefix)) return path.substr(0, path.size() - subkey.size()) + prefix;
  }
  return "";
}

// Reads a quoted text starting at text[*pos] == '"', undoing \\ and \".
bool ReadQuoted(const std::string& text, size_t* pos, std::string* out) {
  if (*pos >= text.size() || text[*pos] != '"') return false;
  out->clear();
  for (size_t i = *pos + 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out->push_back(text[++i]);
    } else if (text[i] == '"') {
      *pos = i + 1;
      return true;
    } else {
      out->push_back(text[i]);
    }
  }
  return false;
}

bool ParseHexBytes(const std::string& text, std::string* bytes) {
  bytes->clear();
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ',' || text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) break;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str() + i, &end, 16);
    if (end == text.c_str() + i || value > 0xFF) return false;
    bytes->push_back(static_cast<char>(value));
    i = static_cast<size_t>(end - text.c_str());
  }
  return true;
}

// Parses the data part of a value line into its type and raw bytes.
bool ParseValueData(const std::string& data, DWORD* type, std::string* bytes) {
  if (!data.empty() && data[0] == '"') {
    size_t pos = 0;
    if (!ReadQuoted(data, &pos, bytes)) return false;
    bytes->push_back('\0');
    *type = REG_SZ;
    return true;
  }
  if (data.compare(0, 6, "dword:") == 0) {
    const DWORD value = std::strtoul(data.c_str() + 6, nullptr, 16);
    bytes->assign(reinterpret_cast<const char*>(&value), sizeof value);
    *type = REG_DWORD;
    return true;
  }
  if (data.compare(0, 4, "hex:") == 0) {
    *type = REG_BINARY;
    return ParseHexBytes(data.substr(4), bytes);
  }
  if (data.compare(0, 4, "hex(") == 0) {
    const size_t close = data.find("):");
    if (close == std::string::npos) return false;
    *type = std::strtoul(data.c_str() + 4, nullptr, 16);
    return ParseHexBytes(data.substr(close + 2), bytes);
  }
  return false;
}

// The file's logical lines: CR LF or LF; a hex value ending in "\" goes on
// on the next line.
std::vector<std::string> ReadLogicalLines(const std::string& path, bool* readable) {
  std::vector<std::string> lines;
  FILE* file = std::fopen(path.c_str(), "rb");
  *readable = file != nullptr;
  if (!file) return lines;
  std::string content;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
  std::fclose(file);

  std::string current;
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!current.empty()) line.erase(0, std::min(line.size(), line.find_first_not_of(" \t")));
    current += line;
    if (!current.empty() && current.back() == '\\' && current.find("=hex") != std::string::npos) {
      current.pop_back();
      continue;
    }
    lines.push_back(current);
    current.clear();
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

}  // namespace

std::string ImportRegistryFile(const std::string& path, std::vector<std::string>* createdKeys) {
  bool readable = false;
  const std::vector<std::string> lines = ReadLogicalLines(path, &readable);
  if (!readable) return "cannot read " + path;
  if (lines.empty() || lines[0] != "REGEDIT4") return path + ": first line is not REGEDIT4";

  HKEY current = nullptr;
  std::string error;
  for (size_t number = 1; number < lines.size() && error.empty(); ++number) {
    const std::string& line = lines[number];
    if (line.empty() || line[0] == ';') continue;
    const std::string where = path + ":" + std::to_string(number + 1) + ": ";
    if (line[0] == '[') {
      if (current) RegCloseKey(current);
      current = nullptr;
      const std::string keyPath = line.substr(1, line.find(']') - 1);
      HKEY root;
      std::string subkey;
      if (!SplitKeyPath(keyPath, &root, &subkey)) {
        error = where + "unknown root key";
        break;
      }
      const std::string missing = TopmostMissingKey(keyPath);
      if (!missing.empty() && createdKeys) createdKeys->push_back(missing);
      if (RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &current, nullptr) !=
          ERROR_SUCCESS) {
        error = where + "cannot create key";
      }
      continue;
    }
    if (!current) {
      error = where + "value outside a key";
      break;
    }
    std::string name;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!ReadQuoted(line, &pos, &name)) {
      error = where + "bad value name";
      break;
    }
    if (pos >= line.size() || line[pos] != '=') {
      error = where + "expected '='";
      break;
    }
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ParseValueData(line.substr(pos + 1), &type, &bytes)) {
      error = where + "bad value data";
      break;
    }
    if (RegSetValueExA(current, name.empty() ? nullptr : name.c_str(), 0, type,
                       reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS) {
      error = where + "cannot set value";
    }
  }
  if (current) RegCloseKey(current);
  return error;
}

void DeleteRegistryKeys(const std::vector<std::string>& keys) {
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    HKEY root;
    std::string subkey;
    if (SplitKeyPath(*it, &root, &subkey)) RegDeleteTreeA(root, subkey.c_str());
  }
}

RegistryFixture::RegistryFixture(const std::string& path) { error_ = ImportRegistryFile(path, &createdKeys_); }

RegistryFixture::~RegistryFixture() { DeleteRegistryKeys(createdKeys_); }

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string FixturePath(const std::string& name) {
  return WindowsPath(std::string(PORTGAUGE_FIXTURE_DIR) + "/" + name);
}
