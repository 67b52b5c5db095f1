#include "usb_registry_file.h"

#include <cstdio>

const char kUsbClassGuidText[] = "{36FC9E60-C465-11CF-8056-444553540000}";

namespace {

const char kNewLine[] = "\r\n";

// A string value in the file's quoted form: backslash and quote escaped.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

void AddValue(std::string& file, const std::string& name, const std::string& value) {
  file += Quoted(name) + "=" + Quoted(value) + kNewLine;
}

std::string DriverNumber(std::size_t number) {
  char text[24];
  std::snprintf(text, sizeof text, "%04zu", number);
  return text;
}

}  // namespace

std::string UsbRegistryFileText(const std::vector<MirroredDevice>& devices) {
  std::string file = std::string("REGEDIT4") + kNewLine;
  file += kNewLine;
  file += std::string("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class\\") + kUsbClassGuidText + "]" +
          kNewLine;
  AddValue(file, "Class", "USB");
  file += "@=" + Quoted("Universal Serial Bus controllers") + kNewLine;

  for (std::size_t number = 0; number < devices.size(); ++number) {
    const MirroredDevice& device = devices[number];
    file += kNewLine;
    file += "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\" + device.Enumerator + "\\" + device.DeviceId +
            "\\" + device.InstanceId + "]" + kNewLine;
    AddValue(file, "ClassGUID", kUsbClassGuidText);
    AddValue(file, "DeviceDesc", device.Description);
    AddValue(file, "Driver", std::string(kUsbClassGuidText) + "\\" + DriverNumber(number));
  }
  return file;
}
