#include "report_list.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "report_list_control.h"
#include "usb20_rule.h"

std::uintptr_t gReportListHandle = 0;

namespace {

constexpr std::intptr_t kRowHeight = 20;
constexpr std::uintptr_t kHorizontalExtent = 1200;

// The class name passes through a buffer of this size, zero-terminated.
constexpr size_t kClassNameBufferSize = 128;

const char kHeaderLabel[] = "USB DeviceCount: ";
const char kClassLabel[] = "Class: ";
const char kGuidLabel[] = "Guid: ";
const char kFriendlyNameLabel[] = "FriendlyName: ";
const char kDescriptionLabel[] = "Description: ";
const char kDriverLabel[] = "Driver: ";
const char kPortNameLabel[] = "PortName: ";
const std::string kSeparatorRow(75, '-');

// Rows in one device block: six labelled rows and a separator.
constexpr std::uintptr_t kBlockRows = 7;

void AddRow(ReportListService& list, std::uintptr_t listWindow, const std::string& text) {
  list.SendMessageA(listWindow, kLbAddString, 0, reinterpret_cast<std::intptr_t>(text.c_str()));
}

void AddLabelledRow(ReportListService& list, std::uintptr_t listWindow, const char* label, const std::string& value) {
  AddRow(list, listWindow, label + std::string(1, '\t') + value);
}

}  // namespace

void PrepareReportList(ReportListService& list, std::uintptr_t mainWindow) {
  gReportListHandle = list.GetDlgItem(mainWindow, kReportListId);
  list.SendMessageA(gReportListHandle, kLbSetItemHeight, 0, kRowHeight);
  list.SendMessageA(gReportListHandle, kLbSetHorizontalExtent, kHorizontalExtent, 0);
}

void FillReportList(ReportListService& list, std::uintptr_t mainWindow, const InventoryTable& inventoryTable,
                    int32_t deviceCount) {
  const std::uintptr_t listWindow = list.GetDlgItem(mainWindow, kReportListId);
  AddLabelledRow(list, listWindow, kHeaderLabel, std::to_string(deviceCount));
  AddRow(list, listWindow, kSeparatorRow);

  // Zeroed once: a look-up or load that fails leaves the previous device's
  // GUID or icon in place, and that is what its row then gets.
  Guid classGuid{};
  std::uintptr_t largeIcon = 0;
  int32_t miniIconIndex = 0;
  std::uintptr_t deviceRowIndex = 2;

  const size_t count = deviceCount > 0 ? static_cast<size_t>(deviceCount) : 0;
  for (size_t k = 0; k < count && k < inventoryTable.size(); ++k) {
    const DeviceEntry& entry = inventoryTable[k];

    char className[kClassNameBufferSize] = {};
    std::memcpy(className, entry.Class.data(), std::min(entry.Class.size(), kClassNameBufferSize - 1));
    uint32_t requiredSize = 0;
    list.SetupDiClassGuidsFromNameA(className, &classGuid, 1, &requiredSize);
    list.SetupDiLoadClassIcon(&classGuid, &largeIcon, &miniIconIndex);

    AddLabelledRow(list, listWindow, kClassLabel, entry.Class);
    list.SendMessageA(listWindow, kLbSetItemData, deviceRowIndex, static_cast<std::intptr_t>(largeIcon));
    AddLabelledRow(list, listWindow, kGuidLabel, entry.Guid);
    AddLabelledRow(list, listWindow, kFriendlyNameLabel, entry.FriendlyName);
    AddLabelledRow(list, listWindow, kDescriptionLabel, entry.Description);
    AddLabelledRow(list, listWindow, kDriverLabel, entry.Driver);
    AddLabelledRow(list, listWindow, kPortNameLabel, entry.PortName);
    AddRow(list, listWindow, kSeparatorRow);
    deviceRowIndex += kBlockRows;

    ApplyUsb20Rule(entry.Description);
  }
}
