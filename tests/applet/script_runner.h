// Runs an applet script inside the test program: a real window to draw in,
// an APPL block holding the text, and the engine stepped line by line.
#pragma once

#include <windows.h>

#include <string>

#include "applet/applet.h"

namespace testing_support {

class ScriptRunner {
public:
    // Runs in a hidden window of its own, or in `window` (kept open) when given.
    explicit ScriptRunner(HWND window = nullptr);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner &) = delete;
    ScriptRunner &operator=(const ScriptRunner &) = delete;

    HWND window() const { return window_; }
    APPLET &applet() { return applet_; }
    // Starts `script`; the start's result (1 or 0).
    int Start(const std::string &script, long stacksize = 0);
    // Gives the applets started from now on a copy of the packed bitmap as
    // picture `number`.
    void AddPicture(unsigned long number, const void *dib, size_t size);
    // Runs lines until one does not return 0, or `limit` lines ran; the last
    // result (0 when the limit was reached).
    int Run(int limit = 100000);
    int steps() const { return steps_; }
    // Releases the applet and the text, as the saver window does.
    void Stop();

    // Variables as the script left them; false when there is none.
    bool Int(const char *name, int *value);
    bool String(const char *name, std::string *text);
    bool Element(const char *name, int index, int *value);

private:
    HWND window_ = nullptr;
    bool ownwindow_ = false;
    void *pictures_ = nullptr;
    int picturecount_ = 0;
    HGLOBAL text_ = nullptr;
    BLOCK block_ = {};
    APPLET applet_ = {};
    int steps_ = 0;
};

}  // namespace testing_support
