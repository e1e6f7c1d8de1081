#pragma once

// Heap allocations made through the global operator new since the program
// started. The benchmark replaces operator new and delete (in
// AllocationCounter.cpp) to count them; malloc calls made by C libraries are
// not counted.
long AllocationCount();
