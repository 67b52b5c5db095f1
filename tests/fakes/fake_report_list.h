#pragma once
// A report list and class-icon source made of plain records. The list keeps
// its rows as a list box does (appended in order, item data 0 until set);
// the class look-up knows the names it is given; an icon load hands out a
// new handle every time, or fails, leaving the caller's variable untouched,
// for the all-zero GUID and for the GUIDs listed as failing.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "report_list_service.h"

class FakeReportList final : public ReportListService {
 public:
  static constexpr std::uintptr_t kMainWindow = 0x10010;
  static constexpr std::uintptr_t kListWindow = 0x10020;

  struct Row {
    std::string Text;
    std::intptr_t ItemData = 0;
    int32_t Usb20FlagWhenAdded = 0;  // gUsb20Flag at the moment the row arrived
  };
  struct Message {
    std::uintptr_t Window;
    uint32_t Message;
    std::uintptr_t WParam;
    std::intptr_t LParam;
  };
  struct IconLoad {
    Guid ClassGuid;
    std::uintptr_t Handle;  // handed out, or 0 when the load failed
  };

  // The list.
  std::vector<Row> Rows;
  std::intptr_t ItemHeight = 0;
  std::uintptr_t HorizontalExtent = 0;
  std::vector<Message> Messages;       // every message other than LB_ADDSTRING
  std::vector<Message> StrayMessages;  // sent to any window but the list
  int ItemDataOutOfRange = 0;          // LB_SETITEMDATA for a row not there

  // The class icons.
  std::map<std::string, Guid> ClassGuids;  // names the look-up knows
  std::vector<uint32_t> FailingIconGuids;  // Data1 of GUIDs whose load fails
  std::vector<std::string> Lookups;        // class names, as passed
  std::vector<IconLoad> Loads;

  std::uintptr_t GetDlgItem(std::uintptr_t dialog, int32_t id) override;
  std::intptr_t SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) override;
  bool SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                  uint32_t* requiredSize) override;
  bool SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) override;
};
