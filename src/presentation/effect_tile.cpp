// "Tile": the picture appears as 8 x 8 tiles in random order, sixteen per
// step, and goes the same way.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kTile = 8;
constexpr int kTilesPerStep = 16;

struct Corner {
    int x, y;
};

// A list of every tile's top-left corner, in rows.
WORKLIST *BuildTiles(STATUS *status, ListPhase phase) {
    const PictureSize &size = status->effects.tile;
    const uint64_t across = uint64_t(size.w + kTile - 1) / kTile, down = uint64_t(size.h + kTile - 1) / kTile;
    WORKLIST *list = NewWorkList(status, ListOwner::Tile, phase, size, across * down, sizeof(Corner));
    if (!list) return nullptr;
    Corner *corners = ListEntries<Corner>(list);
    for (int y = 0; y < size.h; y += kTile)
        for (int x = 0; x < size.w; x += kTile) corners[list->count++] = {x, y};
    SeedRandom();
    return list;
}

WORD AllTilesDone(STATUS *status) {
    FreeWorkList(status);
    return EFFECT_NEXTPHASE;
}

// Takes a random tile off the list and returns its corner.
Corner TakeTile(WORKLIST *list) {
    Corner *corners = ListEntries<Corner>(list);
    const uint32_t i = uint32_t(std::rand()) % list->count;
    const Corner taken = corners[i];
    corners[i] = corners[--list->count];
    return taken;
}

uint32_t StepTarget(const WORKLIST *list) { return list->count > kTilesPerStep ? list->count - kTilesPerStep : 0; }
}  // namespace

WORD SetupTile(STATUS *status) {
    const WORD result = SetupBitmap(status, &status->effects.tile);
    if (result == EFFECT_END) return result;
    return BuildTiles(status, ListPhase::Appear) ? result : EFFECT_END;
}

WORD AppearTile(STATUS *status) {
    const PictureSize &size = status->effects.tile;
    WORKLIST *list = OwnWorkList(status, ListOwner::Tile, ListPhase::Appear, size);
    if (!list || list->count == 0) return AllTilesDone(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    for (const uint32_t target = StepTarget(list); list->count != target;) {
        const Corner t = TakeTile(list);
        source.Draw(t.x, t.y, std::min(kTile, size.w - t.x), std::min(kTile, size.h - t.y), t.x, t.y);
    }
    return 0;
}

WORD WaitTile(STATUS *status) { return HoldIsOver(status); }

WORD DisappearTile(STATUS *status) {
    PictureSize &size = status->effects.tile;
    WORKLIST *list = DisappearList(status, ListOwner::Tile, &size, BuildTiles);
    if (!list) return EFFECT_END;
    if (list->count == 0) return AllTilesDone(status);
    for (const uint32_t target = StepTarget(list); list->count != target;) {
        const Corner t = TakeTile(list);
        FillArea(status, t.x, t.y, t.x + kTile - 1, t.y + kTile - 1);
    }
    return 0;
}

WORD CloseTile(STATUS *status) { return ReleaseEffect(status); }
