#include "fake_report_list.h"

#include <algorithm>
#include <cstring>

#include "report_list_control.h"
#include "usb20_rule.h"

namespace {

constexpr std::uintptr_t kFirstIcon = 0x7000;

bool IsZero(const Guid& guid) {
  static const Guid zero{};
  return std::memcmp(&guid, &zero, sizeof guid) == 0;
}

}  // namespace

std::uintptr_t FakeReportList::GetDlgItem(std::uintptr_t dialog, int32_t id) {
  return dialog == kMainWindow && id == kReportListId ? kListWindow : 0;
}

std::intptr_t FakeReportList::SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
  if (window != kListWindow) {
    strayMessages.push_back({window, message, wParam, lParam});
    return 0;
  }
  if (message == kLbAddString) {
    rows.push_back({reinterpret_cast<const char*>(lParam), 0, Usb20Flag});
    return static_cast<std::intptr_t>(rows.size() - 1);
  }
  messages.push_back({window, message, wParam, lParam});
  switch (message) {
    case kLbSetItemData:
      if (wParam >= rows.size()) {
        ++itemDataOutOfRange;
        return kLbErr;
      }
      rows[wParam].itemData = lParam;
      return 0;
    case kLbSetItemHeight:
      itemHeight = lParam;
      return 0;
    case kLbSetHorizontalExtent:
      horizontalExtent = wParam;
      return 0;
    default:
      return kLbErr;
  }
}

bool FakeReportList::SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                                uint32_t* requiredSize) {
  lookups.push_back(className);
  const auto known = classGuids.find(className);
  if (requiredSize) *requiredSize = known == classGuids.end() ? 0 : 1;
  if (known == classGuids.end() || classGuidListSize < 1) return false;
  classGuidList[0] = known->second;
  return true;
}

bool FakeReportList::SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) {
  const bool fails = IsZero(*classGuid) || std::find(failingIconGuids.begin(), failingIconGuids.end(),
                                                     classGuid->Data1) != failingIconGuids.end();
  if (fails) {
    loads.push_back({*classGuid, 0});
    return false;
  }
  const std::uintptr_t handle = kFirstIcon + 0x10 * static_cast<std::uintptr_t>(loads.size() + 1);
  loads.push_back({*classGuid, handle});
  if (largeIcon) *largeIcon = handle;
  if (miniIconIndex) *miniIconIndex = 22;
  return true;
}
