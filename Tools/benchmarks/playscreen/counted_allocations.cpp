// The counting new and delete, in a file of their own so the benchmark code never sees them inline.
#include "CountingAllocator.h"

long CountedAllocations() { return QelTest::ourAllocations.load(); }
