// Reading one raw line of an applet's text and cleaning it into the
// statement the engine runs. Portable: the show builder checks scripts with
// the same code.
#include "applet/lines.h"

char *APPLETGetLine(char *dst, char *src) {
    if (!*src) return nullptr;
    int n = 0;
    while (n < APPLETMAXLINE && src[n] && src[n] != '\n') {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = 0;
    return src[n] == '\n' ? src + n + 1 : src + n;
}

// One pass; `quoted` tells whether the pass is inside a string literal.
int APPLETCleanLine(char *dst, char *src) {
    bool quoted = false;
    for (char *p = src; *p && *p != ';';) {
        unsigned char c = (unsigned char)*p;
        if (quoted && c == '\\') {
            const char e = p[1];
            if (!e) break;
            if (e == 'n' || e == 'N') {
                *dst++ = '\r', *dst++ = '\n', p += 2;
            } else if (e == '\\') {
                *dst++ = '\\', p += 2;
            } else if (e >= '0' && e <= '9') {
                if (p[2] >= '0' && p[2] <= '9' && p[3] >= '0' && p[3] <= '9') {
                    const int code = (e - '0') * 100 + (p[2] - '0') * 10 + (p[3] - '0');
                    if (code >= 2 && code <= 255) *dst++ = char(code);
                    p += 4;
                } else {
                    p += 2;
                }
            } else if (e == ';') {
                *dst++ = ';', p += 2;
            } else {
                ++p;  // the escaped character is taken as it stands
            }
            continue;
        }
        if (c == '"') {
            *dst++ = quoted ? '\x01' : '"';
            quoted = !quoted;
        } else if (quoted || c > 0x20) {
            *dst++ = char(c);
        }
        ++p;
    }
    *dst = 0;
    return 1;
}
