// "Tile": the picture appears as 8 x 8 tiles in random order, sixteen per
// step, and goes the same way.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
constexpr int kTile = 8;
constexpr int kTilesPerStep = 16;
PictureSize size;
int tiles;  // tiles still to do; worklist holds their corners

struct Corner {
    int x, y;
};

bool BuildTiles(STATUS *status) {
    const int across = (size.w + kTile - 1) / kTile, down = (size.h + kTile - 1) / kTile;
    const int count = across * down;
    Corner *corners = (Corner *)std::malloc(sizeof(Corner) * (count > 0 ? count : 1));
    if (!corners) return false;
    tiles = 0;
    for (int y = 0; y < size.h; y += kTile)
        for (int x = 0; x < size.w; x += kTile) corners[tiles++] = {x, y};
    status->worklist = corners;
    SeedRandom();
    return true;
}

WORD AllTilesDone(STATUS *status) {
    std::free(status->worklist);
    status->worklist = nullptr;
    return EFFECT_NEXTPHASE;
}

// Takes a random tile off the list and returns its corner.
Corner TakeTile(STATUS *status) {
    Corner *corners = (Corner *)status->worklist;
    const int i = std::rand() % tiles;
    const Corner taken = corners[i];
    corners[i] = corners[--tiles];
    return taken;
}
}  // namespace

WORD SetupTile(STATUS *status) {
    const WORD result = SetupBitmap(status, &size, true);
    if (result == EFFECT_END) return result;
    return BuildTiles(status) ? result : EFFECT_END;
}

WORD AppearTile(STATUS *status) {
    if (tiles == 0 || !status->worklist) return AllTilesDone(status);
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    const int target = tiles > kTilesPerStep ? tiles - kTilesPerStep : 0;
    while (tiles != target) {
        const Corner t = TakeTile(status);
        source.Draw(t.x, t.y, std::min(kTile, size.w - t.x), std::min(kTile, size.h - t.y), t.x, t.y);
    }
    return 0;
}

WORD WaitTile(STATUS *status) { return HoldIsOver(status); }

WORD DisappearTile(STATUS *status) {
    if (!status->worklist) {
        if (!ReadPictureSize(status, &size) || !BuildTiles(status)) return EFFECT_END;
    }
    if (tiles == 0) return AllTilesDone(status);
    const int target = tiles > kTilesPerStep ? tiles - kTilesPerStep : 0;
    while (tiles != target) {
        const Corner t = TakeTile(status);
        FillArea(status, t.x, t.y, t.x + kTile - 1, t.y + kTile - 1);
    }
    return 0;
}

WORD CloseTile(STATUS *status) { return ReleaseEffect(status); }
