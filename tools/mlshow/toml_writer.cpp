// TOML string escaping.
#include "toml_writer.h"

#include <cstdio>

#include "json.h"

namespace mlshow {

std::string TomlString(const std::string &raw) {
    const std::string text = IsUtf8(raw) ? raw : Latin1ToUtf8(raw);
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04X", c);
                    out += escape;
                } else {
                    out += char(c);
                }
        }
    }
    return out + "\"";
}

}  // namespace mlshow
