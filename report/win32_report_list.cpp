#include "win32_report_list.h"

// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

#include "report_list_control.h"

static_assert(sizeof(Guid) == sizeof(GUID), "Guid matches GUID");
static_assert(sizeof(std::uintptr_t) == sizeof(HICON) && sizeof(int32_t) == sizeof(INT), "icon outputs match");
static_assert(sizeof(std::uintptr_t) == sizeof(WPARAM) && sizeof(std::intptr_t) == sizeof(LPARAM) &&
                  sizeof(std::intptr_t) == sizeof(LRESULT),
              "message parameters match");
static_assert(kLbAddString == LB_ADDSTRING && kLbGetText == LB_GETTEXT && kLbGetTextLen == LB_GETTEXTLEN &&
                  kLbSetHorizontalExtent == LB_SETHORIZONTALEXTENT && kLbGetItemData == LB_GETITEMDATA &&
                  kLbSetItemData == LB_SETITEMDATA && kLbSetItemHeight == LB_SETITEMHEIGHT && kLbErr == LB_ERR,
              "the list messages are the platform's");

std::uintptr_t Win32ReportList::GetDlgItem(std::uintptr_t dialog, int32_t id) {
  return reinterpret_cast<std::uintptr_t>(::GetDlgItem(reinterpret_cast<HWND>(dialog), id));
}

std::intptr_t Win32ReportList::SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
  return ::SendMessageA(reinterpret_cast<HWND>(window), message, wParam, lParam);
}

bool Win32ReportList::SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                                 uint32_t* requiredSize) {
  return ::SetupDiClassGuidsFromNameA(className, reinterpret_cast<GUID*>(classGuidList), classGuidListSize,
                                      reinterpret_cast<DWORD*>(requiredSize)) != FALSE;
}

bool Win32ReportList::SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) {
  return ::SetupDiLoadClassIcon(reinterpret_cast<const GUID*>(classGuid), reinterpret_cast<HICON*>(largeIcon),
                                reinterpret_cast<INT*>(miniIconIndex)) != FALSE;
}
