// Counts heap allocations made through operator new while counting is on.
#pragma once

#include <cstdint>

uint64_t AllocationCount();
