#pragma once
// The device inventory scan: the present devices of every class in the class
// list, in list order, recorded into the inventory table.

#include <cstdint>
#include <string_view>

#include "device_setup_service.h"
#include "inventory_table.h"

// Records six text fields of every present device of the listed classes and
// returns their number, the device count. `inventoryTable` comes in holding
// one empty entry; it leaves holding exactly `count` entries, or as it came
// when the count is 0. Every set and key opened is released before return.
int32_t ScanDeviceInventory(DeviceSetupService& setup, std::string_view classList, InventoryTable& inventoryTable);
