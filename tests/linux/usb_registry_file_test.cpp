#include "usb_registry_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sysfs_tree.h"

namespace {

const char kClassKeyOnly[] =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\{36FC9E60-C465-11CF-8056-444553540000}]\r\n"
    "\"Class\"=\"USB\"\r\n"
    "@=\"Universal Serial Bus controllers\"\r\n";

std::string MirrorFile(const std::filesystem::path& root) {
  return UsbRegistryFileText(MirrorUsbHostDevices(ReadUsbHostTopology(root)));
}

TEST(UsbRegistryFileText, NoDeviceGivesTheClassKeyOnly) {
  EXPECT_EQ(UsbRegistryFileText({}), kClassKeyOnly);
  TemporaryFolder emptyTree;
  EXPECT_EQ(MirrorFile(emptyTree.path()), kClassKeyOnly);
  TemporaryFolder noneTree;
  ASSERT_EQ(BuildSysfsTree(SysfsFixture("none.tree"), noneTree.path()), "");
  EXPECT_EQ(MirrorFile(noneTree.path()), kClassKeyOnly);
}

// Each machine's tree gives exactly its committed file; the end-to-end tests
// run the program on those files.
TEST(UsbRegistryFileText, EveryFixtureTreeGivesItsCommittedFile) {
  for (const char* machine :
       {"ehci_uhci", "xhci_only", "none", "flash_webcam", "printer_reader_mouse", "odd_devices"}) {
    SCOPED_TRACE(machine);
    TemporaryFolder root;
    ASSERT_EQ(BuildSysfsTree(SysfsFixture(std::string(machine) + ".tree"), root.path()), "");
    const std::string expected = ReadTextFile(SysfsFixture(std::string(machine) + ".reg"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(MirrorFile(root.path()), expected);
  }
}

TEST(UsbRegistryFileText, OneKeyPerDeviceWithItsValues) {
  const std::vector<MirroredDevice> devices = {{"PCI", "VEN_1&DEV_2", "3&0&0", "Controller \"A\" \\ B"},
                                               {"USB", "ROOT_HUB", "4&0", "Hub"}};
  EXPECT_EQ(UsbRegistryFileText(devices),
            std::string(kClassKeyOnly) +
                "\r\n"
                "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\PCI\\VEN_1&DEV_2\\3&0&0]\r\n"
                "\"ClassGUID\"=\"{36FC9E60-C465-11CF-8056-444553540000}\"\r\n"
                "\"DeviceDesc\"=\"Controller \\\"A\\\" \\\\ B\"\r\n"
                "\"Driver\"=\"{36FC9E60-C465-11CF-8056-444553540000}\\\\0000\"\r\n"
                "\r\n"
                "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\USB\\ROOT_HUB\\4&0]\r\n"
                "\"ClassGUID\"=\"{36FC9E60-C465-11CF-8056-444553540000}\"\r\n"
                "\"DeviceDesc\"=\"Hub\"\r\n"
                "\"Driver\"=\"{36FC9E60-C465-11CF-8056-444553540000}\\\\0001\"\r\n");
}

TEST(UsbRegistryFileText, DriversNumberedInFileOrder) {
  const std::vector<MirroredDevice> devices(10001, MirroredDevice{"USB", "ROOT_HUB", "4&0", "Hub"});
  const std::string file = UsbRegistryFileText(devices);
  const char* const numbers[] = {"0000", "0001", "0009", "0010", "0999", "1000", "9999", "10000"};
  for (const char* number : numbers) {
    SCOPED_TRACE(number);
    EXPECT_NE(file.find(std::string("-444553540000}\\\\") + number + "\"\r\n"), std::string::npos);
  }
}

TEST(UsbRegistryFileText, EveryLineEndsWithCrLf) {
  TemporaryFolder root;
  ASSERT_EQ(BuildSysfsTree(SysfsFixture("xhci_only.tree"), root.path()), "");
  const std::string file = MirrorFile(root.path());
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file.substr(file.size() - 2), "\r\n");
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\n') {
      EXPECT_TRUE(i > 0 && file[i - 1] == '\r') << "bare LF at " << i;
    }
    if (file[i] == '\r') {
      EXPECT_TRUE(i + 1 < file.size() && file[i + 1] == '\n') << "bare CR at " << i;
    }
  }
}

}  // namespace
