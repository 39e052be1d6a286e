// The host's switches as the program reads them.
#include <gtest/gtest.h>

#include "shell/commandline.h"

TEST(SaverSwitch, ReadsTheModeLetter) {
    struct Case {
        const char *tail;
        char mode;
    } cases[] = {
        {"/s", 's'}, {"/S", 's'}, {"-s", 's'}, {"s", 's'}, {"S", 's'},
        {"/c", 'c'}, {"/c:1234", 'c'}, {"/p 1234", 'p'}, {"/l 99", 'l'}, {"-P:1234", 'p'},
        {"/a 10", 'a'}, {"", 'c'}, {"/", 0}, {"-", 0}, {"/x", 0}, {"x", 0}, {"1234", 0},
        {" /s", 0}, {"//s", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(SaverSwitch(c.tail), c.mode);
    }
    EXPECT_EQ(SaverSwitch(nullptr), 0);
}

TEST(WindowFromCommandLine, TakesTheFirstRunOfDigits) {
    struct Case {
        const char *tail;
        UINT_PTR handle;
    } cases[] = {
        {"/p 1234", 1234}, {"-P:1234", 1234}, {"l1234", 1234}, {"/p 12 34", 12}, {"/p", 0},
        {"/p 0", 0}, {"/p x7y", 7}, {"/p 0042", 42}, {"", 0}, {"/a 4294967295", 4294967295u},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ((UINT_PTR)WindowFromCommandLine(c.tail), c.handle);
    }
}
