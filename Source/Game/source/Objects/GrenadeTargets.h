#pragma once
// An enemy list as a thrown grenade sees it: which enemies are alive, the box a grenade hits
// and the kill a power-up deals. Each enemy kind puts its list into GameWorld::myGrenadeTargets
// at its place in the order grenades test them.
#include "Box.h"
#include "math/Vector.h"

#include <cstddef>

enum class GrenadeTargetKind : unsigned char
{
    FlyingMiniOwl = 0,  // its box
    BeetleTank = 1,     // the body box
    MiniOwl = 2,        // the body box
    PipeMole = 3,       // the mole's box
};
inline constexpr std::size_t GRENADE_TARGET_KIND_COUNT = 4;

class GrenadeTargets
{
public:
    virtual ~GrenadeTargets() = default;
    virtual std::size_t GetCount() const = 0;
    virtual bool IsDead(std::size_t aIndex) const = 0;
    virtual Box GetGrenadeBox(std::size_t aIndex) const = 0;
    virtual Qel::Vector3f GetPosition(std::size_t aIndex) const = 0;
    // FlyingMiniOwl::Kill, BeetleTank::KillByPowerup, MiniOwl::KillByPowerup, PipeMole::Kill.
    virtual void KillByPowerup(std::size_t aIndex) = 0;
};

#include <vector>

// A world's enemy array seen by grenades: each kind answers IsDead, GetHitbox (the box a
// grenade hits: a flying owl's box, a walker's or tank's body, the mole's box), GetPosition and
// KillByPowerup.
template <class Enemy>
class GrenadeTargetList final : public GrenadeTargets
{
public:
    explicit GrenadeTargetList(std::vector<Enemy>& aList) : myList(aList) {}
    std::size_t GetCount() const override { return myList.size(); }
    bool IsDead(std::size_t aIndex) const override { return myList[aIndex].IsDead(); }
    Box GetGrenadeBox(std::size_t aIndex) const override { return myList[aIndex].GetHitbox(); }
    Qel::Vector3f GetPosition(std::size_t aIndex) const override { return myList[aIndex].GetPosition(); }
    void KillByPowerup(std::size_t aIndex) override { myList[aIndex].KillByPowerup(); }

private:
    std::vector<Enemy>& myList;
};
