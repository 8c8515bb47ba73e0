#pragma once
// Replaces every plain form of new and delete with a counting one, for tests that a frame
// allocates nothing. Include it in exactly one source file of a test executable.
#include <atomic>
#include <cstdlib>
#include <new>

namespace QelTest
{
inline std::atomic<long> ourAllocations{0};
}

void* operator new(std::size_t aSize)
{
    ++QelTest::ourAllocations;
    if (void* memory = std::malloc(aSize ? aSize : 1))
        return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t aSize) { return operator new(aSize); }
void* operator new(std::size_t aSize, const std::nothrow_t&) noexcept
{
    ++QelTest::ourAllocations;
    return std::malloc(aSize ? aSize : 1);
}
void* operator new[](std::size_t aSize, const std::nothrow_t& aTag) noexcept { return operator new(aSize, aTag); }
void operator delete(void* aMemory) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, std::size_t) noexcept { std::free(aMemory); }
void operator delete(void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }
void operator delete[](void* aMemory, const std::nothrow_t&) noexcept { std::free(aMemory); }
