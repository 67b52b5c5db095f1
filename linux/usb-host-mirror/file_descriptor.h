#pragma once
// An open file descriptor, closed by its owner: the tool, its tests and its
// fuzz target hold theirs in one.

#include <unistd.h>

#include "unique_handle.h"

using FileDescriptor = UniqueHandle<int, ReleasedBy<close>, -1>;
