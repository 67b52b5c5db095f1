// Process entry. For now the program takes the device inventory and exits;
// the window and the verdict come next.
#include <windows.h>

#include "scan_device_inventory.h"
#include "win32_device_setup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Win32DeviceSetup setup;
  InventoryTable inventoryTable(1);
  ScanDeviceInventory(setup, "USB", inventoryTable);
  return 0;
}
