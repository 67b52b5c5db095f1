#pragma once
// The inventory table: one entry per device found, six text fields each.

#include <string>
#include <vector>

struct DeviceEntry {
  std::string Class;         // 1: setup class name as the class list gives it, at most 127 bytes
  std::string Guid;          // 2: the class GUID text
  std::string FriendlyName;  // 3: "None" when the platform gives nothing
  std::string Description;   // 4: "None" when the platform gives nothing
  std::string Driver;        // 5: "None" when the platform gives nothing
  std::string PortName;      // 6: "None" when the platform gives nothing

  // Field by its number, 1 to 6.
  const std::string& Field(int number) const;
};

constexpr int kDeviceFieldCount = 6;

// Entries numbered from 1 (index 0 holds entry 1). Its caller hands it to the
// scan holding one empty entry; readers go by the device count the scan
// returns, never by the table's size.
using InventoryTable = std::vector<DeviceEntry>;
