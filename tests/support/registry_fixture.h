#pragma once
// Registry fixtures: device sets written as REGEDIT4 files under
// tests/fixtures, imported into the running Wine prefix's registry before a
// case and removed after it. Windows only.

#include <string>
#include <vector>

// Imports a fixture on construction and removes every key it created on
// destruction (keys that already existed keep their other contents).
class RegistryFixture {
 public:
  explicit RegistryFixture(const std::string& path);
  ~RegistryFixture();
  RegistryFixture(const RegistryFixture&) = delete;
  RegistryFixture& operator=(const RegistryFixture&) = delete;

  // The file's contents, parsed: false with a message when it is malformed.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> createdKeys_;  // full key paths, topmost first
  std::string error_;
};

// Imports `path` and leaves it in place; returns the error text or "".
std::string ImportRegistryFile(const std::string& path, std::vector<std::string>* createdKeys);

// Deletes the trees of `keys` (full paths such as "HKEY_LOCAL_MACHINE\\...").
void DeleteRegistryKeys(const std::vector<std::string>& keys);

// A path of the Linux file system as Wine's Z: drive sees it.
std::string WindowsPath(const std::string& unixPath);

// The Windows path of a file in the source tree's tests/fixtures folder.
std::string FixturePath(const std::string& name);
