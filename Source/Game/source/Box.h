#pragma once
#include "math/Vector.h"

// The rectangle of every gameplay hit test: a centre and a size. Contains and Overlaps are
// strict, so boxes (or a point and a box) that only touch do not meet.
//
// A box with no area (width or height 0 or less) overlaps nothing. Objects switch their
// collisions off by zeroing a box's size; a strict test alone would still let such a box
// "overlap" every box that strictly contains its centre.
struct Box
{
    Qel::Vector2f myPosition;
    Qel::Vector2f mySize;

    constexpr Box() = default;
    constexpr Box(float aX, float aY, float aWidth, float aHeight) : myPosition(aX, aY), mySize(aWidth, aHeight) {}

    constexpr Qel::Vector2f GetPosition() const { return myPosition; }
    constexpr void SetPosition(const Qel::Vector2f& aPosition) { myPosition = aPosition; }
    constexpr Qel::Vector2f GetSize() const { return mySize; }
    constexpr void SetSize(const Qel::Vector2f& aSize) { mySize = aSize; }

    constexpr Qel::Vector2f GetMin() const { return {myPosition.x - mySize.x / 2, myPosition.y - mySize.y / 2}; }
    constexpr Qel::Vector2f GetMax() const { return {myPosition.x + mySize.x / 2, myPosition.y + mySize.y / 2}; }

    constexpr bool HasArea() const { return mySize.x > 0.0f && mySize.y > 0.0f; }

    constexpr bool Contains(const Qel::Vector2f& aPoint) const
    {
        return myPosition.x - mySize.x / 2 < aPoint.x && aPoint.x < myPosition.x + mySize.x / 2 &&
               myPosition.y - mySize.y / 2 < aPoint.y && aPoint.y < myPosition.y + mySize.y / 2;
    }

    constexpr bool Overlaps(const Box& b) const
    {
        if (!HasArea() || !b.HasArea())
            return false;
        return b.myPosition.x + b.mySize.x / 2 > myPosition.x - mySize.x / 2 &&
               myPosition.x + mySize.x / 2 > b.myPosition.x - b.mySize.x / 2 &&
               b.myPosition.y + b.mySize.y / 2 > myPosition.y - mySize.y / 2 &&
               myPosition.y + mySize.y / 2 > b.myPosition.y - b.mySize.y / 2;
    }
};
static_assert(sizeof(Box) == 16);
