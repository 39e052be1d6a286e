// "Chaos and Order": the picture is shown as a grid of blocks in random
// places, redrawn after every pass of a bubble sort until each block is home.
#include <algorithm>
#include <cstdlib>

#include "presentation/effect_common.h"

namespace {
PictureSize size;
int block;    // B: the block's side
int gridwide, griddeep;  // GW, GH: the picture rounded up to whole blocks
int columns;  // blocks per row
int count;    // N: blocks
bool upwards = false;  // the sort pass's direction, alternating for ever

// order := a random permutation of 0..N-1, drawn without replacement.
bool Shuffle(STATUS *status) {
    int *order = (int *)std::malloc(sizeof(int) * count);
    int *pool = (int *)std::malloc(sizeof(int) * count);
    if (!order || !pool) {
        std::free(order);
        std::free(pool);
        return false;
    }
    for (int i = 0; i < count; ++i) pool[i] = i;
    SeedRandom();
    for (int j = 0, left = count; j < count; ++j, --left) {
        const int k = std::rand() % left;
        order[j] = pool[k];
        pool[k] = pool[left - 1];
    }
    std::free(pool);
    status->order = order;
    return true;
}

// Draws block i of the picture into the cell named by order[i].
void DrawBlock(const BitmapSource &source, int i, int v) {
    const int sx = (v % columns) * block, sy = (v / columns) * block;
    const int ex = (gridwide - sx) - std::min(block, size.w - sx);
    const int ey = (griddeep - sy) - std::min(block, size.h - sy);
    source.Draw(gridwide - block - sx, griddeep - block - sy, std::min(block, size.w - ex),
                std::min(block, size.h - ey), (i % columns) * block, (i / columns) * block);
}

// One pass of a bubble sort towards descending order; true if it swapped.
bool SortPass(int *order) {
    bool swapped = false;
    auto order2 = [&](int a, int b) {
        if (order[a] < order[b]) {
            std::swap(order[a], order[b]);
            swapped = true;
        }
    };
    if (!upwards)
        for (int i = count - 1; i >= 1; --i) order2(i - 1, i);
    else
        for (int i = 0; i <= count - 2; ++i) order2(i, i + 1);
    upwards = !upwards;
    return swapped;
}
}  // namespace

WORD SetupScramble(STATUS *status) {
    const WORD result = SetupBitmap(status, &size, true);
    if (result == EFFECT_END) return result;
    block = (long long)size.w * size.h < 65535 ? 8 : 16;
    if (block >= size.w || block >= size.h) return EFFECT_END;
    gridwide = (size.w + block - 1) / block * block;
    griddeep = (size.h + block - 1) / block * block;
    columns = gridwide / block;
    count = columns * (griddeep / block);
    std::free(status->order);
    status->order = nullptr;
    return Shuffle(status) ? result : EFFECT_END;
}

WORD AppearScramble(STATUS *status) {
    int *order = (int *)status->order;
    if (!order) return EFFECT_END;
    BitmapSource source(status);
    if (!source.ok()) return EFFECT_END;
    for (int i = 0; i < count; ++i) DrawBlock(source, i, order[i]);
    if (SortPass(order)) return 0;
    std::free(status->order);
    status->order = nullptr;
    return EFFECT_NEXTPHASE;
}

WORD WaitScramble(STATUS *status) { return HoldIsOver(status); }

WORD DisappearScramble(STATUS *status) { return ClearWholePicture(status); }

WORD CloseScramble(STATUS *status) { return ReleaseEffect(status); }
