// The main window and the report list as the dialog manager makes them from
// their definitions, checked in-process (the window's icons cannot be read
// from another process under Wine).
#include "main_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "unique_handle.h"

namespace {

// Destroys the window a test made, whatever the test's outcome.
using WindowOwner = UniqueHandle<HWND, ReleasedBy<DestroyWindow>>;

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string Text(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// An icon's width and height in pixels, or 0 x 0 when it is not an icon.
SIZE IconSize(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  const LONG height = info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2;
  return SIZE{bitmap.bmWidth, height};
}

// The child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
  RECT rect;
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST(MainWindow, IsCreatedHiddenAndCentredFromItsDefinition) {
  WindowOwner window(CreateMainWindow(GetModuleHandleA(nullptr)));
  ASSERT_NE(window.get(), nullptr);

  EXPECT_EQ(Text(window.get()), "USB Port Driver Information");
  EXPECT_EQ(ClassName(window.get()), "#32770");
  EXPECT_FALSE(IsWindowVisible(window.get()));
  EXPECT_EQ(GetParent(window.get()), nullptr);
  EXPECT_EQ(GetWindow(window.get(), GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(window.get()), nullptr);

  // The template's style 0xCF08D4, plus the sibling clipping every top-level
  // window gets. The template's extended style is 0; the dialog manager adds
  // the modal frame, the raised edge and the control-parent marks.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window.get(), GWL_STYLE)), 0x04CF08D4u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window.get(), GWL_EXSTYLE)),
            static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT));

  // 350 x 300 dialog units of "MS Sans Serif" 8.
  RECT client;
  GetClientRect(window.get(), &client);
  EXPECT_EQ(client.right, 525);
  EXPECT_EQ(client.bottom, 488);

  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame;
  GetWindowRect(window.get(), &frame);
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 1);
}

// What the report list was created with, seen by a CBT hook.
struct ListCreation {
  bool Seen = false;
  HWND Window = nullptr;
  CREATESTRUCTA Create = {};
  std::string ClassName;
  std::string Text;
};
ListCreation* listCreation = nullptr;

LRESULT CALLBACK RecordListCreation(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && listCreation != nullptr) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (create->hwndParent != nullptr && !IS_INTRESOURCE(create->lpszClass)) {
      listCreation->Seen = true;
      listCreation->Window = reinterpret_cast<HWND>(wParam);
      listCreation->Create = *create;
      listCreation->ClassName = create->lpszClass;
      listCreation->Text = create->lpszName != nullptr ? create->lpszName : "(null)";
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The list as it was created (seen by the hook) and as it is afterwards.
TEST(MainWindow, HoldsTheEmptyReportListAsDefined) {
  ListCreation creation;
  listCreation = &creation;
  HHOOK hook = SetWindowsHookExA(WH_CBT, RecordListCreation, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  WindowOwner window(CreateMainWindow(GetModuleHandleA(nullptr)));
  UnhookWindowsHookEx(hook);
  listCreation = nullptr;
  ASSERT_NE(window.get(), nullptr);
  ASSERT_TRUE(creation.Seen);

  const CREATESTRUCTA& create = creation.Create;
  HWND list = GetDlgItem(window.get(), 101);
  EXPECT_EQ(creation.Window, list);
  EXPECT_EQ(creation.ClassName, "LISTBOX");
  EXPECT_EQ(creation.Text, "");
  EXPECT_EQ(static_cast<DWORD>(create.style), kReportListStyle);
  EXPECT_EQ(create.dwExStyle, 0x200u);
  EXPECT_EQ(create.hwndParent, window.get());
  EXPECT_EQ(create.hInstance, GetModuleHandleA(nullptr));
  EXPECT_EQ(create.lpCreateParams, nullptr);
  RECT expected = {5, 5, 345, 105};
  MapDialogRect(window.get(), &expected);
  EXPECT_EQ(create.x, expected.left);
  EXPECT_EQ(create.y, expected.top);
  EXPECT_EQ(create.cx, expected.right - expected.left);
  EXPECT_EQ(create.cy, expected.bottom - expected.top);

  // An empty list hides both scroll bars until rows need them.
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE)), kReportListStyle & ~(WS_VSCROLL | WS_HSCROLL));
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(GetWindow(list, GW_HWNDNEXT), nullptr) << "the list is the window's only control";
  // It keeps its height to whole rows.
  const RECT actual = RectInParent(list);
  EXPECT_LE(actual.bottom, expected.bottom);
  EXPECT_GT(actual.bottom, expected.top);
}

TEST(MainWindow, ListUsesTheWindowsFont) {
  WindowOwner window(CreateMainWindow(GetModuleHandleA(nullptr)));
  ASSERT_NE(window.get(), nullptr);
  HWND list = GetDlgItem(window.get(), kReportListId);
  ASSERT_NE(list, nullptr);

  const HFONT font = reinterpret_cast<HFONT>(SendMessageA(window.get(), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)), font);
  LOGFONTA logFont = {};
  ASSERT_NE(GetObjectA(font, sizeof logFont, &logFont), 0);
  EXPECT_STREQ(logFont.lfFaceName, "MS Sans Serif");
}

TEST(MainWindow, CarriesTheProgramIconBigAndSmall) {
  WindowOwner window(CreateMainWindow(GetModuleHandleA(nullptr)));
  ASSERT_NE(window.get(), nullptr);

  const HICON big = reinterpret_cast<HICON>(SendMessageA(window.get(), WM_GETICON, ICON_BIG, 0));
  const HICON small = reinterpret_cast<HICON>(SendMessageA(window.get(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  EXPECT_NE(big, small);
  EXPECT_EQ(IconSize(big).cx, 32);
  EXPECT_EQ(IconSize(big).cy, 32);
  EXPECT_EQ(IconSize(small).cx, 16);
  EXPECT_EQ(IconSize(small).cy, 16);
}

TEST(MainWindow, IconsGoWithTheWindow) {
  HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  const HICON big = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_BIG, 0));
  const HICON small = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, ICON_SMALL, 0));
  ASSERT_EQ(IconSize(big).cx, 32);
  ASSERT_EQ(IconSize(small).cx, 16);

  DestroyWindow(window);
  EXPECT_EQ(IconSize(big).cx, 0) << "the big icon outlived the window";
  EXPECT_EQ(IconSize(small).cx, 0) << "the small icon outlived the window";
}

TEST(MainWindow, WithoutTheIconResourceRunsWithoutIcons) {
  // A module of the system's own that has no icon group 102.
  const HINSTANCE module =
      GetModuleHandleA("setupapi.dll") != nullptr ? GetModuleHandleA("setupapi.dll") : LoadLibraryA("setupapi.dll");
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(FindResourceA(module, "#102", MAKEINTRESOURCEA(14)), nullptr) << "the module has an icon group 102";

  WindowOwner window(CreateMainWindow(module));
  ASSERT_NE(window.get(), nullptr);
  EXPECT_EQ(SendMessageA(window.get(), WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(SendMessageA(window.get(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(GetDlgItem(window.get(), kReportListId), nullptr);
}

}  // namespace
