#pragma once
#include "core/Assert.h"
#include "core/Types.h"

#include <cstddef>
#include <list>
#include <type_traits>
#include <utility>
#include <vector>

namespace Qel
{
template <class T>
class CopyOnWriteWrapper;

namespace impl
{
inline constexpr u32 POOL_BUCKET_SIZE = 1024;
// A count that is never changed: the pool's shared default element.
inline constexpr u32 POOL_IMMORTAL_COUNT = 2147483647u;

class StaticPoolBucketBase
{
public:
    StaticPoolBucketBase(void* aElements, u32 aElementSize) : myElements(aElements), myElementSize(aElementSize) {}
    StaticPoolBucketBase(const StaticPoolBucketBase&) = delete;
    StaticPoolBucketBase& operator=(const StaticPoolBucketBase&) = delete;
    virtual ~StaticPoolBucketBase() = default;

    // Puts the element on its pool's free list; the count is left alone.
    virtual void FreeElement(u32 aIndex) = 0;
    // Replaces one reference to the element by a new element holding a copy (count 1).
    // Returns the new element; its bucket through aOutBucket.
    virtual void* CloneElement(u32 aIndex, StaticPoolBucketBase*& aOutBucket) = 0;

    u32 IndexOf(const void* aElement) const
    {
        const auto offset = static_cast<const std::byte*>(aElement) - static_cast<const std::byte*>(myElements);
        return static_cast<u32>(offset / myElementSize);
    }
    u32 GetCount(u32 aIndex) const { return myCounts[aIndex]; }

protected:
    template <class T>
    friend class StaticObjectPool;

    void* myElements;
    u32 myElementSize;
    u32 myCounts[POOL_BUCKET_SIZE] = {};
};

// Fixed-size buckets of reference-counted elements that never move, so handles are plain
// pointers. Element 0 of the first bucket is the immortal default. The pool is built on first
// use and deliberately never destroyed: values held by other statics may release into it at
// exit, and a live pool makes that harmless.
template <class T>
class StaticObjectPool
{
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "pooled elements are reused without destruction");

public:
    class Bucket final : public StaticPoolBucketBase
    {
    public:
        Bucket() : StaticPoolBucketBase(myStorage, sizeof(T)) {}
        void FreeElement(u32 aIndex) override { Get().myFreeList.emplace_back(this, &myStorage[aIndex]); }
        void* CloneElement(u32 aIndex, StaticPoolBucketBase*& aOutBucket) override
        {
            Bucket* bucket = this;
            T* element = &myStorage[aIndex];
            Get().Allocate(bucket, element);
            aOutBucket = bucket;
            return element;
        }
        T myStorage[POOL_BUCKET_SIZE];
    };

    static StaticObjectPool& Get()
    {
        static StaticObjectPool* pool = new StaticObjectPool();
        return *pool;
    }

    Bucket* GetDefaultBucket() { return &myBuckets.front(); }
    T* GetDefaultElement() { return &myBuckets.front().myStorage[0]; }

    // Copy-on-write clone: a new element holding a copy of *aElement (count 1); then one
    // reference of the old element is released. The handle is updated in place.
    void Allocate(Bucket*& aBucket, T*& aElement)
    {
        Bucket* bucket = nullptr;
        T* element = nullptr;
        TakeFresh(bucket, element);
        *element = *aElement;
        Release(aBucket, aElement);
        aBucket = bucket;
        aElement = element;
    }

    // A new element holding aValue, count 1.
    void AllocateValue(const T& aValue, Bucket*& aOutBucket, T*& aOutElement)
    {
        TakeFresh(aOutBucket, aOutElement);
        *aOutElement = aValue;
    }

    void AddReference(Bucket* aBucket, T* aElement)
    {
        u32& count = aBucket->myCounts[aBucket->IndexOf(aElement)];
        QEL_ASSERT(count != 0);
        if (count != POOL_IMMORTAL_COUNT)
        {
            ++count;
        }
    }

    void Release(Bucket* aBucket, T* aElement)
    {
        u32& count = aBucket->myCounts[aBucket->IndexOf(aElement)];
        if (count == POOL_IMMORTAL_COUNT)
        {
            return;
        }
        QEL_ASSERT(count != 0);
        if (--count == 0)
        {
            aBucket->FreeElement(aBucket->IndexOf(aElement));
        }
    }

    u32 GetCount(const Bucket* aBucket, const T* aElement) const { return aBucket->GetCount(aBucket->IndexOf(aElement)); }
    std::size_t GetBucketCount() const { return myBuckets.size(); }
    std::size_t GetFreeCount() const { return myFreeList.size(); }
    u32 GetUsedInNewestBucket() const { return myUsedInNewest; }

private:
    StaticObjectPool()
    {
        myBuckets.emplace_back();
        Bucket& first = myBuckets.front();
        first.myStorage[0] = T{};
        first.myCounts[0] = POOL_IMMORTAL_COUNT;
        myUsedInNewest = 1;
    }

    void TakeFresh(Bucket*& aOutBucket, T*& aOutElement)
    {
        if (!myFreeList.empty())
        {
            aOutBucket = myFreeList.back().first;
            aOutElement = myFreeList.back().second;
            myFreeList.pop_back();
        }
        else
        {
            if (myUsedInNewest == POOL_BUCKET_SIZE)
            {
                myBuckets.emplace_back();
                myUsedInNewest = 0;
            }
            aOutBucket = &myBuckets.back();
            aOutElement = &myBuckets.back().myStorage[myUsedInNewest++];
        }
        aOutBucket->myCounts[aOutBucket->IndexOf(aOutElement)] = 1;
    }

    std::list<Bucket> myBuckets;
    std::vector<std::pair<Bucket*, T*>> myFreeList;
    u32 myUsedInNewest = 0;
};
}

// Two-pointer handle to a pooled, shared element. Copies share; GetMutable copies a shared
// element first, so other holders keep the old value.
template <class T>
class CopyOnWriteWrapper
{
public:
    using Pool = impl::StaticObjectPool<T>;
    using Bucket = typename Pool::Bucket;

    CopyOnWriteWrapper() : myBucket(Pool::Get().GetDefaultBucket()), myElement(Pool::Get().GetDefaultElement()) {}
    explicit CopyOnWriteWrapper(const T& aValue) { Pool::Get().AllocateValue(aValue, myBucket, myElement); }
    CopyOnWriteWrapper(const CopyOnWriteWrapper& aOther) : myBucket(aOther.myBucket), myElement(aOther.myElement)
    {
        if (myBucket)
        {
            Pool::Get().AddReference(myBucket, myElement);
        }
    }
    CopyOnWriteWrapper& operator=(const CopyOnWriteWrapper& aOther)
    {
        // Reference the new element before releasing the old one: self-assignment stays safe.
        if (aOther.myBucket)
        {
            Pool::Get().AddReference(aOther.myBucket, aOther.myElement);
        }
        if (myBucket)
        {
            Pool::Get().Release(myBucket, myElement);
        }
        myBucket = aOther.myBucket;
        myElement = aOther.myElement;
        return *this;
    }
    ~CopyOnWriteWrapper()
    {
        if (myBucket)
        {
            Pool::Get().Release(myBucket, myElement);
        }
    }

    const T& Get() const { return *myElement; }
    const T* operator->() const { return myElement; }
    const T& operator*() const { return *myElement; }

    // The element to change: itself when this handle is its only holder, else a fresh copy.
    T* GetMutable()
    {
        if (Pool::Get().GetCount(myBucket, myElement) < 2)
        {
            return myElement;
        }
        Pool::Get().Allocate(myBucket, myElement);
        return myElement;
    }

    Bucket* GetBucket() const { return myBucket; }
    const T* GetElement() const { return myElement; }
    u32 GetReferenceCount() const { return Pool::Get().GetCount(myBucket, myElement); }

private:
    Bucket* myBucket = nullptr;
    T* myElement = nullptr;
};
}
