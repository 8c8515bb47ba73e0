#include "GameplayFixture.h"
#include "TileBehavior.h"

#include "Util/RenderSize.h"
#include "math/Camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace GameplayTest;
using Qel::ObjectTag;

namespace
{
// A walking enemy as a bumped block sees it.
struct FixtureOwl
{
    Qel::Vector3f myPosition;
    bool myRemoved = false;
    bool myDead = false;
    int myKills = 0;

    bool IsRemoved() const { return myRemoved; }
    bool IsDead() const { return myDead; }
    Box GetHitbox() const { return Box(myPosition.x, myPosition.y + 35.0f, 50.0f, 65.0f); }
    Qel::Vector3f GetPosition() const { return myPosition; }
    void KillByPowerup()
    {
        myDead = true;
        ++myKills;
    }
};

// A kind whose kill has another name, answered through its traits.
struct FixtureFlyer
{
    Qel::Vector3f myPosition;
    bool myDead = false;
    int myKills = 0;
    void Kill()
    {
        myDead = true;
        ++myKills;
    }
};
}

template <>
struct TileEnemyTraits<FixtureFlyer>
{
    static bool IsRemoved(const FixtureFlyer&) { return false; }
    static bool IsDead(const FixtureFlyer& aEnemy) { return aEnemy.myDead; }
    static Box GetHitbox(const FixtureFlyer& aEnemy) { return Box(aEnemy.myPosition.x, aEnemy.myPosition.y, 60, 60); }
    static Qel::Vector3f GetPosition(const FixtureFlyer& aEnemy) { return aEnemy.myPosition; }
    static void Kill(FixtureFlyer& aEnemy) { aEnemy.Kill(); }
};

namespace
{
// Cell (20, 3): centre (0, 200), top at y 250.
constexpr float BLOCK_X = 0.0f;
constexpr float BLOCK_Y = 200.0f;
const TileCell BLOCK_CELL{20, 3};

struct Created
{
    Qel::i32 myTag;
    Qel::Matrix4x4 myTransform;
};

class TileBehaviorTest : public testing::Test
{
protected:
    TileBehaviorTest()
    {
        auto& lists = game.myWorld.myTileStandingEnemies;
        lists.push_back(std::make_unique<TileStandingEnemyList<FixtureOwl>>(owls));
        lists.push_back(std::make_unique<TileStandingEnemyList<FixtureFlyer>>(flyers));
        game.myWorld.myCreateOtherKind = [this](Qel::i32 aTag, const Qel::Matrix4x4& aTransform,
                                                const Qel::PropertyRecord*, std::size_t) {
            created.push_back({aTag, aTransform});
        };
        game.AddDefinition("Drop_Grenade", Props().Tag(ObjectTag::ChestGrenadePickup));
        game.AddDefinition("Drop_Shield", Props().Tag(ObjectTag::ShieldPickup));
        game.AddDefinition("Drop_Battery", Props().Tag(ObjectTag::BatterySpawn));
        game.AddDefinition("Drop_Life", Props().Tag(ObjectTag::LifePickup));
        game.AddDefinition("UsedBlock", Props().Tag(ObjectTag::BlockIndestructible).Material(Qel::TileMaterial::Metal));
    }

    TileMap& Map() { return game.myWorld.myTileMap; }

    void Bump() { Map().SweepPlayerBox({BLOCK_X, 95, 50, 100}, 300.0f, false, 0, 10); }
    void Pound() { Map().SweepPlayerBox({BLOCK_X, 305, 50, 100}, -300.0f, true, 0, -10); }

    void PlaceLucky(Qel::DropType aDrop, const char* aReplace = "Objects/UsedBlock.qlo")
    {
        const Props props = Props()
                                .Tag(ObjectTag::BlockLucky)
                                .Drop(aDrop)
                                .Object("ChestGrenadeDrop", "Objects/Drop_Grenade.qlo")
                                .Object("ShieldDrop", "Objects/Drop_Shield.qlo")
                                .Object("BatterySpawn", "Objects/Drop_Battery.qlo")
                                .Object("LifeDrop", "Objects/Drop_Life.qlo")
                                .Object("ReplaceBlock", aReplace);
        game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), props.Data(), props.Count());
    }

    GameplayFixture game;
    std::vector<FixtureOwl> owls;
    std::vector<FixtureFlyer> flyers;
    std::vector<Created> created;
};
}

TEST_F(TileBehaviorTest, BreakableBumpedFromBelowKillsWhatStandsOnItAndBreaks)
{
    game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), Props().Tag(ObjectTag::BlockBreakable).Data(), 1);
    ASSERT_NE(dynamic_cast<BreakableTile*>(Map().GetBehavior(BLOCK_CELL)), nullptr);
    owls.push_back({{200, 250, 0}});            // beside the block: untouched
    owls.push_back({{0, 250, 0}, true});         // removed: erased on the way
    owls.push_back({{10, 250, 0}});             // standing on it
    owls.push_back({{-10, 250, 0}, false, true}); // already dead
    flyers.push_back({{30, 270, 0}});           // hovering over it

    Bump();
    game.StepTiles();

    EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    EXPECT_EQ(Map().GetBehavior(BLOCK_CELL), nullptr);
    ASSERT_EQ(owls.size(), 3u);
    EXPECT_EQ(owls[0].myKills, 0);
    EXPECT_EQ(owls[1].myKills, 1);
    EXPECT_EQ(owls[2].myKills, 0);
    EXPECT_EQ(flyers[0].myKills, 1);
    EXPECT_EQ(game.myHud.GetScore(), 2000);
    ASSERT_EQ(game.myHud.GetScorePopups().size(), 2u);
    EXPECT_EQ(game.myHud.GetScorePopups()[0].myAmount, 1000);
    // Each popup starts over its enemy, projected through the world camera.
    const Qel::Vector3f eye = game.myWorld.myCamera ? game.myWorld.myCamera->GetPosition() : Qel::Vector3f();
    const auto [width, height] = GetGameRenderSize();
    EXPECT_EQ(game.myHud.GetScorePopups()[0].myText.GetText(), "+1000");
    EXPECT_EQ(game.myHud.GetScorePopups()[0].myPosition, Hud::WorldToScreen({10, 250, 0}, eye, width, height));
    EXPECT_EQ(game.myHud.GetScorePopups()[1].myPosition, Hud::WorldToScreen({30, 270, 0}, eye, width, height));

    // The hit's rumble and one per knocked-out enemy.
    const auto rumble = game.PendingRumble();
    ASSERT_EQ(rumble.size(), 3u);
    EXPECT_FLOAT_EQ(rumble[0].myLow, 0.2f);
    EXPECT_FLOAT_EQ(rumble[1].myLow, 0.5f);
    EXPECT_FLOAT_EQ(rumble[2].mySecondsLeft, 0.5f);
}

TEST_F(TileBehaviorTest, BreakablePoundedBreaksWithoutKilling)
{
    game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), Props().Tag(ObjectTag::BlockBreakable).Data(), 1);
    owls.push_back({{10, 250, 0}});
    Pound();
    game.StepTiles();
    EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    EXPECT_EQ(owls[0].myKills, 0);
    EXPECT_EQ(game.myHud.GetScore(), 0);
    EXPECT_EQ(game.PendingRumble().size(), 1u);
}

TEST_F(TileBehaviorTest, BreakableShowsItsPiecesWhenDefined)
{
    struct Effect
    {
        bool hasModel;
        Qel::Vector3f position;
        std::string clip;
    };
    std::vector<Effect> effects;
    game.myWorld.mySpawnBlockBreakEffect = [&](const Qel::ModelValue* aModel, const Qel::Matrix4x4& aTransform,
                                               const std::string& aClip) {
        effects.push_back({aModel != nullptr, aTransform.GetTranslation(), aClip});
    };

    // Without the definition the block still breaks, with no effect.
    game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), Props().Tag(ObjectTag::BlockBreakable).Data(), 1);
    Bump();
    game.StepTiles();
    EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    EXPECT_TRUE(effects.empty());

    game.AddDefinition("QLO_BreakableTileA", Props()
                                                 .Model("Cube")
                                                 .Clip("DestroyAnimationTop", "clips/break_top.fbx")
                                                 .Clip("DestroyAnimationBottom", "clips/break_bottom.fbx"));
    for (const bool pound : {false, true})
    {
        game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), Props().Tag(ObjectTag::BlockBreakable).Data(), 1);
        pound ? Pound() : Bump();
        game.StepTiles();
        EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    }
    ASSERT_EQ(effects.size(), 2u);
    EXPECT_TRUE(effects[0].hasModel);
    EXPECT_EQ(effects[0].position, Qel::Vector3f(BLOCK_X, BLOCK_Y, -100.0f));
    EXPECT_EQ(effects[0].clip, "clips/break_bottom.fbx");
    EXPECT_EQ(effects[1].clip, "clips/break_top.fbx");
}

TEST_F(TileBehaviorTest, LuckyDropTable)
{
    struct Case
    {
        Qel::DropType drop;
        Qel::u32 powerUp;
        bool pound;
        ObjectTag wantTag;
    } cases[] = {
        {Qel::DropType::Battery, 0, false, ObjectTag::BatterySpawn},
        {Qel::DropType::Battery, 0, true, ObjectTag::BatterySpawn},
        {Qel::DropType::Powerup, 0, false, ObjectTag::ShieldPickup},
        {Qel::DropType::Powerup, 1, false, ObjectTag::ChestGrenadePickup},
        {Qel::DropType::Powerup, 2, true, ObjectTag::ChestGrenadePickup},
        {Qel::DropType::Life, 0, false, ObjectTag::LifePickup},
        {Qel::DropType::Life, 1, true, ObjectTag::LifePickup},
    };
    for (const Case& c : cases)
    {
        Map().Clear();
        created.clear();
        game.ClearSounds();
        game.myWorld.myPlayer.SetPowerUp(c.powerUp);
        PlaceLucky(c.drop);
        c.pound ? Pound() : Bump();
        game.StepTiles();

        const std::string name = std::to_string(static_cast<int>(c.drop)) + "/" + std::to_string(c.powerUp) +
                                 (c.pound ? " pound" : " bump");
        ASSERT_EQ(created.size(), 1u) << name;
        EXPECT_EQ(created[0].myTag, static_cast<Qel::i32>(c.wantTag)) << name;
        const float d = c.pound ? -1.0f : 1.0f;
        EXPECT_EQ(created[0].myTransform.GetTranslation(), Qel::Vector3f(BLOCK_X, BLOCK_Y + 100.0f * d, 0.0f)) << name;
        // Only the battery burst is mirrored when it is sent downwards.
        const float rowY = c.wantTag == ObjectTag::BatterySpawn ? d : 1.0f;
        EXPECT_EQ(created[0].myTransform.GetRow(2), Qel::Vector4f(0, rowY, 0, 0)) << name;
        EXPECT_EQ(game.CountEffect(SFX_POWER_BLOCK_HIT), 1u) << name;
        EXPECT_TRUE(Map().GetBehavior(BLOCK_CELL)->IsBusy()) << name;
    }
}

TEST_F(TileBehaviorTest, LuckyBouncesOnceThenIsReplaced)
{
    PlaceLucky(Qel::DropType::Battery);
    owls.push_back({{10, 250, 0}});
    Bump();
    game.StepTiles();
    EXPECT_EQ(owls[0].myKills, 1);  // a bump from below knocks out what stands on it
    ASSERT_EQ(created.size(), 1u);
    const LuckyTile* lucky = dynamic_cast<const LuckyTile*>(Map().GetBehavior(BLOCK_CELL));
    ASSERT_NE(lucky, nullptr);

    // A quarter second in, the block is at its highest; its top strip follows it.
    game.StepTiles(14);
    const float y = Map().GetVisual(BLOCK_CELL)->GetPosition().y;
    EXPECT_NEAR(y, BLOCK_Y + 50.0f, 0.5f);
    EXPECT_NEAR(lucky->GetHitbox().myPosition.y, y + 60.0f, 1e-3f);
    EXPECT_EQ(Map().GetVisual(BLOCK_CELL)->GetPosition().x, BLOCK_X);

    // A second hit while bouncing does nothing: no sound, no drop.
    Bump();
    Pound();
    game.StepTiles();
    EXPECT_EQ(game.CountEffect(SFX_POWER_BLOCK_HIT), 1u);
    EXPECT_EQ(created.size(), 1u);

    // After half a second the used block takes the cell: solid, metal, idle.
    game.StepTiles(40);
    const TileBehavior* replacement = Map().GetBehavior(BLOCK_CELL);
    ASSERT_NE(replacement, nullptr);
    EXPECT_NE(dynamic_cast<const SolidTile*>(replacement), nullptr);
    EXPECT_FALSE(replacement->IsBusy());
    EXPECT_TRUE(Map().IsSolid(BLOCK_CELL));
    EXPECT_EQ(Map().GetMaterial(BLOCK_CELL), TILE_MATERIAL_METAL);
    EXPECT_EQ(Map().GetVisual(BLOCK_CELL)->GetPosition(), Qel::Vector3f(BLOCK_X, BLOCK_Y, 0.0f));
    game.StepTiles();
    EXPECT_TRUE(Map().GetActiveCells().empty());

    // The used block only sounds when bumped from below.
    game.ClearSounds();
    Pound();
    game.StepTiles();
    EXPECT_TRUE(game.PlayedEffects().empty());
    Bump();
    game.StepTiles();
    EXPECT_EQ(game.PlayedEffects(), std::vector<Qel::u8>{SFX_HIT_HEAD});
    EXPECT_TRUE(Map().IsSolid(BLOCK_CELL));
}

TEST_F(TileBehaviorTest, LuckyPoundedBouncesDown)
{
    PlaceLucky(Qel::DropType::Life);
    Pound();
    game.StepTiles(15);
    EXPECT_NEAR(Map().GetVisual(BLOCK_CELL)->GetPosition().y, BLOCK_Y - 50.0f, 0.5f);
}

TEST_F(TileBehaviorTest, LuckyWithoutReferencesLeavesItsCellEmptyAndWritesNothing)
{
    game.myWorld.CreateObject(At(BLOCK_X, BLOCK_Y), Props().Tag(ObjectTag::BlockLucky).Data(), 1);
    Bump();
    game.StepTiles(40);
    EXPECT_TRUE(created.empty());
    EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    EXPECT_TRUE(std::filesystem::is_empty(game.myAssetRoot.Path()));

    // A reference to a definition that does not exist yet: created empty, so nothing drops and
    // the factory gets an object without a tag.
    PlaceLucky(Qel::DropType::Battery, "Objects/Missing_Block.qlo");
    game.AddDefinition("Drop_Battery", Props());
    Bump();
    game.StepTiles(40);
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[0].myTag, 0);
    EXPECT_EQ(created[1].myTag, 0);
    EXPECT_FALSE(Map().IsSolid(BLOCK_CELL));
    EXPECT_TRUE(std::filesystem::exists(game.myAssetRoot.Path() / "Objects/Missing_Block.qlo"));
}

TEST_F(TileBehaviorTest, BlocksRefuseToCreateThePlayerOrCheckpoint)
{
    game.AddDefinition("Drop_Battery", Props().Tag(ObjectTag::Player));
    game.AddDefinition("UsedBlock", Props().Tag(ObjectTag::Checkpoint));
    PlaceLucky(Qel::DropType::Battery);
    testing::internal::CaptureStdout();
    Bump();
    game.StepTiles(40);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(created.empty());
    EXPECT_NE(out.find("Drop_Battery.qlo: a block cannot create a Player"), std::string::npos) << out;
    EXPECT_NE(out.find("UsedBlock.qlo: a block cannot create a Checkpoint"), std::string::npos) << out;
}

TEST_F(TileBehaviorTest, BadBlockValuesAreMendedWithAMessageAndTheRestLoads)
{
    struct Case
    {
        const char* name;
        Props props;
        Qel::Vector2f at;
        const char* message;
    } cases[] = {
        {"zero width", Props().Tag(ObjectTag::BlockIndestructible).Int("TileWidth", 0), {500, 0},
         "BlockIndestructible at (500, 0): TileWidth 0 is outside 1..512; using 1."},
        {"huge height", Props().Tag(ObjectTag::BlockIndestructible).Int("TileHeight", 9999), {600, 0},
         "TileHeight 9999 is outside 1..32; using 32."},
        {"material", Props().Tag(ObjectTag::BlockBreakable).Material(static_cast<Qel::TileMaterial>(7)), {700, 0},
         "BlockBreakable at (700, 0): tile material 7 is not one of Concrete, Metal, Hollow; using Concrete."},
        {"drop type", Props().Tag(ObjectTag::BlockLucky).Drop(static_cast<Qel::DropType>(9)), {800, 0},
         "BlockLucky at (800, 0): drop type 9 is not one of Battery, Powerup, Life; using Battery."},
        {"outside", Props().Tag(ObjectTag::BlockLucky), {-2500, 0},
         "BlockLucky at (-2500, 0) lies outside the tile grid"},
        {"fast platform",
         Props().Tag(ObjectTag::PlatformMoving).Float("HitboxWidth", 200).Float("Acceleration", 100).Float(
             "Deacceleration", 100).Float("MaxSpeed", 5000),
         {900, 500}, "Moving platform at (900, 500): MaxSpeed 5000 is more than a rider can be carried at"},
    };
    for (const Case& c : cases)
    {
        testing::internal::CaptureStdout();
        game.myWorld.CreateObject(At(c.at.x, c.at.y), c.props.Data(), c.props.Count());
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find(c.message), std::string::npos) << c.name << ": " << out;
    }
    EXPECT_TRUE(Map().IsSolid(TileMap::WorldToCell({500, 0})));
    EXPECT_TRUE(Map().IsSolid(TileMap::WorldToCell({600, -100})));  // grows down to the grid's bottom row
    EXPECT_FALSE(Map().IsSolid(TileMap::WorldToCell({600, 100})));
    EXPECT_EQ(Map().GetMaterial(TileMap::WorldToCell({700, 0})), 0);
    EXPECT_EQ(dynamic_cast<const LuckyTile*>(Map().GetBehavior(TileMap::WorldToCell({800, 0})))->GetDropKind(), 0);
    ASSERT_EQ(Map().GetMovingPlatforms().size(), 1u);
}

TEST_F(TileBehaviorTest, BlocksAreBuiltFromTheirProperties)
{
    // A 3 x 2 metal block snaps its drawn model to the grid and 1 % larger.
    const Props props = Props().Tag(ObjectTag::BlockIndestructible).Model("Cube").Int("TileWidth", 3).Int(
        "TileHeight", 2).Material(Qel::TileMaterial::Hollow);
    game.myWorld.CreateObject(At(-1000.0f + 10.0f, 400.0f - 20.0f, 30.0f), props.Data(), props.Count());
    const TileCell anchor = TileMap::WorldToCell({-990, 380});
    ASSERT_EQ(anchor, TileCell(10, 5));
    for (const TileCell cell : {TileCell{10, 5}, TileCell{12, 5}, TileCell{10, 4}, TileCell{12, 4}})
        EXPECT_EQ(Map().GetMaterial(cell), TILE_MATERIAL_HOLLOW);
    EXPECT_FALSE(Map().IsSolid({13, 5}));
    const Qel::Matrix4x4& visual = Map().GetVisual(anchor)->GetTransform();
    EXPECT_EQ(visual.GetTranslation(), Qel::Vector3f(-1000.0f, 400.0f, 30.0f));
    EXPECT_FLOAT_EQ(visual(1, 1), 1.01f);
    EXPECT_FLOAT_EQ(visual(2, 2), 1.01f);

    // A platform reads its keys and starts toward its first target.
    const Props platform = Props()
                               .Tag(ObjectTag::PlatformMoving)
                               .Float("HitboxWidth", 300)
                               .Float("HitboxOffset", 20)
                               .Float2("TargetA", {0, 0})
                               .Float2("TargetB", {400, 0})
                               .Bool("StartingTargetIsA", false)
                               .Bool("ShouldWait", false)
                               .Float("Acceleration", 100)
                               .Float("Deacceleration", 100)
                               .Float("MaxSpeed", 200);
    game.myWorld.CreateObject(At(2000, 800, 200), platform.Data(), platform.Count());
    ASSERT_EQ(Map().GetMovingPlatforms().size(), 1u);
    const MovingPlatform& p = Map().GetMovingPlatforms()[0];
    EXPECT_EQ(p.GetTarget(), Qel::Vector3f(2400, 800, 200));
    EXPECT_EQ(p.GetHitbox().GetSize(), Qel::Vector2f(300, 100));
    game.StepTiles(60);
    EXPECT_GT(p.GetPosition().x, 2000.0f);
    EXPECT_FLOAT_EQ(p.GetHitbox().myPosition.x, p.GetPosition().x + 20.0f);
    EXPECT_GT(p.GetFrameDelta().x, 0.0f);
}
