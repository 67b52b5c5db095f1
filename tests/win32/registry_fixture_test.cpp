// The fixture loader itself: what it writes is what the .reg file says, and
// nothing it created outlives the fixture.
#include "registry_fixture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char kScratchKey[] = "Software\\PortGaugeTests\\Scratch";

std::string WriteTempFile(const std::string& content) {
  char dir[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  GetTempFileNameA(dir, "pgf", 0, path);
  FILE* f = std::fopen(path, "wb");
  std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
  return path;
}

bool ReadValue(const char* name, DWORD* type, std::string* bytes) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  char data[512];
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  bytes->assign(data, size);
  return true;
}

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(RegistryFixture, WritesEveryValueKindAndRemovesWhatItCreated) {
  const std::string path = WriteTempFile(
      "REGEDIT4\r\n\r\n; comment\r\n[HKEY_CURRENT_USER\\Software\\PortGaugeTests\\Scratch]\r\n"
      "\"Text\"=\"a \\\"quoted\\\" back\\\\slash\"\r\n"
      "\"Number\"=dword:0000002a\r\n"
      "\"Bytes\"=hex:01,ff,\\\r\n  80\r\n"
      "\"Ansi\"=hex(1):e9,41,00\r\n"
      "@=\"default\"\r\n");
  {
    RegistryFixture fixture(path);
    ASSERT_TRUE(fixture.ok()) << fixture.error();
    DWORD type;
    std::string bytes;
    ASSERT_TRUE(ReadValue("Text", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("a \"quoted\" back\\slash\0", 22));
    ASSERT_TRUE(ReadValue("Number", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(bytes, std::string("\x2a\0\0\0", 4));
    ASSERT_TRUE(ReadValue("Bytes", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(bytes, "\x01\xff\x80");
    ASSERT_TRUE(ReadValue("Ansi", &type, &bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("\xe9"
                                 "A\0",
                                 3));
    ASSERT_TRUE(ReadValue(nullptr, &type, &bytes));
    EXPECT_EQ(bytes, std::string("default\0", 8));
  }
  EXPECT_FALSE(KeyExists("Software\\PortGaugeTests"));
  EXPECT_TRUE(KeyExists("Software"));
  DeleteFileA(path.c_str());
}

TEST(RegistryFixture, ReportsMalformedFiles) {
  const char* bad[] = {"not a registry file\r\n", "REGEDIT4\r\n\"Orphan\"=\"value\"\r\n",
                       "REGEDIT4\r\n[HKEY_NOWHERE\\Key]\r\n",
                       "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\PortGaugeTests\\Scratch]\r\n\"V\"=strange\r\n"};
  for (const char* content : bad) {
    SCOPED_TRACE(content);
    const std::string path = WriteTempFile(content);
    {
      RegistryFixture fixture(path);
      EXPECT_FALSE(fixture.ok());
    }
    EXPECT_FALSE(KeyExists("Software\\PortGaugeTests"));
    DeleteFileA(path.c_str());
  }
  RegistryFixture missing("Z:\\no\\such\\file.reg");
  EXPECT_FALSE(missing.ok());
}

}  // namespace
