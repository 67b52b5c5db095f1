#pragma once
// The platform operations that prepare and fill the report list: the list
// box reached through its parent, and the class icon of a setup class. One
// method per platform operation, with the platform's own name and arguments,
// so a fake can reproduce every way the platform answers (a look-up or load
// that fails and leaves its output untouched).

#include <cstdint>

#include "guid_text.h"

class ReportListService {
 public:
  virtual ~ReportListService() = default;

  // The child window with control id `id`, or 0.
  virtual std::uintptr_t GetDlgItem(std::uintptr_t dialog, int32_t id) = 0;

  // Sends a message and waits for its result.
  virtual std::intptr_t SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) = 0;

  // Fills up to classGuidListSize GUIDs registered under the name and writes
  // their number to *requiredSize; leaves the list untouched when the name
  // has none.
  virtual bool SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                          uint32_t* requiredSize) = 0;

  // Writes the class's large icon (HICON) to *largeIcon; leaves it untouched
  // when the icon cannot be loaded.
  virtual bool SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) = 0;
};
