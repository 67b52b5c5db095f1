#include "usb_host_topology.h"

#include <algorithm>
#include <system_error>
#include <tuple>
#include <utility>

#include "sysfs_attribute.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kUsbControllerClass = 0x0C03;  // base class 0x0C, subclass 0x03
constexpr uint32_t kHubDeviceClass = 0x09;
constexpr uint32_t kSuperSpeedMbps = 5000;
// Kernel names are short ("1-1.4.2"); a longer name is not one of them.
constexpr std::size_t kMaxUsbNameLength = 64;

// The names in a folder, sorted; none when it is missing or unreadable. A
// read error part way keeps the names read so far.
std::vector<std::string> FolderEntryNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  const fs::directory_iterator end;
  while (!error && it != end) {
    names.push_back(it->path().filename().string());
    it.increment(error);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Where `path` leads once every link is resolved, when that is inside
// `root` (itself resolved); nothing when it leads out of the root or
// nowhere. The kernel's links in bus/*/devices all lead into its own tree.
std::optional<fs::path> ResolveWithin(const fs::path& path, const fs::path& root) {
  std::error_code error;
  fs::path real = fs::canonical(path, error);
  if (error || std::mismatch(root.begin(), root.end(), real.begin(), real.end()).first != root.end())
    return std::nullopt;
  return real;
}

// The resolved device folders of one bus, by name, each inside `root`.
std::vector<std::pair<std::string, fs::path>> BusDevices(const fs::path& root, const char* bus) {
  std::vector<std::pair<std::string, fs::path>> devices;
  const std::optional<fs::path> folder = ResolveWithin(root / "bus" / bus / "devices", root);
  if (!folder) return devices;
  for (std::string& name : FolderEntryNames(*folder)) {
    if (std::optional<fs::path> device = ResolveWithin(*folder / name, root))
      devices.emplace_back(std::move(name), std::move(*device));
  }
  return devices;
}

std::optional<uint32_t> ReadHex(const fs::path& path, uint32_t maxValue) {
  const std::optional<std::string> text = ReadSysfsAttribute(path);
  if (!text) return std::nullopt;
  return ParseSysfsHex(*text, maxValue);
}

// An identity field of 16 or 8 bits; 0 where missing or unreadable.
uint16_t ReadHex16(const fs::path& path) { return static_cast<uint16_t>(ReadHex(path, 0xFFFF).value_or(0)); }
uint8_t ReadHex8(const fs::path& path) { return static_cast<uint8_t>(ReadHex(path, 0xFF).value_or(0)); }

// Splits `text` at the first `separator`; nothing when it does not occur.
std::optional<std::pair<std::string_view, std::string_view>> SplitAt(std::string_view text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) return std::nullopt;
  return std::make_pair(text.substr(0, at), text.substr(at + 1));
}

std::optional<uint32_t> ParseHexField(std::string_view text, std::size_t maxDigits, uint32_t maxValue) {
  // Bare digits between separators: no "0x" here.
  if (text.empty() || text.size() > maxDigits || text.find_first_of("xX") != std::string_view::npos)
    return std::nullopt;
  return ParseSysfsHex(text, maxValue);
}

std::optional<PciUsbController> ReadPciUsbController(const fs::path& folder, const std::string& name) {
  const std::optional<PciAddress> address = ParsePciAddress(name);
  if (!address) return std::nullopt;
  const std::optional<uint32_t> pciClass = ReadHex(folder / "class", 0xFFFFFF);
  if (!pciClass || (*pciClass >> 8) != kUsbControllerClass) return std::nullopt;

  PciUsbController controller;
  controller.Name = name;
  controller.Address = *address;
  controller.ProgrammingInterface = static_cast<uint8_t>(*pciClass & 0xFF);
  controller.VendorId = ReadHex16(folder / "vendor");
  controller.DeviceId = ReadHex16(folder / "device");
  controller.SubsystemVendorId = ReadHex16(folder / "subsystem_vendor");
  controller.SubsystemId = ReadHex16(folder / "subsystem_device");
  controller.Revision = ReadHex8(folder / "revision");
  return controller;
}

std::vector<PciUsbController> ReadPciUsbControllers(const fs::path& root) {
  std::vector<PciUsbController> controllers;
  for (const auto& [name, folder] : BusDevices(root, "pci")) {
    if (std::optional<PciUsbController> controller = ReadPciUsbController(folder, name))
      controllers.push_back(std::move(*controller));
  }
  // Names are unique but two spellings of one address are not ("0:0:1d.7"
  // and "0000:00:1d.7"); the first by name stands for the address.
  std::stable_sort(controllers.begin(), controllers.end(),
                   [](const PciUsbController& a, const PciUsbController& b) { return a.Address < b.Address; });
  controllers.erase(
      std::unique(controllers.begin(), controllers.end(),
                  [](const PciUsbController& a, const PciUsbController& b) { return a.Address == b.Address; }),
      controllers.end());
  return controllers;
}

// "usbN": the bus number N.
std::optional<uint32_t> RootHubBusNumber(std::string_view name) {
  if (name.size() > kMaxUsbNameLength || name.substr(0, 3) != "usb") return std::nullopt;
  return ParseSysfsDecimal(name.substr(3), UINT32_MAX);
}

// "B-P", "B-P.P...": the bus number and the ports on the way, all decimal.
std::optional<std::vector<uint32_t>> ParseDeviceName(std::string_view name) {
  if (name.size() > kMaxUsbNameLength) return std::nullopt;
  const auto busAndPorts = SplitAt(name, '-');
  if (!busAndPorts) return std::nullopt;
  std::vector<uint32_t> numbers;
  const std::optional<uint32_t> bus = ParseSysfsDecimal(busAndPorts->first, UINT32_MAX);
  if (!bus) return std::nullopt;
  numbers.push_back(*bus);
  std::string_view ports = busAndPorts->second;
  while (true) {
    const auto portAndRest = SplitAt(ports, '.');
    const std::optional<uint32_t> port = ParseSysfsDecimal(portAndRest ? portAndRest->first : ports, UINT32_MAX);
    if (!port) return std::nullopt;
    numbers.push_back(*port);
    if (!portAndRest) break;
    ports = portAndRest->second;
  }
  return numbers;
}

// The PCI device holding the root hub's (resolved) folder, or failing that
// the address written as the root hub's serial.
std::optional<PciAddress> RootHubController(const fs::path& folder) {
  if (std::optional<PciAddress> parent = ParsePciAddress(folder.parent_path().filename().string())) return parent;
  const std::optional<std::string> serial = ReadSysfsAttribute(folder / "serial");
  if (!serial) return std::nullopt;
  return ParsePciAddress(*serial);
}

// "B-P...:C.I", an interface folder of the device named `device`: its
// interface number I. Nothing for any other name.
std::optional<uint8_t> InterfaceNumber(std::string_view name, std::string_view device) {
  const auto deviceAndRest = SplitAt(name, ':');
  if (!deviceAndRest || deviceAndRest->first != device) return std::nullopt;
  const auto configurationAndNumber = SplitAt(deviceAndRest->second, '.');
  if (!configurationAndNumber || !ParseSysfsDecimal(configurationAndNumber->first, 0xFF)) return std::nullopt;
  const std::optional<uint32_t> number = ParseSysfsDecimal(configurationAndNumber->second, 0xFF);
  if (!number) return std::nullopt;
  return static_cast<uint8_t>(*number);
}

// The interface folders in the device's folder, by number. A link in the
// place of one is not followed: the kernel's are folders.
std::vector<UsbInterface> ReadInterfaces(const fs::path& folder, const std::string& name) {
  std::vector<UsbInterface> interfaces;
  for (const std::string& entry : FolderEntryNames(folder)) {
    const std::optional<uint8_t> number = InterfaceNumber(entry, name);
    std::error_code error;
    if (!number || fs::symlink_status(folder / entry, error).type() != fs::file_type::directory) continue;
    UsbInterface& added = interfaces.emplace_back(UsbInterface{*number, std::nullopt});
    if (const std::optional<uint32_t> interfaceClass = ReadHex(folder / entry / "bInterfaceClass", 0xFF))
      added.Class = static_cast<uint8_t>(*interfaceClass);
  }
  std::stable_sort(interfaces.begin(), interfaces.end(),
                   [](const UsbInterface& a, const UsbInterface& b) { return a.Number < b.Number; });
  return interfaces;
}

UsbHub ReadUsbHub(const fs::path& folder, const std::string& name, uint32_t bus) {
  UsbHub hub;
  hub.Name = name;
  hub.BusNumber = bus;
  hub.VendorId = ReadHex16(folder / "idVendor");
  hub.ProductId = ReadHex16(folder / "idProduct");
  hub.SuperSpeed = IsSuperSpeed(ReadSysfsAttribute(folder / "speed"), ReadSysfsAttribute(folder / "version"));
  return hub;
}

UsbDevice ReadUsbDevice(const fs::path& folder, const std::string& name, uint32_t bus, uint8_t deviceClass) {
  UsbDevice device;
  device.Name = name;
  device.BusNumber = bus;
  device.VendorId = ReadHex16(folder / "idVendor");
  device.ProductId = ReadHex16(folder / "idProduct");
  device.DeviceClass = deviceClass;
  device.DeviceSubClass = ReadHex8(folder / "bDeviceSubClass");
  device.DeviceProtocol = ReadHex8(folder / "bDeviceProtocol");
  // " 2": the kernel pads the count to two places.
  if (const std::optional<std::string> count = ReadSysfsAttribute(folder / "bNumInterfaces"))
    device.InterfaceCount = ParseSysfsDecimal(*count, 0xFF);
  device.Interfaces = ReadInterfaces(folder, name);
  device.Serial = ReadSysfsAttribute(folder / "serial");
  return device;
}

// The entries by the numbers in their names. Names are already in text
// order, which breaks ties ("1-01" and "1-1").
template <typename Entry>
std::vector<Entry> ByNumbers(std::vector<std::pair<std::vector<uint32_t>, Entry>>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Entry> sorted;
  sorted.reserve(entries.size());
  for (auto& entry : entries) sorted.push_back(std::move(entry.second));
  return sorted;
}

void ReadUsbDevices(const fs::path& root, UsbHostTopology& topology) {
  std::vector<std::pair<std::vector<uint32_t>, UsbHub>> hubs;
  std::vector<std::pair<std::vector<uint32_t>, UsbDevice>> devices;
  for (const auto& [name, folder] : BusDevices(root, "usb")) {
    if (const std::optional<uint32_t> bus = RootHubBusNumber(name)) {
      topology.RootHubs.push_back({name, *bus, RootHubController(folder)});
      continue;
    }
    const std::optional<std::vector<uint32_t>> numbers = ParseDeviceName(name);
    if (!numbers) continue;  // an interface ("1-1:1.0") or something else
    const std::optional<uint32_t> deviceClass = ReadHex(folder / "bDeviceClass", 0xFF);
    if (!deviceClass) continue;
    if (*deviceClass == kHubDeviceClass)
      hubs.emplace_back(*numbers, ReadUsbHub(folder, name, numbers->front()));
    else
      devices.emplace_back(*numbers, ReadUsbDevice(folder, name, numbers->front(), static_cast<uint8_t>(*deviceClass)));
  }

  std::stable_sort(topology.RootHubs.begin(), topology.RootHubs.end(),
                   [](const UsbRootHub& a, const UsbRootHub& b) { return a.BusNumber < b.BusNumber; });
  topology.Hubs = ByNumbers(hubs);
  topology.Devices = ByNumbers(devices);
}

}  // namespace

bool operator==(const PciAddress& a, const PciAddress& b) {
  return std::tie(a.Domain, a.Bus, a.Device, a.Function) == std::tie(b.Domain, b.Bus, b.Device, b.Function);
}

bool operator<(const PciAddress& a, const PciAddress& b) {
  return std::tie(a.Domain, a.Bus, a.Device, a.Function) < std::tie(b.Domain, b.Bus, b.Device, b.Function);
}

std::optional<PciAddress> ParsePciAddress(std::string_view text) {
  const auto domainAndRest = SplitAt(text, ':');
  if (!domainAndRest) return std::nullopt;
  const auto busAndRest = SplitAt(domainAndRest->second, ':');
  if (!busAndRest) return std::nullopt;
  const auto deviceAndFunction = SplitAt(busAndRest->second, '.');
  if (!deviceAndFunction) return std::nullopt;

  const std::optional<uint32_t> domain = ParseHexField(domainAndRest->first, 8, UINT32_MAX);
  const std::optional<uint32_t> bus = ParseHexField(busAndRest->first, 2, 0xFF);
  const std::optional<uint32_t> device = ParseHexField(deviceAndFunction->first, 2, 0x1F);
  const std::optional<uint32_t> function = ParseHexField(deviceAndFunction->second, 1, 7);
  if (!domain || !bus || !device || !function) return std::nullopt;
  return PciAddress{*domain, *bus, *device, *function};
}

bool IsSuperSpeed(const std::optional<std::string>& speed, const std::optional<std::string>& version) {
  // "1.5", "12", "480", "5000", "10000": the whole megabits decide.
  if (speed) {
    const auto wholeAndFraction = SplitAt(*speed, '.');
    const std::string_view whole = wholeAndFraction ? wholeAndFraction->first : std::string_view(*speed);
    const bool fractionOk = !wholeAndFraction || ParseSysfsDecimal(wholeAndFraction->second, UINT32_MAX);
    const std::optional<uint32_t> mbps = ParseSysfsDecimal(whole, UINT32_MAX);
    if (mbps && fractionOk) return *mbps >= kSuperSpeedMbps;
  }
  // " 2.00", " 3.10": the major version.
  if (version) {
    const auto majorAndMinor = SplitAt(*version, '.');
    if (!majorAndMinor || !ParseSysfsDecimal(majorAndMinor->second, UINT32_MAX)) return false;
    const std::optional<uint32_t> major = ParseSysfsDecimal(majorAndMinor->first, UINT32_MAX);
    return major && *major >= 3;
  }
  return false;
}

UsbHostTopology ReadUsbHostTopology(const fs::path& sysfsRoot) {
  UsbHostTopology topology;
  std::error_code error;
  const fs::path root = fs::canonical(sysfsRoot, error);
  if (error) return topology;
  topology.Controllers = ReadPciUsbControllers(root);
  ReadUsbDevices(root, topology);
  return topology;
}
