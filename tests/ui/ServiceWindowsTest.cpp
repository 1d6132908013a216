// Windows of the service: their own classes, client sizes, flags, bounds, the controls that go
// with them and the common end.
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
    ui::OwnedWindow opened =
        ui::openWindow(20, 30, 321, 123, u"Sized", GetParam().flags | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(opened);
    HWND window = ui::windowHandle(*opened);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(clientOf(window).right, 321);
    EXPECT_EQ(clientOf(window).bottom, 123);
    EXPECT_EQ(ui::windowClientWidth(*opened), 321);
    EXPECT_EQ(ui::windowClientHeight(*opened), 123);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(ui::windowOuterWidth(*opened), outer.right - outer.left);
    EXPECT_EQ(ui::windowOuterHeight(*opened), outer.bottom - outer.top);
    EXPECT_EQ(outer.left, 20);
    EXPECT_EQ(outer.top, 30);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0,
              (GetParam().flags & ui::kWindowLayered) != 0);
    EXPECT_EQ(classOf(window), ui::windowClassName(0)) << "the first window opened";
}

INSTANTIATE_TEST_SUITE_P(
    Styles, OpenWindowTest,
    ::testing::Values(OpenCase{"Overlapped", WS_OVERLAPPEDWINDOW},
                      OpenCase{"PopupWithoutFrame", WS_POPUP},
                      OpenCase{"PopupWithBorder", WS_POPUP | WS_BORDER},
                      OpenCase{"LayeredPopupWithBorder", WS_POPUP | WS_BORDER | ui::kWindowLayered},
                      OpenCase{"Caption", WS_CAPTION | WS_SYSMENU}),
    [](const ::testing::TestParamInfo<OpenCase>& info) { return info.param.name; });

// A field, and a row list and an editor as the panes of a splitter: one control of each kind
// that keeps something of its own.
struct Controls {
    ui::Control* field = nullptr;
    ui::Control* list = nullptr;
    ui::Control* editor = nullptr;
    ui::Control* splitter = nullptr;
};

Controls makeControls(ui::Window& window) {
    Controls made;
    made.field = ui::createTextField(window, 0, 0, 50, 20, u"", 0);
    made.list = ui::createRowList(window, 0, 30, 50, 50, 0);
    made.editor = ui::createEditor(window, 60, 0, 100, 100, 0);
    if (made.list && made.editor)
        made.splitter = ui::createSplitter(window, 0, 30, 190, 100, *made.list, *made.editor,
                                           ui::kSplitterVertical);
    return made;
}

ui::OwnedWindow openHidden(int width = 50, int height = 50, std::uint32_t style = WS_POPUP,
                           HWND owner = nullptr) {
    return ui::openWindow(0, 0, width, height, u"", style | ui::kWindowHidden, owner);
}

bool classRegistered(int number) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    return GetClassInfoExW(GetModuleHandleW(nullptr), ui::windowClassName(number).c_str(),
                           &windowClass) != FALSE;
}

TEST_F(ServiceWindowsTest, EachWindowHasAClassOfItsOwn) {
    ui::OwnedWindow first = openHidden(100, 100);
    ui::OwnedWindow second = openHidden(100, 100);
    ASSERT_TRUE(first && second);
    HWND a = ui::windowHandle(*first);
    HWND b = ui::windowHandle(*second);
    // A class style set on one window, like a drop shadow, stays with that window.
    SetClassLongPtrW(a, GCL_STYLE, GetClassLongPtrW(a, GCL_STYLE) | CS_DROPSHADOW);
    EXPECT_TRUE(GetClassLongPtrW(a, GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_FALSE(GetClassLongPtrW(b, GCL_STYLE) & CS_DROPSHADOW);
    EXPECT_EQ(classOf(b), ui::windowClassName(1));
}

// Another program finds a window by its class name: a window takes the lowest number no open
// window holds, and a dropped window's class goes with it.
TEST_F(ServiceWindowsTest, ClassNumbersAreTheLowestFree) {
    ui::OwnedWindow first = openHidden();
    ui::OwnedWindow second = openHidden();
    ui::OwnedWindow third = openHidden();
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(classOf(ui::windowHandle(*third)), ui::windowClassName(2));

    second.reset();
    EXPECT_FALSE(classRegistered(1));
    EXPECT_TRUE(classRegistered(2)) << "the other windows keep theirs";
    ui::OwnedWindow fourth = openHidden();
    ASSERT_TRUE(fourth);
    EXPECT_EQ(classOf(ui::windowHandle(*fourth)), ui::windowClassName(1));
    ui::OwnedWindow fifth = openHidden();
    ASSERT_TRUE(fifth);
    EXPECT_EQ(classOf(ui::windowHandle(*fifth)), ui::windowClassName(3));
}

TEST_F(ServiceWindowsTest, VisibleUnlessHiddenFlag) {
    ui::OwnedWindow opened = ui::openWindow(0, 0, 50, 50, u"", WS_OVERLAPPEDWINDOW, nullptr);
    ASSERT_TRUE(opened);
    HWND window = ui::windowHandle(*opened);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) & 1) << "flag bits are no style";
    ui::showWindow(*opened, false);
    EXPECT_FALSE(IsWindowVisible(window));
    ui::showWindow(*opened, true);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(ServiceWindowsTest, CentredOnTheScreen) {
    ui::OwnedWindow opened = ui::openWindow(
        5, 5, 300, 200, u"", WS_OVERLAPPEDWINDOW | ui::kWindowCentreOnScreen | ui::kWindowHidden,
        nullptr);
    ASSERT_TRUE(opened);
    RECT outer;
    GetWindowRect(ui::windowHandle(*opened), &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
}

TEST_F(ServiceWindowsTest, LargerThanTheScreenGoesToTheEdge) {
    const int tall = GetSystemMetrics(SM_CYSCREEN) + 100;
    ui::OwnedWindow opened = ui::openWindow(
        5, 5, 200, tall, u"", WS_POPUP | ui::kWindowCentreOnScreen | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(opened);
    RECT outer;
    GetWindowRect(ui::windowHandle(*opened), &outer);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
}

TEST_F(ServiceWindowsTest, CentredOnItsOwner) {
    ui::OwnedWindow owner =
        ui::openWindow(100, 100, 600, 400, u"Owner", WS_POPUP | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(owner);
    ui::OwnedWindow owned = ui::openWindow(0, 0, 200, 100, u"Owned",
                                           WS_POPUP | ui::kWindowCentreOnOwner | ui::kWindowHidden,
                                           ui::windowHandle(*owner));
    ASSERT_TRUE(owned);
    RECT outer;
    GetWindowRect(ui::windowHandle(*owned), &outer);
    EXPECT_EQ(outer.left, 100 + (600 - 200) / 2);
    EXPECT_EQ(outer.top, 100 + (400 - 100) / 2);
    EXPECT_EQ(GetWindow(ui::windowHandle(*owned), GW_OWNER), ui::windowHandle(*owner));
}

TEST_F(ServiceWindowsTest, ResizeKeepsWhatItIsToldToKeep) {
    ui::OwnedWindow framed =
        ui::openWindow(50, 60, 300, 200, u"", WS_OVERLAPPEDWINDOW | ui::kWindowHidden, nullptr);
    ASSERT_TRUE(framed);
    ui::resizeWindow(*framed, base::keepValue, base::keepValue, base::keepValue, 130);
    EXPECT_EQ(ui::windowClientWidth(*framed), 300);
    EXPECT_EQ(ui::windowClientHeight(*framed), 130);
    RECT outer;
    GetWindowRect(ui::windowHandle(*framed), &outer);
    EXPECT_EQ(outer.left, 50);
    EXPECT_EQ(outer.top, 60);

    // A style changed after opening counts when the outer size is computed.
    ui::OwnedWindow popup = openHidden(100, 50);
    ASSERT_TRUE(popup);
    HWND window = ui::windowHandle(*popup);
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_BORDER);
    ui::resizeWindow(*popup, base::keepValue, base::keepValue, base::keepValue, 80);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_EQ(ui::windowClientWidth(*popup), 100);
    EXPECT_EQ(ui::windowClientHeight(*popup), 80);
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
    ui::OwnedWindow opened = openHidden(300, 150, WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(opened);
    HWND window = ui::windowHandle(*opened);

    ui::setWindowBounds(*opened, 450, 220, base::kNoLimit, base::kNoLimit);
    EXPECT_EQ(ui::windowClientWidth(*opened), 450);
    EXPECT_EQ(ui::windowClientHeight(*opened), 220);
    MINMAXINFO limits = trackingLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize.x, outerFor(window, 450, 220).cx);
    EXPECT_EQ(limits.ptMinTrackSize.y, outerFor(window, 450, 220).cy);
    EXPECT_EQ(limits.ptMaxTrackSize.x, 99999) << "no largest size";

    // Keeping the smallest size while setting a largest one; above 32000 counts as 32000.
    ui::setWindowBounds(*opened, base::keepValue, base::keepValue, 40000, 400);
    limits = trackingLimits(window);
    EXPECT_EQ(limits.ptMinTrackSize.x, outerFor(window, 450, 220).cx);
    EXPECT_EQ(limits.ptMaxTrackSize.x, outerFor(window, 32000, 400).cx);
    EXPECT_EQ(limits.ptMaxTrackSize.y, outerFor(window, 32000, 400).cy);

    ui::resizeWindow(*opened, base::keepValue, base::keepValue, 500, 390);
    ui::setWindowBounds(*opened, base::keepValue, base::keepValue, 480, 300);
    EXPECT_EQ(ui::windowClientWidth(*opened), 480);
    EXPECT_EQ(ui::windowClientHeight(*opened), 300);
}

TEST_F(ServiceWindowsTest, MinimisedWindowIsNotResizedByBounds) {
    ui::OwnedWindow opened = openHidden(300, 150, WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(opened);
    HWND window = ui::windowHandle(*opened);
    ShowWindow(window, SW_MINIMIZE);
    WINDOWPLACEMENT before{};
    before.length = sizeof(before);
    GetWindowPlacement(window, &before);
    ui::setWindowBounds(*opened, 450, 220, base::kNoLimit, base::kNoLimit);
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
    ui::OwnedWindow opened = openHidden(40, 30);
    ASSERT_TRUE(opened);
    ui::setWindowColor(*opened, RGB(10, 200, 30));
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 40, 30);
    SelectObject(memory, canvas);
    SendMessageW(ui::windowHandle(*opened), WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    EXPECT_EQ(GetPixel(memory, 20, 15), RGB(10, 200, 30));
    DeleteDC(memory);
    DeleteObject(canvas);
    ReleaseDC(nullptr, screen);
}

// A control goes with its window, however the window goes, and the service forgets its handle:
// Windows may give the same handle to a window of anyone's afterwards.
TEST_F(ServiceWindowsTest, ControlsGoWithTheirWindowAndTheirHandlesAreForgotten) {
    enum class Ending { FreeControl, DropWindow, WindowsDestroysTheWindow };
    const std::pair<const char*, Ending> cases[] = {
        {"FreeControl", Ending::FreeControl},
        {"DropWindow", Ending::DropWindow},
        // Its owner destroyed, say: the object stays with its owner, emptied.
        {"WindowsDestroysTheWindow", Ending::WindowsDestroysTheWindow},
    };
    for (const auto& [name, ending] : cases) {
        SCOPED_TRACE(name);
        ui::OwnedWindow window = openHidden(200, 200);
        ASSERT_TRUE(window);
        const auto [field, list, editor, splitter] = makeControls(*window);
        ASSERT_TRUE(field && list && editor && splitter);
        const HWND handles[] = {ui::controlHandle(*field), ui::controlHandle(*list),
                                ui::controlHandle(*editor), ui::controlHandle(*splitter)};
        for (HWND handle : handles)
            ASSERT_NE(ui::controlOfHandle(handle), nullptr);
        EXPECT_EQ(ui::controlOfHandle(handles[0]), field);
        EXPECT_EQ(ui::controlOfHandle(ui::windowHandle(*window)), nullptr) << "not a control";

        const HWND windowHandle = ui::windowHandle(*window);
        switch (ending) {
        case Ending::FreeControl:
            ui::freeControl(*field);
            EXPECT_FALSE(IsWindow(handles[0]));
            EXPECT_EQ(ui::controlOfHandle(handles[0]), nullptr);
            EXPECT_EQ(ui::controlOfHandle(handles[1]), list) << "the other controls stay";
            continue;
        case Ending::DropWindow:
            window.reset();
            break;
        case Ending::WindowsDestroysTheWindow:
            DestroyWindow(windowHandle);
            EXPECT_EQ(ui::windowHandle(*window), nullptr);
            EXPECT_EQ(ui::controlHandle(*field), nullptr);
            EXPECT_EQ(ui::controlHandle(*splitter), nullptr);
            // Nowhere to put a control, and nothing to size or show.
            EXPECT_EQ(ui::createTextField(*window, 0, 0, 10, 10, u"", 0), nullptr);
            ui::resizeWindow(*window, 1, 2, 3, 4);
            ui::showWindow(*window, true);
            ui::setControlText(*field, u"x");
            EXPECT_EQ(ui::controlText(*field), u"");
            EXPECT_EQ(ui::windowClientWidth(*window), 0);
            break;
        }
        EXPECT_FALSE(IsWindow(windowHandle));
        for (HWND handle : handles) {
            EXPECT_FALSE(IsWindow(handle));
            EXPECT_EQ(ui::controlOfHandle(handle), nullptr);
        }
    }
}

TEST_F(ServiceWindowsTest, CommonEndFreesEverything) {
    ui::OwnedWindow opened = ui::openWindow(0, 0, 200, 200, u"", WS_OVERLAPPEDWINDOW, nullptr);
    ASSERT_TRUE(opened);
    const auto [field, list, editor, splitter] = makeControls(*opened);
    ASSERT_TRUE(field && list && editor && splitter);
    ui::setControlTooltip(*field, u"tip");
    ui::addKeyboardShortcut(*opened, VK_ESCAPE, 1);
    ui::setControlBackColor(*field, RGB(1, 2, 3));
    HFONT font = ui::loadFont(u"Tahoma", 9, 0);
    ASSERT_NE(font, nullptr);
    HWND window = ui::windowHandle(*opened);
    HWND fieldHandle = ui::controlHandle(*field);
    HWND splitterHandle = ui::controlHandle(*splitter);
    ui::postCloseRequest(*opened);

    ui::endService();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsWindow(fieldHandle));
    EXPECT_FALSE(IsWindow(splitterHandle));
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_FALSE(classRegistered(0));
    EXPECT_EQ(ui::windowHandle(*opened), nullptr);
    EXPECT_EQ(ui::controlHandle(*field), nullptr);
    EXPECT_EQ(ui::controlOfHandle(fieldHandle), nullptr);

    // The service starts again, with nothing left over; the window its owner still holds is
    // nothing to the new one, and dropping it leaves the new window's class alone.
    ui::startService();
    EXPECT_EQ(ui::waitEventFor(0).kind, ui::EventKind::None);
    ui::OwnedWindow next = openHidden();
    ASSERT_TRUE(next);
    EXPECT_EQ(classOf(ui::windowHandle(*next)), ui::windowClassName(0));
    opened.reset();
    EXPECT_TRUE(classRegistered(0));
    EXPECT_TRUE(IsWindow(ui::windowHandle(*next)));
}

} // namespace
} // namespace uitest
