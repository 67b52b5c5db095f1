#include "verdict_prompt.h"

#include <string>

namespace {

struct VerdictTexts {
  const char* VerdictLine;
  const char* QuestionLine;
  const char* Caption;
};

// The USB 1.1 question reads "infor": it is the program's text as it has
// always been shown.
const VerdictTexts kUsb20Verdict = {"This computer has a USB 2.0 port.",
                                    "Would you like to see info about the USB drivers?", "Has USB 2.0 Port"};
const VerdictTexts kUsb11Verdict = {"This computer has an older USB 1.1 port.",
                                    "Would you like to see infor about the USB drivers?", "Has USB 1.1 Port"};

// One empty line between the verdict and the question.
const char kLineBreaks[] = "\r\n\r\n";

}  // namespace

void ShowVerdictPrompt(VerdictPromptService& service, int32_t usb20Flag) {
  const VerdictTexts& texts = usb20Flag == 1 ? kUsb20Verdict : kUsb11Verdict;
  const std::string message = std::string(texts.VerdictLine) + kLineBreaks + texts.QuestionLine;
  const int32_t answer = service.MessageBoxA(0, message.c_str(), texts.Caption, kMbYesNo);
  if (answer == kIdNo) service.EndMainWindow(0);
}
