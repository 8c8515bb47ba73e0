#pragma once
#include "Box.h"
#include "math/Vector.h"

#include <cstddef>
#include <vector>

// What a bumped block needs from the enemies that may stand on it: whether each is removed or
// dead, the box that stands on the block, where it is, and its power-up kill. The world holds
// one of these per enemy list a bump reaches, in the order the bump walks them.
class TileStandingEnemies
{
public:
    virtual ~TileStandingEnemies() = default;
    virtual std::size_t GetCount() const = 0;
    virtual bool IsRemoved(std::size_t aIndex) const = 0;
    // Later enemies move down by one.
    virtual void Erase(std::size_t aIndex) = 0;
    virtual bool IsDead(std::size_t aIndex) const = 0;
    virtual Box GetHitbox(std::size_t aIndex) const = 0;
    virtual Qel::Vector3f GetPosition(std::size_t aIndex) const = 0;
    virtual void Kill(std::size_t aIndex) = 0;
};

// How an enemy kind answers; a kind whose names differ specialises this.
template <class Enemy>
struct TileEnemyTraits
{
    static bool IsRemoved(const Enemy& aEnemy) { return aEnemy.IsRemoved(); }
    static bool IsDead(const Enemy& aEnemy) { return aEnemy.IsDead(); }
    static Box GetHitbox(const Enemy& aEnemy) { return aEnemy.GetHitbox(); }
    static Qel::Vector3f GetPosition(const Enemy& aEnemy) { return aEnemy.GetPosition(); }
    static void Kill(Enemy& aEnemy) { aEnemy.KillByPowerup(); }
};

// An enemy array of the world, seen through TileEnemyTraits.
template <class Enemy, class Traits = TileEnemyTraits<Enemy>>
class TileStandingEnemyList final : public TileStandingEnemies
{
public:
    explicit TileStandingEnemyList(std::vector<Enemy>& aList) : myList(aList) {}
    std::size_t GetCount() const override { return myList.size(); }
    bool IsRemoved(std::size_t aIndex) const override { return Traits::IsRemoved(myList[aIndex]); }
    void Erase(std::size_t aIndex) override { myList.erase(myList.begin() + static_cast<std::ptrdiff_t>(aIndex)); }
    bool IsDead(std::size_t aIndex) const override { return Traits::IsDead(myList[aIndex]); }
    Box GetHitbox(std::size_t aIndex) const override { return Traits::GetHitbox(myList[aIndex]); }
    Qel::Vector3f GetPosition(std::size_t aIndex) const override { return Traits::GetPosition(myList[aIndex]); }
    void Kill(std::size_t aIndex) override { Traits::Kill(myList[aIndex]); }

private:
    std::vector<Enemy>& myList;
};
