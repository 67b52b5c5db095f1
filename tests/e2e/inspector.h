#pragma once
// The inspector: looks at and drives another process's windows from outside,
// the way a user would see and use them. Used by the end-to-end tests and by
// the run command (inspector.exe). Windows only.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// A program started for a test; terminated if it is still running when the
// object goes, so one case never leaves windows behind for the next.
class RunningProgram {
 public:
  // Starts `path` with the command tail, and with the show command given in
  // its start-up information when showCommand is not -1. Given an
  // inheritable `output` handle, the program runs with no console and writes
  // its standard output and error there.
  explicit RunningProgram(const std::string& path, const std::string& commandTail = "", int showCommand = -1,
                          HANDLE output = nullptr);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return process_.hProcess != nullptr; }
  DWORD processId() const { return process_.dwProcessId; }
  DWORD threadId() const { return process_.dwThreadId; }
  bool HasExited() const;
  // True with the exit code once the process has ended within timeoutMs.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);

 private:
  PROCESS_INFORMATION process_{};
};

// Polls until `done` holds, every pollMs for up to timeoutMs; true when it
// held. For what another process does in its own time.
template <typename Condition>
bool WaitUntil(Condition done, DWORD timeoutMs = 5000, DWORD pollMs = 20) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(pollMs);
  }
  return true;
}

// The first top-level window of the process (0: any process) whose class and
// caption match (null: any), and that is visible if it must be; now. Null
// when there is none.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool mustBeVisible = false);

// The same, waiting up to timeoutMs for it. Null when none came.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs,
                   bool mustBeVisible = false);

std::string WindowText(HWND window);
std::string WindowClass(HWND window);

// The message text of a message box (its static control, id 0xFFFF).
std::string MessageBoxText(HWND box);
// Answers a message box as its button would (IDYES, IDNO, ...).
void AnswerMessageBox(HWND box, int buttonId);

// The rows of a list box of another process, as the bytes the program added.
// (Under Wine, LB_GETTEXT sent with SendMessageA across processes returns
// UTF-16; SendMessageW and a conversion back to the ANSI code page do not.)
std::vector<std::string> ListRows(HWND list);
// Rows first .. first + count - 1 only (each row costs a round trip).
std::vector<std::string> ListRows(HWND list, int first, int count);
int ListRowCount(HWND list);
std::vector<uintptr_t> ListItemData(HWND list);
int ListItemHeight(HWND list);
int ListTopIndex(HWND list);

RECT WindowRectangle(HWND window);
RECT ClientRectangle(HWND window);
// The client area's top-left corner in screen coordinates.
POINT ClientOrigin(HWND window);

// One pixel of the screen as it is shown now.
COLORREF ScreenPixel(int x, int y);

// Waits until the window is shown and painted: its list shows more than one
// colour (text on its background) and two looks at the window in a row see
// the same pixels. False when that did not happen within timeoutMs.
bool WaitForPaintedWindow(HWND window, HWND list, DWORD timeoutMs);

// Waits until the thread that owns the list has taken every message posted
// to it so far, a quit message included, and gone round its loop again.
// Moves the list's selection to its last row on the way.
bool WaitForPostedMessagesTaken(HWND list, DWORD timeoutMs);

// Posted input: keys to a window, a mouse click in a window's client area,
// a system command, a quit message to a thread.
void PostKey(HWND window, UINT virtualKey);
// A key pressed with Alt held, as the system keys arrive (Alt+F4).
void PostAltKey(HWND window, UINT virtualKey);
void PostClick(HWND window, int x, int y);
void PostSystemCommand(HWND window, WPARAM command);
void PostQuitToThread(DWORD threadId);
