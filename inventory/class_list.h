#pragma once
// The class list: the setup class names the device scan covers, in order,
// written as one text with the names separated by "/". No quoting, no
// trimming: every byte between two separators belongs to the name.

#include <string_view>

// The number of names: the number of "/" in the text plus one, never 0.
int CountClassNames(std::string_view classList);

// Name `number` (1-based). A number outside 1..count gives the empty name.
std::string_view ClassNameAt(std::string_view classList, int number);
