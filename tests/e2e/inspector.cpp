#include "inspector.h"

#include <cstring>

RunningProgram::RunningProgram(const std::string& path, const std::string& commandTail, int showCommand) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (showCommand >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
  }
  std::string commandLine = "\"" + path + "\"";
  if (!commandTail.empty()) commandLine += " " + commandTail;
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process_)) {
    process_ = PROCESS_INFORMATION{};
  }
}

RunningProgram::~RunningProgram() {
  if (!process_.hProcess) return;
  if (!HasExited()) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool RunningProgram::HasExited() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
}

bool RunningProgram::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_.hProcess, exitCode) != FALSE;
}

namespace {

struct WindowSearch {
  DWORD processId;
  const char* className;
  const char* caption;
  bool mustBeVisible;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search.processId && owner != search.processId) return TRUE;
  if (search.className && WindowClass(window) != search.className) return TRUE;
  if (search.caption && WindowText(window) != search.caption) return TRUE;
  if (search.mustBeVisible && !IsWindowVisible(window)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool mustBeVisible) {
  WindowSearch search{processId, className, caption, mustBeVisible, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* caption, DWORD timeoutMs, bool mustBeVisible) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(processId, className, caption, mustBeVisible)) != nullptr; },
            timeoutMs);
  return found;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  const int length = GetWindowTextA(window, text, sizeof text);
  return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string WindowClass(HWND window) {
  char name[256] = "";
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
}

void AnswerMessageBox(HWND box, int buttonId) { PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(buttonId), 0); }

int ListRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }

std::vector<std::string> ListRows(HWND list) { return ListRows(list, 0, ListRowCount(list)); }

std::vector<std::string> ListRows(HWND list, int first, int count) {
  std::vector<std::string> rows;
  for (int i = first; i < first + count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&wide[0]));
    wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::string row(wide.size() * 2 + 1, '\0');
    const int bytes = wide.empty() ? 0
                                   : WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &row[0],
                                                         static_cast<int>(row.size()), nullptr, nullptr);
    row.resize(static_cast<size_t>(bytes));
    rows.push_back(row);
  }
  return rows;
}

std::vector<uintptr_t> ListItemData(HWND list) {
  std::vector<uintptr_t> data;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i)
    data.push_back(static_cast<uintptr_t>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
  return data;
}

int ListItemHeight(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)); }

int ListTopIndex(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)); }

RECT WindowRectangle(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

RECT ClientRectangle(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return r;
}

POINT ClientOrigin(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF pixel = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return pixel;
}

namespace {

// The navigation keys sit on the extended part of the keyboard; without the
// flag their scan codes are the numeric keypad's, which type digits.
bool IsExtendedKey(UINT virtualKey) {
  switch (virtualKey) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
      return true;
    default:
      return false;
  }
}

}  // namespace

void PostKey(HWND window, UINT virtualKey) {
  LPARAM flags = 1 | static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
  if (IsExtendedKey(virtualKey)) flags |= 1 << 24;
  PostMessageA(window, WM_KEYDOWN, virtualKey, flags);
  const LPARAM released = static_cast<LPARAM>(0xC0000000u);  // previous state down, now up
  PostMessageA(window, WM_KEYUP, virtualKey, flags | released);
}

void PostAltKey(HWND window, UINT virtualKey) {
  const LPARAM flags = 1 | static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16 | 1 << 29;  // context: Alt
  PostMessageA(window, WM_SYSKEYDOWN, virtualKey, flags);
  const LPARAM released = static_cast<LPARAM>(0xC0000000u);
  PostMessageA(window, WM_SYSKEYUP, virtualKey, flags | released);
}

void PostClick(HWND window, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, 0, at);
}

void PostSystemCommand(HWND window, WPARAM command) { PostMessageA(window, WM_SYSCOMMAND, command, 0); }

void PostQuitToThread(DWORD threadId) { PostThreadMessageA(threadId, WM_QUIT, 0, 0); }
