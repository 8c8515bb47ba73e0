#pragma once
#include "core/Types.h"

// A cell of the tile grid; (-1, -1) is "outside the grid".
struct TileCell
{
    Qel::i32 x = -1;
    Qel::i32 y = -1;
    constexpr bool operator==(const TileCell&) const = default;
};
