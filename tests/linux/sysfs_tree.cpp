#include "sysfs_tree.h"

#include <stdlib.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder() {
  std::string name = (fs::temp_directory_path() / "usb-host-mirror-test.XXXXXX").string();
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  path_ = name;
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

OpenWatch::OpenWatch(const fs::path& path) : inotify_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (inotify_.get() < 0 || inotify_add_watch(inotify_.get(), path.c_str(), IN_OPEN) < 0)
    throw std::runtime_error("cannot watch " + path.string());
}

bool OpenWatch::SawOpen() const {
  alignas(inotify_event) char events[4096];
  return read(inotify_.get(), events, sizeof events) > 0;
}

fs::path SysfsFixture(const std::string& name) { return fs::path(PORTGAUGE_SYSFS_FIXTURE_DIR) / name; }

void WriteTextFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

std::string ReadTextFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a quoted text: "...", with the escapes of the header.
bool Unquote(const std::string& quoted, std::string* text) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  text->clear();
  for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
    char c = quoted[i];
    if (c == '"') return false;
    if (c == '\\') {
      if (i + 2 >= quoted.size()) return false;
      const char e = quoted[++i];
      if (e == 'n')
        c = '\n';
      else if (e == 'r')
        c = '\r';
      else if (e == 't')
        c = '\t';
      else if (e == '\\' || e == '"')
        c = e;
      else if (e == 'x' && i + 3 < quoted.size() && HexValue(quoted[i + 1]) >= 0 && HexValue(quoted[i + 2]) >= 0) {
        c = static_cast<char>(HexValue(quoted[i + 1]) * 16 + HexValue(quoted[i + 2]));
        i += 2;
      } else {
        return false;
      }
    }
    text->push_back(c);
  }
  return true;
}

// A relative path that stays inside the tree.
bool IsInsideTree(const std::string& path) {
  const fs::path p(path);
  if (path.empty() || p.is_absolute()) return false;
  for (const fs::path& part : p) {
    if (part == "..") return false;
  }
  return true;
}

// Makes one entry; "" or what is wrong with it.
std::string BuildEntry(const std::string& line, const fs::path& folder) {
  std::size_t at;
  if ((at = line.find(" = ")) != std::string::npos) {
    std::string text;
    if (!IsInsideTree(line.substr(0, at)) || !Unquote(line.substr(at + 3), &text)) return "bad file entry";
    WriteTextFile(folder / line.substr(0, at), text);
    return ReadTextFile(folder / line.substr(0, at)) == text ? "" : "file not written";
  }
  if ((at = line.find(" -> ")) != std::string::npos) {
    if (!IsInsideTree(line.substr(0, at))) return "bad link entry";
    const fs::path link = folder / line.substr(0, at);
    std::error_code error;
    fs::create_directories(link.parent_path(), error);
    fs::create_symlink(line.substr(at + 4), link, error);
    return error ? error.message() : "";
  }
  if (line.back() == '/') {
    if (!IsInsideTree(line)) return "bad folder entry";
    std::error_code error;
    fs::create_directories(folder / line, error);
    return error ? error.message() : "";
  }
  return "not an entry";
}

}  // namespace

std::string BuildSysfsTree(const fs::path& description, const fs::path& folder) {
  std::ifstream file(description);
  if (!file) return "cannot read " + description.string();
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const std::string problem = BuildEntry(line, folder);
    if (!problem.empty()) return description.filename().string() + ":" + std::to_string(number) + ": " + problem;
  }
  return "";
}
