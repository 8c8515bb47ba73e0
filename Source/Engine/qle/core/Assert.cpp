#include "core/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace Qel::impl
{
void AssertFailed(const char* aExpression, const char* aFile, int aLine)
{
    std::fprintf(stderr, "Assertion failed: %s (%s:%d)\n", aExpression, aFile, aLine);
    std::fflush(stderr);
    std::abort();
}
}
