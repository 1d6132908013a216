// Shared set-up of the service tests: a started service per test, the common end after it,
// and key presses delivered through the thread's message queue.
#pragma once

#include "ui/WindowService.h"

#include <gtest/gtest.h>

#include <vector>

namespace uitest {

class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override { ui::startService(); }
    void TearDown() override {
        releaseModifiers();
        ui::endService();
    }

    // Every event that arrives within the time, in delivery order.
    static std::vector<ui::Event> drainEvents(int milliseconds = 100) {
        std::vector<ui::Event> events;
        for (ui::Event event = ui::waitEventFor(milliseconds); event.kind != ui::EventKind::None;
             event = ui::waitEventFor(milliseconds)) {
            events.push_back(event);
        }
        return events;
    }

    // Hidden unless the test needs the keyboard: under Wine without a window manager, an
    // activated window takes two seconds to go away at the common end.
    static ui::OwnedWindow openTestWindow(int width = 400, int height = 300, bool active = false) {
        const std::uint32_t flags = WS_POPUP | WS_BORDER | (active ? 0 : ui::kWindowHidden);
        ui::OwnedWindow window = ui::openWindow(40, 40, width, height, u"Test", flags, nullptr);
        EXPECT_TRUE(window) << "no test window";
        if (window && active) {
            SetForegroundWindow(ui::windowHandle(*window));
            SetActiveWindow(ui::windowHandle(*window));
        }
        return window;
    }

    // The key goes through the message queue like a typed key; the modifiers are set in the
    // thread's keyboard state, where accelerator translation and the Tab rule read them.
    static void pressKey(HWND target, UINT key, bool shift = false, bool ctrl = false,
                         bool alt = false) {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(state);
        const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(target, down, key, 1 | scan);
    }

    static void releaseModifiers() {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_SHIFT] = state[VK_CONTROL] = state[VK_MENU] = 0;
        SetKeyboardState(state);
    }
};

} // namespace uitest
