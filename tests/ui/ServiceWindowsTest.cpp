// Windows of the service: numbering, their own classes, client sizes, flags, bounds and the
// common end.
#include "ServiceFixture.h"
#include "ui/WindowClassName.h"

#include <string>

namespace uitest {
namespace {

class ServiceWindowsTest : public ServiceTest {};

RECT clientOf(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct OpenCase {
    const char* name;
    std::uint32_t flags;
};

class OpenWindowTest : public ServiceWindowsTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenWindowTest, SizeGivenIsTheClientAreaWhateverTheFrame) {
    const std::intptr_t handle = ui::openWindow(3, 20, 30, 321, 123, u"Sized",
                                                GetParam().flags | ui::kWindowHidden, nullptr);
    ASSERT_NE(handle, 0);
    HWND window = reinterpret_cast<HWND>(handle);
    EXPECT_EQ(window, ui::windowHandle(3));
    EXPECT_EQ(clientOf(window).right, 321);
    EXPECT_EQ(clientOf(window).bottom, 123);
    EXPECT_EQ(ui::windowClientWidth(3), 321);
    EXPECT_EQ(ui::windowClientHeight(3), 123);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(ui::windowOuterWidth(3), outer.right - outer.left);
    EXPECT_EQ(ui::windowOuterHeight(3), outer.bottom - outer.top);
    EXPECT_EQ(outer.left, 20);
    EXPECT_EQ(outer.top, 30);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(classOf(window), ui::windowClassName(3));
}

INSTANTIATE_TEST_SUITE_P(Styles, OpenWindowTest,
                         ::testing::Values(OpenCase{"Overlapped", WS_OVERLAPPEDWINDOW},
                                           OpenCase{"PopupWithoutFrame", WS_POPUP},
                                           OpenCase{"PopupWithBorder", WS_POPUP | WS_BORDER},
                                           OpenCase{"Caption", WS_CAPTION | WS_SYSMENU}),
                         [](const ::testing::TestParamInfo<OpenCase>& info) {
                             return info.param.name;
                         });

TEST_F(ServiceWindowsTest, EachWindowHasAClassOfItsOwn) {
    ui::openWindow(0, 0, 0, 100, 100, u"A", WS_POPUP | ui::kWindowHidden, nullptr);
    ui::openWindow(1, 0, 0, 100, 100, u"B", WS_POPUP | ui::kWindowHidden, nullptr);
    // A class style set on one window, like a drop shadow, stays with that window.
    SetClassLongPtrW(ui::windowHandle(0), GCL_STYLE,
                     GetClassLongPtrW(ui::windowHandle(0), GCL_STYLE) | CS_DROPSHADOW);
    EXPECT_TRUE(GetClassLongPtrW(ui::windowHandle(0), GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_FALSE(GetClassLongPtrW(ui::windowHandle(1), GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_EQ(classOf(ui::windowHandle(1)), ui::windowClassName(1));
}

TEST_F(ServiceWindowsTest, ChosenNumbersAreFreeAndReturned) {
    ui::openWindow(0, 0, 0, 50, 50, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    const auto first = static_cast<int>(ui::openWindow(ui::kChooseNumber, 0, 0, 50, 50, u"",
                                                       WS_POPUP | ui::kWindowHidden, nullptr));
    const auto second = static_cast<int>(ui::openWindow(ui::kChooseNumber, 0, 0, 50, 50, u"",
                                                        WS_POPUP | ui::kWindowHidden, nullptr));
    EXPECT_NE(first, 0);
    EXPECT_NE(second, first);
    EXPECT_NE(ui::windowHandle(first), nullptr);
    EXPECT_NE(ui::windowHandle(second), nullptr);
    EXPECT_EQ(classOf(ui::windowHandle(first)), ui::windowClassName(first));
}

TEST_F(ServiceWindowsTest, VisibleUnlessHiddenFlag) {
    ui::openWindow(0, 0, 0, 50, 50, u"", WS_OVERLAPPEDWINDOW, nullptr);
    EXPECT_TRUE(IsWindowVisible(ui::windowHandle(0)));
    EXPECT_FALSE(GetWindowLongW(ui::windowHandle(0), GWL_STYLE) & 1) << "flag bits are no style";
    ui::showWindow(0, false);
    EXPECT_FALSE(IsWindowVisible(ui::windowHandle(0)));
    ui::showWindow(0, true);
    EXPECT_TRUE(IsWindowVisible(ui::windowHandle(0)));
}

TEST_F(ServiceWindowsTest, CentredOnTheScreen) {
    ui::openWindow(0, 5, 5, 300, 200, u"",
                   WS_OVERLAPPEDWINDOW | ui::kWindowCentreOnScreen | ui::kWindowHidden, nullptr);
    RECT outer;
    GetWindowRect(ui::windowHandle(0), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

TEST_F(ServiceWindowsTest, LargerThanTheScreenGoesToTheEdge) {
    const int tall = GetSystemMetrics(SM_CYSCREEN) + 100;
    ui::openWindow(0, 5, 5, 200, tall, u"",
                   WS_POPUP | ui::kWindowCentreOnScreen | ui::kWindowHidden, nullptr);
    RECT outer;
    GetWindowRect(ui::windowHandle(0), &outer);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
}

TEST_F(ServiceWindowsTest, CentredOnItsOwner) {
    ui::openWindow(0, 100, 100, 600, 400, u"Owner", WS_POPUP | ui::kWindowHidden, nullptr);
    ui::openWindow(1, 0, 0, 200, 100, u"Owned",
                   WS_POPUP | ui::kWindowCentreOnOwner | ui::kWindowHidden, ui::windowHandle(0));
    RECT outer;
    GetWindowRect(ui::windowHandle(1), &outer);
    EXPECT_EQ(outer.left, 100 + (600 - 200) / 2);
    EXPECT_EQ(outer.top, 100 + (400 - 100) / 2);
    EXPECT_EQ(GetWindow(ui::windowHandle(1), GW_OWNER), ui::windowHandle(0));
}

TEST_F(ServiceWindowsTest, ResizeKeepsWhatItIsToldToKeep) {
    ui::openWindow(0, 50, 60, 300, 200, u"", WS_OVERLAPPEDWINDOW | ui::kWindowHidden, nullptr);
    ui::resizeWindow(0, base::keepValue, base::keepValue, base::keepValue, 130);
    EXPECT_EQ(ui::windowClientWidth(0), 300);
    EXPECT_EQ(ui::windowClientHeight(0), 130);
    RECT outer;
    GetWindowRect(ui::windowHandle(0), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 60);

    // A style changed after opening counts when the outer size is computed.
    ui::openWindow(1, 0, 0, 100, 50, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    HWND window = ui::windowHandle(1);
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_BORDER);
    ui::resizeWindow(1, base::keepValue, base::keepValue, base::keepValue, 80);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(ui::windowClientWidth(1), 100);
    EXPECT_EQ(ui::windowClientHeight(1), 80);
}

MINMAXINFO trackingLimits(HWND window) {
    MINMAXINFO limits{};
    limits.ptMaxTrackSize = {99999, 99999};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    return limits;
}

SIZE outerFor(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

TEST_F(ServiceWindowsTest, BoundsLimitTheClientAreaAndApplyAtOnce) {
    ui::openWindow(0, 0, 0, 300, 150, u"", WS_OVERLAPPEDWINDOW | ui::kWindowHidden, nullptr);
    HWND window = ui::windowHandle(0);

    ui::setWindowBounds(0, 450, 220, base::kNoLimit, base::kNoLimit);
    EXPECT_EQ(ui::windowClientWidth(0), 450);
    EXPECT_EQ(ui::windowClientHeight(0), 220);
    MINMAXINFO limits = trackingLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize.x, outerFor(window, 450, 220).cx);
    EXPECT_EQ(limits.ptMinTrackSize.y, outerFor(window, 450, 220).cy);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 99999) << "no largest size";

    // Keeping the smallest size while setting a largest one; above 32000 counts as 32000.
    ui::setWindowBounds(0, base::keepValue, base::keepValue, 40000, 400);
    limits = trackingLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize.x, outerFor(window, 450, 220).cx);
    EXPECT_EQ(limits.ptMaxTrackSize.x, outerFor(window, 32000, 400).cx);
    EXPECT_EQ(limits.ptMaxTrackSize.y, outerFor(window, 32000, 400).cy);

    ui::resizeWindow(0, base::keepValue, base::keepValue, 500, 390);
    ui::setWindowBounds(0, base::keepValue, base::keepValue, 480, 300);
    EXPECT_EQ(ui::windowClientWidth(0), 480);
    EXPECT_EQ(ui::windowClientHeight(0), 300);
}

TEST_F(ServiceWindowsTest, MinimisedWindowIsNotResizedByBounds) {
    ui::openWindow(0, 0, 0, 300, 150, u"", WS_OVERLAPPEDWINDOW | ui::kWindowHidden, nullptr);
    HWND window = ui::windowHandle(0);
    ShowWindow(window, SW_MINIMIZE);
    WINDOWPLACEMENT before{};
    before.length = sizeof(before);
    GetWindowPlacement(window, &before);
    ui::setWindowBounds(0, 450, 220, base::kNoLimit, base::kNoLimit);
    WINDOWPLACEMENT after{};
    after.length = sizeof(after);
    GetWindowPlacement(window, &after);
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(after.rcNormalPosition.right - after.rcNormalPosition.left,
              before.rcNormalPosition.right - before.rcNormalPosition.left);
    EXPECT_EQ(after.rcNormalPosition.bottom - after.rcNormalPosition.top,
              before.rcNormalPosition.bottom - before.rcNormalPosition.top);
}

TEST_F(ServiceWindowsTest, BackgroundColourFillsTheClientArea) {
    ui::openWindow(0, 0, 0, 40, 30, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    ui::setWindowColor(0, RGB(10, 200, 30));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 40, 30);
    SelectObject(memory, canvas);
    SendMessageW(ui::windowHandle(0), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(GetPixel(memory, 20, 15), RGB(10, 200, 30));
    DeleteDC(memory);
    DeleteObject(canvas);
    ReleaseDC(nullptr, screen);
}

TEST_F(ServiceWindowsTest, ReusingANumberReplacesTheWindow) {
    ui::openWindow(0, 0, 0, 50, 50, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    HWND old = ui::windowHandle(0);
    ui::openWindow(0, 0, 0, 60, 60, u"", WS_POPUP | ui::kWindowHidden, nullptr);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(ui::windowClientWidth(0), 60);
}

TEST_F(ServiceWindowsTest, OperationsOnUnknownNumbersDoNothing) {
    EXPECT_EQ(ui::windowHandle(7), nullptr);
    ui::resizeWindow(7, 1, 2, 3, 4);
    ui::setWindowBounds(7, 1, 2, 3, 4);
    ui::showWindow(7, true);
    ui::setWindowColor(7, 0);
    ui::closeWindow(7);
    EXPECT_EQ(ui::windowClientWidth(7), 0);
    EXPECT_EQ(ui::windowOuterHeight(7), 0);
    EXPECT_EQ(ui::openWindow(-5, 0, 0, 10, 10, u"", WS_POPUP, nullptr), 0);
    // Without an open window there is nowhere to put a control.
    EXPECT_EQ(ui::createTextField(1, 0, 0, 10, 10, u"", 0), 0);
}

TEST_F(ServiceWindowsTest, CommonEndFreesEverything) {
    ui::openWindow(0, 0, 0, 200, 200, u"", WS_OVERLAPPEDWINDOW, nullptr);
    ui::createTextField(1, 0, 0, 50, 20, u"", 0);
    ui::createRowList(2, 0, 30, 50, 50, 0);
    ui::createEditor(3, 60, 0, 100, 100, 0);
    ui::createSplitter(4, 0, 30, 190, 100, 2, 3, ui::kSplitterVertical);
    ui::setControlTooltip(1, u"tip");
    ui::addKeyboardShortcut(0, VK_ESCAPE, 1);
    ui::setControlBackColor(1, RGB(1, 2, 3));
    HFONT font = reinterpret_cast<HFONT>(ui::loadFont(5, u"Tahoma", 9, 0));
    HWND window = ui::windowHandle(0);
    HWND field = ui::controlHandle(1);
    HWND splitter = ui::controlHandle(4);
    ui::postCloseRequest(0);

    ui::endService();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(field));
    EXPECT_FALSE(IsWindow(splitter));
    EXPECT_EQ(GetObjectType(font), 0u);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    EXPECT_FALSE(
        GetClassInfoExW(GetModuleHandleW(nullptr), ui::windowClassName(0).c_str(), &windowClass));
    EXPECT_EQ(ui::windowHandle(0), nullptr);
    EXPECT_FALSE(ui::isControl(1));
    EXPECT_EQ(ui::fontHandle(5), nullptr);

    // The service starts again, with nothing left over.
    ui::startService();
    EXPECT_EQ(ui::waitEventFor(0), ui::EventKind::None);
    EXPECT_NE(ui::openWindow(0, 0, 0, 50, 50, u"", WS_POPUP | ui::kWindowHidden, nullptr), 0);
}

} // namespace
} // namespace uitest
