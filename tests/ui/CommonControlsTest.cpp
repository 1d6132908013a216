// Visual styles only under ui::VisualStyles, and the service's own subclassing.
#include "ServiceFixture.h"
#include "ui/CommonControls.h"

#include <optional>
#include <string>

namespace uitest {
namespace {

using VisualStylesTest = ServiceTest;

// Whether the procedure of a window's class lives in comctl32, which makes edit fields, static
// texts, list boxes and buttons of its own only from version 6 on.
bool classOfComctl32(HWND window) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetClassLongPtrW(window, GCLP_WNDPROC)), &module);
    return module && GetProcAddress(module, "InitCommonControlsEx");
}

// The popup's and the picker's controls stay user32's, and their start loads no comctl32; the
// manager's are comctl32 6's, with the buttons that know their ideal size.
TEST_F(VisualStylesTest, OnlyWindowsMadeUnderVisualStylesAreComctl32Six) {
    for (const bool styled : {false, true}) {
        std::optional<ui::VisualStyles> styles;
        if (styled)
            styles.emplace();
        ui::OwnedWindow window = openTestWindow(300, 200);
        ASSERT_TRUE(window);
        ui::Control* const controls[] = {
            ui::createTextField(*window, 0, 0, 100, 20, u"", 0),
            ui::createStaticText(*window, 0, 25, 100, 20, u"", 0),
            ui::createRowList(*window, 0, 50, 100, 100, 0),
            ui::createImageButton(*window, 110, 0, 35, 26, nullptr, 0),
        };
        for (const ui::Control* control : controls) {
            ASSERT_TRUE(control);
            EXPECT_EQ(classOfComctl32(ui::controlHandle(*control)), styled)
                << "styled " << styled << ", control " << ui::controlHandle(*control);
        }
        SIZE ideal{};
        EXPECT_EQ(SendMessageW(ui::controlHandle(*controls[3]), BCM_GETIDEALSIZE, 0,
                               reinterpret_cast<LPARAM>(&ideal)) != 0,
                  styled);
    }
}

std::string calls;

LRESULT CALLBACK ownProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP)
        calls += "own ";
    return DefWindowProcW(window, message, wParam, lParam);
}

// Writes its name (the reference data), passes the message on twice when its id is 2 and
// removes itself on the way when its id is 3.
LRESULT CALLBACK namedSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                               DWORD_PTR name) {
    if (message != WM_APP)
        return ui::defSubclassProc(window, message, wParam, lParam);
    calls += reinterpret_cast<const char*>(name) + std::string(" ");
    if (id == 3)
        ui::removeWindowSubclass(window, namedSubclass, id);
    if (id == 2)
        ui::defSubclassProc(window, message, wParam, lParam);
    return ui::defSubclassProc(window, message, wParam, lParam);
}

TEST(Subclassing, LastInstalledFirstAndEachPassingOnToTheOneBefore) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ownProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SubclassingTest";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"SubclassingTest", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    const auto name = [](const char* text) { return reinterpret_cast<DWORD_PTR>(text); };
    ASSERT_TRUE(ui::setWindowSubclass(window, namedSubclass, 1, name("wrong")));
    ASSERT_TRUE(ui::setWindowSubclass(window, namedSubclass, 1, name("a"))); // the data, once
    ASSERT_TRUE(ui::setWindowSubclass(window, namedSubclass, 2, name("b")));
    ASSERT_TRUE(ui::setWindowSubclass(window, namedSubclass, 3, name("c")));
    const std::pair<const char*, const char*> rounds[] = {
        {"c b a own a own ", "c removes itself on the way and still passes on"},
        {"b a own a own ", "without c"},
    };
    for (const auto& [expected, what] : rounds) {
        calls.clear();
        SendMessageW(window, WM_APP, 0, 0);
        EXPECT_EQ(calls, expected) << what;
    }
    ui::removeWindowSubclass(window, namedSubclass, 2);
    ui::removeWindowSubclass(window, namedSubclass, 1);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), ownProcedure);
    DestroyWindow(window);
    UnregisterClassW(L"SubclassingTest", GetModuleHandleW(nullptr));
}

} // namespace
} // namespace uitest
