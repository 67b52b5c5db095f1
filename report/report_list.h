#pragma once
// The report list's content: a header row with the device count, then one
// block of labelled rows per device, separated by rows of hyphens, with the
// class icon as item data on each block's first row.
//
// Row layout, with N devices (2 + 7N rows):
//   0                 "USB DeviceCount: " TAB N
//   1                 75 hyphens
//   2 + 7(k-1) ...    device k: "Class: ", "Guid: ", "FriendlyName: ",
//                     "Description: ", "Driver: ", "PortName: " each followed
//                     by TAB and the field, then 75 hyphens

#include <cstdint>

#include "inventory_table.h"
#include "report_list_service.h"

// The report list's window handle, recorded by PrepareReportList for the
// rest of the run (the main window resizes the list through it).
extern std::uintptr_t gReportListHandle;

// Finds the report list (control 101 of the main window), records its
// handle, and sets its row height to 20 and its horizontal extent to 1200.
void PrepareReportList(ReportListService& list, std::uintptr_t mainWindow);

// Appends the header and the blocks of devices 1 to deviceCount (never past
// the table's end) to the empty report list of the main window, and applies
// the USB 2.0 rule to each device's description right after its block. The
// class icons loaded here are never released: they live as long as the list.
void FillReportList(ReportListService& list, std::uintptr_t mainWindow, const InventoryTable& inventoryTable,
                    int32_t deviceCount);
