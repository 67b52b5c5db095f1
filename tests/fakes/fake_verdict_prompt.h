#pragma once
// The verdict prompt's platform operations as records: every message box
// shown, with its exact bytes, and every end of the main window. The answer
// the box gives is set by the test.

#include <cstdint>
#include <string>
#include <vector>

#include "verdict_prompt.h"

class FakeVerdictPrompt final : public VerdictPromptService {
 public:
  struct Box {
    std::uintptr_t Owner;
    std::string Text;
    std::string Caption;
    uint32_t Type;
  };

  int32_t Answer = kIdYes;  // what every box returns; 0 for a box that failed
  std::vector<Box> Boxes;
  std::vector<uint32_t> EndResults;  // one per EndMainWindow call

  int32_t MessageBoxA(std::uintptr_t owner, const char* text, const char* caption, uint32_t type) override {
    Boxes.push_back({owner, text, caption, type});
    return Answer;
  }
  void EndMainWindow(uint32_t result) override { EndResults.push_back(result); }
};
