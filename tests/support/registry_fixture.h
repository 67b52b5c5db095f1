#pragma once
// Registry fixtures: device sets written as REGEDIT4 files under
// tests/fixtures, imported into the running Wine prefix's registry with the
// platform's own regedit before a case and removed after it, as the run
// command does. Windows only.

#include <string>
#include <vector>

// Imports a fixture on construction with `regedit /S`; on destruction removes
// every key the import created, and only those, with a generated file of
// [-KEY] lines. A key that existed before keeps all it held.
class RegistryFixture {
 public:
  explicit RegistryFixture(const std::string& path);
  ~RegistryFixture();
  RegistryFixture(const RegistryFixture&) = delete;
  RegistryFixture& operator=(const RegistryFixture&) = delete;

  // False, with what went wrong, when the file could not be read or regedit
  // did not create every key it names.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::vector<std::string> createdKeys_;  // full key paths, topmost first
  std::string error_;
};

// A path of the Linux file system as Wine's Z: drive sees it.
std::string WindowsPath(const std::string& unixPath);

// The Windows path of a file in the source tree's tests/fixtures folder.
std::string FixturePath(const std::string& name);
