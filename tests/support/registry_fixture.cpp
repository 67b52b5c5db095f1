#include "registry_fixture.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

struct RootKey {
  const char* Name;
  HKEY Key;
};
const RootKey kRootKeys[] = {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER}};

bool KeyExists(const std::string& path) {
  for (const RootKey& root : kRootKeys) {
    const size_t n = std::strlen(root.Name);
    if (path.compare(0, n, root.Name) != 0 || (path.size() > n && path[n] != '\\')) continue;
    HKEY key;
    const std::string subkey = path.size() > n ? path.substr(n + 1) : std::string();
    if (RegOpenKeyExA(root.Key, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  return false;
}

// The topmost key on `path` that does not exist yet, or "" when it does.
std::string TopmostMissingKey(const std::string& path) {
  for (size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1)) {
    if (!KeyExists(path.substr(0, end))) return path.substr(0, end);
  }
  return KeyExists(path) ? "" : path;
}

// The keys a REGEDIT4 file names, from its "[KEY]" lines; regedit itself
// reads the values. False when the file cannot be read or is no REGEDIT4 file.
bool NamedKeys(const std::string& path, std::vector<std::string>* keys) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!std::getline(file, line) || line.rfind("REGEDIT4", 0) != 0) return false;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']' && line[1] != '-')
      keys->push_back(line.substr(1, line.size() - 2));
  }
  return true;
}

// Runs `regedit /S path` in this prefix; true when it ran and exited with 0.
bool RunRegedit(const std::string& path) {
  std::string commandLine = "regedit.exe /S \"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.hProcess, &exitCode))
    exitCode = 1;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode == 0;
}

}  // namespace

RegistryFixture::RegistryFixture(const std::string& path) {
  std::vector<std::string> keys;
  if (!NamedKeys(path, &keys)) {
    error_ = "cannot read " + path + " as a REGEDIT4 file";
    return;
  }
  for (const std::string& key : keys) {
    const std::string missing = TopmostMissingKey(key);
    if (!missing.empty() && std::find(createdKeys_.begin(), createdKeys_.end(), missing) == createdKeys_.end())
      createdKeys_.push_back(missing);
  }
  if (!RunRegedit(path)) error_ = "regedit /S " + path + " failed";
  for (const std::string& key : keys) {
    if (error_.empty() && !KeyExists(key)) error_ = "regedit did not create " + key;
  }
}

RegistryFixture::~RegistryFixture() {
  if (createdKeys_.empty()) return;
  char folder[MAX_PATH];
  char removal[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "pgr", 0, removal)) return;
  {
    std::ofstream file(removal, std::ios::binary);
    file << "REGEDIT4\r\n\r\n";
    for (const std::string& key : createdKeys_) file << "[-" << key << "]\r\n";
  }
  RunRegedit(removal);
  DeleteFileA(removal);
}

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string FixturePath(const std::string& name) {
  return WindowsPath(std::string(PORTGAUGE_FIXTURE_DIR) + "/" + name);
}
