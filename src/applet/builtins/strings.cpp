// String built-ins. A string's logical text ends at its first 0x01 or zero
// byte; every write replaces the destination's buffer with a new one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <ctime>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// The index of the string variable a destination names: -1 when none has
// the name (nothing is written), -2 when it is no string (10 raised).
int Destination(BuiltinCall &call, unsigned long name) {
    APPLET *applet = call.applet();
    const int index = APPLETFindVariableIndex(applet, name);
    VALUE entry;
    if (index < 0 || APPLETGetVariable(applet, &entry, index)) return -1;
    if (!(entry.type & VALUE_STRINGVAR)) {
        call.Raise(APPLETERR_BADASSIGN);
        return -2;
    }
    return index;
}

// Writes `length` bytes of `text`, then `tail` (null: nothing), into a new
// buffer of the destination. The old buffer goes whatever happens.
void Write(BuiltinCall &call, unsigned long name, const char *text, size_t length, const char *tail) {
    APPLET *applet = call.applet();
    if (applet->error) return;
    const int index = Destination(call, name);
    if (index < 0) return;
    VALUE entry;
    APPLETGetVariable(applet, &entry, index);
    const size_t taillength = tail ? std::strlen(tail) : 0;
    char *buffer = (char *)std::calloc(length + taillength + 16, 1);
    if (buffer) {
        std::memcpy(buffer, text, length);
        if (tail) std::memcpy(buffer + length, tail, taillength);
    } else {
        call.Raise(APPLETERR_NOMEMORY);
    }
    std::free((void *)entry.value);
    entry.value = (UINT_PTR)buffer;
    APPLETPutVariable(applet, &entry, index);
}

// The logical text, then 0x01.
void WriteText(BuiltinCall &call, unsigned long name, const char *text, size_t length) {
    Write(call, name, text, length, "\x01");
}

// The byte the clamped position selects, within the stored text of S bytes.
size_t ClampedPosition(int position, size_t stored) {
    const long long last = (long long)stored - 2;
    if (last < 0) return 0;
    if (position < 0) return 0;
    return (unsigned long long)position > (unsigned long long)last ? size_t(last) : size_t(position);
}

int Compare(APPLET *applet, bool ignoreCase) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const char *a = call.String(0);
    const char *b = call.String(1);
    if (!a || !b) return call.Finish(0);
    const int la = APPLETGetStringLength(a), lb = APPLETGetStringLength(b);
    const int n = la < lb ? la : lb;
    for (int i = 0; i < n; ++i) {
        const char x = ignoreCase ? Upper(a[i]) : a[i], y = ignoreCase ? Upper(b[i]) : b[i];
        if (x != y) return call.Finish(0);
    }
    return call.Finish(1);
}

int ChangeCase(APPLET *applet, char (*change)(char)) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const int index = applet->error ? -1 : Destination(call, name);
    VALUE entry;
    if (index >= 0 && APPLETGetVariable(applet, &entry, index) == 0 && entry.value)
        for (char *p = (char *)entry.value; *p && *p != '\x01'; ++p) *p = change(*p);
    return call.Finish(1);
}

}  // namespace

int APPLETStrCpy(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const char *source = call.String(1);
    if (source) Write(call, name, source, std::strlen(source), nullptr);
    return call.Finish(1);
}

int APPLETStrCat(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const char *source = call.String(1);
    if (!source || applet->error) return call.Finish(1);
    const int index = Destination(call, name);
    VALUE target;
    if (index < 0 || APPLETGetVariable(applet, &target, index)) return call.Finish(1);
    // The destination's text before its first 0x01 (none: nothing of it).
    const char *old = target.value ? (const char *)target.value : "";
    const char *mark = std::strchr(old, '\x01');
    const size_t kept = mark ? size_t(mark - old) : 0;
    char *joined = (char *)std::malloc(kept + std::strlen(source) + 1);
    if (!joined) {
        call.Raise(APPLETERR_NOMEMORY);
        return call.Finish(1);
    }
    std::memcpy(joined, old, kept);
    std::strcpy(joined + kept, source);
    Write(call, name, joined, std::strlen(joined), nullptr);
    std::free(joined);
    return call.Finish(1);
}

int APPLETStrSub(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(4));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const char *source = call.String(1);
    const int i = call.Int(2), j = call.Int(3);
    if (!source) return call.Finish(0);
    const size_t stored = std::strlen(source);
    size_t from = ClampedPosition(i, stored), to = ClampedPosition(j, stored);
    // A negative index counts as the last position, as the unsigned clamp has it.
    if (i < 0) from = stored >= 2 ? stored - 2 : 0;
    if (j < 0) to = stored >= 2 ? stored - 2 : 0;
    if (to < from) std::swap(from, to);
    WriteText(call, name, source + from, to - from);
    return call.Finish(int(to - from));
}

int APPLETStrFromInt(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d", call.Int(1));
    WriteText(call, name, text, size_t(length));
    return call.Finish(length);
}

int APPLETStrFromChar(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const char c = char(call.Int(1) & 0xFF);
    WriteText(call, name, &c, c ? 1 : 0);
    return call.Finish(c ? 1 : -1);
}

int APPLETStrGetTime(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const time_t now = std::time(nullptr);
    char text[32] = "";
    if (const struct tm *local = std::localtime(&now)) std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", local);
    if (text[8] == '0') text[8] = ' ';  // the day of the month right-aligned
    WriteText(call, name, text, 24);
    return call.Finish(24);
}

int APPLETStrLen(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const char *s = call.String(0);
    const char *mark = s ? std::strchr(s, '\x01') : nullptr;
    return call.Finish(mark ? int(mark - s) : 0);
}

int APPLETStrCmp(APPLET *applet, HWND) { return Compare(applet, false); }
int APPLETStrCmpI(APPLET *applet, HWND) { return Compare(applet, true); }

int APPLETStrGetChar(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const char *s = call.String(0);
    const int position = call.Int(1);
    if (!s) return call.Finish(0);
    const size_t stored = std::strlen(s);
    if (stored < 2 || position < 0) return call.Finish(0);
    return call.Finish((unsigned char)s[ClampedPosition(position, stored)]);
}

int APPLETStrUpr(APPLET *applet, HWND) { return ChangeCase(applet, Upper); }
int APPLETStrLwr(APPLET *applet, HWND) { return ChangeCase(applet, Lower); }

// This family's slice of the keyword table.
const APPLETFUNCTION stringfunctions[] = {
    {"strcat", APPLETStrCat},
    {"strcmp", APPLETStrCmp},
    {"strcmpi", APPLETStrCmpI},
    {"strcpy", APPLETStrCpy},
    {"strfromchar", APPLETStrFromChar},
    {"strfromint", APPLETStrFromInt},
    {"strgetchar", APPLETStrGetChar},
    {"strgettime", APPLETStrGetTime},
    {"strlen", APPLETStrLen},
    {"strlwr", APPLETStrLwr},
    {"strsub", APPLETStrSub},
    {"strupr", APPLETStrUpr},
};
const int stringfunctioncount = int(sizeof stringfunctions / sizeof stringfunctions[0]);
