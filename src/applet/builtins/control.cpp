// Declarations, arrays, counting, comparisons and the flow of lines: jumps,
// subroutines and loops, whose markers live on the value stack.
#include <cstdlib>
#include <cstring>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"

namespace {

constexpr int kMaxArray = 32767;

int Compare(APPLET *applet, bool (*relation)(int, int)) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int a = call.Int(0), b = call.Int(1);
    return call.Finish(relation(a, b) ? 1 : 0);
}

// inc and dec: the first integer variable of the name moves by `sign` x step.
int Count(APPLET *applet, int sign) {
    BuiltinCall call(applet, ArgCounts(1, 2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_INTREF);
    const int step = call.Int(1, 1);
    const uint32_t delta = sign > 0 ? uint32_t(step) : 0u - uint32_t(step);
    const int index = APPLETFindVariableIndex(applet, name);
    VALUE entry;
    if (index < 0 || APPLETGetVariable(applet, &entry, index)) return call.Finish(int(delta));
    if (!(entry.type & VALUE_INT)) {
        call.Raise(APPLETERR_BADASSIGN);
        return call.Finish(int(delta));
    }
    entry.value = (UINT_PTR)(LONG_PTR)int(uint32_t(entry.value) + delta);
    APPLETPutVariable(applet, &entry, index);
    return call.Finish(int(entry.value));
}

// The array named by argument 0 and the element argument 1 selects; null
// (with 4 or 9 raised) when there is no such element.
int32_t *Element(BuiltinCall &call) {
    const unsigned long name = call.Name(0, VALUE_ARRAY);
    const int index = call.Int(1);
    if (call.applet()->error) return nullptr;
    VALUE array;
    if (APPLETFindVariable(call.applet(), &array, name)) return nullptr;
    const int count = (array.type & VALUE_ARRAY) ? int(array.type >> 16) : 0;
    if (index < 0 || index >= count || !array.value) {
        call.Raise(APPLETERR_BADVALUE);
        return nullptr;
    }
    return (int32_t *)array.value + index;
}

// Jumps to a label when the lookup leaves no code pending.
int JumpTo(APPLET *applet, unsigned long name) {
    VALUE label;
    applet->error = APPLETFindLabel(applet, &label, name);
    if (applet->error) return int(name);
    applet->line = int(label.value);
    return applet->line;
}

}  // namespace

int APPLETNoFunction(APPLET *applet, HWND) { return APPLETRaise(applet, APPLETERR_NOFUNCTION); }

int APPLETDeclareIntVariable(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1, 2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_INTREF);
    const int initial = call.Int(1);
    VALUE entry;
    APPLETMakeValue(&entry, VALUE_INT, (UINT_PTR)(LONG_PTR)initial, name);
    APPLETAddVariable(applet, &entry);
    return call.Finish(initial);
}

int APPLETDeclareString(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1, 2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_STRINGVAR);
    const char *initial = call.count() == 2 ? call.String(1) : nullptr;
    const size_t length = initial ? std::strlen(initial) : 0;
    char *buffer = (char *)std::calloc(length + 16, 1);
    if (!buffer) {
        call.Raise(APPLETERR_NOMEMORY);
        return call.Finish(1);
    }
    if (initial) std::memcpy(buffer, initial, length);
    VALUE entry;
    APPLETMakeValue(&entry, VALUE_STRINGVAR | VALUE_ALLOCATED, (UINT_PTR)buffer, name);
    // Only a variable that was added owns the buffer.
    const int before = applet->variablecount;
    APPLETAddVariable(applet, &entry);
    if (applet->variablecount == before) std::free(buffer);
    return call.Finish(1);
}

int APPLETDeclareArray(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.Name(0, VALUE_ARRAY);
    int count = call.Int(1);
    count = count < 1 ? 1 : count > kMaxArray ? kMaxArray : count;
    int32_t *elements = (int32_t *)std::calloc(size_t(count), sizeof(int32_t));
    if (!elements) {
        call.Raise(APPLETERR_NOMEMORY);
        return call.Finish(count);
    }
    VALUE entry;
    APPLETMakeValue(&entry, (VALUE_ARRAY | VALUE_ALLOCATED) + (uint32_t(count) << 16), (UINT_PTR)elements, name);
    const int before = applet->variablecount;
    APPLETAddVariable(applet, &entry);
    if (applet->variablecount == before) std::free(elements);
    return call.Finish(count);
}

int APPLETGetArrayValue(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int32_t *element = Element(call);
    return call.Finish(element ? *element : 0);
}

int APPLETSetArrayValue(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(3));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    int32_t *element = Element(call);
    const int value = call.Int(2);
    if (element && !applet->error) *element = value;
    return call.Finish(value);
}

int APPLETInc(APPLET *applet, HWND) { return Count(applet, +1); }
int APPLETDec(APPLET *applet, HWND) { return Count(applet, -1); }

int APPLETIsEqual(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a == b; });
}
int APPLETIsNotEqual(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a != b; });
}
int APPLETIsGreaterThan(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a > b; });
}
int APPLETIsLessThan(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a < b; });
}
int APPLETIsGreaterThanOrEqualTo(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a >= b; });
}
int APPLETIsLessThanOrEqualTo(APPLET *applet, HWND) {
    return Compare(applet, [](int a, int b) { return a <= b; });
}

int APPLETGoTo(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    return call.Finish(JumpTo(applet, call.LabelName(0)));
}

int APPLETIf(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int condition = call.Int(0);
    const unsigned long name = call.LabelName(1);
    if (condition) JumpTo(applet, name);
    return call.Finish(condition);
}

int APPLETGoSub(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const unsigned long name = call.LabelName(0);
    VALUE marker;
    APPLETMakeValue(&marker, VALUE_RETURN, (UINT_PTR)applet->line, 0);
    APPLETPush(applet, &marker);
    return call.Finish(JumpTo(applet, name));
}

int APPLETReturn(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(1);  // the line stays where it is
    VALUE marker;
    if (APPLETPopExpected(applet, &marker, VALUE_RETURN, APPLETERR_STACKCORRUPT) == 0)
        applet->line = int(marker.value);
    return call.Finish(1);
}

int APPLETDo(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    VALUE marker;
    APPLETMakeValue(&marker, VALUE_DOMARK, (UINT_PTR)applet->line, 0);
    APPLETPush(applet, &marker);
    return call.Finish(1);
}

int APPLETWhile(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int condition = call.Int(0);
    VALUE marker;
    if (APPLETPopExpected(applet, &marker, VALUE_DOMARK, APPLETERR_WHILEBEFOREDO) == 0 && condition)
        applet->line = int(marker.value) - 1;
    return call.Finish(condition);
}

int APPLETFunctionEnd(APPLET *applet, HWND) {
    BuiltinCall call(applet, ArgCounts(0));
    if (!call.ok()) return call.code();
    if (call.accepted()) applet->error = APPLETERR_END;
    return call.Finish(1);
}

// This family's slice of the keyword table.
const APPLETFUNCTION controlfunctions[] = {
    {"dec", APPLETDec},
    {"declarearray", APPLETDeclareArray},
    {"declareint", APPLETDeclareIntVariable},
    {"declarestring", APPLETDeclareString},
    {"do", APPLETDo},
    {"end", APPLETFunctionEnd},
    {"getarrayvalue", APPLETGetArrayValue},
    {"gosub", APPLETGoSub},
    {"goto", APPLETGoTo},
    {"if", APPLETIf},
    {"inc", APPLETInc},
    {"isequal", APPLETIsEqual},
    {"isgreaterthan", APPLETIsGreaterThan},
    {"isgreaterthanorequalto", APPLETIsGreaterThanOrEqualTo},
    {"islessthan", APPLETIsLessThan},
    {"islessthanorequalto", APPLETIsLessThanOrEqualTo},
    {"isnotequal", APPLETIsNotEqual},
    {"return", APPLETReturn},
    {"setarrayvalue", APPLETSetArrayValue},
    {"while", APPLETWhile},
};
const int controlfunctioncount = int(sizeof controlfunctions / sizeof controlfunctions[0]);
