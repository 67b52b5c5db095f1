// Time from process start to a visible message box, over a twelve-device
// set, for PortGauge.exe, for the minimal prompt (only a message box) and
// for the floor prompt (the job's platform calls, then the box), measured in
// turn in one run. Prints every round and the median ratios of PortGauge to
// each of the two.
//
//   prompt_startup_benchmark PORTGAUGE.EXE MINIMAL.EXE FLOOR.EXE FIXTURE.REG [ROUNDS]
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
  if (argc < 5) {
    std::fprintf(stderr, "usage: prompt_startup_benchmark PORTGAUGE.EXE MINIMAL.EXE FLOOR.EXE FIXTURE.REG [ROUNDS]\n");
    return 2;
  }
  const char* const programs[] = {argv[1], argv[2], argv[3]};
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 15;
  RegistryFixture devices(argv[4]);
  if (!devices.ok()) {
    std::fprintf(stderr, "%s\n", devices.error().c_str());
    return 1;
  }
  // One unmeasured run each, so all start from a warm cache.
  for (const char* program : programs) SecondsToPrompt(program);

  std::vector<double> seconds[3], toMinimal, toFloor;
  std::printf("round  PortGauge ms  minimal ms  floor ms  /minimal  /floor\n");
  for (int i = 0; i < rounds; ++i) {
    double round[3];
    for (int k = 0; k < 3; ++k) {
      round[k] = SecondsToPrompt(programs[k]);
      if (round[k] <= 0) {
        std::fprintf(stderr, "round %d: no prompt seen from %s\n", i + 1, programs[k]);
        return 1;
      }
      seconds[k].push_back(round[k]);
    }
    toMinimal.push_back(round[0] / round[1]);
    toFloor.push_back(round[0] / round[2]);
    std::printf("%5d  %12.1f  %10.1f  %8.1f  %8.3f  %6.3f\n", i + 1, round[0] * 1000, round[1] * 1000, round[2] * 1000,
                toMinimal.back(), toFloor.back());
  }
  std::printf("median %12.1f  %10.1f  %8.1f  %8.3f  %6.3f\n", Median(seconds[0]) * 1000, Median(seconds[1]) * 1000,
              Median(seconds[2]) * 1000, Median(toMinimal), Median(toFloor));
  return 0;
}
