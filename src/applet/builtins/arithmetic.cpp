// Arithmetic and logic on 32-bit signed integers and random numbers. Sums, differences, products and shifts wrap around.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "applet/builtins/builtins.h"
#include "applet/builtins/call.h"

namespace {

typedef int (*BINARY)(BuiltinCall &call, int a, int b);
typedef int (*UNARY)(int a);

int Binary(APPLET *applet, BINARY operation) {
    BuiltinCall call(applet, ArgCounts(2));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    const int a = call.Int(0), b = call.Int(1);
    return call.Finish(operation(call, a, b));
}

int Unary(APPLET *applet, UNARY operation) {
    BuiltinCall call(applet, ArgCounts(1));
    if (!call.ok()) return call.code();
    if (!call.accepted()) return call.Finish(0);
    return call.Finish(operation(call.Int(0)));
}

uint32_t U(int a) { return uint32_t(a); }

// A zero divisor raises 12 and divides by 1; the one quotient that does not
// fit (INT_MIN / -1) is computed without asking the processor.
int Divisor(BuiltinCall &call, int b) {
    if (b != 0) return b;
    call.Raise(APPLETERR_DIVZERO);
    return 1;
}

int Quotient(BuiltinCall &call, int a, int b) {
    b = Divisor(call, b);
    return b == -1 ? int(0u - U(a)) : a / b;
}

int Remainder(BuiltinCall &call, int a, int b) {
    b = Divisor(call, b);
    return b == -1 ? 0 : a % b;
}

// The truncated real power; what does not fit 64 bits, and 0 to a negative
// power, gives 0.
int Power(BuiltinCall &, int a, int b) {
    const double p = std::pow(double(a), double(b));
    if (!std::isfinite(p) || p >= 9223372036854775808.0 || p < -9223372036854775808.0) return 0;
    return int(uint32_t(uint64_t(int64_t(p))));
}

}  // namespace

int APPLETAdd(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return int(U(a) + U(b)); });
}
int APPLETSubtract(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return int(U(a) - U(b)); });
}
int APPLETMul(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return int(U(a) * U(b)); });
}
int APPLETDiv(APPLET *applet, HWND) { return Binary(applet, Quotient); }
int APPLETMod(APPLET *applet, HWND) { return Binary(applet, Remainder); }
int APPLETPow(APPLET *applet, HWND) { return Binary(applet, Power); }
int APPLETAbs(APPLET *applet, HWND) {
    return Unary(applet, [](int a) { return a >= 0 ? a : int(0u - U(a)); });
}
int APPLETMax(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return a > b ? a : b; });
}
int APPLETMin(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return a < b ? a : b; });
}
int APPLETShiftLeft(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return int(U(a) << (b & 31)); });
}
int APPLETShiftRight(APPLET *applet, HWND) {
    // Arithmetic shift written out, so it does not depend on the compiler.
    return Binary(applet, [](BuiltinCall &, int a, int b) {
        const int n = b & 31;
        return a >= 0 ? int(U(a) >> n) : int(~(~U(a) >> n));
    });
}
int APPLETBitAnd(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return a & b; });
}
int APPLETBitOr(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return a | b; });
}
int APPLETBitXor(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return a ^ b; });
}
int APPLETAnd(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return (a && b) ? 1 : 0; });
}
int APPLETOr(APPLET *applet, HWND) {
    return Binary(applet, [](BuiltinCall &, int a, int b) { return (a || b) ? 1 : 0; });
}
int APPLETNot(APPLET *applet, HWND) {
    return Unary(applet, [](int a) { return a == 0 ? 1 : 0; });
}

int APPLETRandom(APPLET *applet, HWND) {
    return Unary(applet, [](int n) {
        if (n == 0) return 0;
        // rand() gives 15 bits here: three draws make the 31 the result needs.
        const uint32_t high = uint32_t(std::rand() & 0x7FFF), middle = uint32_t(std::rand() & 0x7FFF);
        const int r = int((high << 16 | middle << 1 | (uint32_t(std::rand()) & 1)) & 0x7FFFFFFF);
        const int64_t m = n < 0 ? -int64_t(n) : int64_t(n);
        return int(r % m);
    });
}

// This family's slice of the keyword table.
const APPLETFUNCTION arithmeticfunctions[] = {
    {"abs", APPLETAbs},
    {"add", APPLETAdd},
    {"and", APPLETAnd},
    {"bitand", APPLETBitAnd},
    {"bitor", APPLETBitOr},
    {"bitxor", APPLETBitXor},
    {"div", APPLETDiv},
    {"max", APPLETMax},
    {"min", APPLETMin},
    {"mod", APPLETMod},
    {"mul", APPLETMul},
    {"not", APPLETNot},
    {"or", APPLETOr},
    {"pow", APPLETPow},
    {"random", APPLETRandom},
    {"shiftleft", APPLETShiftLeft},
    {"shiftright", APPLETShiftRight},
    {"sub", APPLETSubtract},
};
const int arithmeticfunctioncount = int(sizeof arithmeticfunctions / sizeof arithmeticfunctions[0]);
