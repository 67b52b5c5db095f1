#pragma once
// The USB 2.0 rule: decides from the device descriptions alone whether a
// USB 2.0 host controller is present.

#include <cstdint>
#include <string>

// The USB 2.0 flag, one value for the whole run: 0 while no description has
// matched, 1 once one has. The main window clears it before the device scan;
// only the rule sets it; the verdict prompt reads it.
extern int32_t gUsb20Flag;

// Sets gUsb20Flag to 1 when the description contains "USB 2.0" or "Enhanced",
// compared byte for byte (case-sensitive, anywhere in the text); otherwise
// leaves the flag as it is. Called once per device, with its Description.
void ApplyUsb20Rule(const std::string& description);
