// The calling convention every built-in follows, written once: the count
// marker and the arguments come off the stack into slots, the count is
// checked, arguments are converted by kind, and the result is set.
#pragma once

#include "applet/applet.h"

// Bit n set: n arguments are accepted; bit 31 stands for 31 and more.
constexpr unsigned ArgCounts(int n) { return 1u << n; }
// From `least` arguments up, any number.
constexpr unsigned ArgCountsFrom(int least) { return ~0u << least; }
constexpr unsigned ArgCounts(int a, int b) { return (1u << a) | (1u << b); }

class BuiltinCall {
public:
    BuiltinCall(APPLET *applet, unsigned accepted);
    ~BuiltinCall();
    BuiltinCall(const BuiltinCall &) = delete;
    BuiltinCall &operator=(const BuiltinCall &) = delete;

    // False when the marker or the arguments could not be taken: the handler
    // then returns code() at once.
    bool ok() const { return code_ == 0; }
    int code() const { return code_; }
    // False (and 11 raised) when the count is not one the built-in accepts.
    bool accepted() const { return accepted_; }
    int count() const { return count_; }
    APPLET *applet() const { return applet_; }
    const VALUE &Arg(int i) const { return slots_[i]; }

    // An integer: a number or call result, or an integer variable's value.
    int Int(int i, int fallback = 0);
    // A string: a literal, or a string variable's text; null when refused.
    char *String(int i);
    // The packed name of a reference of `kind`; 0 (and 4 raised) otherwise.
    unsigned long Name(int i, uint32_t kind);
    // A label reference's packed name; another kind raises 4 and still
    // gives its value, so that the lookup reports the pending code.
    unsigned long LabelName(int i);
    // A raised error for this statement.
    void Raise(int code) { APPLETRaise(applet_, code); }

    // Sets the result and returns the pending code.
    int Finish(int result);

private:
    enum { kInlineSlots = 8 };
    APPLET *applet_;
    int code_ = 0;
    int count_ = 0;
    bool accepted_ = false;
    VALUE *slots_;
    VALUE inline_[kInlineSlots];
};
