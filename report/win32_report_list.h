#pragma once
// The report list's platform operations over the real user32 and setupapi.

#include "report_list_service.h"

class Win32ReportList final : public ReportListService {
 public:
  std::uintptr_t GetDlgItem(std::uintptr_t dialog, int32_t id) override;
  std::intptr_t SendMessageA(std::uintptr_t window, uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) override;
  bool SetupDiClassGuidsFromNameA(const char* className, Guid* classGuidList, uint32_t classGuidListSize,
                                  uint32_t* requiredSize) override;
  bool SetupDiLoadClassIcon(const Guid* classGuid, std::uintptr_t* largeIcon, int32_t* miniIconIndex) override;
};
