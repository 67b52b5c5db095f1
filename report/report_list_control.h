#pragma once
// The report list control as the report sees it: its control id in the main
// window and the list box messages sent to it, under names that do not clash
// with the platform headers' macros.

#include <cstdint>

constexpr int32_t kReportListId = 101;

constexpr uint32_t kLbAddString = 0x180;
constexpr uint32_t kLbGetText = 0x189;
constexpr uint32_t kLbGetTextLen = 0x18A;
constexpr uint32_t kLbSetHorizontalExtent = 0x194;
constexpr uint32_t kLbGetItemData = 0x199;
constexpr uint32_t kLbSetItemData = 0x19A;
constexpr uint32_t kLbSetItemHeight = 0x1A0;

// What a list box message returns when it fails (LB_ERR).
constexpr std::intptr_t kLbErr = -1;
