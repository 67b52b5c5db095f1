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

#include "inspector.h"
#include "program_windows.h"
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

// Seconds from starting the program to its message box being visible;
// answers No and waits for the program to end. Negative on failure.
double SecondsToPrompt(const std::string& exe) {
  const double start = Now();
  RunningProgram program(exe);
  if (!program.started()) return -1;
  // Polled with no more than a yield: a sleep would be counted in the time.
  // The main window, of the same class, stays hidden until the box is answered.
  HWND box = nullptr;
  while ((box = FindProcessWindow(program.processId(), kDialogClass, nullptr, true)) == nullptr) {
    if (Now() - start > 30) return -1;
    Sleep(0);
  }
  const double seconds = Now() - start;
  AnswerMessageBox(box, IDNO);
  DWORD exitCode = 0;
  program.WaitForExit(10000, &exitCode);
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
