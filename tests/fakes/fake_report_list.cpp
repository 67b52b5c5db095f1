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
    StrayMessages.push_back({window, message, wParam, lParam});
    return 0;
  }
  if (message == kLbAddString) {
    Rows.push_back({reinterpret_cast<const char*>(lParam), 0, gUsb20Flag});
    return static_cast<std::intptr_t>(Rows.size() - 1);
  }
  Messages.push_back({window, message, wParam, lParam});
  switch (message) {
    case kLbSetItemData:
      if (wParam >= Rows.size()) {
        ++ItemDataOutOfRange;
        return kLbErr;
      }
      Rows[wParam].ItemData = lParam;
      return 0;
    case kLbSetItemHeight:
      ItemHeight = lParam;
      return 0;
    case kLbSetHorizontalExtent:
      HorizontalExtent = wParam;
      return 0;
    default:
      return kLbErr;
  }
}

bool FakeReportList::SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                                uint32_t* requiredSize) {
  Lookups.push_back(className);
  const auto known = ClassGuids.find(className);
  if (requiredSize) *requiredSize = known == ClassGuids.end() ? 0 : 1;
  if (known == ClassGuids.end() || classGuidListSize < 1) return false;
  classGuidList[0] = known->second;
  return true;
}

bool FakeReportList::SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) {
  const bool fails = IsZero(*classGuid) || std::find(FailingIconGuids.begin(), FailingIconGuids.end(),
                                                     classGuid->Data1) != FailingIconGuids.end();
  if (fails) {
    Loads.push_back({*classGuid, 0});
    return false;
  }
  const std::uintptr_t handle = kFirstIcon + 0x10 * static_cast<std::uintptr_t>(Loads.size() + 1);
  Loads.push_back({*classGuid, handle});
  if (largeIcon) *largeIcon = handle;
  if (miniIconIndex) *miniIconIndex = 22;
  return true;
}
