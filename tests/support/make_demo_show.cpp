// Writes the demo show: a copy of the player with a small show appended.
// Usage: make_demo_show PLAYER OUTPUT
#include <cstdio>

#include "support/test_support.h"

using namespace testing_support;

namespace {

// A 24-bit picture with a soft diagonal gradient.
Bytes Gradient(int width, int height, int hue) {
    Bytes dib = TestDib(width, height, 24);
    const uint32_t row = DibRowBytes(width, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = &dib[DIBHEADER_SIZE + size_t(y) * row + 3 * x];
            p[0] = uint8_t(hue == 0 ? 255 * x / width : 60);
            p[1] = uint8_t(255 * y / height);
            p[2] = uint8_t(hue == 1 ? 255 * x / width : 120);
        }
    return dib;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_show PLAYER OUTPUT\n");
        return 2;
    }
    try {
        SCRHEAD head = TestHead("Marrowlight demo", RGB(16, 24, 48));
        SetField(head.description, "A small show made to try the player.");
        ShowWriter writer(head);
        writer.SetPreview(Gradient(152, 112, 0));
        for (int i = 0; i < 3; ++i) {
            SCRIMAGE image{};
            image.placement = 5;
            image.appeareffect = uint32_t(i + 1);
            image.disappeareffect = uint32_t(i + 2);
            image.speed = 60;
            image.holdtime = 2;
            image.duration = 1;
            writer.AddPicture(image, Gradient(480, 320, i), true);
        }
        SCRTEXT text{};
        text.fontheight = 48;
        text.textcolour = RGB(255, 220, 120);
        text.boxcolour = RGB(16, 24, 48);
        text.speed = 70;
        text.duration = 4;
        SetField(text.facename, "Arial");
        writer.AddText(text, "Welcome to Marrowlight");
        Bytes file = writer.Build(ReadFileBytes(argv[1]));
        FILE *out = std::fopen(argv[2], "wb");
        if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size()) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            if (out) std::fclose(out);
            return 1;
        }
        std::fclose(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
