// Time from process start to a visible message box, for PortGauge.exe over a
// twelve-device set and for the minimal prompt program, measured alternately
// in one run. Prints every pair and the median ratio.
//
//   prompt_startup_benchmark PORTGAUGE.EXE MINIMAL.EXE FIXTURE.REG [PAIRS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "registry_fixture.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisibleBox(HWND window, LPARAM param) {
  BoxSearch& search = *reinterpret_cast<BoxSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (owner == search.processId && std::string(name) == "#32770" && IsWindowVisible(window) &&
      GetDlgItem(window, IDNO)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// Seconds from CreateProcess to the program's message box being visible;
// answers No and waits for the program to end. Negative on failure.
double SecondsToPrompt(const std::string& exe) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = "\"" + exe + "\"";
  const double start = Now();
  if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  double seconds = -1;
  BoxSearch search{process.dwProcessId, nullptr};
  while (Now() - start < 30) {
    EnumWindows(FindVisibleBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      seconds = Now() - start;
      break;
    }
    Sleep(0);
  }
  if (search.found) PostMessageA(search.found, WM_COMMAND, IDNO, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: prompt_startup_benchmark PORTGAUGE.EXE MINIMAL.EXE FIXTURE.REG [PAIRS]\n");
    return 2;
  }
  const int pairs = argc > 4 ? std::atoi(argv[4]) : 15;
  RegistryFixture devices(argv[3]);
  if (!devices.ok()) {
    std::fprintf(stderr, "%s\n", devices.error().c_str());
    return 1;
  }
  // One unmeasured run each, so both start from a warm cache.
  SecondsToPrompt(argv[1]);
  SecondsToPrompt(argv[2]);

  std::vector<double> program, minimal, ratios;
  std::printf("pair  PortGauge ms  minimal ms  ratio\n");
  for (int i = 0; i < pairs; ++i) {
    const double p = SecondsToPrompt(argv[1]);
    const double m = SecondsToPrompt(argv[2]);
    if (p < 0 || m <= 0) {
      std::fprintf(stderr, "pair %d: no prompt seen\n", i + 1);
      return 1;
    }
    program.push_back(p);
    minimal.push_back(m);
    ratios.push_back(p / m);
    std::printf("%4d  %12.1f  %10.1f  %5.3f\n", i + 1, p * 1000, m * 1000, p / m);
  }
  std::printf("median  %10.1f  %10.1f  %5.3f\n", Median(program) * 1000, Median(minimal) * 1000, Median(ratios));
  return 0;
}
