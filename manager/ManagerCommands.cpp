#include "manager/ManagerCommands.h"

#include <commdlg.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

#include "base/LetterCase.h"
#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "manager/ManagerFilter.h"
#include "manager/ManagerPlan.h"
#include "manager/ManagerText.h"
#include "store/SnippetFile.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

namespace manager {

namespace {

constexpr DWORD kCommandCapacity = 260;

void beep() {
    MessageBeep(MB_ICONHAND);
}

int ask(const ManagerSession& session, std::u16string_view text, unsigned type) {
    return ui::messageBox(session.title, text, type);
}

std::u16string nameInField(const ManagerSession& session) {
    return trimName(ui::controlText(*session.controls.nameField));
}

// A write that the file did not take would otherwise be found out only at the next start,
// with the Shortcut gone.
void reportUnwritten(const ManagerSession& session, bool written) {
    if (!written)
        ask(session, kFileNotWrittenMessage, MB_OK | MB_ICONEXCLAMATION);
}

// With no row left there is nothing to show, save, rename or delete; only New makes sense.
void showNothing(ManagerSession& session) {
    ui::setControlText(*session.controls.nameField, u"");
    ui::setControlText(*session.controls.templateEditor, u"");
    session.shownName.clear();
    enterMode(session, ManagerMode::NothingShown);
}

// The row of that name; -1 for none. The row "..." of a new Shortcut is the last.
int rowNamed(const ManagerSession& session, std::u16string_view name) {
    if (name == kNewRow) {
        const auto found = std::find(session.rows.rbegin(), session.rows.rend(), name);
        return found == session.rows.rend() ? -1
                                            : static_cast<int>(session.rows.rend() - found) - 1;
    }
    const auto found = std::find(session.rows.begin(), session.rows.end(), name);
    return found == session.rows.end() ? -1 : static_cast<int>(found - session.rows.begin());
}

// The row of that name current where the filter shows it, none current where it hides it;
// false when there is no such row.
bool selectRowNamed(const ManagerSession& session, std::u16string_view name) {
    const int row = rowNamed(session, name);
    if (row >= 0)
        ui::setControlState(*session.controls.shortcutList, listPosition(session.view, row));
    return row >= 0;
}

// The name in the current row; empty for none.
std::u16string currentRowName(const ManagerSession& session) {
    const int row = rowAtPosition(session.view, ui::controlState(*session.controls.shortcutList));
    return row >= 0 && std::size_t(row) < session.rows.size() ? session.rows[std::size_t(row)]
                                                              : std::u16string();
}

// The row of a saved or renamed Shortcut shows its new name where it stands, current, and stays
// shown under the filter until the filter changes. Found by name, not by the list's current
// row: the filter may hide the shown Shortcut's row.
void renameRow(ManagerSession& session, std::u16string_view from, std::u16string_view to) {
    const int row = rowNamed(session, from);
    if (row < 0)
        return;
    session.rows[std::size_t(row)] = to;
    keepRow(session.view, to);
    updateRowView(session.view, session.rows);
    showRows(session, row);
}

// The stored template of the Shortcut the editor shows, when there is one.
std::optional<std::u16string> shownTemplate(const ManagerSession& session) {
    if (session.shownName.empty())
        return std::nullopt;
    return store::findShortcut(session.store, session.shownName);
}

bool editsUnsaved(const ManagerSession& session) {
    const std::optional<std::u16string> stored = shownTemplate(session);
    return editorTextUnsaved(session.mode,
                             templateFromEditor(ui::controlText(*session.controls.templateEditor)),
                             stored ? &*stored : nullptr);
}

// The change written, or when the file is gone the whole library the window holds, so that a
// file never holds that one Shortcut alone.
bool writeChange(ManagerSession& session, const store::ShortcutChange& change) {
    return store::writeShortcutChange(session.libraryPath, session.store, change);
}

// The whole library the window holds, as a new file where the file is gone.
bool writeLibrary(const ManagerSession& session) {
    return store::writeLibraryFile(session.libraryPath, session.store);
}

// The row goes from the list and the rows; the one shown after it becomes current.
void removeRowNamed(ManagerSession& session, std::u16string_view name) {
    const int current = removeShownRow(session.rows, session.view, rowNamed(session, name));
    showRows(session, current);
}

void loadCurrentShortcut(ManagerSession& session) {
    enterMode(session, ManagerMode::Browsing);
    const std::u16string name = currentRowName(session);
    session.shownName = name;
    const std::optional<std::u16string> stored = store::findShortcut(session.store, name);
    ui::setControlText(*session.controls.templateEditor,
                       stored ? templateForEditor(*stored) : std::u16string());
    ui::setControlText(*session.controls.nameField, name);
}

// The row of a new Shortcut at the end; text typed with nothing shown stays as its template.
void beginNewShortcut(ManagerSession& session, bool keepText) {
    session.shownName.clear();
    enterMode(session, ManagerMode::Creating);
    ui::setControlText(*session.controls.nameField, u"");
    if (!keepText)
        ui::setControlText(*session.controls.templateEditor, u"");
    session.rows.emplace_back(kNewRow);
    updateRowView(session.view, session.rows);
    showRows(session, static_cast<int>(session.rows.size()) - 1);
    if (!keepText)
        ui::focusControl(*session.controls.nameField);
}

// The rows again from the store: names added outside appear, names removed outside go. The
// row of a new Shortcut stays at the end; otherwise the shown Shortcut's row stays current.
void refillList(ManagerSession& session) {
    session.rows = shortcutRows(session.store);
    int current = -1;
    if (session.mode == ManagerMode::Creating) {
        session.rows.emplace_back(kNewRow);
        current = static_cast<int>(session.rows.size()) - 1;
    } else if (!session.shownName.empty()) {
        current = rowNamed(session, session.shownName);
    }
    updateRowView(session.view, session.rows);
    showRows(session, current);
}

// What the file holds now, taken as the plan says.
void applyFollow(ManagerSession& session, const ManagerPlan& plan, store::ShortcutStore& fresh) {
    if (!plan.takeFresh)
        return;
    const std::optional<std::u16string> before = shownTemplate(session);
    session.store = std::move(fresh);
    if (plan.keepShown && before)
        store::setShortcut(session.store, session.shownName, *before);
    if (plan.refillRows)
        refillList(session);
    if (plan.showNothing)
        showNothing(session);
    if (plan.refreshEditor)
        ui::setControlText(*session.controls.templateEditor,
                           templateForEditor(shownTemplate(session).value_or(u"")));
}

// Gathers what the window knows, reads the file again when it changed, and applies that part
// of the plan; the caller applies the rest.
ManagerPlan decide(ManagerSession& session, ManagerAction action, std::u16string name = {}) {
    ManagerFacts facts;
    facts.action = action;
    facts.mode = session.mode;
    facts.shownName = session.shownName;
    facts.name = std::move(name);
    facts.oldName = session.oldName;
    facts.editsUnsaved = editsUnsaved(session);
    facts.held = &session.store;
    store::ShortcutStore fresh;
    if (action != ManagerAction::EditorTyped) {
        facts.file = store::checkLibrary(session.libraryPath, session.store.stamp);
        if (facts.file == store::LibraryState::Changed) {
            store::PopupSettings settings;
            store::loadShortcutsFrom(session.libraryPath, fresh, settings);
            facts.fresh = &fresh;
        }
    }
    const ManagerPlan plan = planManagerAction(facts);
    applyFollow(session, plan, fresh);
    return plan;
}

// The window's own write found that another program had written the file since the window read
// it: the change went into the file as it was, but the window lacks that other write. It reads
// the file now, as when the user comes back to the window, so that a later Save checks names
// against it and a write of the whole library keeps it. The row current before stays current.
void learnOutsideWrite(ManagerSession& session) {
    if (!session.store.stamp.behindFile)
        return;
    // The shown Shortcut's row, which the filter may hide; after a Delete, the row made current.
    const std::u16string current =
        session.shownName.empty() ? currentRowName(session) : session.shownName;
    decide(session, ManagerAction::Activation);
    if (!selectRowNamed(session, current))
        showNothing(session);
}

// Beeps, and tells why when the name is taken or cannot be stored.
void refuse(const ManagerSession& session, Refusal refusal, std::u16string_view name) {
    beep();
    if (refusal == Refusal::NameExists)
        ask(session, alreadyExistsMessage(name), MB_OK);
    else if (refusal == Refusal::NameUnstorable)
        ask(session, unstorableNameMessage(name), MB_OK);
    ui::focusControl(*session.controls.nameField);
}

// True when the template is stored and written. A write the file refuses stores nothing, so
// the editor's text still counts as unsaved and is asked about before anything drops it.
bool saveShortcut(ManagerSession& session) {
    const std::u16string name = nameInField(session);
    const ManagerPlan plan = decide(session, ManagerAction::Save, name);
    if (plan.refusal != Refusal::None) {
        refuse(session, plan.refusal, name);
        return false;
    }
    const std::u16string templateText =
        templateFromEditor(ui::controlText(*session.controls.templateEditor));
    const std::optional<std::u16string> before = store::findShortcut(session.store, name);
    store::setShortcut(session.store, name, templateText);
    const std::u16string rowBefore =
        session.mode == ManagerMode::Creating ? std::u16string(kNewRow) : session.shownName;
    renameRow(session, rowBefore, name);
    if (!writeChange(session, {store::ShortcutChange::Kind::Save, name, {}, templateText})) {
        if (before)
            store::setShortcut(session.store, name, *before);
        else
            store::eraseShortcut(session.store, name);
        renameRow(session, name, rowBefore);
        reportUnwritten(session, false);
        return false;
    }
    enterMode(session, ManagerMode::Browsing);
    session.shownName = name;
    learnOutsideWrite(session);
    return true;
}

void cancelRename(ManagerSession& session) {
    enterMode(session, ManagerMode::Browsing);
    ui::setControlText(*session.controls.nameField, session.shownName);
}

// The plan's question about unsaved edits: Yes saves by the Save rules, No drops the edits
// (the editor shows the stored template), Cancel keeps them. False when the action must not
// go on.
bool settleEdits(ManagerSession& session, const ManagerPlan& plan) {
    if (!plan.askAboutEdits)
        return true;
    std::u16string name =
        session.mode == ManagerMode::Creating ? nameInField(session) : session.shownName;
    if (name.empty())
        name = kNewRow;
    const int answer = ask(session, unsavedChangesQuestion(name), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDNO) {
        if (const std::optional<std::u16string> stored = shownTemplate(session))
            ui::setControlText(*session.controls.templateEditor, templateForEditor(*stored));
        return true;
    }
    if (answer != IDYES)
        return false;
    if (session.mode == ManagerMode::Renaming)
        cancelRename(session); // the edits belong to the name the rename began with
    return saveShortcut(session);
}

void newShortcut(ManagerSession& session) {
    const ManagerPlan plan = decide(session, ManagerAction::New);
    if (settleEdits(session, plan))
        beginNewShortcut(session, false);
}

// Another row was made current: its Shortcut is shown once the edits of the one shown so far
// are settled. The same row again keeps unsaved edits rather than dropping them.
void showChosenRow(ManagerSession& session) {
    const std::u16string chosen = currentRowName(session);
    const ManagerPlan plan = decide(session, ManagerAction::ShowRow, chosen);
    if (!plan.act)
        return;
    if (plan.askAboutEdits) {
        selectRowNamed(session, session.shownName); // while asking, the row of the edits is current
        if (!settleEdits(session, plan))
            return;
    }
    // A search through the rows only when they may have changed under the chosen one.
    if (plan.askAboutEdits || plan.refillRows) {
        if (!selectRowNamed(session, chosen) &&
            ui::controlState(*session.controls.shortcutList) < 0) {
            if (session.rows.empty())
                showNothing(session);
            return;
        }
    }
    loadCurrentShortcut(session);
}

void deleteShortcut(ManagerSession& session) {
    const std::u16string name = nameInField(session);
    if (ask(session, deleteQuestion(name), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    const ManagerPlan plan = decide(session, ManagerAction::Delete);
    if (!plan.write)
        return;
    const std::optional<std::u16string> before = store::findShortcut(session.store, name);
    store::eraseShortcut(session.store, name);
    removeRowNamed(session, name);
    // A file that still holds the Shortcut keeps it in the window too, shown as before: a later
    // write of the whole library must not lose it.
    if (!writeChange(session, {store::ShortcutChange::Kind::Remove, name, {}, {}})) {
        if (before)
            store::setShortcut(session.store, name, *before);
        refillList(session);
        reportUnwritten(session, false);
        return;
    }
    session.shownName.clear();
    learnOutsideWrite(session); // before the posted click shows the current row
    ui::postControlEvent(*session.controls.shortcutList, ui::kEventLeftClick);
    if (ui::controlState(*session.controls.shortcutList) < 0)
        showNothing(session);
}

void beginRename(ManagerSession& session) {
    session.oldName = nameInField(session);
    enterMode(session, ManagerMode::Renaming);
    ui::focusControl(*session.controls.nameField);
    ui::editSetSelection(ui::controlHandle(*session.controls.nameField), ui::kFieldTextEnd,
                         ui::kFieldTextEnd);
}

void endRename(ManagerSession& session) {
    const std::u16string newName = nameInField(session);
    const ManagerPlan plan = decide(session, ManagerAction::RenameEnd, newName);
    if (plan.refusal != Refusal::None) {
        refuse(session, plan.refusal, newName);
        enterMode(session, ManagerMode::Renaming); // the click released the button
        return;
    }
    if (plan.write) {
        const std::u16string templateText =
            store::findShortcut(session.store, session.oldName).value_or(std::u16string());
        store::setShortcut(session.store, newName, templateText);
        store::eraseShortcut(session.store, session.oldName);
        renameRow(session, session.oldName, newName);
        // As a refused name: the file keeps the old name, and so does the window, while the
        // typed one stays for another try. Otherwise a later Save would add the new name beside
        // the old one in the file.
        if (!writeChange(session, {store::ShortcutChange::Kind::Rename, session.oldName, newName,
                                   templateText})) {
            store::eraseShortcut(session.store, newName);
            store::setShortcut(session.store, session.oldName, templateText);
            renameRow(session, newName, session.oldName);
            reportUnwritten(session, false);
            enterMode(session, ManagerMode::Renaming);
            ui::focusControl(*session.controls.nameField);
            return;
        }
        session.shownName = newName;
    } else if (newName.empty()) {
        // Otherwise a later Delete would ask about no name at all.
        ui::setControlText(*session.controls.nameField, session.shownName);
    }
    enterMode(session, ManagerMode::Browsing);
    learnOutsideWrite(session);
}

void applyEscape(ManagerSession& session) {
    const std::u16string name = nameInField(session);
    if (name.empty())
        return;
    if (session.mode == ManagerMode::Creating) {
        if (ask(session, notSavedYetMessage(name), MB_YESNO) != IDYES)
            return;
        removeRowNamed(session, kNewRow);
        // The posted list event shows the row the list made current.
        session.shownName.clear();
        enterMode(session, ManagerMode::Browsing);
        ui::postControlEvent(*session.controls.shortcutList, ui::kEventLeftClick);
        ui::focusControl(*session.controls.shortcutList);
        if (ui::controlState(*session.controls.shortcutList) < 0)
            showNothing(session);
        return;
    }
    if (session.mode == ManagerMode::Renaming) {
        // The file may have changed the template while the editor stood closed.
        decide(session, ManagerAction::RenameCancel);
        cancelRename(session);
    }
}

using AssocQueryStringFunction = HRESULT(WINAPI*)(ASSOCF, ASSOCSTR, LPCWSTR, LPCWSTR, LPWSTR,
                                                  DWORD*);

// shlwapi is loaded here rather than at every start: most starts never open the manager.
void openPreferences(const ManagerSession& session) {
    static const base::OwnedLibrary shlwapi(LoadLibraryW(L"shlwapi.dll"));
    const auto query =
        base::moduleFunction<AssocQueryStringFunction>(shlwapi.get(), "AssocQueryStringW");
    if (!query)
        return;
    wchar_t command[kCommandCapacity] = {};
    DWORD size = kCommandCapacity;
    if (query(ASSOCF_IS_PROTOCOL, ASSOCSTR_COMMAND, L".txt", L"open", command, &size) != S_OK)
        return;
    ui::startProgram(preferenceEditorCommand(text::fromWide(command), session.libraryPath));
}

using GetOpenFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The snippet file the user picks, or nothing. comdlg32 is loaded only for this dialog.
std::optional<std::u16string> askForSnippetFile(const ManagerSession& session) {
    static const base::OwnedLibrary comdlg32(LoadLibraryW(L"comdlg32.dll"));
    const auto open =
        base::moduleFunction<GetOpenFileNameFunction>(comdlg32.get(), "GetOpenFileNameW");
    if (!open)
        return std::nullopt;
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ui::windowHandle(*session.window);
    dialog.lpstrFilter = L"Snippet files (*.code-snippets, *.json, *.sublime-snippet)\0"
                         L"*.code-snippets;*.json;*.sublime-snippet\0All files\0*.*\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = DWORD(file.size());
    dialog.lpstrTitle = L"Import snippets";
    dialog.Flags =
        OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!open(&dialog))
        return std::nullopt;
    file.resize(wcsnlen(file.c_str(), file.size()));
    return text::fromWide(file);
}

// The Shortcuts of another tool's snippet file go into the file in one save; the window then
// reads the file again, as when the user comes back to it, so the new names are in the list.
void importSnippets(ManagerSession& session) {
    const std::optional<std::u16string> file = askForSnippetFile(session);
    if (!file)
        return;
    const store::ImportOutcome outcome = store::importSnippetFile(session.libraryPath, *file);
    ask(session, outcome.message, MB_OK | (outcome.saved ? MB_ICONINFORMATION : MB_ICONWARNING));
    const std::u16string current = currentRowName(session);
    settleEdits(session, decide(session, ManagerAction::Activation));
    if (session.mode == ManagerMode::Browsing &&
        ui::controlState(*session.controls.shortcutList) < 0)
        selectRowNamed(session, current.empty() ? session.shownName : current);
}

void askForDonation(const ManagerSession& session) {
    if (ask(session, donationQuestion(kDonationAddress), MB_YESNO | MB_ICONINFORMATION) == IDYES)
        ui::startProgram(kDonationAddress);
}

// True when the window may go. The library goes back to a file deleted meanwhile before the
// question about edits, so that Yes saves into that file as any Save does.
bool closeManager(ManagerSession& session) {
    const ManagerPlan plan = decide(session, ManagerAction::Close);
    if (plan.write)
        reportUnwritten(session, writeLibrary(session));
    return settleEdits(session, plan);
}

// What a keyboard shortcut does is the mode's and the focus's: ManagerMode decides it.
void applyShortcut(ManagerSession& session, int command) {
    const ManagerControls& controls = session.controls;
    const ui::Control* focused = ui::focusedControl();
    FocusedPart focus = focused == controls.nameField        ? FocusedPart::NameField
                        : focused == controls.templateEditor ? FocusedPart::TemplateEditor
                                                             : FocusedPart::Other;
    if (focused == controls.filterField)
        focus =
            session.view.filter.empty() ? FocusedPart::EmptyFilterField : FocusedPart::FilterField;
    const ManagerKeyEffect effect =
        keyEffectFor(static_cast<ManagerCommand>(command), session.mode, focus);
    // A button's command goes as the button's click, after what is queued.
    const auto click = [](ui::Control* button) {
        ui::postControlEvent(*button, ui::kEventLeftClick);
    };
    switch (effect) {
    case ManagerKeyEffect::ClickNew:
        click(controls.newButton);
        break;
    case ManagerKeyEffect::ClickRename:
        click(controls.renameButton);
        break;
    case ManagerKeyEffect::ClickDelete:
        click(controls.deleteButton);
        break;
    case ManagerKeyEffect::ClickSave:
        click(controls.saveButton);
        break;
    case ManagerKeyEffect::ClickImport:
        click(controls.importButton);
        break;
    case ManagerKeyEffect::Close:
        ui::postCloseRequest(*session.window);
        break;
    case ManagerKeyEffect::Escape:
        applyEscape(session);
        break;
    case ManagerKeyEffect::FocusFilter:
        ui::focusControl(*controls.filterField);
        ui::editSetSelection(ui::controlHandle(*controls.filterField), 0, -1);
        break;
    case ManagerKeyEffect::ClearFilter:
        // A text set by the program raises no change: the list follows here.
        ui::setControlText(*controls.filterField, u"");
        followFilter(session);
        break;
    case ManagerKeyEffect::Nothing:
        break;
    }
}

bool isListAction(int type) {
    return type == ui::kEventLeftClick || type == ui::kEventLeftDoubleClick ||
           type == ui::kEventRightClick || type == ui::kEventRightDoubleClick ||
           type == ui::kEventRowSelected;
}

void applyControlEvent(ManagerSession& session, const ui::Control* control, int type) {
    const ManagerControls& controls = session.controls;
    if (control == controls.shortcutList) {
        if (isListAction(type) && ui::controlState(*controls.shortcutList) >= 0)
            showChosenRow(session);
        return;
    }
    if (control == controls.templateEditor) {
        // Typing in a shown template needs nothing: no reading of the editor at each key.
        if (type == ui::kEventChange && session.mode == ManagerMode::NothingShown &&
            decide(session, ManagerAction::EditorTyped).beginNew)
            beginNewShortcut(session, true);
        return;
    }
    // Buttons act on clicks; their focus changes are events too.
    if (type != ui::kEventLeftClick)
        return;
    if (control == controls.newButton) {
        newShortcut(session);
    } else if (control == controls.deleteButton) {
        deleteShortcut(session);
    } else if (control == controls.saveButton) {
        saveShortcut(session);
    } else if (control == controls.renameButton) {
        // A click has flipped the button already; the mode says which half of a rename it is.
        if (session.mode == ManagerMode::Browsing)
            beginRename(session);
        else if (session.mode == ManagerMode::Renaming)
            endRename(session);
    } else if (control == controls.importButton) {
        importSnippets(session);
    } else if (control == controls.openButton) {
        openPreferences(session);
    } else if (control == controls.donateButton) {
        askForDonation(session);
    }
}

} // namespace

void enterMode(ManagerSession& session, ManagerMode mode) {
    session.mode = mode;
    const ControlStates states = controlStatesFor(mode);
    const ManagerControls& c = session.controls;
    const std::pair<ui::Control*, bool> controls[] = {
        {c.newButton, states.newButton},       {c.deleteButton, states.deleteButton},
        {c.renameButton, states.renameButton}, {c.saveButton, states.saveButton},
        {c.nameField, states.nameField},       {c.shortcutList, states.shortcutList},
        {c.filterField, states.filterField},   {c.templateEditor, states.templateEditor}};
    for (const auto& [control, enabled] : controls)
        ui::enableControl(*control, enabled);
    ui::setControlState(*session.controls.renameButton, states.renamePressed ? 1 : 0);
}

// The row "..." last, as when New is pressed.
void openOnNewShortcut(ManagerSession& session, std::u16string_view templateText) {
    beginNewShortcut(session, false);
    ui::setControlText(*session.controls.templateEditor, templateForEditor(templateText));
}

void lowerCaseNameField(ManagerSession& session) {
    const std::u16string lower = text::lowerCaseText(ui::controlText(*session.controls.nameField));
    ui::setControlText(*session.controls.nameField, lower);
    const int end = static_cast<int>(lower.size());
    ui::editSetSelection(ui::controlHandle(*session.controls.nameField), end, end);
}

void followFilter(ManagerSession& session) {
    setRowFilter(session.view, session.rows, ui::controlText(*session.controls.filterField));
    showRows(session, session.shownName.empty() ? -1 : rowNamed(session, session.shownName));
}

void enterListFromFilter(ManagerSession& session) {
    ui::Control& list = *session.controls.shortcutList;
    ui::focusControl(list);
    if (ui::controlState(list) < 0 && !session.view.shown.empty()) {
        ui::setControlState(list, 0);
        ui::postControlEvent(list, ui::kEventRowSelected);
    }
}

void runManagerLoop(ManagerSession& session) {
    for (;;) {
        const ui::Event event = ui::waitEvent();
        const ui::EventKind kind = event.kind;
        if (kind == ui::EventKind::None || event.window != session.window.get())
            continue;
        if (kind == ui::EventKind::Activation)
            settleEdits(session, decide(session, ManagerAction::Activation));
        else if (kind == ui::EventKind::Shortcut)
            applyShortcut(session, event.command);
        else if (kind == ui::EventKind::Control)
            applyControlEvent(session, event.control, event.type);
        else if (kind == ui::EventKind::CloseRequest && closeManager(session))
            return;
    }
}

} // namespace manager
