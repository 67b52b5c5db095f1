// The real PortGauge.exe, started as a process of its own in the test's Wine
// prefix and driven from outside, as a user would: the window appears shown
// and centred whatever the start-up show command and arguments, and closing
// it ends the process with exit code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr char kTitle[] = "USB Port Driver Information";
constexpr DWORD kPatience = 15000;  // milliseconds

// The program, started with a command tail and optionally a show command;
// ended by force only if a test leaves it running.
class Program {
 public:
  Program(const std::string& tail, bool withShowCommand, WORD showCommand) {
    std::string commandLine = std::string("\"") + PORTGAUGE_EXE + "\"";
    if (!tail.empty()) commandLine += " " + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (withShowCommand) {
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = showCommand;
    }
    started_ = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool started() const { return started_; }

  // The program's main window once it is visible, or null.
  HWND WaitForWindow() const {
    for (DWORD waited = 0; waited < kPatience; waited += 20) {
      HWND window = FindWindowA("#32770", kTitle);
      DWORD owner = 0;
      if (window != nullptr) GetWindowThreadProcessId(window, &owner);
      if (owner == process_.dwProcessId && IsWindowVisible(window)) return window;
      if (WaitForSingleObject(process_.hProcess, 20) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
  }

  // The exit code once the process has ended, or -1.
  long WaitForExit() const {
    if (WaitForSingleObject(process_.hProcess, kPatience) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

struct StartCase {
  const char* name;
  std::string tail;
  bool withShowCommand;
  WORD showCommand;
};

TEST(Shell, ShowsTheWindowCentredAndExitsWithZeroWhenClosed) {
  const StartCase cases[] = {
      {"plain start", "", false, 0},
      {"started minimised", "", true, SW_SHOWMINIMIZED},
      {"started maximised", "", true, SW_SHOWMAXIMIZED},
      {"started hidden", "", true, SW_HIDE},
      {"with arguments", "/x --help \"two words\"", false, 0},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    Program program(c.tail, c.withShowCommand, c.showCommand);
    ASSERT_TRUE(program.started()) << "cannot start " << PORTGAUGE_EXE;
    HWND window = program.WaitForWindow();
    ASSERT_NE(window, nullptr) << "no visible main window";

    // Shown as made: template size, centred, neither minimised nor maximised.
    EXPECT_FALSE(IsIconic(window));
    EXPECT_FALSE(IsZoomed(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 525);
    EXPECT_EQ(client.bottom, 488);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame;
    GetWindowRect(window, &frame);
    EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
    EXPECT_NE(GetDlgItem(window, 101), nullptr) << "no report list";

    // The close box and the system menu's Close send this.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
}

}  // namespace
