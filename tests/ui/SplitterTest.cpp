// A real splitter with its two panes, laid out by the rule of ui/SplitterLayout.h.
#include "ServiceFixture.h"

namespace uitest {
namespace {

class SplitterControlTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        openTestWindow(0, 640, 400);
        ui::createRowList(5, 5, 36, 115, 359, 0);
        ui::createEditor(8, 125, 36, 510, 359, 0);
        ui::createSplitter(7, 5, 36, 630, 359, 5, 8, ui::kSplitterVertical);
    }

    static RECT paneRect(int control) {
        RECT bounds;
        HWND handle = ui::controlHandle(control);
        GetWindowRect(handle, &bounds);
        MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&bounds), 2);
        return bounds;
    }
};

TEST_F(SplitterControlTest, PanesTakeTheirPlacesFromTheSplitter) {
    ui::setControlState(7, 156);
    ui::setControlAttribute(7, ui::kSplitterFirstMinimum, 116);
    ui::setControlAttribute(7, ui::kSplitterSecondMinimum, 76);
    EXPECT_EQ(ui::controlState(7), 156);
    EXPECT_EQ(GetParent(ui::controlHandle(5)), ui::controlHandle(7));

    RECT list = paneRect(5);
    RECT editor = paneRect(8);
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.right, 156);
    EXPECT_EQ(list.bottom - list.top, 359);
    EXPECT_EQ(editor.left, 160);
    EXPECT_EQ(editor.right, 630);

    // Resized like the manager's window: the editor grows in proportion.
    ui::resizeControl(7, base::keepValue, base::keepValue, 900, 500);
    list = paneRect(5);
    editor = paneRect(8);
    EXPECT_EQ(editor.right - editor.left, 672);
    EXPECT_EQ(list.right, 224);
    EXPECT_EQ(editor.bottom - editor.top, 500);
    EXPECT_EQ(ui::controlState(7), 224);

    // Shrunk below what both minimums need: the list keeps its minimum.
    ui::resizeControl(7, base::keepValue, base::keepValue, 150, base::keepValue);
    EXPECT_EQ(paneRect(5).right, 116);
}

TEST_F(SplitterControlTest, DraggingTheBarStoresANewRatio) {
    ui::setControlState(7, 156);
    ui::setControlAttribute(7, ui::kSplitterFirstMinimum, 116);
    ui::setControlAttribute(7, ui::kSplitterSecondMinimum, 76);
    HWND splitter = ui::controlHandle(7);

    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(157, 100));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(301, 100));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(301, 100));
    EXPECT_EQ(ui::controlState(7), 300);
    EXPECT_EQ(paneRect(8).left, 304);

    // Dragging never goes past a minimum.
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 100));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 100));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, 100));
    EXPECT_EQ(ui::controlState(7), 116);

    // The ratio of the drag holds when the splitter is resized.
    ui::resizeControl(7, base::keepValue, base::keepValue, 630 + 626, base::keepValue);
    EXPECT_EQ(paneRect(8).right - paneRect(8).left, 2 * (626 - 116));
}

TEST_F(SplitterControlTest, PanesCannotBeMovedOutOfTheirPlaces) {
    ui::setControlState(7, 156);
    ui::resizeControl(5, 40, 40, 20, 20); // as a DPI change re-scales every control
    const RECT list = paneRect(5);
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.right, 156);
    EXPECT_EQ(list.bottom, 359);
}

TEST_F(SplitterControlTest, PaneNotificationsStillBecomeEvents) {
    ui::setRowListRows(5, 2, [](int row) { return std::u16string(row ? u"beta" : u"alpha"); });
    drainEvents(30);
    SendMessageW(ui::controlHandle(8), WM_CHAR, 'z', 1);
    bool editorChange = false;
    for (const ui::Event& event : drainEvents()) {
        editorChange |= event.control == 8 && event.type == ui::kEventChange;
    }
    EXPECT_TRUE(editorChange);
}

} // namespace
} // namespace uitest
