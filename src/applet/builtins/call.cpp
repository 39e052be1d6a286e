// The built-in calling convention.
#include "applet/builtins/call.h"

#include <cstdlib>

BuiltinCall::BuiltinCall(APPLET *applet, unsigned accepted) : applet_(applet), slots_(inline_) {
    VALUE marker;
    if (int code = APPLETPop(applet, &marker)) {
        code_ = code;
        return;
    }
    if (marker.type != VALUE_ARGCOUNT) {
        code_ = APPLETERR_STACKCORRUPT;
        return;
    }
    const int n = (int)marker.value;
    if (n > kInlineSlots) slots_ = (VALUE *)std::calloc(size_t(n), sizeof(VALUE));
    if (!slots_) {
        slots_ = inline_;
        code_ = APPLETERR_NOMEMORY;
        return;
    }
    if (int code = APPLETPopEntries(applet, slots_, n)) {
        code_ = code;
        return;
    }
    count_ = n;
    accepted_ = n >= 0 && (accepted & (1u << (n < 31 ? n : 31))) != 0;
    if (!accepted_) APPLETRaise(applet, APPLETERR_ARGCOUNT);
}

BuiltinCall::~BuiltinCall() {
    if (slots_ != inline_) std::free(slots_);
}

int BuiltinCall::Int(int i, int fallback) {
    if (i >= count_) return fallback;
    const VALUE &v = slots_[i];
    if (v.type & VALUE_INT) return (int)v.value;
    if (v.type & VALUE_INTREF) {
        VALUE variable;
        if (APPLETFindVariable(applet_, &variable, (unsigned long)v.value)) return fallback;
        return (int)variable.value;
    }
    Raise(APPLETERR_BADVALUE);
    return fallback;
}

char *BuiltinCall::String(int i) {
    if (i >= count_) return nullptr;
    const VALUE &v = slots_[i];
    if (v.type & VALUE_STRING) return (char *)v.value;
    if (v.type & VALUE_STRINGVAR) {
        VALUE variable;
        if (APPLETFindVariable(applet_, &variable, (unsigned long)v.value)) return nullptr;
        // An integer or array of the same name holds no text to read.
        if (!(variable.type & (VALUE_STRING | VALUE_STRINGVAR)) || !variable.value) {
            Raise(APPLETERR_BADVALUE);
            return nullptr;
        }
        return (char *)variable.value;
    }
    Raise(APPLETERR_BADVALUE);
    return nullptr;
}

unsigned long BuiltinCall::Name(int i, uint32_t kind) {
    if (i < count_ && (slots_[i].type & kind)) return (unsigned long)slots_[i].value;
    Raise(APPLETERR_BADVALUE);
    return 0;
}

unsigned long BuiltinCall::LabelName(int i) {
    if (i >= count_) return 0;
    if (!(slots_[i].type & VALUE_LABEL)) Raise(APPLETERR_BADVALUE);
    return (unsigned long)slots_[i].value;
}

int BuiltinCall::Finish(int result) {
    APPLETMakeValue(&returnvalue, VALUE_INT, (UINT_PTR)(LONG_PTR)result, 0);
    return applet_->error;
}
