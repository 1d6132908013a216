#include "manager/ManagerCommands.h"

#include <shlwapi.h>

#include "idelink/LowerCase.h"
#include "manager/ManagerText.h"
#include "store/TextConvert.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

namespace manager {

namespace {

// Past the end of any name the field holds: the selection goes to the end of the text.
constexpr int kCaretAtEnd = 999;

constexpr DWORD kCommandCapacity = 260;

void beep() {
    MessageBeep(MB_ICONHAND);
}

int ask(const ManagerSession& session, std::u16string_view text, unsigned type) {
    return ui::messageBox(session.title, text, type);
}

std::u16string nameInField() {
    return trimName(ui::controlText(kNameField));
}

// A write that the file did not take would otherwise be found out only at the next start,
// with the Shortcut gone.
void reportUnwritten(const ManagerSession& session, bool written) {
    if (!written)
        ask(session, kFileNotWrittenMessage, MB_OK | MB_ICONEXCLAMATION);
}

// With no row left there is nothing to show, save, rename or delete; only New makes sense.
void showNothing(ManagerSession& session) {
    ui::setControlText(kNameField, u"");
    ui::setControlText(kTemplateEditor, u"");
    enterMode(session, ManagerMode::nothingShown);
}

void removeCurrentRow() {
    ui::removeListRow(kShortcutList, ui::controlState(kShortcutList));
}

void loadCurrentShortcut(ManagerSession& session) {
    enterMode(session, ManagerMode::browsing);
    const std::u16string name = ui::controlText(kShortcutList);
    const std::optional<std::u16string> stored = store::findShortcut(session.store, name);
    ui::setControlText(kTemplateEditor, stored ? templateForEditor(*stored) : std::u16string());
    ui::setControlText(kNameField, name);
}

void newShortcut(ManagerSession& session) {
    enterMode(session, ManagerMode::creating);
    ui::setControlText(kNameField, u"");
    ui::setControlText(kTemplateEditor, u"");
    ui::setControlState(kShortcutList, ui::addListRow(kShortcutList, u"..."));
    ui::focusControl(kNameField);
}

// A name the file cannot hold would be written as a line that reads back as something else.
bool refuseName(const ManagerSession& session, std::u16string_view name, bool creatingNow) {
    if (creatingNow && store::findShortcut(session.store, name)) {
        beep();
        ask(session, alreadyExistsMessage(name), MB_OK);
        return true;
    }
    if (!store::isStorableShortcutName(name)) {
        beep();
        ask(session, unstorableNameMessage(name), MB_OK);
        return true;
    }
    return false;
}

void saveShortcut(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (name.empty()) {
        beep();
        ui::focusControl(kNameField);
        return;
    }
    if (refuseName(session, name, session.mode == ManagerMode::creating)) {
        ui::focusControl(kNameField);
        return;
    }
    enterMode(session, ManagerMode::browsing);
    const std::u16string templateText = templateFromEditor(ui::controlText(kTemplateEditor));
    store::setShortcut(session.store, name, templateText);
    ui::setControlText(kShortcutList, name);
    reportUnwritten(session, store::saveShortcut(name, templateText));
}

void deleteShortcut(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (ask(session, deleteQuestion(name), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    store::eraseShortcut(session.store, name);
    removeCurrentRow();
    const bool written = store::removeShortcut(name);
    ui::postControlEvent(kShortcutList, ui::kEventLeftClick);
    if (ui::listRowCount(kShortcutList) == 0)
        showNothing(session);
    reportUnwritten(session, written);
}

void beginRename(ManagerSession& session) {
    session.oldName = nameInField();
    enterMode(session, ManagerMode::renaming);
    ui::focusControl(kNameField);
    ui::editSetSelection(ui::controlHandle(kNameField), kCaretAtEnd, kCaretAtEnd);
}

void endRename(ManagerSession& session) {
    const std::u16string newName = nameInField();
    bool written = true;
    if (!newName.empty() && newName != session.oldName) {
        if (refuseName(session, newName, true)) {
            ui::focusControl(kNameField);
            enterMode(session, ManagerMode::renaming); // the click released the button
            return;
        }
        const std::u16string templateText =
            store::findShortcut(session.store, session.oldName).value_or(std::u16string());
        store::setShortcut(session.store, newName, templateText);
        store::eraseShortcut(session.store, session.oldName);
        ui::setControlText(kShortcutList, newName);
        written = store::renameShortcut(session.oldName, newName, templateText);
    } else if (newName.empty()) {
        // Otherwise a later Delete would ask about no name at all.
        ui::setControlText(kNameField, ui::controlText(kShortcutList));
    }
    enterMode(session, ManagerMode::browsing);
    reportUnwritten(session, written);
}

void applyEscape(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (name.empty())
        return;
    if (session.mode == ManagerMode::creating) {
        if (ask(session, notSavedYetMessage(name), MB_YESNO) != IDYES)
            return;
        removeCurrentRow();
        // The posted list event shows the row the list made current.
        enterMode(session, ManagerMode::browsing);
        ui::postControlEvent(kShortcutList, ui::kEventLeftClick);
        ui::focusControl(kShortcutList);
        if (ui::listRowCount(kShortcutList) == 0)
            showNothing(session);
        return;
    }
    if (session.mode != ManagerMode::renaming)
        return;
    enterMode(session, ManagerMode::browsing);
    ui::setControlText(kNameField, ui::controlText(kShortcutList));
}

using AssocQueryStringFunction = HRESULT(WINAPI*)(ASSOCF, ASSOCSTR, LPCWSTR, LPCWSTR, LPWSTR,
                                                  DWORD*);

// shlwapi is loaded here rather than at every start: most starts never open the manager.
void openPreferences() {
    static const HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
    const auto query = shlwapi ? reinterpret_cast<AssocQueryStringFunction>(reinterpret_cast<void*>(
                                     GetProcAddress(shlwapi, "AssocQueryStringW")))
                               : nullptr;
    if (!query)
        return;
    wchar_t command[kCommandCapacity] = {};
    DWORD size = kCommandCapacity;
    if (query(ASSOCF_IS_PROTOCOL, ASSOCSTR_COMMAND, L".txt", L"open", command, &size) != S_OK)
        return;
    ui::startProgram(preferenceEditorCommand(text::fromWide(command)));
}

void askForDonation(const ManagerSession& session) {
    if (ask(session, donationQuestion(kDonationAddress), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        ui::startProgram(kDonationAddress);
}

void applyShortcut(ManagerSession& session, int command) {
    const ControlStates states = controlStatesFor(session.mode);
    if (command == kCommandNew && !states.nameField)
        ui::postControlEvent(kNewButton, ui::kEventLeftClick);
    if (command == kCommandRename && states.renameButton)
        ui::postControlEvent(kRenameButton, ui::kEventLeftClick);
    if (command == kCommandDelete && states.deleteButton)
        ui::postControlEvent(kDeleteButton, ui::kEventLeftClick);
    if (command == kCommandClose)
        ui::postCloseRequest(kManagerWindow);
    const int focused = ui::focusedControl();
    const bool inName = focused == kNameField;
    const bool inEditor = focused == kTemplateEditor;
    if ((inName || inEditor) && command == kCommandSave && states.saveButton)
        ui::postControlEvent(kSaveButton, ui::kEventLeftClick);
    if (command == kCommandEscape && (inName || (inEditor && namingMode(session.mode))))
        applyEscape(session);
}

bool isListAction(int type) {
    return type == ui::kEventLeftClick || type == ui::kEventLeftDoubleClick ||
           type == ui::kEventRightClick || type == ui::kEventRightDoubleClick ||
           type == ui::kEventRowSelected;
}

void applyControlEvent(ManagerSession& session, int control, int type) {
    if (control == kShortcutList) {
        if (isListAction(type) && ui::controlState(kShortcutList) >= 0)
            loadCurrentShortcut(session);
        return;
    }
    // Buttons act on clicks; their focus changes are events too.
    if (type != ui::kEventLeftClick)
        return;
    switch (control) {
    case kNewButton:
        newShortcut(session);
        break;
    case kDeleteButton:
        deleteShortcut(session);
        break;
    case kSaveButton:
        saveShortcut(session);
        break;
    case kRenameButton:
        // A click has flipped the button already; the mode says which half of a rename it is.
        if (session.mode == ManagerMode::browsing)
            beginRename(session);
        else if (session.mode == ManagerMode::renaming)
            endRename(session);
        break;
    case kOpenButton:
        openPreferences();
        break;
    case kDonateButton:
        askForDonation(session);
        break;
    default:
        break;
    }
}

} // namespace

void enterMode(ManagerSession& session, ManagerMode mode) {
    session.mode = mode;
    const ControlStates states = controlStatesFor(mode);
    const std::pair<int, bool> controls[] = {
        {kNewButton, states.newButton},          {kDeleteButton, states.deleteButton},
        {kRenameButton, states.renameButton},    {kSaveButton, states.saveButton},
        {kNameField, states.nameField},          {kShortcutList, states.shortcutList},
        {kTemplateEditor, states.templateEditor}};
    for (const auto& [control, enabled] : controls)
        ui::enableControl(control, enabled);
    ui::setControlState(kRenameButton, states.renamePressed ? 1 : 0);
}

void lowerCaseNameField() {
    const std::u16string lower = idelink::lowerCaseText(ui::controlText(kNameField));
    ui::setControlText(kNameField, lower);
    const int end = static_cast<int>(lower.size());
    ui::editSetSelection(ui::controlHandle(kNameField), end, end);
}

void runManagerLoop(ManagerSession& session) {
    for (;;) {
        const ui::EventKind kind = ui::waitEvent();
        if (kind == ui::EventKind::None)
            return; // the thread is being told to quit
        if (ui::eventWindow() != kManagerWindow)
            continue;
        if (kind == ui::EventKind::Shortcut)
            applyShortcut(session, ui::eventCommand());
        else if (kind == ui::EventKind::Control)
            applyControlEvent(session, ui::eventControl(), ui::eventType());
        else if (kind == ui::EventKind::CloseRequest)
            return;
    }
}

} // namespace manager
