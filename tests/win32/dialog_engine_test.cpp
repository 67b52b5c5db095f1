// The dialog engine against the real dialog manager: what a handler sees and
// in what order, the default close handling, and the message results. Each
// scenario drives itself from inside the modal run, through messages posted
// before the run starts, and ends the window so that the run returns.
#include "dialog_engine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "main_window.h"

namespace {

// Scenario steps, posted to the window before the run.
constexpr UINT kEnd = WM_APP + 1;          // the handler ends the window
constexpr UINT kStep = WM_APP + 2;         // the handler does the scenario's work
constexpr UINT kAnswerSeven = WM_APP + 3;  // the handler answers 7
constexpr UINT kAnswerOwn = WM_APP + 4;    // the handler stores 9 itself and answers 1
constexpr UINT kAnswerNone = WM_APP + 5;   // the handler answers 0

struct Event {
  uint32_t Message;
  WPARAM WParam;
  LPARAM LParam;
  bool Visible;
};

// A message the platform sent to a window of the thread, before the engine
// had any say (seen by a WH_CALLWNDPROC hook).
struct SentMessage {
  HWND Window;
  UINT Message;
  WPARAM WParam;
};

// The run under test; one at a time.
struct ModalRun {
  HWND Window = nullptr;
  std::vector<Event> Events;
  std::vector<SentMessage> Sent;
  std::function<uint32_t(HWND, const Event&)> Answer;
};
ModalRun* current = nullptr;

uint32_t RecordingHandler(HWND window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  const Event event{message, wParam, lParam, IsWindowVisible(window) != FALSE};
  current->Events.push_back(event);
  if (message == kEnd) {
    EndMainWindow(window, 0);
    return 0;
  }
  return current->Answer ? current->Answer(window, event) : 0;
}

LRESULT CALLBACK RecordSent(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && current != nullptr) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    current->Sent.push_back({sent->hwnd, sent->message, sent->wParam});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A scenario that does not end its window would never return: give up
// after a while, from inside the run.
HWND runningWindow = nullptr;

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  ADD_FAILURE() << "the scenario did not end the window";
  DestroyWindow(runningWindow);
}

void RunModalOrGiveUp(HWND window, MainWindowEventHandler handler) {
  runningWindow = window;
  const UINT_PTR timer = SetTimer(nullptr, 0, 10000, GiveUp);
  RunModal(window, handler);
  KillTimer(nullptr, timer);
  runningWindow = nullptr;
}

class DialogEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    current = &run_;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, RecordSent, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook_, nullptr);
    run_.Window = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(run_.Window, nullptr);
    list_ = GetDlgItem(run_.Window, kReportListId);
    ASSERT_NE(list_, nullptr);
  }

  void TearDown() override {
    if (IsWindow(run_.Window)) DestroyWindow(run_.Window);
    UnhookWindowsHookEx(hook_);
    current = nullptr;
  }

  void RunModally() { RunModalOrGiveUp(run_.Window, RecordingHandler); }

  HWND window() const { return run_.Window; }
  const std::vector<Event>& events() const { return run_.Events; }

  // Where the handler first saw `message` (from `from` on), or events().size().
  size_t IndexOf(uint32_t message, size_t from = 0) const {
    for (size_t k = from; k < run_.Events.size(); ++k) {
      if (run_.Events[k].Message == message) return k;
    }
    return run_.Events.size();
  }

  long CountOf(uint32_t message) const {
    return std::count_if(run_.Events.begin(), run_.Events.end(),
                         [message](const Event& e) { return e.Message == message; });
  }

  bool PlatformSent(UINT message, WPARAM wParam) const {
    return std::any_of(run_.Sent.begin(), run_.Sent.end(), [&](const SentMessage& m) {
      return m.Window == run_.Window && m.Message == message && m.WParam == wParam;
    });
  }

  bool PlatformSent(UINT message) const {
    return std::any_of(run_.Sent.begin(), run_.Sent.end(),
                       [&](const SentMessage& m) { return m.Window == run_.Window && m.Message == message; });
  }

  ModalRun run_;
  HWND list_ = nullptr;
  HHOOK hook_ = nullptr;
};

TEST_F(DialogEngineTest, InitialisationAndFirstSizeComeFirstWhileHidden) {
  RECT client;
  ASSERT_TRUE(GetClientRect(window(), &client));
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  ASSERT_GE(events().size(), 3u);
  EXPECT_EQ(events()[0].Message, static_cast<uint32_t>(WM_INITDIALOG));
  EXPECT_EQ(events()[0].WParam, reinterpret_cast<WPARAM>(window()));
  EXPECT_EQ(events()[0].LParam, 0);
  EXPECT_FALSE(events()[0].Visible);

  EXPECT_EQ(events()[1].Message, static_cast<uint32_t>(WM_SIZE));
  EXPECT_EQ(events()[1].WParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(events()[1].LParam, MAKELPARAM(client.right, client.bottom));
  EXPECT_EQ(events()[1].LParam, MAKELPARAM(525, 488));
  EXPECT_FALSE(events()[1].Visible);

  EXPECT_EQ(CountOf(WM_INITDIALOG), 1) << "only the engine's own initialisation event";
  const size_t end = IndexOf(kEnd);
  ASSERT_LT(end, events().size());
  EXPECT_TRUE(events()[end].Visible) << "shown once the two direct events are done";
  EXPECT_FALSE(IsWindow(window()));
}

TEST_F(DialogEngineTest, CreationMessagesAndActivationNeverReachTheHandler) {
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  // The platform did send them; the handler saw none.
  EXPECT_TRUE(PlatformSent(WM_ACTIVATE));
  EXPECT_EQ(CountOf(WM_ACTIVATE), 0);
  EXPECT_EQ(CountOf(WM_MEASUREITEM), 0);
  EXPECT_EQ(CountOf(WM_SETFONT), 0);
  EXPECT_EQ(CountOf(WM_INITDIALOG), 1);
}

TEST(DialogEngine, CreationTimeMessagesGoToThePlatformOnly) {
  // The list's measure request and the dialog manager's own initialisation
  // are sent while the window is made, before any handler exists.
  ModalRun run;
  current = &run;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, RecordSent, nullptr, GetCurrentThreadId());
  HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
  UnhookWindowsHookEx(hook);
  current = nullptr;
  ASSERT_NE(window, nullptr);
  const auto sent = [&](UINT message) {
    return std::any_of(run.Sent.begin(), run.Sent.end(),
                       [&](const SentMessage& m) { return m.Window == window && m.Message == message; });
  };
  EXPECT_TRUE(sent(WM_INITDIALOG));
  EXPECT_TRUE(sent(WM_MEASUREITEM));
  DestroyWindow(window);
}

TEST_F(DialogEngineTest, EndingDuringInitialisationShowsNothing) {
  const HICON big = reinterpret_cast<HICON>(SendMessageA(window(), WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(big, nullptr);
  run_.Answer = [](HWND window, const Event& event) -> uint32_t {
    if (event.Message == WM_INITDIALOG) EndMainWindow(window, 0);
    return 0;
  };
  RunModally();

  ASSERT_EQ(events().size(), 2u) << "the initialisation and the size event, nothing else";
  EXPECT_EQ(events()[0].Message, static_cast<uint32_t>(WM_INITDIALOG));
  EXPECT_EQ(events()[1].Message, static_cast<uint32_t>(WM_SIZE));
  EXPECT_EQ(events()[1].WParam, 0u);
  EXPECT_EQ(events()[1].LParam, 0);
  EXPECT_FALSE(events()[1].Visible);
  EXPECT_FALSE(IsWindow(window()));

  // The window did get closed and destroyed, only the handler was not told.
  EXPECT_TRUE(PlatformSent(WM_CLOSE));
  EXPECT_TRUE(PlatformSent(WM_NCDESTROY));
  EXPECT_FALSE(PlatformSent(WM_SHOWWINDOW, TRUE)) << "the window was shown";
  ICONINFO info;
  EXPECT_FALSE(GetIconInfo(big, &info)) << "the icon outlived the window";
}

TEST(DialogEngine, NullWindowStillGetsItsTwoDirectEvents) {
  ModalRun run;
  current = &run;
  RunModal(nullptr, RecordingHandler);
  current = nullptr;

  ASSERT_EQ(run.Events.size(), 2u);
  EXPECT_EQ(run.Events[0].Message, static_cast<uint32_t>(WM_INITDIALOG));
  EXPECT_EQ(run.Events[0].WParam, 0u);
  EXPECT_EQ(run.Events[0].LParam, 0);
  EXPECT_EQ(run.Events[1].Message, static_cast<uint32_t>(WM_SIZE));
  EXPECT_EQ(run.Events[1].WParam, 0u);
  EXPECT_EQ(run.Events[1].LParam, 0);
}

TEST(DialogEngine, NullHandlerHandlesNothing) {
  HWND window = CreateMainWindow(GetModuleHandleA(nullptr));
  ASSERT_NE(window, nullptr);
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  RunModalOrGiveUp(window, nullptr);
  EXPECT_FALSE(IsWindow(window));
}

struct CloseCase {
  const char* Name;
  UINT Message;
  WPARAM WParam;
  LPARAM LParam;
  bool ToList;
};

// The close box and the system menu's Close send SC_CLOSE; Alt+F4 turns into it.
const CloseCase kCloseCases[] = {
    {"close box", WM_SYSCOMMAND, SC_CLOSE, 0, false},
    {"Alt+F4 on the list", WM_SYSKEYDOWN, VK_F4, 0x20000001, true},
};

TEST_F(DialogEngineTest, CloseCommandLeftUnhandledEndsTheWindow) {
  for (const CloseCase& c : kCloseCases) {
    SCOPED_TRACE(c.Name);
    if (!IsWindow(window())) {
      run_ = ModalRun{};
      run_.Window = CreateMainWindow(GetModuleHandleA(nullptr));
      list_ = GetDlgItem(run_.Window, kReportListId);
    }
    PostMessageA(c.ToList ? list_ : window(), c.Message, c.WParam, c.LParam);
    RunModally();

    const size_t command = IndexOf(WM_SYSCOMMAND);
    ASSERT_LT(command, events().size());
    EXPECT_EQ(LOWORD(events()[command].WParam), SC_CLOSE);
    const size_t close = IndexOf(WM_CLOSE);
    const size_t destroy = IndexOf(WM_DESTROY);
    const size_t ncDestroy = IndexOf(WM_NCDESTROY);
    EXPECT_LT(command, close);
    EXPECT_LT(close, destroy);
    EXPECT_LT(destroy, ncDestroy);
    EXPECT_EQ(ncDestroy, events().size() - 1) << "WM_NCDESTROY is the last event";
    EXPECT_EQ(CountOf(WM_CLOSE), 1);
    EXPECT_EQ(CountOf(WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(window()));
  }
}

TEST_F(DialogEngineTest, CloseCommandHandledKeepsTheWindowOpen) {
  bool openAtEnd = false;
  run_.Answer = [&openAtEnd](HWND window, const Event& event) -> uint32_t {
    if (event.Message == WM_SYSCOMMAND && LOWORD(event.WParam) == SC_CLOSE) return 1;
    if (event.Message == kStep) openAtEnd = IsWindow(window) && IsWindowVisible(window);
    return 0;
  };
  PostMessageA(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(window(), kStep, 0, 0);
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  EXPECT_LT(IndexOf(WM_SYSCOMMAND), IndexOf(kStep));
  EXPECT_TRUE(openAtEnd);
  EXPECT_GT(IndexOf(WM_CLOSE), IndexOf(kEnd)) << "closed only by the scenario's own end";
}

TEST_F(DialogEngineTest, EscapeAndEnterReachTheHandlerAsCommandsAndCloseNothing) {
  bool openAtStep = false;
  run_.Answer = [&openAtStep](HWND window, const Event& event) -> uint32_t {
    if (event.Message == kStep) openAtStep = IsWindow(window) && IsWindowVisible(window);
    return 0;
  };
  PostMessageA(list_, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(list_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(window(), kStep, 0, 0);
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  // The commands that came while the window was open. (The list's own focus
  // notifications come as command 101.)
  std::vector<uint32_t> commands;
  for (size_t k = 0; k < IndexOf(kStep); ++k) {
    const Event& event = events()[k];
    if (event.Message == WM_COMMAND && LOWORD(event.WParam) != kReportListId) commands.push_back(LOWORD(event.WParam));
  }
  EXPECT_EQ(commands, (std::vector<uint32_t>{IDCANCEL, IDOK}));
  EXPECT_TRUE(openAtStep);
  EXPECT_GT(IndexOf(WM_CLOSE), IndexOf(kEnd));
  EXPECT_GT(IndexOf(WM_DESTROY), IndexOf(kEnd));
}

struct QuitCase {
  const char* Name;
  void (*Post)();
};

TEST_F(DialogEngineTest, QuitMessageDoesNotEndTheRun) {
  const QuitCase cases[] = {
      {"PostQuitMessage", [] { PostQuitMessage(0); }},
      {"WM_QUIT posted to the thread", [] { PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0); }},
  };
  for (const QuitCase& c : cases) {
    SCOPED_TRACE(c.Name);
    if (!IsWindow(window())) {
      run_ = ModalRun{};
      run_.Window = CreateMainWindow(GetModuleHandleA(nullptr));
    }
    // The timer comes only once the queue has nothing else, the quit included.
    bool quitPending = true;
    run_.Answer = [&quitPending](HWND window, const Event& event) -> uint32_t {
      if (event.Message == WM_TIMER && event.WParam == 7) {
        KillTimer(window, 7);
        MSG message;
        quitPending = PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
        EndMainWindow(window, 0);
      }
      return 0;
    };
    c.Post();
    SetTimer(window(), 7, 50, nullptr);
    RunModally();

    EXPECT_LT(IndexOf(WM_TIMER), events().size()) << "the run ended before the timer";
    EXPECT_FALSE(quitPending) << "the run never took the quit message";
    EXPECT_FALSE(IsWindow(window()));
  }
}

TEST_F(DialogEngineTest, ParametersReachTheHandlerWhole) {
  // An address and values with every bit of the platform's width in use.
  const int local = 0;
  const WPARAM address = reinterpret_cast<WPARAM>(&local);
  const LPARAM allBitsButOne = ~LPARAM{1};
  PostMessageA(window(), kStep, address, allBitsButOne);
  PostMessageA(window(), kStep, ~WPARAM{0}, reinterpret_cast<LPARAM>(&local));
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  const size_t first = IndexOf(kStep);
  const size_t second = IndexOf(kStep, first + 1);
  ASSERT_LT(second, events().size());
  EXPECT_EQ(events()[first].WParam, address);
  EXPECT_EQ(events()[first].LParam, allBitsButOne);
  EXPECT_EQ(events()[second].WParam, ~WPARAM{0});
  EXPECT_EQ(events()[second].LParam, reinterpret_cast<LPARAM>(&local));
}

TEST_F(DialogEngineTest, HandlerResultBecomesTheMessageResult) {
  LRESULT seven = 0, own = 0, none = -1;
  run_.Answer = [&](HWND window, const Event& event) -> uint32_t {
    switch (event.Message) {
      case kStep:
        seven = SendMessageA(window, kAnswerSeven, 0, 0);
        own = SendMessageA(window, kAnswerOwn, 0, 0);
        none = SendMessageA(window, kAnswerNone, 0, 0);
        return 0;
      case kAnswerSeven:
        return 7;
      case kAnswerOwn:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 9);
        return 1;
      default:
        return 0;
    }
  };
  PostMessageA(window(), kStep, 0, 0);
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  EXPECT_EQ(seven, 7);
  EXPECT_EQ(own, 9) << "a result the handler stored itself stays";
  EXPECT_EQ(none, 0);
}

TEST_F(DialogEngineTest, IconsLiveUntilTheHandlerHasSeenTheEnd) {
  const HICON big = reinterpret_cast<HICON>(SendMessageA(window(), WM_GETICON, ICON_BIG, 0));
  const HICON small = reinterpret_cast<HICON>(SendMessageA(window(), WM_GETICON, ICON_SMALL, 0));
  ASSERT_NE(big, nullptr);
  ASSERT_NE(small, nullptr);
  bool aliveAtNcDestroy = false;
  run_.Answer = [&](HWND, const Event& event) -> uint32_t {
    if (event.Message == WM_NCDESTROY) {
      ICONINFO info;
      aliveAtNcDestroy = GetIconInfo(big, &info) != FALSE;
      if (aliveAtNcDestroy) {
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
      }
    }
    return 0;
  };
  PostMessageA(window(), kEnd, 0, 0);
  RunModally();

  EXPECT_TRUE(aliveAtNcDestroy);
  ICONINFO info;
  EXPECT_FALSE(GetIconInfo(big, &info));
  EXPECT_FALSE(GetIconInfo(small, &info));
}

}  // namespace
