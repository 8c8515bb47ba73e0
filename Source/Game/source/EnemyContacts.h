#pragma once
#include "Box.h"
#include "core/Types.h"
#include "math/Vector.h"

#include <cstddef>
#include <vector>

// The enemy kinds the player's contact pass walks, in the order it walks them.
enum class EnemyContactKind : Qel::u8
{
    FlyingMiniOwl = 0,
    BeetleTank = 1,
    MiniOwl = 2,
    PipeMole = 3,
};
inline constexpr std::size_t ENEMY_CONTACT_KIND_COUNT = 4;

// The boxes an enemy meets the player with. A box without area takes part in no test.
//  - flying mini owl: myTop is its one box (stomped from above its centre, else it hurts);
//  - walking mini owl: myTop is stomped, myBody hurts;
//  - beetle tank: myTop is stomped, myBody and myShell hurt (a shell still in the barrel
//    has no area);
//  - pipe mole: myBody hurts; it cannot be stomped.
struct EnemyContactBoxes
{
    Box myTop;
    Box myBody;
    Box myShell;
};

// One of the world's enemy lists as the player's contact pass sees it: it erases enemies whose
// removal time has passed, picks the two nearest to be heard, and stomps or is hurt by the rest.
class EnemyContacts
{
public:
    virtual ~EnemyContacts() = default;
    virtual EnemyContactKind GetKind() const = 0;
    virtual std::size_t GetCount() const = 0;
    virtual bool IsRemoved(std::size_t aIndex) const = 0;
    // Later enemies move down by one.
    virtual void Erase(std::size_t aIndex) = 0;
    virtual bool IsDead(std::size_t aIndex) const = 0;
    virtual Qel::Vector3f GetPosition(std::size_t aIndex) const = 0;
    // An inactive enemy plays its sounds at volume 0.
    virtual void SetActive(std::size_t aIndex, bool aActive) = 0;
    virtual EnemyContactBoxes GetContactBoxes(std::size_t aIndex) const = 0;
    // The kill of an enemy the player landed on.
    virtual void KillByJumpOn(std::size_t aIndex) = 0;
};

// How an enemy kind answers; a kind whose names differ specialises this.
template <class Enemy>
struct EnemyContactTraits
{
    static bool IsRemoved(const Enemy& aEnemy) { return aEnemy.IsRemoved(); }
    static bool IsDead(const Enemy& aEnemy) { return aEnemy.IsDead(); }
    static Qel::Vector3f GetPosition(const Enemy& aEnemy) { return aEnemy.GetPosition(); }
    static void SetActive(Enemy& aEnemy, bool aActive) { aEnemy.SetActive(aActive); }
    static EnemyContactBoxes GetContactBoxes(const Enemy& aEnemy) { return aEnemy.GetContactBoxes(); }
    static void KillByJumpOn(Enemy& aEnemy) { aEnemy.KillByJumpOn(); }
};

// An enemy array of the world, seen through EnemyContactTraits.
template <class Enemy, class Traits = EnemyContactTraits<Enemy>>
class EnemyContactList final : public EnemyContacts
{
public:
    EnemyContactList(EnemyContactKind aKind, std::vector<Enemy>& aList) : myKind(aKind), myList(aList) {}
    EnemyContactKind GetKind() const override { return myKind; }
    std::size_t GetCount() const override { return myList.size(); }
    bool IsRemoved(std::size_t aIndex) const override { return Traits::IsRemoved(myList[aIndex]); }
    void Erase(std::size_t aIndex) override { myList.erase(myList.begin() + static_cast<std::ptrdiff_t>(aIndex)); }
    bool IsDead(std::size_t aIndex) const override { return Traits::IsDead(myList[aIndex]); }
    Qel::Vector3f GetPosition(std::size_t aIndex) const override { return Traits::GetPosition(myList[aIndex]); }
    void SetActive(std::size_t aIndex, bool aActive) override { Traits::SetActive(myList[aIndex], aActive); }
    EnemyContactBoxes GetContactBoxes(std::size_t aIndex) const override
    {
        return Traits::GetContactBoxes(myList[aIndex]);
    }
    void KillByJumpOn(std::size_t aIndex) override { Traits::KillByJumpOn(myList[aIndex]); }

private:
    EnemyContactKind myKind;
    std::vector<Enemy>& myList;
};
