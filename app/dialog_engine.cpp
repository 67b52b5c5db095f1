#include "dialog_engine.h"

#include <memory>
#include <vector>

#include "unique_handle.h"

static_assert(kDs3dLook == DS_3DLOOK && kDsNoFailCreate == DS_NOFAILCREATE && kDsSetFont == DS_SETFONT &&
                  kDsSysModal == DS_SYSMODAL && kDsCenter == DS_CENTER && kWsVisible == WS_VISIBLE,
              "the template's style bits are the platform's");

namespace {

// An icon loaded for the window, destroyed after it.
using Icon = UniqueHandle<HICON, ReleasedBy<DestroyIcon>>;

// What the engine keeps for one window, from its creation until the handler
// has seen WM_NCDESTROY. Held in the window's DWLP_USER slot.
struct DialogState {
  MainWindowEventHandler Handler = nullptr;  // null until the modal run attaches it
  Icon BigIcon;
  Icon SmallIcon;
  HFONT Font = nullptr;  // made and released by the dialog manager
};

DialogState* StateOf(HWND window) { return reinterpret_cast<DialogState*>(GetWindowLongPtrA(window, DWLP_USER)); }

// Forgets the window and destroys its icons; the window no longer shows them.
void DropState(HWND window) {
  std::unique_ptr<DialogState> state(StateOf(window));
  SetWindowLongPtrA(window, DWLP_USER, 0);
}

// For a handler that was not given: every event is left unhandled.
uint32_t IgnoreEvent(HWND, uint32_t, WPARAM, LPARAM) { return 0; }

// The answer to one message once the handler is attached. The handler may
// end the window, and with it drop the state, before it returns: nothing here
// touches the state after the call.
INT_PTR DeliverEvent(HWND window, MainWindowEventHandler handler, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) <= WA_CLICKACTIVE) return TRUE;

  const uint32_t result = handler(window, message, wParam, lParam);
  if (result != 0) {
    // A value the handler stored itself stays; the platform returns it to the sender.
    if (GetWindowLongPtrA(window, DWLP_MSGRESULT) == 0) {
      SetWindowLongPtrA(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
    }
    return static_cast<INT_PTR>(result);
  }
  // The close box, the system menu's Close and Alt+F4.
  if (message == WM_SYSCOMMAND && LOWORD(wParam) == SC_CLOSE) {
    EndMainWindow(window, 0);
    return TRUE;
  }
  // Everything else, WM_CLOSE and WM_COMMAND included, gets the platform's
  // default dialog handling (default colours for WM_CTLCOLOR* too).
  return FALSE;
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* state = StateOf(window);
  if (state == nullptr) return FALSE;  // still being created

  INT_PTR answer = FALSE;
  if (state->Handler != nullptr) answer = DeliverEvent(window, state->Handler, message, wParam, lParam);
  if (message == WM_NCDESTROY) DropState(window);
  return answer;
}

// The client size as a size event carries it: width low, height high.
LPARAM ClientSizeParameter(HWND window) {
  RECT client{};
  if (!GetClientRect(window, &client)) return 0;
  return MAKELPARAM(client.right - client.left, client.bottom - client.top);
}

}  // namespace

HWND CreateDialogWindow(HINSTANCE instance, const DialogDefinition& definition) {
  const std::vector<uint16_t> words = BuildDialogTemplate(definition);
  HWND window = CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), nullptr,
                                           DialogProcedure, 0);
  if (window == nullptr) return nullptr;

  auto state = std::make_unique<DialogState>();
  state->Font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  // The window owns its state from here on; WM_NCDESTROY deletes it.
  SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(state.release()));
  return window;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks): owned by the window, see above
}

void SetDialogIcon(HWND window, HINSTANCE instance, const char* iconName) {
  DialogState* state = StateOf(window);
  if (state == nullptr) return;

  // Each icon is set before the one it replaces is destroyed.
  Icon big(static_cast<HICON>(LoadImageA(instance, iconName, IMAGE_ICON, 32, 32, 0)));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  state->BigIcon = std::move(big);

  Icon small(static_cast<HICON>(LoadImageA(instance, iconName, IMAGE_ICON, 16, 16, 0)));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  state->SmallIcon = std::move(small);
}

HFONT DialogFont(HWND window) {
  const DialogState* state = StateOf(window);
  return state != nullptr ? state->Font : nullptr;
}

void RunModal(HWND window, MainWindowEventHandler handler) {
  if (handler == nullptr) handler = IgnoreEvent;

  // Both direct calls come while the window is hidden and no handler is
  // attached; their results mean nothing. With a null or already ended
  // window the size reads as 0.
  handler(window, WM_INITDIALOG, reinterpret_cast<WPARAM>(window), 0);
  handler(window, WM_SIZE, SIZE_RESTORED, ClientSizeParameter(window));
  if (!IsWindow(window)) return;

  if (DialogState* state = StateOf(window)) state->Handler = handler;
  ShowWindow(window, SW_SHOW);

  // Polls, never blocks; only the window's destruction ends the run, not a
  // quit message.
  MSG message;
  while (IsWindow(window)) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(1);
      continue;
    }
    if (IsWindow(window) && IsDialogMessageA(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void EndMainWindow(HWND window, uint32_t) {
  SendMessageA(window, WM_CLOSE, 0, 0);
  DestroyWindow(window);
}
