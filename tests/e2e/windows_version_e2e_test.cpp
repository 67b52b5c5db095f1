// The version of Windows the prefix reports, when the test run asks for one
// (PORTGAUGE_WINDOWS_VERSION=win2k, winxp, winxp64, win7 or win10): proof that the
// e2e cases around it ran against that version. Inside the test command's
// version matrix (PORTGAUGE_VERSION_MATRIX set) a version must be asked for.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

TEST(WindowsVersion, PrefixReportsTheVersionUnderTest) {
  const char* asked = std::getenv("PORTGAUGE_WINDOWS_VERSION");
  if (!asked || !*asked) {
    ASSERT_EQ(std::getenv("PORTGAUGE_VERSION_MATRIX"), nullptr) << "the version matrix asked for no version";
    GTEST_SKIP() << "no Windows version asked for";
  }
  struct Version {
    const char* Name;
    DWORD Major, Minor;
  };
  const Version versions[] = {{"win2k", 5, 0}, {"winxp", 5, 1}, {"winxp64", 5, 2}, {"win7", 6, 1}, {"win10", 10, 0}};
  const Version* expected = nullptr;
  for (const Version& v : versions)
    if (std::string(asked) == v.Name) expected = &v;
  ASSERT_NE(expected, nullptr) << "unknown version " << asked;

  // RtlGetVersion: the version itself, not what a program without a
  // manifest is told.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_EQ(rtlGetVersion(&info), 0);
  EXPECT_EQ(info.dwMajorVersion, expected->Major);
  EXPECT_EQ(info.dwMinorVersion, expected->Minor);
}

}  // namespace
