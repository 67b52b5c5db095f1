// The program over the device sets the Linux provider writes for its
// fixture machines (tests/fixtures/sysfs/*.reg, each checked against the
// provider's output by the host tests): an EHCI machine has USB 2.0, an
// xHCI-only machine reports the older port, a machine without controllers
// lists nothing.
#include <gtest/gtest.h>

#include "program_run.h"

namespace {

struct MirrorCase {
  const char* Fixture;
  const char* Caption;
  std::vector<std::string> Descriptions;  // in the order the report lists them
};

TEST(LinuxMirror, ProgramReportsExactlyTheMirroredDevices) {
  const std::vector<MirrorCase> cases = {
      {"sysfs/ehci_uhci.reg",
       kUsb20Caption,
       {"Standard Universal PCI to USB Host Controller", "Standard Enhanced PCI to USB Host Controller", "USB Root Hub",
        "USB Root Hub", "Generic USB Hub"}},
      {"sysfs/xhci_only.reg",
       kUsb11Caption,
       {"USB xHCI Compliant Host Controller", "USB Root Hub (USB 3.0)", "Generic USB Hub",
        "Generic SuperSpeed USB Hub"}},
      {"sysfs/none.reg", kUsb11Caption, {}},
  };
  for (const MirrorCase& c : cases) {
    SCOPED_TRACE(c.Fixture);
    ProgramRun run(FixturePath(c.Fixture));
    ASSERT_TRUE(run.devices().ok()) << run.devices().error();
    HWND prompt = run.Prompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WindowText(prompt), c.Caption);
    HWND main = run.AnswerYes();
    ASSERT_NE(main, nullptr);
    const std::vector<std::string> rows = ListRows(GetDlgItem(main, kReportListId));
    const size_t count = c.Descriptions.size();
    ASSERT_EQ(rows.size(), 2 + 7 * count);
    EXPECT_EQ(rows[0], Row("USB DeviceCount: ", std::to_string(count)));
    for (size_t k = 0; k < count; ++k) {
      EXPECT_EQ(rows[2 + 7 * k + 3], Row("Description: ", c.Descriptions[k])) << "device " << k + 1;
      // The provider knows no friendly or port name for controllers and hubs.
      EXPECT_EQ(rows[2 + 7 * k + 2], Row("FriendlyName: ", "None"));
      EXPECT_EQ(rows[2 + 7 * k + 5], Row("PortName: ", "None"));
    }
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(run.ExitCode(), 0);
  }
}

}  // namespace
