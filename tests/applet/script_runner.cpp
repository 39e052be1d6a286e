// Runs applet scripts inside the test program.
#include "script_runner.h"

#include <cstring>

#include "applet/objects.h"
#include "shell/globals.h"

namespace testing_support {

ScriptRunner::ScriptRunner(HWND window) : window_(window), ownwindow_(window == nullptr) {
    if (ownwindow_)
        window_ = CreateWindowExA(0, "STATIC", "applet", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    hMainWindow = window_;
}

ScriptRunner::~ScriptRunner() {
    Stop();
    APPLETOBJECT picture;
    for (int i = 0; i < picturecount_; ++i)
        if (GetAppletObject(pictures_, i, &picture)) GlobalFree(ObjectData(picture));
    if (pictures_) GlobalFree((HGLOBAL)pictures_);
    if (ownwindow_) DestroyWindow(window_);
}

void ScriptRunner::AddPicture(unsigned long number, const void *dib, size_t size) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    if (void *p = data ? GlobalLock(data) : nullptr) {
        std::memcpy(p, dib, size);
        GlobalUnlock(data);
    }
    APPLETOBJECT picture = {};
    picture.number = number;
    picture.kind = TAG_PICT;
    picture.size = uint32_t(size);
    if (!data || !SetObjectData(picture, data) || !AddAppletObject(&pictures_, &picturecount_, &picture))
        if (data) GlobalFree(data);
}

int ScriptRunner::Start(const std::string &script, long stacksize) {
    Stop();
    text_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, script.size() + 1);
    if (char *p = (char *)GlobalLock(text_)) {
        std::memcpy(p, script.data(), script.size());
        GlobalUnlock(text_);
    }
    block_ = BLOCK{};
    block_.type = TAG_APPL;
    block_.data = text_;
    steps_ = 0;
    return APPLETInitApplet(&applet_, window_, &block_, 0, stacksize, pictures_, picturecount_, nullptr, 0);
}

int ScriptRunner::Run(int limit) {
    int result = 0;
    while (steps_ < limit && (result = APPLETProcessLine(&applet_, window_)) == 0) ++steps_;
    return result;
}

void ScriptRunner::Stop() {
    APPLETFreeApplet(&applet_);
    std::memset(&applet_, 0, sizeof applet_);
    if (text_) GlobalFree(text_);
    text_ = nullptr;
}

namespace {
bool Find(APPLET &applet, const char *name, VALUE *out) {
    const int index = APPLETFindVariableIndex(&applet, APPLETMakeVariableName(name));
    const int error = applet.error, errorline = applet.errorline;
    const bool found = index >= 0 && APPLETGetVariable(&applet, out, index) == error;
    applet.error = error, applet.errorline = errorline;
    return found;
}
}  // namespace

bool ScriptRunner::Int(const char *name, int *value) {
    VALUE v;
    if (!Find(applet_, name, &v) || !(v.type & VALUE_INT)) return false;
    *value = (int)v.value;
    return true;
}

bool ScriptRunner::String(const char *name, std::string *text) {
    VALUE v;
    if (!Find(applet_, name, &v) || !(v.type & (VALUE_STRING | VALUE_STRINGVAR)) || !v.value) return false;
    const char *s = (const char *)v.value;
    text->assign(s, size_t(APPLETGetStringLength(s)));
    return true;
}

bool ScriptRunner::Element(const char *name, int index, int *value) {
    VALUE v;
    if (!Find(applet_, name, &v) || !(v.type & VALUE_ARRAY) || index < 0 || index >= int(v.type >> 16)) return false;
    *value = ((const int32_t *)v.value)[index];
    return true;
}

}  // namespace testing_support
