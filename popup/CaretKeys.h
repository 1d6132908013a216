#pragma once
// What the keys do in the windows at the caret: in the placeholder popup's fields and in the
// Shortcut picker, decided from what has the focus and what the window shows; and when such a
// window ends. No Win32 here, so the rules are checked natively; CaretWindow.cpp turns Win32's
// keys and activation messages into these and carries out the plan.

namespace popup {

// The keys a window at the caret takes before its focused control sees them.
enum class CaretKey { Return, ShiftReturn, Escape, Tab, ShiftTab, Up, Down, PageUp, PageDown };

// The popup's keys. Page Up and Page Down reach the focused field, which ignores them.
inline constexpr CaretKey kPopupKeys[] = {CaretKey::Return, CaretKey::ShiftReturn, CaretKey::Escape,
                                          CaretKey::Tab,    CaretKey::ShiftTab,    CaretKey::Up,
                                          CaretKey::Down};
// The picker's keys. Tab and Shift+Tab follow the window service's Tab order.
inline constexpr CaretKey kPickerKeys[] = {
    CaretKey::Return, CaretKey::ShiftReturn, CaretKey::Escape,  CaretKey::Up,
    CaretKey::Down,   CaretKey::PageUp,      CaretKey::PageDown};

enum class CaretAction {
    Nothing,
    FocusField,    // the keyboard focus goes to field `value` (the first is 1)
    StepChoice,    // the focused field shows its next (+1) or previous (-1) choice
    MoveSelection, // the selection moves `value` rows, up when negative
    Accept,        // the window ends, and what the user entered counts
    Cancel,        // the window ends, and the editor stays as it is
};

struct CaretPlan {
    CaretAction action = CaretAction::Nothing;
    int value = 0;
    bool operator==(const CaretPlan&) const = default;
};

struct PopupKeyState {
    int fieldCount = 0;
    int focused = 0; // the field with the focus, 1 to fieldCount; any other: none (a label)
    bool focusedHasChoices = false;
};

CaretPlan popupKeyPlan(CaretKey key, const PopupKeyState& state);

struct PickerKeyState {
    bool anyMatch = false;     // the filter matches at least one name
    bool nameSelected = false; // one of the listed names is selected
    int pageRows = 1;          // how far Page Up and Page Down move
};

// The picker's double-click on a name picks as Return does.
CaretPlan pickerKeyPlan(CaretKey key, const PickerKeyState& state);

// How a window at the caret has fared, as its loop and its activation messages saw it.
struct CaretWindowEnding {
    bool acceptRequested = false; // the content's plan accepted
    bool cancelled = false;       // by a key, the end of the session, or the loop's failure
    bool lostActivation = false;  // another window was activated while this one was visible
    bool wasActive = false;       // has been the visible active window
    // The time it is given to become the active window after it was shown has passed.
    bool activationWaitOver = false;
};

enum class CaretWindowEnd { Open, Accepted, Cancelled };

CaretWindowEnd caretWindowEnd(const CaretWindowEnding& ending);

} // namespace popup
