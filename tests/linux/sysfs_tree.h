#pragma once
// Device trees for the tests, built in a temporary folder: from a tree
// description (tests/fixtures/sysfs/*.tree) or file by file.
//
// The descriptions stand in for checked-in trees because the kernel's names
// hold ":", which other systems cannot check out. One entry a line:
//   path = "text"     a file with exactly these bytes (\n \r \t \\ \" \xHH)
//   path -> target    a symbolic link
//   path/             a folder
// Folders on the way are made as needed; "#" starts a comment line.

#include <filesystem>
#include <string>

#include "file_descriptor.h"

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes (links are removed, never followed).
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Tells whether anything opened the file (or a file in the folder) since
// the watch began: proof that a read that must not happen did not.
class OpenWatch {
 public:
  explicit OpenWatch(const std::filesystem::path& path);
  bool SawOpen() const;

 private:
  FileDescriptor inotify_;
};

// The path of a file in tests/fixtures/sysfs.
std::filesystem::path SysfsFixture(const std::string& name);

// Builds the tree that the description file describes inside `folder`.
// Returns what went wrong, or "" when the tree is complete.
std::string BuildSysfsTree(const std::filesystem::path& description, const std::filesystem::path& folder);

// Writes `text` to `path`, making the folders on the way.
void WriteTextFile(const std::filesystem::path& path, const std::string& text);

// The whole file, or "" when it cannot be read.
std::string ReadTextFile(const std::filesystem::path& path);
