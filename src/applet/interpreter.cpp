// The statement engine: cuts the text into lines, cleans a line, runs it as
// one statement and evaluates its expressions and calls.
#include <cstdlib>
#include <cstring>

#include "applet/applet.h"

VALUE returnvalue;

namespace {

// Nested calls recurse; this keeps the recursion far inside the thread's
// stack whatever a line holds.
constexpr int kMaxCallDepth = 256;
int callDepth = 0;

// Whether an expression starting with `c` is a call: not empty, and no
// literal or reference.
bool IsCall(char c) {
    return c && c != '"' && c != '-' && !(c >= '0' && c <= '9') && c != '@' && c != '$' && c != '&' && c != ':';
}

bool IsDelimiter(char c) { return c == ',' || c == ')' || c == 0; }

char *SkipToDelimiter(char *p) {
    while (!IsDelimiter(*p)) ++p;
    return p;
}

// The error of the line that is running (`line` already points past it).
char *FailLine(APPLET *applet, int code) {
    applet->errorline = applet->line - 1;
    applet->error = code;
    return nullptr;
}

// A decimal integer with an optional sign; digits beyond 32 bits wrap.
int ReadInteger(const char *p) {
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    uint32_t n = 0;
    while (*p >= '0' && *p <= '9') n = n * 10u + uint32_t(*p++ - '0');
    return int(negative ? 0u - n : n);
}

// A new heap copy of an allocated variable's block, so that two variables
// never share one: a string up to its terminator, an array by its count.
UINT_PTR CopyOwnedBlock(const VALUE *source) {
    if (!source->value) return 0;
    if (source->type & VALUE_ARRAY) {
        const size_t count = source->type >> 16;
        void *copy = std::calloc(count ? count : 1, sizeof(int32_t));
        if (copy) std::memcpy(copy, (const void *)source->value, count * sizeof(int32_t));
        return (UINT_PTR)copy;
    }
    const size_t length = std::strlen((const char *)source->value);
    char *copy = (char *)std::calloc(length + 16, 1);
    if (copy) std::memcpy(copy, (const char *)source->value, length);
    return (UINT_PTR)copy;
}

// A call: keyword, '(', arguments, ')'. `open` is the '('.
char *EvaluateCall(APPLET *applet, HWND window, char *keyword, char *open) {
    char *p = open + 1;
    int count = 0;
    while (*p != ')') {
        // Only a call can let the window go (by dispatching messages while
        // it runs), so only after one is the window looked at again.
        const bool call = IsCall(*p);
        p = APPLETEvaluateExpression(applet, window, p);
        if (!p) return nullptr;
        if (int code = APPLETPush(applet, &returnvalue)) return FailLine(applet, code);
        if (call && !IsWindow(window)) return FailLine(applet, APPLETERR_TERMINATED);
        if (applet->error) return FailLine(applet, applet->error);
        ++count;
        if (!*p) return FailLine(applet, APPLETERR_SYNTAX);
        if (*p == ',') ++p;
    }
    VALUE marker;
    APPLETMakeValue(&marker, VALUE_ARGCOUNT, (UINT_PTR)count, 0);
    if (int code = APPLETPush(applet, &marker)) return FailLine(applet, code);
    // The keyword ends at its '(' only while the handler runs.
    *open = 0;
    const int result = APPLETExecuteFunction(applet, window, keyword);
    *open = '(';
    if (result) return FailLine(applet, result);
    return p + 1;
}

char *EvaluateReference(char *expression, uint32_t kind) {
    char *end = SkipToDelimiter(expression + 1);
    APPLETMakeValue(&returnvalue, kind, APPLETPackName(expression + 1, size_t(end - expression - 1)), 0);
    return end;
}

}  // namespace

unsigned long APPLETPackName(const char *name, size_t length) {
    unsigned long packed = 0;
    for (size_t i = 0; i < length && i < 4; ++i) packed |= (unsigned long)(unsigned char)name[i] << (8 * i);
    return packed;
}

unsigned long APPLETMakeVariableName(const char *name) { return APPLETPackName(name, std::strlen(name)); }

int APPLETInterpretLine(APPLET *applet, HWND window, char *statement) {
    ++applet->line;
    if (!*statement || *statement == ':') return applet->error;
    if (*statement != '@') {
        APPLETEvaluateExpression(applet, window, statement);
        return applet->error;
    }
    char *equals = std::strchr(statement, '=');
    if (!equals) {
        FailLine(applet, APPLETERR_SYNTAX);
        return APPLETERR_SYNTAX;
    }
    const unsigned long target = APPLETPackName(statement + 1, size_t(equals - statement - 1));
    if (!APPLETEvaluateExpression(applet, window, equals + 1) || applet->error) return applet->error;
    if (!(returnvalue.type & VALUE_INTREF)) return APPLETAssignVariable(applet, target, &returnvalue);
    const VALUE reference = returnvalue;
    VALUE source;
    if (APPLETFindVariable(applet, &source, (unsigned long)reference.value)) return applet->error;
    const int result = APPLETAssignVariable(applet, target, &source);
    returnvalue = reference;  // never a second owner of the source's block
    return result;
}

int APPLETAssignVariable(APPLET *applet, unsigned long name, const VALUE *newvalue) {
    const int index = APPLETFindVariableIndex(applet, name);
    if (index == -2) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    if (index < 0) return APPLETRaise(applet, APPLETERR_NOVARIABLE);
    VALUE entry;
    if (APPLETGetVariable(applet, &entry, index)) return applet->error;
    if (entry.type != newvalue->type) return APPLETRaise(applet, APPLETERR_BADASSIGN);
    if (!(entry.type & VALUE_ALLOCATED)) {
        entry.value = newvalue->value;
        return APPLETPutVariable(applet, &entry, index);
    }
    if (entry.value == newvalue->value) return applet->error;  // @s=@s
    const UINT_PTR copy = CopyOwnedBlock(newvalue);
    if (!copy && newvalue->value) return APPLETRaise(applet, APPLETERR_NOMEMORY);
    std::free((void *)entry.value);
    entry.value = copy;
    return APPLETPutVariable(applet, &entry, index);
}

char *APPLETEvaluateExpression(APPLET *applet, HWND window, char *expression) {
    const char c = *expression;
    if (!c) return expression;
    if (c == '"') {
        char *close = std::strchr(expression + 1, '\x01');
        if (!close) return FailLine(applet, APPLETERR_SYNTAX);
        APPLETMakeValue(&returnvalue, VALUE_STRING, (UINT_PTR)(expression + 1), 0);
        return close + 1;
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
        APPLETMakeValue(&returnvalue, VALUE_INT, (UINT_PTR)(LONG_PTR)ReadInteger(expression), 0);
        return SkipToDelimiter(expression);
    }
    if (c == '@') return EvaluateReference(expression, VALUE_INTREF);
    if (c == '$') return EvaluateReference(expression, VALUE_STRINGVAR);
    if (c == '&') return EvaluateReference(expression, VALUE_ARRAY);
    if (c == ':') return EvaluateReference(expression, VALUE_LABEL);
    // A keyword runs to its '('; a word that stops at anything else is no call.
    char *open = expression;
    while (*open && *open != '(' && *open != ',' && *open != ')') ++open;
    if (*open != '(' || open - expression > APPLETMAXLINE) return FailLine(applet, APPLETERR_SYNTAX);
    if (callDepth >= kMaxCallDepth) return FailLine(applet, APPLETERR_STACKOVERFLOW);
    ++callDepth;
    char *after = EvaluateCall(applet, window, expression, open);
    --callDepth;
    return after;
}

int APPLETExecuteFunction(APPLET *applet, HWND window, char *keyword) {
    const APPLETFUNCTION *entry = APPLETFindFunction(keyword);
    return entry ? entry->handler(applet, window) : APPLETRaise(applet, APPLETERR_NOFUNCTION);
}

char *APPLETGetArgument(char *dst, char *src) {
    while (!IsDelimiter(*src)) *dst++ = *src++;
    *dst = 0;
    return src;
}

int APPLETGetStringFromString(char *dst, char *src) {
    while (*src && *src != '\x01') *dst++ = *src++;
    *dst = 0;
    return 0;
}

int APPLETGetStringLength(const char *s) {
    int n = 0;
    while (s[n] && s[n] != '\x01') ++n;
    return n;
}
