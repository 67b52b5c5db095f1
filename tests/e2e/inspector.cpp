#include "inspector.h"

#include <cstring>
#include <vector>

RunningProgram::RunningProgram(const std::string& path, const std::string& commandTail, int showCommand,
                               HANDLE output) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (showCommand >= 0) {
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
  }
  if (output) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
  }
  std::string commandLine = "\"" + path + "\"";
  if (!commandTail.empty()) commandLine += " " + commandTail;
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, output != nullptr, output ? DETACHED_PROCESS : 0,
                      nullptr, nullptr, &startup, &process_)) {
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
  DWORD ProcessId;
  const char* ClassName;
  const char* Caption;
  bool MustBeVisible;
  HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search.ProcessId && owner != search.ProcessId) return TRUE;
  if (search.ClassName && WindowClass(window) != search.ClassName) return TRUE;
  if (search.Caption && WindowText(window) != search.Caption) return TRUE;
  if (search.MustBeVisible && !IsWindowVisible(window)) return TRUE;
  search.Found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption, bool mustBeVisible) {
  WindowSearch search{processId, className, caption, mustBeVisible, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
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

// The pixels of a screen rectangle, top row first, 32 bits each.
std::vector<DWORD> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  std::vector<DWORD> pixels;
  if (width <= 0 || height <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  if (!GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS)) pixels.clear();
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool HasTwoColours(const std::vector<DWORD>& pixels) {
  for (const DWORD pixel : pixels)
    if (pixel != pixels.front()) return true;
  return false;
}

}  // namespace

bool WaitForPaintedWindow(HWND window, HWND list, DWORD timeoutMs) {
  std::vector<DWORD> last;
  return WaitUntil(
      [&] {
        if (!IsWindowVisible(window)) return false;
        RECT listArea = ClientRectangle(list);
        const POINT origin = ClientOrigin(list);
        OffsetRect(&listArea, origin.x, origin.y);
        if (!HasTwoColours(ScreenPixels(listArea))) return false;
        std::vector<DWORD> now = ScreenPixels(WindowRectangle(window));
        const bool settled = !now.empty() && now == last;
        last = std::move(now);
        return settled;
      },
      timeoutMs, 50);
}

bool WaitForPostedMessagesTaken(HWND list, DWORD timeoutMs) {
  // Sent at once, ahead of anything posted; the posted selection comes after
  // all that was posted before it.
  const WPARAM lastRow = static_cast<WPARAM>(ListRowCount(list) - 1);
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  PostMessageW(list, LB_SETCURSEL, lastRow, 0);
  if (!WaitUntil([&] { return static_cast<WPARAM>(SendMessageW(list, LB_GETCURSEL, 0, 0)) == lastRow; }, timeoutMs))
    return false;
  // A quit message is taken once nothing else is posted: in the same look at
  // the queue that answers the first of these, and the second finds the loop
  // still running.
  DWORD_PTR answer = 0;
  for (int round = 0; round < 2; ++round) {
    if (!SendMessageTimeoutW(list, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer)) return false;
  }
  return true;
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
