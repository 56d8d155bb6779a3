#include "platform/messages.h"

#include <gtest/gtest.h>

namespace orix {
namespace {

TEST(Messages, WrappedLinesFitTheBox) {
    struct Case {
        const char* text;
        size_t columns;
        const char* wrapped;
    } cases[] = {
        {"short", 10, "short"},
        {"exactly 10", 10, "exactly 10"},
        {"one two three four", 10, "one two\nthree four"},
        {"kept\nbreaks stay where they are", 12, "kept\nbreaks stay\nwhere they\nare"},
        {"B63CC48349D3DE92F866E8F2A5C6BAAC", 12, "B63CC48349D3\nDE92F866E8F2\nA5C6BAAC"},
        // Three-byte characters are never split: the line breaks before the one that overflows.
        {"\xEB\x94\x94\xEB\xB0\x94\xEC\x9D\xB4\xEC\x8A\xA4", 7,
         "\xEB\x94\x94\xEB\xB0\x94\n\xEC\x9D\xB4\xEC\x8A\xA4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WrapMessageText(c.text, c.columns), c.wrapped) << c.text;
    }
}

}  // namespace
}  // namespace orix
