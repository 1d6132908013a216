// A real splitter with its two panes, laid out by the rule of ui/SplitterLayout.h.
#include "ServiceFixture.h"

namespace uitest {
namespace {

class SplitterControlTest : public ServiceTest {
  protected:
    void SetUp() override {
        ServiceTest::SetUp();
        window_ = openTestWindow(640, 400);
        ASSERT_TRUE(window_);
        list_ = ui::createRowList(*window_, 5, 36, 115, 359, 0);
        editor_ = ui::createEditor(*window_, 125, 36, 510, 359, 0);
        ASSERT_TRUE(list_ && editor_);
        splitter_ =
            ui::createSplitter(*window_, 5, 36, 630, 359, *list_, *editor_, ui::kSplitterVertical);
        ASSERT_TRUE(splitter_);
    }
    void TearDown() override {
        window_.reset();
        ServiceTest::TearDown();
    }

    static RECT paneRect(const ui::Control* control) {
        RECT bounds;
        HWND handle = ui::controlHandle(*control);
        GetWindowRect(handle, &bounds);
        MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&bounds), 2);
        return bounds;
    }

    ui::OwnedWindow window_;
    ui::Control* list_ = nullptr;
    ui::Control* editor_ = nullptr;
    ui::Control* splitter_ = nullptr;
};

TEST_F(SplitterControlTest, PanesTakeTheirPlacesFromTheSplitter) {
    ui::setControlState(*splitter_, 156);
    ui::setControlAttribute(*splitter_, ui::kSplitterFirstMinimum, 116);
    ui::setControlAttribute(*splitter_, ui::kSplitterSecondMinimum, 76);
    EXPECT_EQ(ui::controlState(*splitter_), 156);
    EXPECT_EQ(GetParent(ui::controlHandle(*list_)), ui::controlHandle(*splitter_));

    RECT list = paneRect(list_);
    RECT editor = paneRect(editor_);
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.right, 156);
    EXPECT_EQ(list.bottom - list.top, 359);
    EXPECT_EQ(editor.left, 160);
    EXPECT_EQ(editor.right, 630);

    // Resized like the manager's window: the editor grows in proportion.
    ui::resizeControl(*splitter_, base::keepValue, base::keepValue, 900, 500);
    list = paneRect(list_);
    editor = paneRect(editor_);
    EXPECT_EQ(editor.right - editor.left, 672);
    EXPECT_EQ(list.right, 224);
    EXPECT_EQ(editor.bottom - editor.top, 500);
    EXPECT_EQ(ui::controlState(*splitter_), 224);

    // Shrunk below what both minimums need: the list keeps its minimum.
    ui::resizeControl(*splitter_, base::keepValue, base::keepValue, 150, base::keepValue);
    EXPECT_EQ(paneRect(list_).right, 116);
}

TEST_F(SplitterControlTest, DraggingTheBarStoresANewRatio) {
    ui::setControlState(*splitter_, 156);
    ui::setControlAttribute(*splitter_, ui::kSplitterFirstMinimum, 116);
    ui::setControlAttribute(*splitter_, ui::kSplitterSecondMinimum, 76);
    HWND splitter = ui::controlHandle(*splitter_);

    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(157, 100));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(301, 100));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(301, 100));
    EXPECT_EQ(ui::controlState(*splitter_), 300);
    EXPECT_EQ(paneRect(editor_).left, 304);

    // Dragging never goes past a minimum.
    SendMessageW(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 100));
    SendMessageW(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 100));
    SendMessageW(splitter, WM_LBUTTONUP, 0, MAKELPARAM(10, 100));
    EXPECT_EQ(ui::controlState(*splitter_), 116);

    // The ratio of the drag holds when the splitter is resized.
    ui::resizeControl(*splitter_, base::keepValue, base::keepValue, 630 + 626, base::keepValue);
    EXPECT_EQ(paneRect(editor_).right - paneRect(editor_).left, 2 * (626 - 116));
}

TEST_F(SplitterControlTest, PanesCannotBeMovedOutOfTheirPlaces) {
    ui::setControlState(*splitter_, 156);
    ui::resizeControl(*list_, 40, 40, 20, 20); // as a DPI change re-scales every control
    const RECT list = paneRect(list_);
    EXPECT_EQ(list.left, 0);
    EXPECT_EQ(list.top, 0);
    EXPECT_EQ(list.right, 156);
    EXPECT_EQ(list.bottom, 359);
}

TEST_F(SplitterControlTest, PaneNotificationsStillBecomeEvents) {
    drainEvents(30);
    SendMessageW(ui::controlHandle(*editor_), WM_CHAR, 'z', 1);
    bool editorChange = false;
    for (const ui::Event& event : drainEvents()) {
        editorChange |= event.control == editor_ && event.type == ui::kEventChange &&
                        event.window == window_.get();
    }
    EXPECT_TRUE(editorChange);
}

} // namespace
} // namespace uitest
