// What each key does in the placeholder popup and in the Shortcut picker, from what has the
// focus and what the window shows, and how such a window ends. Native and Windows builds both
// run it; the end-to-end suites show only that the plans reach the screen.
#include "popup/CaretKeys.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

using popup::CaretAction;
using popup::CaretKey;
using popup::CaretPlan;
using Popup = popup::PopupKeyState;   // fields, focused field, whether it has choices
using Picker = popup::PickerKeyState; // any match, a name selected, rows in a page

struct KeyCase {
    const char* name;
    std::variant<Popup, Picker> window;
    CaretKey key;
    CaretPlan plan;
};

constexpr CaretPlan kNothing{};
constexpr CaretPlan kAccept{CaretAction::Accept};
constexpr CaretPlan kCancel{CaretAction::Cancel};
constexpr CaretPlan focus(int field) {
    return {CaretAction::FocusField, field};
}
constexpr CaretPlan step(int by) {
    return {CaretAction::StepChoice, by};
}
constexpr CaretPlan move(int rows) {
    return {CaretAction::MoveSelection, rows};
}

// Labels are controls 4 to 6 of a three-field popup: the focus reaches one only by a click.
const KeyCase kCases[] = {
    {"PopupReturnMovesToTheNextField", Popup{3, 1, false}, CaretKey::Return, focus(2)},
    {"PopupReturnInTheLastFieldAccepts", Popup{3, 3, false}, CaretKey::Return, kAccept},
    {"PopupReturnInTheOnlyFieldAccepts", Popup{1, 1, true}, CaretKey::Return, kAccept},
    {"PopupReturnOnALabelDoesNothing", Popup{3, 5, false}, CaretKey::Return, kNothing},
    {"PopupTabMovesOn", Popup{3, 2, false}, CaretKey::Tab, focus(3)},
    {"PopupTabFromTheLastFieldWraps", Popup{3, 3, false}, CaretKey::Tab, focus(1)},
    {"PopupShiftTabMovesBack", Popup{3, 3, false}, CaretKey::ShiftTab, focus(2)},
    {"PopupShiftTabFromTheFirstFieldWraps", Popup{3, 1, false}, CaretKey::ShiftTab, focus(3)},
    {"PopupShiftTabInTheOnlyFieldStays", Popup{1, 1, false}, CaretKey::ShiftTab, focus(1)},
    {"PopupTabFromALabelGoesToTheFirstField", Popup{3, 4, false}, CaretKey::Tab, focus(1)},
    {"PopupShiftTabFromALabelGoesToTheLast", Popup{3, 6, false}, CaretKey::ShiftTab, focus(3)},
    {"PopupDownStepsToTheNextChoice", Popup{2, 1, true}, CaretKey::Down, step(1)},
    {"PopupUpStepsToThePreviousChoice", Popup{2, 2, true}, CaretKey::Up, step(-1)},
    {"PopupDownWithoutChoicesDoesNothing", Popup{2, 1, false}, CaretKey::Down, kNothing},
    {"PopupUpWithoutChoicesDoesNothing", Popup{2, 2, false}, CaretKey::Up, kNothing},
    {"PopupDownOnALabelDoesNothing", Popup{2, 3, true}, CaretKey::Down, kNothing},
    {"PopupPageDownIsTheFieldsOwn", Popup{2, 1, true}, CaretKey::PageDown, kNothing},
    {"PopupEscapeCancels", Popup{3, 2, false}, CaretKey::Escape, kCancel},
    {"PopupShiftReturnCancelsInTheLastField", Popup{3, 3, false}, CaretKey::ShiftReturn, kCancel},
    {"PopupEscapeCancelsOnALabel", Popup{3, 4, false}, CaretKey::Escape, kCancel},

    {"PickerReturnPicksTheSelectedName", Picker{true, true, 9}, CaretKey::Return, kAccept},
    {"PickerReturnWithNothingMatchingDoesNothing", Picker{false, false, 9}, CaretKey::Return,
     kNothing},
    {"PickerReturnWithNoNameSelectedDoesNothing", Picker{true, false, 9}, CaretKey::Return,
     kNothing},
    {"PickerDownMovesOneRow", Picker{true, true, 9}, CaretKey::Down, move(1)},
    {"PickerUpMovesOneRow", Picker{true, false, 9}, CaretKey::Up, move(-1)},
    {"PickerPageDownMovesAPage", Picker{true, true, 9}, CaretKey::PageDown, move(9)},
    {"PickerPageUpMovesAPage", Picker{true, true, 1}, CaretKey::PageUp, move(-1)},
    {"PickerDownWithNothingMatchingDoesNothing", Picker{false, false, 9}, CaretKey::Down, kNothing},
    {"PickerPageUpWithNothingMatchingDoesNothing", Picker{false, false, 9}, CaretKey::PageUp,
     kNothing},
    {"PickerEscapeCancels", Picker{false, false, 9}, CaretKey::Escape, kCancel},
    {"PickerShiftReturnCancels", Picker{true, true, 9}, CaretKey::ShiftReturn, kCancel},
    {"PickerTabIsTheTabOrders", Picker{true, true, 9}, CaretKey::Tab, kNothing},
};

TEST(CaretKeys, EachKeyDoesWhatTheWindowShowsAllows) {
    for (const KeyCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const CaretPlan plan = std::holds_alternative<Popup>(c.window)
                                   ? popup::popupKeyPlan(c.key, std::get<Popup>(c.window))
                                   : popup::pickerKeyPlan(c.key, std::get<Picker>(c.window));
        EXPECT_EQ(int(plan.action), int(c.plan.action));
        EXPECT_EQ(plan.value, c.plan.value);
    }
}

using Ending = popup::CaretWindowEnding;
using popup::CaretWindowEnd;

// The facts: accept requested, cancelled, lost activation, was active, activation wait over.
TEST(CaretWindowEnding, OnlyAnAcceptThatNothingElseEndedFirstAccepts) {
    struct EndingCase {
        const char* name;
        Ending ending;
        CaretWindowEnd end;
    };
    const EndingCase cases[] = {
        {"JustShown", Ending{false, false, false, false, false}, CaretWindowEnd::Open},
        {"ActiveAndWaitingForKeys", Ending{false, false, false, true, true}, CaretWindowEnd::Open},
        {"Accepted", Ending{true, false, false, true, true}, CaretWindowEnd::Accepted},
        // The keys reached the window before Windows told it that it was active.
        {"AcceptedBeforeTheActivationWasTold", Ending{true, false, false, false, false},
         CaretWindowEnd::Accepted},
        {"CancelledByKey", Ending{false, true, false, true, false}, CaretWindowEnd::Cancelled},
        {"SessionEndedAfterTheAccept", Ending{true, true, false, true, true},
         CaretWindowEnd::Cancelled},
        {"AnotherWindowActivated", Ending{false, false, true, true, false},
         CaretWindowEnd::Cancelled},
        {"AnotherWindowActivatedAfterTheAccept", Ending{true, false, true, true, true},
         CaretWindowEnd::Cancelled},
        {"NeverActiveWithinTheWait", Ending{false, false, false, false, true},
         CaretWindowEnd::Cancelled},
        {"NeverActiveWithinTheWaitThoughAccepted", Ending{true, false, false, false, true},
         CaretWindowEnd::Cancelled},
    };
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(int(popup::caretWindowEnd(c.ending)), int(c.end));
    }
}

} // namespace
