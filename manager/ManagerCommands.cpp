#include "manager/ManagerCommands.h"

#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "base/OwnedHandles.h"
#include "idelink/LowerCase.h"
#include "manager/ManagerText.h"
#include "store/TextConvert.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

namespace manager {

namespace {

// How often the loop looks whether the window became the active one again. Looking costs a
// comparison of two handles; only a change of the active window queries the file's time.
constexpr int kActivationPoll = 200;

constexpr std::u16string_view kNewRow = u"...";

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
    session.shownName.clear();
    enterMode(session, ManagerMode::NothingShown);
}

bool selectRowNamed(std::u16string_view name) {
    const int count = ui::listRowCount(kShortcutList);
    for (int row = 0; row < count; ++row) {
        if (ui::listRowText(kShortcutList, row) == name) {
            ui::setControlState(kShortcutList, row);
            return true;
        }
    }
    return false;
}

std::vector<std::u16string> rowNames() {
    std::vector<std::u16string> names;
    const int count = ui::listRowCount(kShortcutList);
    for (int row = 0; row < count; ++row)
        names.push_back(ui::listRowText(kShortcutList, row));
    return names;
}

// The stored template of the Shortcut the editor shows, when there is one.
std::optional<std::u16string> shownTemplate(const ManagerSession& session) {
    if (session.shownName.empty())
        return std::nullopt;
    return store::findShortcut(session.store, session.shownName);
}

// Whether the editor holds template text that Save has not stored.
bool editsUnsaved(const ManagerSession& session) {
    const std::u16string text = templateFromEditor(ui::controlText(kTemplateEditor));
    switch (session.mode) {
    case ManagerMode::NothingShown:
        return false;
    case ManagerMode::Creating:
        return !text.empty();
    case ManagerMode::Browsing:
    case ManagerMode::Renaming:
        break;
    }
    const std::optional<std::u16string> stored = shownTemplate(session);
    return stored && *stored != text;
}

// A change written as it is, or, when the file is gone, the whole library the window holds as
// a new file: a save must never leave a file holding that one Shortcut.
bool writeChange(ManagerSession& session, const std::function<bool()>& change) {
    bool written;
    if (store::preferencePathExists(store::kPreferenceFileName))
        written = change();
    else
        written = store::writeLibraryFile(store::kPreferenceFileName, session.store, rowNames());
    if (written)
        session.store.stamp = store::stampLibrary(store::kPreferenceFileName);
    return written;
}

bool settleEdits(ManagerSession& session);
bool followFile(ManagerSession& session, bool askAboutEdits, bool keepShown);

void removeCurrentRow() {
    ui::removeListRow(kShortcutList, ui::controlState(kShortcutList));
}

void loadCurrentShortcut(ManagerSession& session) {
    enterMode(session, ManagerMode::Browsing);
    const std::u16string name = ui::controlText(kShortcutList);
    session.shownName = name;
    const std::optional<std::u16string> stored = store::findShortcut(session.store, name);
    ui::setControlText(kTemplateEditor, stored ? templateForEditor(*stored) : std::u16string());
    ui::setControlText(kNameField, name);
}

void newShortcut(ManagerSession& session) {
    if (!settleEdits(session))
        return;
    session.shownName.clear();
    enterMode(session, ManagerMode::Creating);
    ui::setControlText(kNameField, u"");
    ui::setControlText(kTemplateEditor, u"");
    ui::setControlState(kShortcutList, ui::addListRow(kShortcutList, kNewRow));
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

// True when the template is stored and written.
bool saveShortcut(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (name.empty()) {
        beep();
        ui::focusControl(kNameField);
        return false;
    }
    if (refuseName(session, name, session.mode == ManagerMode::Creating)) {
        ui::focusControl(kNameField);
        return false;
    }
    followFile(session, false, true);
    enterMode(session, ManagerMode::Browsing);
    const std::u16string templateText = templateFromEditor(ui::controlText(kTemplateEditor));
    store::setShortcut(session.store, name, templateText);
    ui::setControlText(kShortcutList, name);
    session.shownName = name;
    const bool written =
        writeChange(session, [&] { return store::saveShortcut(name, templateText); });
    reportUnwritten(session, written);
    return written;
}

void cancelRename(ManagerSession& session) {
    enterMode(session, ManagerMode::Browsing);
    ui::setControlText(kNameField, ui::controlText(kShortcutList));
}

// Before an action replaces the editor's text: Yes saves by the Save rules, No drops the
// edits, Cancel keeps them. False when the action must not go on.
bool settleEdits(ManagerSession& session) {
    if (!editsUnsaved(session))
        return true;
    std::u16string name = session.mode == ManagerMode::Creating ? nameInField() : session.shownName;
    if (name.empty())
        name = kNewRow;
    const int answer = ask(session, unsavedChangesQuestion(name), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO)
        return true;
    if (answer != IDYES)
        return false;
    if (session.mode == ManagerMode::Renaming)
        cancelRename(session); // the edits belong to the name the rename began with
    return saveShortcut(session);
}

std::vector<std::u16string> sortedNames(const store::ShortcutStore& shortcuts) {
    std::vector<std::u16string> names;
    names.reserve(store::shortcutCount(shortcuts));
    store::forEachShortcutName(shortcuts,
                               [&](std::u16string_view name) { names.emplace_back(name); });
    std::sort(names.begin(), names.end());
    return names;
}

// The rows again from the store: names added outside appear, names removed outside go. The
// row of a new Shortcut stays at the end; otherwise the shown Shortcut's row stays current.
void refillList(const ManagerSession& session) {
    ui::removeAllListRows(kShortcutList);
    fillShortcutList(session.store);
    if (session.mode == ManagerMode::Creating)
        ui::setControlState(kShortcutList, ui::addListRow(kShortcutList, kNewRow));
    else if (!session.shownName.empty())
        selectRowNamed(session.shownName);
}

// Reads the file again when it changed since the manager last read or wrote it, and shows
// what it holds. Unsaved edits of the shown Shortcut are kept; with `askAboutEdits` the user
// is asked about them when the file changed that Shortcut too. A Shortcut the user works on
// (edits, a rename, or `keepShown` for a Save) stays in the window though the file lost it.
// True when the file was read again.
bool followFile(ManagerSession& session, bool askAboutEdits, bool keepShown) {
    if (store::checkLibrary(store::kPreferenceFileName, session.store.stamp) !=
        store::LibraryState::Changed)
        return false;
    const bool hadEdits = editsUnsaved(session);
    const std::optional<std::u16string> before = shownTemplate(session);
    store::ShortcutStore fresh;
    store::PopupSettings settings;
    store::loadShortcutsFrom(store::kPreferenceFileName, fresh, settings);
    const std::vector<std::u16string> namesBefore = sortedNames(session.store);
    session.store = std::move(fresh);
    const bool working = session.mode == ManagerMode::Renaming ||
                         (session.mode == ManagerMode::Browsing && (hadEdits || keepShown));
    const std::optional<std::u16string> now = shownTemplate(session);
    if (before && !now && working)
        store::setShortcut(session.store, session.shownName, *before);
    // Most outside edits change templates only: the rows stay as they are.
    if (sortedNames(session.store) != namesBefore)
        refillList(session);
    if (session.mode != ManagerMode::Browsing || session.shownName.empty())
        return true;
    const std::optional<std::u16string> shown = shownTemplate(session);
    if (!shown) { // removed outside: the row the list made current is shown
        if (ui::listRowCount(kShortcutList) == 0)
            showNothing(session);
        else
            loadCurrentShortcut(session);
        return true;
    }
    if (!hadEdits) {
        if (shown != before)
            ui::setControlText(kTemplateEditor, templateForEditor(*shown));
        return true;
    }
    if (!askAboutEdits || shown == before)
        return true;
    const int answer =
        ask(session, unsavedChangesQuestion(session.shownName), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES)
        saveShortcut(session);
    else if (answer == IDNO)
        ui::setControlText(kTemplateEditor, templateForEditor(*shown));
    return true;
}

// Another row was made current: its Shortcut is shown once the edits of the one shown so far
// are settled. The same row again keeps unsaved edits rather than dropping them.
void showChosenRow(ManagerSession& session) {
    const std::u16string chosen = ui::controlText(kShortcutList);
    bool selectedElsewhere = false;
    if (session.mode == ManagerMode::Browsing && !session.shownName.empty() &&
        editsUnsaved(session)) {
        if (chosen == session.shownName)
            return;
        selectRowNamed(session.shownName);
        selectedElsewhere = true;
        if (!settleEdits(session))
            return;
    }
    // A search through the rows only when they may have changed under the chosen one.
    const bool moved = selectedElsewhere || followFile(session, false, false);
    if (moved && !selectRowNamed(chosen) && ui::controlState(kShortcutList) < 0) {
        if (ui::listRowCount(kShortcutList) == 0)
            showNothing(session);
        return;
    }
    loadCurrentShortcut(session);
}

void deleteShortcut(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (ask(session, deleteQuestion(name), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const bool reread = followFile(session, false, false);
    store::eraseShortcut(session.store, name);
    if (!reread || selectRowNamed(name))
        removeCurrentRow();
    session.shownName.clear();
    const bool written = writeChange(session, [&] { return store::removeShortcut(name); });
    ui::postControlEvent(kShortcutList, ui::kEventLeftClick);
    if (ui::listRowCount(kShortcutList) == 0)
        showNothing(session);
    reportUnwritten(session, written);
}

void beginRename(ManagerSession& session) {
    session.oldName = nameInField();
    enterMode(session, ManagerMode::Renaming);
    ui::focusControl(kNameField);
    ui::editSetSelection(ui::controlHandle(kNameField), ui::kFieldTextEnd, ui::kFieldTextEnd);
}

void endRename(ManagerSession& session) {
    const std::u16string newName = nameInField();
    bool written = true;
    if (!newName.empty() && newName != session.oldName) {
        if (refuseName(session, newName, true)) {
            ui::focusControl(kNameField);
            enterMode(session, ManagerMode::Renaming); // the click released the button
            return;
        }
        followFile(session, false, true);
        const std::u16string templateText =
            store::findShortcut(session.store, session.oldName).value_or(std::u16string());
        store::setShortcut(session.store, newName, templateText);
        store::eraseShortcut(session.store, session.oldName);
        ui::setControlText(kShortcutList, newName);
        session.shownName = newName;
        written = writeChange(
            session, [&] { return store::renameShortcut(session.oldName, newName, templateText); });
    } else if (newName.empty()) {
        // Otherwise a later Delete would ask about no name at all.
        ui::setControlText(kNameField, ui::controlText(kShortcutList));
    }
    enterMode(session, ManagerMode::Browsing);
    reportUnwritten(session, written);
}

void applyEscape(ManagerSession& session) {
    const std::u16string name = nameInField();
    if (name.empty())
        return;
    if (session.mode == ManagerMode::Creating) {
        if (ask(session, notSavedYetMessage(name), MB_YESNO) != IDYES)
            return;
        removeCurrentRow();
        // The posted list event shows the row the list made current.
        session.shownName.clear();
        enterMode(session, ManagerMode::Browsing);
        ui::postControlEvent(kShortcutList, ui::kEventLeftClick);
        ui::focusControl(kShortcutList);
        if (ui::listRowCount(kShortcutList) == 0)
            showNothing(session);
        return;
    }
    if (session.mode == ManagerMode::Renaming)
        cancelRename(session);
}

using AssocQueryStringFunction = HRESULT(WINAPI*)(ASSOCF, ASSOCSTR, LPCWSTR, LPCWSTR, LPWSTR,
                                                  DWORD*);

// shlwapi is loaded here rather than at every start: most starts never open the manager.
void openPreferences() {
    static const HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
    const auto query = base::moduleFunction<AssocQueryStringFunction>(shlwapi, "AssocQueryStringW");
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
            showChosenRow(session);
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
        if (session.mode == ManagerMode::Browsing)
            beginRename(session);
        else if (session.mode == ManagerMode::Renaming)
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
    HWND window = ui::windowHandle(kManagerWindow);
    bool wasActive = GetForegroundWindow() == window;
    for (;;) {
        const ui::EventKind kind = ui::waitEventFor(kActivationPoll);
        const bool active = GetForegroundWindow() == window;
        if (active && !wasActive)
            followFile(session, true, false);
        wasActive = active;
        if (kind == ui::EventKind::None || ui::eventWindow() != kManagerWindow)
            continue;
        if (kind == ui::EventKind::Shortcut)
            applyShortcut(session, ui::eventCommand());
        else if (kind == ui::EventKind::Control)
            applyControlEvent(session, ui::eventControl(), ui::eventType());
        else if (kind == ui::EventKind::CloseRequest && settleEdits(session))
            return;
    }
}

} // namespace manager
