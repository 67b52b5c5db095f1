// Fuzzes the class list: any text splits into names that join back into
// exactly that text, one more name than there are separators.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "class_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int count = CountClassNames(text);
  if (count < 1 || static_cast<size_t>(count) > size + 1) std::abort();
  std::string joined;
  for (int k = 1; k <= count; ++k) {
    const std::string_view name = ClassNameAt(text, k);
    if (name.find('/') != std::string_view::npos) std::abort();
    if (k > 1) joined += '/';
    joined += name;
  }
  if (joined != text) std::abort();
  if (!ClassNameAt(text, count + 1).empty() || !ClassNameAt(text, 0).empty()) std::abort();
  return 0;
}
