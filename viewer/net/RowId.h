#pragma once

#include <cstdint>

namespace kestro {

// The identity of a list row: stable across inserts, deletes and sorts, never
// reused. Background name lookups carry it back to find their row, if any.
using RowId = uint64_t;

}  // namespace kestro
