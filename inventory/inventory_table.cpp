#include "inventory_table.h"

const std::string& DeviceEntry::Field(int number) const {
  switch (number) {
    case 1:
      return Class;
    case 2:
      return Guid;
    case 3:
      return FriendlyName;
    case 4:
      return Description;
    case 5:
      return Driver;
    default:
      return PortName;
  }
}
