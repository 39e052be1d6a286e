// Helpers shared by the player's tests.
#include "support/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace testing_support {

TempFile::TempFile(const std::string &suffix) {
    static int counter = 0;
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%sml%lu_%d%s", folder, GetCurrentProcessId(), ++counter, suffix.c_str());
    path_ = name;
}

void TempFile::Write(const Bytes &bytes) const {
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + path_);
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw std::runtime_error("cannot write " + path_);
}

Bytes ReadFileBytes(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    Bytes bytes(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

Bytes FakeProgram(size_t size) {
    Bytes program(size);
    uint32_t state = 12345;
    for (uint8_t &b : program) {
        state = state * 1103515245u + 12345u;
        b = uint8_t(state >> 16);
    }
    program[0] = 'M';
    program[1] = 'Z';
    return program;
}

SCRHEAD TestHead(const char *title, COLORREF background) {
    SCRHEAD head{};
    head.backgroundcolour = background;
    head.created = 1700000000;
    SetField(head.title, title);
    SetField(head.description, "A show made by the tests.");
    SetField(head.author, "Marrowlight tests");
    return head;
}

SCRIMAGE TestPicture(int appear, int disappear, int duration, int hold) {
    SCRIMAGE image{};
    image.placement = 5;
    image.appeareffect = uint32_t(appear);
    image.disappeareffect = uint32_t(disappear);
    image.speed = 80;
    image.holdtime = uint32_t(hold);
    image.duration = uint32_t(duration);
    return image;
}

Bytes TestDib(int width, int height, int bits) {
    const uint32_t colours = DibColourCount(bits);
    const uint32_t row = DibRowBytes(width, bits);
    Bytes dib(DIBHEADER_SIZE + 4 * colours + size_t(row) * height);
    DIBHEADER header{};
    header.biSize = DIBHEADER_SIZE;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = uint16_t(bits);
    header.biSizeImage = row * height;
    header.biClrUsed = header.biClrImportant = colours;
    std::memcpy(dib.data(), &header, sizeof header);
    for (uint32_t i = 0; i < colours; ++i) {
        dib[DIBHEADER_SIZE + 4 * i] = uint8_t(i * 7);
        dib[DIBHEADER_SIZE + 4 * i + 1] = uint8_t(i * 3);
        dib[DIBHEADER_SIZE + 4 * i + 2] = uint8_t(255 - i);
    }
    for (size_t i = DIBHEADER_SIZE + 4 * colours; i < dib.size(); ++i) dib[i] = uint8_t((i * 31) ^ (i >> 7));
    return dib;
}

Bytes TestAnimation(int width, int height) {
    Bytes data(ANIMHEADER_SIZE + OBJECTANIMFRAME_SIZE, 0);
    const ANIMHEADER head = {width, height, 1, 0, {}};
    OBJECTANIMFRAME frame = {};
    frame.offset = uint32_t(data.size());
    frame.delay = 50;
    std::memcpy(data.data(), &head, sizeof head);
    std::memcpy(data.data() + ANIMHEADER_SIZE, &frame, sizeof frame);
    const Bytes dib = TestDib(width, height, 24);
    data.insert(data.end(), dib.begin(), dib.end());
    return data;
}

Bytes SolidDib(int width, int height, COLORREF colour) {
    Bytes dib = TestDib(width, height, 24);
    const uint32_t row = DibRowBytes(width, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *pixel = &dib[DIBHEADER_SIZE + size_t(row) * y + 3 * size_t(x)];
            pixel[0] = GetBValue(colour), pixel[1] = GetGValue(colour), pixel[2] = GetRValue(colour);
        }
    return dib;
}

Bytes CaptionedPicture(SCRIMAGE header, std::string_view name, const Bytes &data) {
    header.type = TAG_IMAG;
    header.flags = (header.flags | SCRF_VALID) & ~SCRF_COMPRESSED;
    header.captionlength = uint32_t(name.size());
    header.length = uint32_t(SCRIMAGE_SIZE + name.size() + data.size());
    Bytes block(header.length);
    std::memcpy(block.data(), &header, SCRIMAGE_SIZE);
    std::copy(name.begin(), name.end(), block.begin() + SCRIMAGE_SIZE);
    std::copy(data.begin(), data.end(), block.begin() + long(SCRIMAGE_SIZE + name.size()));
    return block;
}

ShowWriter RichShow() {
    ShowWriter writer(TestHead());
    writer.SetPreview(TestDib(40, 30, 8));
    SCRIMAGE image{};
    image.speed = 40;
    image.holdtime = 2;
    writer.AddPicture(image, TestDib(64, 48, 24), true);
    SCRTEXT text{};
    text.fontheight = 32;
    text.textcolour = RGB(255, 255, 0);
    SetField(text.facename, "Arial");
    writer.AddText(text, "Hello,\r\nworld");
    SCRAPPLET applet{};
    applet.stacksize = 100;
    Bytes wave(16 + 64, 0x80);
    writer.AddApplet(applet, {{TAG_PICT, 1, TestDib(16, 16, 4)}, {TAG_PICT, 2, TestDib(8, 8, 1)}},
                     {{TAG_WAVE, 1, wave}}, "print(\"hi\")\r\n", true);
    SCRSOUND sound{};
    sound.kind = TAG_WAVE;
    writer.AddSound(sound, wave);
    SCRANIM anim{};
    anim.placement = 5;
    writer.AddAnimation(anim, Bytes(300, 7), true);
    return writer;
}

namespace {

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

const char *PlainWindowClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA cls = {};
        cls.lpfnWndProc = PlainWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "MarrowlightTestWindow";
        RegisterClassA(&cls);
        registered = true;
    }
    return "MarrowlightTestWindow";
}

}  // namespace

TestStore::TestStore() {
    window_ = CreateWindowExA(0, PlainWindowClass(), "store", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    list_ = CreateBlockStore(window_);
    set_ = new BLOCKSET();
}

TestStore::~TestStore() {
    FreeBlocks(window_, set_);
    delete set_;
    DestroyWindow(window_);
}

BLOCK TestStore::Block(int index) const {
    BLOCK block{};
    if (!GetBlock(list_, index, &block)) throw std::runtime_error("no block at that index");
    return block;
}

size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (char *address = nullptr; VirtualQuery(address, &info, sizeof info) == sizeof info;
         address = (char *)info.BaseAddress + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if ((char *)info.BaseAddress + info.RegionSize < address) break;
    }
    return total;
}

const char *PlayerPath() { return ML_PLAYER_PATH; }

}  // namespace testing_support
