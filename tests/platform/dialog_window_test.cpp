#include "platform/dialog_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "device/device_dialog.h"
#include "platform/messages.h"

namespace orix {
namespace {

// SDL key codes of the keys the tests press (SDL's values; tests include no SDL header).
constexpr int32_t kEnter = '\r', kEscape = 27, kTab = '\t', kSpace = ' ';
constexpr int32_t kDown = (1 << 30) | 81, kUp = (1 << 30) | 82, kEnd = (1 << 30) | 77,
                  kF4 = (1 << 30) | 61;

DialogInput Key(int32_t key, bool alt = false, bool shift = false) {
    return {DialogInput::Key, key, alt, shift};
}
DialogInput Click(int control, int item = -1) {
    return {item < 0 ? DialogInput::ClickControl : DialogInput::ClickListItem,
            0,
            false,
            false,
            control,
            item};
}

std::vector<std::string> Items(int n) {
    std::vector<std::string> items;
    for (int i = 0; i < n; ++i) items.push_back("Driver " + std::to_string(i));
    return items;
}

// Runs the device dialog's window with a script on SDL's dummy video driver (no display
// needed), or skips when no window at all can be made here.
class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("ORIX_TEST_DIALOG_ON_DISPLAY")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    DialogOutcome Play(const std::vector<DialogInput>& script, int items = 3) {
        SetDialogInputScript(script);
        return RunDialogWindow(DeviceDialog::Resource(), nullptr, 1000, Items(items), 0);
    }
};

// Focus starts on the list; Tab goes to OK, then Cancel; an open list takes the arrows and
// Escape closes it, restoring the selection.
TEST_F(DialogWindowTest, KeysAndClicksChooseAndPress) {
    struct Case {
        std::vector<DialogInput> script;
        int items, command, selection;
    } cases[] = {
        {{Key(kDown), Key(kEnter)}, 3, IDOK, 1},
        {{Key(kDown), Key(kDown), Key(kDown), Key(kUp), Key(kEnter)}, 3, IDOK, 1},
        {{Key(kEscape)}, 3, IDCANCEL, 0},
        {{Key(kTab), Key(kTab), Key(kEnter)}, 3, IDCANCEL, 0},
        {{Key(kTab), Key(kTab), Key(kTab, false, true), Key(kSpace)}, 3, IDOK, 0},
        {{Key(kF4), Key(kDown), Key(kDown), Key(kEscape), Key(kEnter)}, 3, IDOK, 0},
        {{Key(kDown, true), Key(kDown), Key(kEnter), Key(kEnter)}, 3, IDOK, 1},
        {{Click(1000), Click(1000, 2), Click(IDOK)}, 3, IDOK, 2},
        {{Click(IDCANCEL)}, 3, IDCANCEL, 0},
        {{{DialogInput::CloseWindow}}, 3, IDCANCEL, 0},
        {{Key(kEnd), Key(kEnter)}, 40, IDOK, 39},
        {{Click(1000), Click(1000, 25), Click(IDOK)}, 40, IDOK, 25},
        {{Key(kDown), Click(1000), Key(kEnter)}, 0, IDOK, -1},
    };
    for (const Case& c : cases) {
        DialogOutcome out = Play(c.script, c.items);
        if (!out.shown) GTEST_SKIP() << out.error;
        EXPECT_EQ(out.command, c.command) << &c - cases;
        if (c.command == IDOK) {
            EXPECT_EQ(out.selection, c.selection) << &c - cases;
        }
    }
}

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
