#pragma once
// One run of the real PortGauge.exe over one device set, and what the
// end-to-end cases expect to see of it.

#include <windows.h>

#include <string>
#include <vector>

#include "inspector.h"
#include "program_windows.h"
#include "registry_fixture.h"

extern const char kUsb20Text[];
extern const char kUsb11Text[];
extern const char kUsbGuid[];
extern const std::string kSeparator;
constexpr int kRowHeight = 20;

// Imports the device set, then starts the program (with a command tail and
// a start-up show command, if given). Both are undone when the run goes.
class ProgramRun {
 public:
  explicit ProgramRun(const std::string& fixturePath, const std::string& commandTail = "", int showCommand = -1);

  RegistryFixture& devices() { return devices_; }
  RunningProgram& program() { return program_; }

  // The verdict prompt once it is shown, or null.
  HWND Prompt();
  // Answers the prompt Yes; the report window once it is shown and painted,
  // or null.
  HWND AnswerYes();
  // The exit code, or -1 when the program has not ended within a while.
  long ExitCode();

 private:
  RegistryFixture devices_;
  RunningProgram program_;
};

// "label" TAB "value", as the report writes a labelled row.
std::string Row(const char* label, const std::string& value);
// The seven rows of one USB device's block.
std::vector<std::string> DeviceBlock(const std::string& friendlyName, const std::string& description,
                                     const std::string& driver, const std::string& portName);

// The screen position of a row of the list, x pixels from its left edge,
// halfway down the row.
POINT RowPoint(HWND list, int row, int x);
COLORREF RowPixel(HWND list, int row, int x);
// The row's pixel once it shows `expected`, or what it shows after a while.
COLORREF SettledRowPixel(HWND list, int row, int x, COLORREF expected);
// The first x in [from, to) where the row shows anything but `background`, or -1.
int FirstInk(HWND list, int row, int from, int to, COLORREF background);
