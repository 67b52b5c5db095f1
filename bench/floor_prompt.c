/* The floor for start-up time: the device-setup calls PortGauge's job makes
   before its verdict prompt, as it makes them, in plain C and nothing more:
   the class GUID (count, then list), the present-device set, the three
   properties and the port name of each device, and each device's class
   icon (its class looked up again, then the icon loaded); then the same kind
   of box. What PortGauge takes beyond this program is its own cost. */
/* clang-format off */
#include <windows.h>
#include <setupapi.h>
/* clang-format on */

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  static const DWORD properties[] = {SPDRP_FRIENDLYNAME, SPDRP_DEVICEDESC, SPDRP_DRIVER};
  GUID usb;
  DWORD count = 0;
  (void)instance;
  (void)previous;
  (void)commandLine;
  (void)showCommand;

  CoInitialize(NULL);
  SetupDiClassGuidsFromNameA("USB", NULL, 0, &count);
  if (count > 0 && SetupDiClassGuidsFromNameA("USB", &usb, 1, &count)) {
    HDEVINFO devices = SetupDiGetClassDevsA(&usb, NULL, NULL, DIGCF_PRESENT);
    if (devices != INVALID_HANDLE_VALUE) {
      SP_DEVINFO_DATA device;
      DWORD index;
      device.cbSize = sizeof device;
      for (index = 0; SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        BYTE text[128];
        DWORD size;
        HKEY key;
        HICON icon = NULL;
        int k;
        for (k = 0; k < 3; ++k)
          SetupDiGetDeviceRegistryPropertyA(devices, &device, properties[k], NULL, text, sizeof text, NULL);
        key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key != INVALID_HANDLE_VALUE) {
          size = sizeof text;
          RegQueryValueExA(key, "portname", NULL, NULL, text, &size);
          RegCloseKey(key);
        }
        SetupDiClassGuidsFromNameA("USB", &usb, 1, &count);
        SetupDiLoadClassIcon(&usb, &icon, NULL);
      }
      SetupDiDestroyDeviceInfoList(devices);
    }
  }
  MessageBoxA(NULL, "Floor prompt.", "Floor Prompt", MB_YESNO);
  CoUninitialize();
  return 0;
}
