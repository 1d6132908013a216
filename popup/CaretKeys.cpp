#include "popup/CaretKeys.h"

namespace popup {

namespace {

// Both windows: Escape and Shift+Return leave the editor as it is, wherever the focus stands.
bool cancels(CaretKey key) {
    return key == CaretKey::Escape || key == CaretKey::ShiftReturn;
}

} // namespace

CaretPlan popupKeyPlan(CaretKey key, const PopupKeyState& state) {
    if (cancels(key))
        return {CaretAction::Cancel};
    const int count = state.fieldCount;
    const bool onField = state.focused >= 1 && state.focused <= count;
    switch (key) {
    case CaretKey::Return:
        // Return walks the fields and accepts in the last one only.
        if (!onField)
            return {};
        return state.focused < count ? CaretPlan{CaretAction::FocusField, state.focused + 1}
                                     : CaretPlan{CaretAction::Accept};
    case CaretKey::Tab:
        // The labels take no focus: Tab wraps over the fields, from a label to the first.
        return {CaretAction::FocusField, onField ? state.focused % count + 1 : 1};
    case CaretKey::ShiftTab:
        return {CaretAction::FocusField, onField && state.focused > 1 ? state.focused - 1 : count};
    case CaretKey::Up:
    case CaretKey::Down:
        // A one-line field would take Up and Down for Left and Right and lose the whole-text
        // selection that lets typing replace the default: without choices they do nothing.
        if (!onField || !state.focusedHasChoices)
            return {};
        return {CaretAction::StepChoice, key == CaretKey::Down ? 1 : -1};
    default:
        return {}; // Page Up and Page Down are the field's
    }
}

// Only the content's acceptance accepts, and only where nothing else ended the window first:
// activating another window cancels, and so does a window that never became the visible active
// one while it waited (the user went to another program during the start, or Windows refused
// the foreground), which would otherwise hold the expansion lock with nothing on screen to
// answer.
CaretWindowEnd caretWindowEnd(const CaretWindowEnding& ending) {
    if (ending.cancelled || ending.lostActivation ||
        (ending.activationWaitOver && !ending.wasActive))
        return CaretWindowEnd::Cancelled;
    return ending.acceptRequested ? CaretWindowEnd::Accepted : CaretWindowEnd::Open;
}

CaretPlan pickerKeyPlan(CaretKey key, const PickerKeyState& state) {
    if (cancels(key))
        return {CaretAction::Cancel};
    switch (key) {
    case CaretKey::Return:
        // With nothing matching, the one row says so and Return does nothing.
        return state.nameSelected ? CaretPlan{CaretAction::Accept} : CaretPlan{};
    case CaretKey::Up:
    case CaretKey::Down:
    case CaretKey::PageUp:
    case CaretKey::PageDown: {
        if (!state.anyMatch)
            return {};
        const int rows = key == CaretKey::Up || key == CaretKey::Down ? 1 : state.pageRows;
        const bool up = key == CaretKey::Up || key == CaretKey::PageUp;
        return {CaretAction::MoveSelection, up ? -rows : rows};
    }
    default:
        return {}; // Tab and Shift+Tab follow the service's Tab order
    }
}

} // namespace popup
