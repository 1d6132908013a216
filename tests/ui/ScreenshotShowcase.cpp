// Not a check: a window with every kind of control, for a screenshot under Xvfb.
//   wine zendrik_wintests.exe --gtest_also_run_disabled_tests --gtest_filter='*Showcase*'
// and meanwhile `import -window root shot.png` on the same display. It stays open for
// ZENDRIK_SHOWCASE_SECONDS (default 6).
#include "ServiceFixture.h"
#include "resources/ResourceIds.h"

#include <cstdlib>

namespace uitest {
namespace {

class ScreenshotShowcase : public ServiceTest {};

TEST_F(ScreenshotShowcase, DISABLED_ManagerLikeWindow) {
    ui::openWindow(0, 0, 0, 640, 400, u"Zendrik v1.03 (by Ombrel)",
                   WS_OVERLAPPEDWINDOW | ui::kWindowCentreOnScreen | ui::kWindowHidden, nullptr);
    ui::createImageButton(0, 5, 5, 35, 26, ui::loadPngResource(IDR_IMAGE_NEW), 0);
    ui::createImageButton(1, 45, 5, 35, 26, ui::loadPngResource(IDR_IMAGE_DELETE), 0);
    ui::createImageButton(9, 85, 5, 35, 26, ui::loadPngResource(IDR_IMAGE_RENAME),
                          ui::kButtonToggle);
    ui::createImageButton(2, 125, 5, 35, 26, ui::loadPngResource(IDR_IMAGE_SAVE), 0);
    ui::enableControl(2, false);
    ui::setControlState(9, 1);
    ui::createTextField(6, 165, 10, 199, 21, u"openwindow(", 0);
    ui::createTreeList(5, 5, 36, 115, 359, 0);
    ui::createEditor(8, 125, 36, 510, 359, 0);
    ui::createSplitter(7, 5, 36, 630, 359, 5, 8, ui::kSplitterVertical);
    ui::setControlState(7, 156);
    ui::setControlAttribute(7, ui::kSplitterFirstMinimum, 116);
    ui::setControlAttribute(7, ui::kSplitterSecondMinimum, 76);
    ui::createImageButton(3, 559, 5, 35, 26, ui::loadPngResource(IDR_IMAGE_OPEN), 0);
    ui::createImageButton(4, 599, 5, 36, 26, ui::loadPngResource(IDR_IMAGE_DONATE), 0);
    for (const char16_t* name : {u"_start", u"dim", u"for", u"if", u"mb", u"openwindow(", u"proc",
                                 u"select", u"struc", u"while"}) {
        ui::addListRow(5, name);
    }
    ui::setControlState(5, 5);
    ui::setControlText(8, u"OpenWindow(%#Window=0, %x=0, %y=0, %Width=800, %Height=600, "
                          u"\"%Title\", #PB_Window_SystemMenu)\r\nRepeat\r\n  Event = "
                          u"WaitWindowEvent()\r\nUntil Event = #PB_Event_CloseWindow");
    ui::setControlTooltip(0, u" New Shortcut (Ctrl+N) ");
    ui::showWindow(0, true);

    const char* seconds = std::getenv("ZENDRIK_SHOWCASE_SECONDS");
    const DWORD until =
        GetTickCount() + 1000u * static_cast<DWORD>(seconds ? std::atoi(seconds) : 6);
    while (GetTickCount() < until) {
        if (ui::waitEventFor(50) == ui::EventKind::SizeChange) {
            ui::resizeControl(7, ui::kKeepValue, ui::kKeepValue, ui::windowClientWidth(0) - 10,
                              ui::windowClientHeight(0) - 40);
        }
    }
}

} // namespace
} // namespace uitest
