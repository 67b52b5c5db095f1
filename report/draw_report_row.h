#pragma once
// Owner drawing of one report row: the background in the normal or the
// selected colours, the row text split at its first TAB into a label column
// at x = 35 and a value column at x = 110, and the class icon, if the row
// carries one, at the row's left edge.

#include <cstddef>
#include <cstdint>

#include "row_canvas.h"

// The row text passes through a buffer of this size, zero-terminated: a row
// must be shorter to be read at all.
constexpr std::size_t kRowTextBufferSize = 300;

// Paints the row of a draw request that the main window received for its
// child `controlId`. Returns 1 when the row was painted, 0 when the request
// is not one for a report row (another control, no row, or an action other
// than exactly "draw entire" or "select": focus changes are left alone).
// The row's text and item data are read from the report list each time.
uint32_t DrawReportRow(RowCanvas& canvas, std::uintptr_t mainWindow, std::uintptr_t controlId,
                       const DrawItemRecord& record);
