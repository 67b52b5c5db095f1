// Fuzzes the Linux tool's reading of the kernel's device tree. Every piece
// of the input (split at "|") goes through the number, PCI address and
// speed parsers; the pieces in order are also the attribute files of a
// small tree (a PCI controller, a root hub naming it by its serial, a
// device below it with two interface folders, a second device, an
// interface folder without its device), read by the same code that reads
// /sys. A missing piece is a missing file, and for an interface's class a
// missing folder. Parsed values stay within their bounds and format back
// to themselves, each file reads as its bytes without the blanks around
// them, the tree reads and mirrors as those texts say, and the registry
// file holds printable text only, a serial only where it may name a key.
#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "file_descriptor.h"
#include "sysfs_attribute.h"
#include "usb_host_devices.h"
#include "usb_host_topology.h"
#include "usb_registry_file.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

enum File {
  kClass,
  kVendor,
  kDevice,
  kSubsystemVendor,
  kSubsystemDevice,
  kRevision,
  kSerial,
  kDeviceClass,
  kIdVendor,
  kIdProduct,
  kSpeed,
  kVersion,
  kDeviceSubClass,
  kDeviceProtocol,
  kInterfaceCount,
  kDeviceSerial,
  kFirstInterfaceClass,
  kSecondInterfaceClass,
  kOtherDeviceClass,
  kOtherSerial,
  kStrayInterfaceClass,
  kFileCount
};
const char* const kFilePaths[] = {
    "bus/pci/devices/0000:00:1d.7/class",
    "bus/pci/devices/0000:00:1d.7/vendor",
    "bus/pci/devices/0000:00:1d.7/device",
    "bus/pci/devices/0000:00:1d.7/subsystem_vendor",
    "bus/pci/devices/0000:00:1d.7/subsystem_device",
    "bus/pci/devices/0000:00:1d.7/revision",
    "bus/usb/devices/usb1/serial",
    "bus/usb/devices/1-1/bDeviceClass",
    "bus/usb/devices/1-1/idVendor",
    "bus/usb/devices/1-1/idProduct",
    "bus/usb/devices/1-1/speed",
    "bus/usb/devices/1-1/version",
    "bus/usb/devices/1-1/bDeviceSubClass",
    "bus/usb/devices/1-1/bDeviceProtocol",
    "bus/usb/devices/1-1/bNumInterfaces",
    "bus/usb/devices/1-1/serial",
    "bus/usb/devices/1-1/1-1:1.0/bInterfaceClass",
    "bus/usb/devices/1-1/1-1:1.3/bInterfaceClass",
    "bus/usb/devices/1-2/bDeviceClass",
    "bus/usb/devices/1-2/serial",
    "bus/usb/devices/1-3:1.0/bInterfaceClass",
};
static_assert(sizeof kFilePaths / sizeof kFilePaths[0] == kFileCount, "one path per file");
const PciAddress kControllerAddress = {0, 0, 0x1d, 7};

// The files whose folder goes with them: an interface is there or not.
bool HasFolderOfItsOwn(int file) { return file == kFirstInterfaceClass || file == kSecondInterfaceClass; }

// The tree's folders, made once for the whole run: each input only rewrites
// the files, which keeps a run fast.
class Tree {
 public:
  Tree() {
    std::string name = (fs::temp_directory_path() / "usb-host-mirror-fuzz.XXXXXX").string();
    Check(mkdtemp(name.data()) != nullptr);
    root_ = name;
    for (const char* path : kFilePaths) fs::create_directories((root_ / path).parent_path());
  }
  ~Tree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  Tree(const Tree&) = delete;
  Tree& operator=(const Tree&) = delete;

  const fs::path& root() const { return root_; }
  fs::path Path(int file) const { return root_ / kFilePaths[file]; }

  // The file holds exactly `text`, or is gone for nothing, and with it an
  // interface's folder.
  void Set(int file, std::optional<std::string_view> text) const {
    const fs::path path = Path(file);
    if (!text) {
      Check(unlink(path.c_str()) == 0 || errno == ENOENT);
      if (HasFolderOfItsOwn(file)) Check(rmdir(path.parent_path().c_str()) == 0 || errno == ENOENT);
      return;
    }
    if (HasFolderOfItsOwn(file)) Check(mkdir(path.parent_path().c_str(), 0755) == 0 || errno == EEXIST);
    // Written over, then cut to length: ext4 flushes a file emptied by
    // O_TRUNC when it is closed, which made runs nearly three times slower.
    FileDescriptor out(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    Check(out.get() >= 0);
    Check(write(out.get(), text->data(), text->size()) == static_cast<ssize_t>(text->size()));
    Check(ftruncate(out.get(), static_cast<off_t>(text->size())) == 0);
    Check(close(out.take()) == 0);
  }

 private:
  fs::path root_;
};

std::vector<std::string_view> Pieces(std::string_view input) {
  std::vector<std::string_view> pieces;
  std::size_t at;
  while ((at = input.find('|')) != std::string_view::npos) {
    pieces.push_back(input.substr(0, at));
    input.remove_prefix(at + 1);
  }
  pieces.push_back(input);
  return pieces;
}

// What an attribute file holding `bytes` must read as.
std::optional<std::string> AttributeText(std::string_view bytes) {
  if (bytes.size() > kMaxSysfsAttributeBytes) return std::nullopt;
  const char* const blanks = " \t\n\r\v\f";
  const std::size_t begin = bytes.find_first_not_of(blanks);
  if (begin == std::string_view::npos) return std::string();
  return std::string(bytes.substr(begin, bytes.find_last_not_of(blanks) - begin + 1));
}

void CheckNumbers(std::string_view text) {
  const uint32_t maxValues[] = {0, 7, 0xFF, 0xFFFF, 0xFFFFFF, UINT32_MAX};
  for (const uint32_t maxValue : maxValues) {
    char formatted[16];
    if (const std::optional<uint32_t> hex = ParseSysfsHex(text, maxValue)) {
      Check(*hex <= maxValue && ParseSysfsHex(text, UINT32_MAX) == hex);
      std::snprintf(formatted, sizeof formatted, "0x%x", *hex);
      Check(ParseSysfsHex(formatted, maxValue) == hex);
    }
    if (const std::optional<uint32_t> decimal = ParseSysfsDecimal(text, maxValue)) {
      Check(*decimal <= maxValue && ParseSysfsDecimal(text, UINT32_MAX) == decimal);
      std::snprintf(formatted, sizeof formatted, "%u", *decimal);
      Check(ParseSysfsDecimal(formatted, maxValue) == decimal);
    }
  }
  // Whole megabits decide the speed.
  if (const std::optional<uint32_t> mbps = ParseSysfsDecimal(text, UINT32_MAX))
    Check(IsSuperSpeed(std::string(text), std::nullopt) == (*mbps >= 5000));
}

// The address back from the controller's and root hub's instance ids,
// "3&DDDDBB&0&DF" and "4&DDDDBBDF&0": the domain and bus, then the
// device/function byte.
PciAddress AddressFromDigits(std::string_view domainAndBus, std::string_view deviceFunction) {
  Check(domainAndBus.size() >= 6 && deviceFunction.size() == 2);
  const std::optional<uint32_t> domain = ParseSysfsHex(domainAndBus.substr(0, domainAndBus.size() - 2), UINT32_MAX);
  const std::optional<uint32_t> bus = ParseSysfsHex(domainAndBus.substr(domainAndBus.size() - 2), 0xFF);
  const std::optional<uint32_t> byte = ParseSysfsHex(deviceFunction, 0xFF);
  Check(domain && bus && byte);
  return {*domain, *bus, *byte >> 3, *byte & 7};
}

void CheckPciAddress(std::string_view text) {
  const std::optional<PciAddress> address = ParsePciAddress(text);
  if (!address) return;
  Check(address->Bus <= 0xFF && address->Device <= 0x1F && address->Function <= 7);
  char kernelName[32];
  std::snprintf(kernelName, sizeof kernelName, "%04x:%02x:%02x.%x", address->Domain, address->Bus, address->Device,
                address->Function);
  Check(ParsePciAddress(kernelName) == address);

  // The ids the tool writes for a controller at this address.
  UsbHostTopology topology;
  topology.Controllers.push_back({kernelName, *address, 0x20, 0, 0, 0, 0, 0});
  topology.RootHubs.push_back({"usb1", 1, *address});
  const std::vector<MirroredDevice> devices = MirrorUsbHostDevices(topology);
  Check(devices.size() == 2);
  const std::string& controllerId = devices[0].InstanceId;
  const std::string& rootHubId = devices[1].InstanceId;
  Check(controllerId.compare(0, 2, "3&") == 0 && controllerId.size() >= 13);
  Check(controllerId.compare(controllerId.size() - 5, 3, "&0&") == 0);
  Check(AddressFromDigits(std::string_view(controllerId).substr(2, controllerId.size() - 7),
                          std::string_view(controllerId).substr(controllerId.size() - 2)) == *address);
  Check(rootHubId.compare(0, 2, "4&") == 0 && rootHubId.size() >= 12);
  Check(rootHubId.compare(rootHubId.size() - 2, 2, "&0") == 0);
  Check(AddressFromDigits(std::string_view(rootHubId).substr(2, rootHubId.size() - 6),
                          std::string_view(rootHubId).substr(rootHubId.size() - 4, 2)) == *address);
}

void CheckTree(const Tree& tree, const std::vector<std::string_view>& pieces) {
  std::optional<std::string> texts[kFileCount];
  for (int file = 0; file < kFileCount; ++file) {
    const std::optional<std::string_view> bytes =
        file < static_cast<int>(pieces.size()) ? std::optional<std::string_view>(pieces[file]) : std::nullopt;
    tree.Set(file, bytes);
    if (bytes) texts[file] = AttributeText(*bytes);
    Check(ReadSysfsAttribute(tree.Path(file)) == texts[file]);
  }
  const auto hex = [&texts](int file, uint32_t maxValue) {
    return texts[file] ? ParseSysfsHex(*texts[file], maxValue) : std::nullopt;
  };

  const UsbHostTopology topology = ReadUsbHostTopology(tree.root());
  const std::optional<uint32_t> pciClass = hex(kClass, 0xFFFFFF);
  const bool isController = pciClass && (*pciClass >> 8) == 0x0C03;
  Check(topology.Controllers.size() == (isController ? 1u : 0u));
  if (isController) {
    const PciUsbController& c = topology.Controllers[0];
    Check(c.Name == "0000:00:1d.7" && c.Address == kControllerAddress && c.ProgrammingInterface == (*pciClass & 0xFF));
    Check(c.VendorId == hex(kVendor, 0xFFFF).value_or(0) && c.DeviceId == hex(kDevice, 0xFFFF).value_or(0));
    Check(c.SubsystemVendorId == hex(kSubsystemVendor, 0xFFFF).value_or(0));
    Check(c.SubsystemId == hex(kSubsystemDevice, 0xFFFF).value_or(0) && c.Revision == hex(kRevision, 0xFF).value_or(0));
  }
  // The root hub's folder is not inside a PCI device's: the serial decides.
  const std::optional<PciAddress> named = texts[kSerial] ? ParsePciAddress(*texts[kSerial]) : std::nullopt;
  Check(topology.RootHubs.size() == 1);
  Check(topology.RootHubs[0].Name == "usb1" && topology.RootHubs[0].BusNumber == 1);
  Check(topology.RootHubs[0].Controller == named);
  // 1-1 and 1-2 are hubs or devices as their class says; 1-3:1.0 is neither.
  const std::optional<uint32_t> deviceClass = hex(kDeviceClass, 0xFF);
  const std::optional<uint32_t> otherClass = hex(kOtherDeviceClass, 0xFF);
  const bool isHub = deviceClass == 9u;
  const bool isDevice = deviceClass && !isHub;
  const bool otherIsDevice = otherClass && *otherClass != 9;
  std::vector<std::string> hubNames;
  for (const UsbHub& h : topology.Hubs) hubNames.push_back(h.Name);
  std::vector<std::string> expectedHubs;
  if (isHub) expectedHubs.push_back("1-1");
  if (otherClass == 9u) expectedHubs.push_back("1-2");
  Check(hubNames == expectedHubs);
  if (isHub) {
    const UsbHub& h = topology.Hubs[0];
    Check(h.BusNumber == 1);
    Check(h.VendorId == hex(kIdVendor, 0xFFFF).value_or(0) && h.ProductId == hex(kIdProduct, 0xFFFF).value_or(0));
    Check(h.SuperSpeed == IsSuperSpeed(texts[kSpeed], texts[kVersion]));
  }
  Check(topology.Devices.size() == (isDevice ? 1u : 0u) + (otherIsDevice ? 1u : 0u));
  const bool hasFirst = pieces.size() > kFirstInterfaceClass;
  const bool hasSecond = pieces.size() > kSecondInterfaceClass;
  const std::optional<uint32_t> interfaceCount =
      texts[kInterfaceCount] ? ParseSysfsDecimal(*texts[kInterfaceCount], 0xFF) : std::nullopt;
  if (isDevice) {
    const UsbDevice& d = topology.Devices[0];
    Check(d.Name == "1-1" && d.BusNumber == 1 && d.DeviceClass == *deviceClass);
    Check(d.VendorId == hex(kIdVendor, 0xFFFF).value_or(0) && d.ProductId == hex(kIdProduct, 0xFFFF).value_or(0));
    Check(d.DeviceSubClass == hex(kDeviceSubClass, 0xFF).value_or(0));
    Check(d.DeviceProtocol == hex(kDeviceProtocol, 0xFF).value_or(0));
    Check(d.InterfaceCount == interfaceCount && d.Serial == texts[kDeviceSerial]);
    std::vector<UsbInterface> expected;
    if (hasFirst) expected.push_back({0, hex(kFirstInterfaceClass, 0xFF)});
    if (hasSecond) expected.push_back({3, hex(kSecondInterfaceClass, 0xFF)});
    Check(d.Interfaces.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      Check(d.Interfaces[i].Number == expected[i].Number && d.Interfaces[i].Class == expected[i].Class);
  }
  if (otherIsDevice) {
    const UsbDevice& d = topology.Devices.back();
    Check(d.Name == "1-2" && !d.InterfaceCount && d.Interfaces.empty() && d.Serial == texts[kOtherSerial]);
  }

  const std::vector<MirroredDevice> devices = MirrorUsbHostDevices(topology);
  const bool controllerListed =
      isController && HostControllerDescription(static_cast<uint8_t>(*pciClass & 0xFF)) != nullptr;
  const bool rootHubListed = controllerListed && named == kControllerAddress;
  // 1-2 has no interface count, so only 1-1 may be listed: when its
  // interfaces match their count, with one on class 00 as a mass-storage
  // or printer device, with two on class 00 or EF/02/01 as a composite
  // device followed by such functions.
  const auto listedClass = [&hex](int file) {
    const std::optional<uint32_t> c = hex(file, 0xFF);
    return c && (*c == 7 || *c == 8);
  };
  const bool association = deviceClass == 0xEFu && hex(kDeviceSubClass, 0xFF).value_or(0) == 2 &&
                           hex(kDeviceProtocol, 0xFF).value_or(0) == 1;
  const std::size_t folders = (hasFirst ? 1 : 0) + (hasSecond ? 1 : 0);
  std::size_t listedDevices = 0;
  if (rootHubListed && isDevice && interfaceCount == folders) {
    if (folders == 1 && deviceClass == 0u) listedDevices = listedClass(kFirstInterfaceClass) ? 1 : 0;
    if (folders == 2 && (deviceClass == 0u || association))
      listedDevices = 1 + (listedClass(kFirstInterfaceClass) ? 1 : 0) + (listedClass(kSecondInterfaceClass) ? 1 : 0);
  }
  Check(devices.size() == (controllerListed ? 1u : 0u) + (rootHubListed ? 1u : 0u) +
                              (rootHubListed ? expectedHubs.size() : 0u) + listedDevices);

  // A serial names 1-1's key only when it is letters and digits, no more
  // than a string descriptor holds, and 1-2 does not show it too.
  const std::optional<std::string>& serial = texts[kDeviceSerial];
  const auto plain = [](const std::optional<std::string>& text) {
    return text && !text->empty() && text->size() <= 126 &&
           std::all_of(text->begin(), text->end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
  };
  const bool shared = otherIsDevice && plain(texts[kOtherSerial]) && plain(serial) &&
                      strcasecmp(texts[kOtherSerial]->c_str(), serial->c_str()) == 0;
  const std::string instanceId = plain(serial) && !shared ? *serial : "5&0&1-1";
  for (const MirroredDevice& d : devices) {
    for (const std::string* id : {&d.DeviceId, &d.InstanceId}) {
      Check(!id->empty() && id->size() <= 255);
      for (const char c : *id) Check(c > ' ' && c < 0x7F && c != '\\' && c != '[' && c != ']');
    }
    if (d.DeviceId.find("&MI_") != std::string::npos) {
      Check(d.InstanceId == "6&0&1-1&0000" || d.InstanceId == "6&0&1-1&0003");
    } else if (d.Enumerator == "USB" && d.InstanceId.compare(0, 2, "4&") != 0 && d.InstanceId != "5&0&1-2") {
      Check(d.InstanceId == (isHub ? "5&0&1-1" : instanceId));
    }
  }
  const std::string file = UsbRegistryFileText(devices);
  for (std::size_t at = 0; at < file.size(); ++at) {
    const char c = file[at];
    Check((c >= ' ' && c < 0x7F) || (c == '\r' && file[at + 1] == '\n') ||
          (c == '\n' && at > 0 && file[at - 1] == '\r'));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Tree tree;
  const std::vector<std::string_view> pieces = Pieces(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const std::string_view piece : pieces) {
    CheckNumbers(piece);
    CheckPciAddress(piece);
  }
  CheckTree(tree, pieces);
  return 0;
}
