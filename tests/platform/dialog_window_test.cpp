#include "platform/dialog_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orix {
namespace {

// SDL key codes of the keys the tests press (SDL's values; tests include no SDL header).
constexpr int32_t kEnter = '\r', kEscape = 27, kTab = '\t', kSpace = ' ';
constexpr int32_t kDown = (1 << 30) | 81, kUp = (1 << 30) | 82, kEnd = (1 << 30) | 77,
                  kF4 = (1 << 30) | 61;

DialogInput Key(int32_t key, bool alt = false, bool shift = false) {
    DialogInput in;
    in.kind = DialogInput::Key;
    in.key = key;
    in.alt = alt;
    in.shift = shift;
    return in;
}
DialogInput Click(int control) {
    DialogInput in;
    in.kind = DialogInput::ClickControl;
    in.control = control;
    return in;
}
DialogInput ClickItem(int item) {
    DialogInput in;
    in.kind = DialogInput::ClickListItem;
    in.item = item;
    return in;
}

DialogTemplate Template() {
    DialogTemplate t;
    t.caption = "Direct3D 설정";
    t.cx = 174;
    t.cy = 86;
    t.controls = {
        {IDOK, DialogControlKind::DefaultPushButton, "확인", 80, 65, 40, 14, true},
        {IDCANCEL, DialogControlKind::PushButton, "취소", 125, 65, 41, 14, true},
        {-1, DialogControlKind::Label, "DirectDraw 디바이스", 7, 7, 80, 8, false},
        {1000, DialogControlKind::DropDownList, "", 7, 18, 160, 47, true},
    };
    return t;
}

std::vector<std::string> Items(int n) {
    std::vector<std::string> items;
    for (int i = 0; i < n; ++i) items.push_back("Driver " + std::to_string(i));
    return items;
}

// Runs the dialog with a script on SDL's dummy video driver (no display needed), or skips
// when no window at all can be made here.
class DialogWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("ORIX_TEST_DIALOG_ON_DISPLAY")) setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    DialogOutcome Play(const std::vector<DialogInput>& script, int items = 3, int initial = 0) {
        SetDialogInputScript(script);
        return RunDialogWindow(Template(), nullptr, 1000, Items(items), initial);
    }
};

#define SKIP_WITHOUT_WINDOW(outcome) \
    if (!(outcome).shown) GTEST_SKIP() << (outcome).error

TEST(DialogUnits, ConvertWithTheBaseUnitsAsWindowsDoes) {
    EXPECT_EQ(DialogUnitsToPixelsX(80, 6), 120);
    EXPECT_EQ(DialogUnitsToPixelsY(65, 13), 106);  // 105.6 rounds to nearest
    EXPECT_EQ(DialogUnitsToPixelsX(7, 7), 12);     // 12.25
    EXPECT_EQ(DialogUnitsToPixelsY(0, 16), 0);
}

TEST_F(DialogWindowTest, LayoutFollowsTheTemplateInDialogUnits) {
    DialogOutcome out = Play({Key(kEscape)});
    SKIP_WITHOUT_WINDOW(out);
    ASSERT_GT(out.baseUnitX, 0);
    ASSERT_GT(out.baseUnitY, 0);
    EXPECT_EQ(out.width, DialogUnitsToPixelsX(174, out.baseUnitX));
    EXPECT_EQ(out.height, DialogUnitsToPixelsY(86, out.baseUnitY));
    ASSERT_EQ(out.controlRects.size(), 4u);
    const Rect& ok = out.controlRects[0];
    EXPECT_EQ(ok.left, DialogUnitsToPixelsX(80, out.baseUnitX));
    EXPECT_EQ(ok.top, DialogUnitsToPixelsY(65, out.baseUnitY));
    EXPECT_EQ(ok.right - ok.left, DialogUnitsToPixelsX(40, out.baseUnitX));
    // The list dropped open stays above the buttons.
    EXPECT_GE(out.visibleListRows, 1);
    // The label's text was drawn: dark pixels inside its rectangle.
    const Rect& label = out.controlRects[2];
    int dark = 0;
    for (int y = label.top; y < label.bottom; ++y) {
        for (int x = label.left; x < label.right; ++x) {
            uint32_t p = out.pixels[static_cast<size_t>(y) * out.width + x];
            if (((p >> 16) & 0xFF) < 100 && ((p >> 8) & 0xFF) < 100 && (p & 0xFF) < 100) ++dark;
        }
    }
    EXPECT_GT(dark, 20);
}

TEST_F(DialogWindowTest, KeyboardChoosesAndConfirms) {
    DialogOutcome out = Play({Key(kDown), Key(kEnter)});
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.command, IDOK);
    EXPECT_EQ(out.selection, 1);

    out = Play({Key(kDown), Key(kDown), Key(kDown), Key(kUp), Key(kEnter)});
    EXPECT_EQ(out.selection, 1);  // clamped at the last item, then one back
    EXPECT_EQ(Play({Key(kEscape)}).command, IDCANCEL);
}

TEST_F(DialogWindowTest, TabReachesTheButtons) {
    // Focus starts on the list; Tab goes to OK, then Cancel.
    DialogOutcome out = Play({Key(kTab), Key(kTab), Key(kEnter)});
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.command, IDCANCEL);
    out = Play({Key(kTab), Key(kTab), Key(kTab, false, true), Key(kSpace)});
    EXPECT_EQ(out.command, IDOK);
}

TEST_F(DialogWindowTest, OpenListTakesArrowsAndEscapeRestores) {
    DialogOutcome out = Play({Key(kF4), Key(kDown), Key(kDown), Key(kEscape), Key(kEnter)}, 3, 0);
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.command, IDOK);
    EXPECT_EQ(out.selection, 0);
    out = Play({Key(kDown, true), Key(kDown), Key(kEnter), Key(kEnter)}, 3, 0);
    EXPECT_EQ(out.command, IDOK);
    EXPECT_EQ(out.selection, 1);
}

TEST_F(DialogWindowTest, MouseChoosesAnItemAndPressesButtons) {
    DialogOutcome out = Play({Click(1000), ClickItem(2), Click(IDOK)});
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.command, IDOK);
    EXPECT_EQ(out.selection, 2);
    out = Play({Click(IDCANCEL)});
    EXPECT_EQ(out.command, IDCANCEL);
    DialogInput close;
    close.kind = DialogInput::CloseWindow;
    EXPECT_EQ(Play({close}).command, IDCANCEL);
}

TEST_F(DialogWindowTest, ListsMoreThanSixteenItems) {
    DialogOutcome out = Play({Key(kEnd), Key(kEnter)}, 40, 0);
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.selection, 39);
    out = Play({Click(1000), ClickItem(25), Click(IDOK)}, 40, 0);
    EXPECT_EQ(out.selection, 25);
}

TEST_F(DialogWindowTest, AnEmptyListSelectsNothing) {
    DialogOutcome out = Play({Key(kDown), Click(1000), Key(kEnter)}, 0, 0);
    SKIP_WITHOUT_WINDOW(out);
    EXPECT_EQ(out.command, IDOK);
    EXPECT_EQ(out.selection, -1);
}

}  // namespace
}  // namespace orix
