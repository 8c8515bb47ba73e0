#pragma once
// The one list of scenery props and backdrop layers: the word a level source places, the object
// definition the level generator writes for it, and the model (or particle system) it shows. The
// scenery model generator builds every model marked as its own from this list and the level
// generator places only what is listed, so the two cannot disagree about a name.
#include <string>
#include <vector>

namespace SceneryCatalog
{
// Object tags the scenery uses: plain scenery, scenery with sparks, and a layer sliding with the camera.
inline constexpr int TAG_SCENERY = 0;
inline constexpr int TAG_SPARKS = 17;
inline constexpr int TAG_PARALLAX = 18;

// The play camera stands this far in front of the play plane (z = 0).
inline constexpr double CAMERA_DISTANCE = 1000.0;

// How far a backdrop at depth z follows the camera: as a far object seen from the camera would,
// so deeper layers drift less across the screen. The sky (fixed scale 1) does not drift at all.
inline double ParallaxScaleAt(double aDepth) { return aDepth / (aDepth + CAMERA_DISTANCE); }

enum class Chapter
{
    Any,
    Forest,
    Factory
};

struct Entry
{
    const char* myKind;         // the word in Assets/Levels/levelN.txt
    Chapter myChapter;          // Any, or the chapter this variant of the kind belongs to
    const char* myDefinition;   // objects/scenery/<definition>.qlo
    const char* myModel;        // art/3d/<model>.fbx; empty: none
    const char* myParticles;    // art/particles/<particles>.qlap; empty: none
    int myTag;
    double myDepth;             // z when the source gives none (positive: behind the play plane)
    double myFixedScale;        // parallax only: a fixed scale, or < 0 for ParallaxScaleAt(z)
    bool myStanding;            // stands on the row below its cell rather than centred in it
    bool myOwnModel;            // built by make_scenery_models (others come from make_models)
};

inline const std::vector<Entry>& Entries()
{
    static const std::vector<Entry> entries = {
        // Backdrop layers, far to near; one set per chapter.
        {"sky", Chapter::Forest, "QLO_Sky_Forest", "SM_Sky_Forest", "", TAG_PARALLAX, 8000, 1.0, false, true},
        {"sky", Chapter::Factory, "QLO_Sky_Factory", "SM_Sky_Factory", "", TAG_PARALLAX, 8000, 1.0, false, true},
        {"far", Chapter::Forest, "QLO_Far_Forest", "SM_Far_Forest", "", TAG_PARALLAX, 6000, -1, true, true},
        {"far", Chapter::Factory, "QLO_Far_Factory", "SM_Far_Factory", "", TAG_PARALLAX, 6000, -1, true, true},
        {"near", Chapter::Forest, "QLO_Near_Forest", "SM_Near_Forest", "", TAG_PARALLAX, 2500, -1, true, true},
        {"near", Chapter::Factory, "QLO_Near_Factory", "SM_Near_Factory", "", TAG_PARALLAX, 2500, -1, true, true},
        {"gearback", Chapter::Any, "QLO_GearBackdrop", "SM_Gear", "", TAG_PARALLAX, 900, -1, false, true},
        // Forest props.
        {"pine", Chapter::Any, "QLO_Pine", "SM_Pine", "", TAG_SCENERY, 250, -1, true, true},
        {"oak", Chapter::Any, "QLO_Oak", "SM_Oak", "", TAG_SCENERY, 300, -1, true, true},
        {"rock", Chapter::Any, "QLO_Rock", "SM_Rock", "", TAG_SCENERY, 160, -1, true, true},
        {"bush", Chapter::Any, "QLO_Bush", "SM_Bush", "", TAG_SCENERY, 140, -1, true, true},
        {"fence", Chapter::Any, "QLO_Fence", "SM_Fence", "", TAG_SCENERY, 130, -1, true, true},
        {"mushrooms", Chapter::Any, "QLO_Mushrooms", "SM_Mushrooms", "", TAG_SCENERY, 120, -1, true, true},
        {"grove", Chapter::Any, "QLO_Grove", "SM_Grove", "", TAG_SCENERY, 350, -1, true, true},
        {"stump", Chapter::Any, "QLO_Stump", "SM_Stump", "", TAG_SCENERY, 120, -1, true, false},
        {"fireflies", Chapter::Any, "QLO_Fireflies", "", "P_Glow", TAG_SCENERY, 100, -1, false, false},
        // Factory props.
        {"pipes", Chapter::Any, "QLO_Pipes", "SM_Pipes", "", TAG_SCENERY, 200, -1, true, true},
        {"girder", Chapter::Any, "QLO_Girder", "SM_Girder", "", TAG_SCENERY, 300, -1, true, true},
        {"boiler", Chapter::Any, "QLO_Boiler", "SM_Boiler", "", TAG_SCENERY, 220, -1, true, true},
        {"chimney", Chapter::Any, "QLO_Chimney", "SM_Chimney", "", TAG_SCENERY, 600, -1, true, true},
        {"gear", Chapter::Any, "QLO_Gear", "SM_Gear", "", TAG_SCENERY, 400, -1, false, true},
        {"works", Chapter::Any, "QLO_Works", "SM_Works", "", TAG_SCENERY, 380, -1, true, true},
        {"sparkgear", Chapter::Any, "QLO_SparkGear", "SM_Gear", "P_GearSparks", TAG_SPARKS, 200, -1, false, true},
        {"crate", Chapter::Any, "QLO_Crate", "SM_Crate", "", TAG_SCENERY, 120, -1, true, false},
        {"lamp", Chapter::Any, "QLO_Lamp", "SM_Lamp", "", TAG_SCENERY, 150, -1, true, false},
    };
    return entries;
}

// The entry a level of the given chapter (1 forest, 2 factory) places for a word; null when none.
inline const Entry* Find(const std::string& aKind, int aChapter)
{
    const Chapter chapter = aChapter == 1 ? Chapter::Forest : Chapter::Factory;
    for (const Entry& entry : Entries())
        if (aKind == entry.myKind && (entry.myChapter == Chapter::Any || entry.myChapter == chapter))
            return &entry;
    return nullptr;
}
}
