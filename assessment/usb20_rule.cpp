#include "usb20_rule.h"

int32_t gUsb20Flag = 0;

namespace {

const char kUsb20MatchText[] = "USB 2.0";
const char kEnhancedMatchText[] = "Enhanced";

}  // namespace

void ApplyUsb20Rule(const std::string& description) {
  if (description.find(kUsb20MatchText) != std::string::npos ||
      description.find(kEnhancedMatchText) != std::string::npos) {
    gUsb20Flag = 1;
  }
}
