#include "class_list.h"

#include <algorithm>

int CountClassNames(std::string_view classList) {
  return 1 + static_cast<int>(std::count(classList.begin(), classList.end(), '/'));
}

std::string_view ClassNameAt(std::string_view classList, int number) {
  if (number < 1) return {};
  size_t start = 0;
  for (int skipped = 1; skipped < number; ++skipped) {
    const size_t separator = classList.find('/', start);
    if (separator == std::string_view::npos) return {};
    start = separator + 1;
  }
  const size_t end = classList.find('/', start);
  return classList.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}
