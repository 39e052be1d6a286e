// JSON strings and text encodings.
#include "json.h"

#include <cstdio>

namespace mlshow {

bool IsUtf8(const std::string &text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = (unsigned char)text[i];
        size_t extra;
        if (c < 0x80) extra = 0;
        else if ((c >> 5) == 6) extra = 1;
        else if ((c >> 4) == 14) extra = 2;
        else if ((c >> 3) == 30) extra = 3;
        else return false;
        if (extra > text.size() - i - 1) return false;
        for (size_t k = 1; k <= extra; ++k)
            if (((unsigned char)text[i + k] >> 6) != 2) return false;
        i += extra + 1;
    }
    return true;
}

std::string Latin1ToUtf8(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace Json {

std::string String(const std::string &raw) {
    const std::string text = IsUtf8(raw) ? raw : Latin1ToUtf8(raw);
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string Number(uint64_t value) { return std::to_string(value); }

}  // namespace Json

}  // namespace mlshow
