#include "app/Startup.h"

#include <windows.h>

#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/BackgroundWork.h"
#include "app/LibraryPlace.h"
#include "app/StartArguments.h"
#include "app/StartupText.h"
#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "dpi/DpiSetup.h"
#include "dpi/ScaledWrappers.h"
#include "idelink/CaretWord.h"
#include "idelink/DirectiveSources.h"
#include "idelink/FocusedEditor.h"
#include "idelink/PickFlow.h"
#include "idelink/RemoteEditor.h"
#include "idelink/TemplateExpansion.h"
#include "manager/ManagerPlan.h"
#include "manager/ManagerText.h"
#include "manager/ManagerWindow.h"
#include "popup/Picker.h"
#include "popup/PickerMatch.h"
#include "popup/Popup.h"
#include "store/IdeAppearance.h"
#include "store/ShortcutStore.h"
#include "store/SnippetFile.h"
#include "ui/WindowService.h"

namespace app {

bool takeModeLock(const wchar_t* name) {
    SetLastError(ERROR_SUCCESS);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
    // The handle stays open on purpose: the lock lasts as long as the process.
    return mutex != nullptr && GetLastError() == ERROR_SUCCESS;
}

namespace {

// A manager window holds the library the user works on; a default file written under it would
// read there as that library replaced by the 22 defaults. Its lock says that it is open.
bool managerIsOpen() {
    const base::OwnedKernelHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, kManagerMutexName));
    return static_cast<bool>(lock);
}

// How long a start that finds the library missing waits for a writer that holds the library's
// lock: a save puts the new file in place within that time.
constexpr int kMissingLibraryWaitMs = 1000;

// The library in place, or when it is missing the default file written first. A writer may be
// between taking the old file away and putting the new one in place, so a missing library is
// looked for again once the writers' lock is free (or a second has passed). False when it is
// still missing while a manager is open: that window holds the library and will write it back,
// and an expansion from the 22 defaults would insert what the user may have redefined.
bool libraryInPlace(std::u16string_view library) {
    if (!store::preferencePathExists(library)) {
        // A library of its own place: its folder is made first (and the lock's file in it).
        store::createFoldersFor(library);
        store::WriteLock lock;
        store::lockForWriting(library, lock, kMissingLibraryWaitMs);
        if (!store::preferencePathExists(library)) {
            if (managerIsOpen())
                return false;
            store::writeDefaultFile(library);
        }
    }
    return true;
}

// The program's folder, with a separator at its end, becomes the working folder: a relative
// path the user gives is taken from there.
std::u16string enterProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::u16string folder(folderOfPath(text::fromWide(path)));
    if (!folder.empty())
        SetCurrentDirectoryW(text::toWide(folder).c_str());
    return folder;
}

// Where the library is: named with --library, or its default place.
std::u16string chooseLibrary(std::u16string_view argument, std::u16string_view programFolder) {
    LibraryQuestions ask;
    ask.variable = idelink::environmentVariable;
    ask.exists = store::preferencePathExists;
    ask.canCreateFileIn = store::canCreateFileIn;
    return libraryPlace(argument, programFolder, ask);
}

// The C runtime has split the command line already, by the rules CommandLineToArgvW follows;
// taking its split spares every start the load of shell32.
std::vector<std::u16string> commandLineArguments() {
    std::vector<std::u16string> arguments;
    for (int i = 1; __wargv && i < __argc; ++i)
        arguments.push_back(text::fromWide(__wargv[i]));
    return arguments;
}

// A mistyped argument in an editor's tool set-up is told once, with the arguments that work.
void showKnownArguments(const AppState& state, const std::u16string& unknown) {
    ui::messageBox(state.appTitle, knownArgumentsMessage(unknown),
                   MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

std::intptr_t toolWindowHandle(const wchar_t* variable) {
    // Handles are sign-extended 32-bit values, as SendMessage and IsWindow expect them.
    return static_cast<std::intptr_t>(
        parseToolInteger(idelink::environmentValue(text::fromWide(variable))));
}

// The set-up variant goes by the true Windows version, not the one reported to programs
// without a compatibility manifest. It runs just before the first thing that depends on it
// (the caret's screen point for the popup, or the manager window): a literal expansion opens
// no window and reads no screen coordinate, and under Wine the set-up's first screen device
// context is a large part of what such a start costs.
void setUpDpi() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const dpi::WindowsVersion version = dpi::windowsVersion();
    dpi::runDpiSetup(dpi::chooseDpiSetup(version.major, version.minor));
}

// The look is read only now, when a window at the caret is about to be built: the IDE's from
// its preference file, another editor's (--focused) from the editor itself.
popup::PopupLook caretWindowLook(const AppState& state) {
    popup::PopupLook look;
    const store::IdeAppearance ideFile =
        store::readIdeAppearance(store::ideAppearancePath(idelink::environmentValue(u"APPDATA")));
    std::optional<store::EditorStyleAnswers> editorStyle;
    if (state.focused)
        editorStyle = idelink::readEditorStyle({state.ideEditorWindow, state.ideMainWindow});
    look.appearance = store::editorLook(editorStyle, ideFile);
    look.settings = state.popupSettings;
    look.owner = reinterpret_cast<HWND>(state.ideMainWindow);
    look.caretLineHeight = [editor = state.ideEditorWindow] {
        return idelink::caretLineHeight(editor, idelink::editorCaretPosition(editor));
    };
    setUpDpi(); // done already when the anchor was read; the window's sizes depend on it too
    return look;
}

// The popup's window stays until the run ends: it fades out when the IDE takes the foreground
// back after the popup's end.
idelink::PopupResult showPopup(popup::CaretWindow& window, const AppState& state,
                               const idelink::PopupRequest& request) {
    return popup::showPlaceholderPopup(window, request, caretWindowLook(state));
}

// The editor as expansion uses it. The anchor of a window at the caret must be in physical
// pixels: the process declares its DPI awareness before it reads the caret's screen point.
idelink::EditorOps ideEditor(const AppState& state) {
    const idelink::IdeWindows windows{state.ideEditorWindow, state.ideMainWindow};
    idelink::EditorOps editor = idelink::remoteEditorOps(windows);
    editor.caretScreenPoint = [read = editor.caretScreenPoint](int64_t position) {
        setUpDpi();
        return read(position);
    };
    return editor;
}

// An expansion that could not put its text in as it stands is told; every other end says
// nothing (a cancel, or keys typed on meanwhile: the user knows).
void tellOutcome(const AppState& state, const idelink::ExpansionOutcome& outcome) {
    const std::optional<std::u16string> message = expansionMessage(outcome);
    if (message) {
        setUpDpi();
        ui::messageBox(state.appTitle, *message, MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }
}

// Where the directives of a template of the Shortcut name find their values. Templates used
// inside it come from the library, read whole at the first one unless it is loaded already.
idelink::DirectiveSources directiveSources(AppState& state, std::u16string_view name,
                                           bool libraryLoaded) {
    idelink::DirectiveSources sources = idelink::windowsDirectiveSources();
    sources.filePath = state.documentPath;
    sources.shortcutName = name;
    sources.shortcutTemplate = [&state, loaded = libraryLoaded](std::u16string_view used) mutable {
        if (!loaded) {
            store::PopupSettings settings; // those of the run were read with the template
            store::loadShortcutsFrom(state.libraryPath, state.shortcutStore, settings);
            loaded = true;
        }
        return store::findShortcut(state.shortcutStore, used);
    };
    return sources;
}

void runExpansionMode(AppState& state) {
    if (!takeModeLock(kExpansionMutexName))
        return;
    // One Shortcut of the library is needed: it is looked up as the file is read.
    const std::optional<std::u16string> templateText =
        store::readOneShortcut(state.libraryPath, state.word.caretWord, state.popupSettings);
    if (!templateText)
        return;
    const idelink::EditorOps editor = ideEditor(state);
    popup::CaretWindow popupWindow;
    tellOutcome(state, idelink::expandShortcut(
                           *templateText, state.word, editor,
                           [&state, &popupWindow](const idelink::PopupRequest& request) {
                               return showPopup(popupWindow, state, request);
                           },
                           directiveSources(state, state.word.caretWord, false)));
}

// The word before the caret as the editor holds it now; no word when it cannot be read.
idelink::CaretWord caretWordNow(const idelink::IdeWindows& windows) {
    const std::optional<idelink::LineAtCaret> line = idelink::readLineBeforeCaret(windows);
    return line ? idelink::findCaretWord(*line) : idelink::CaretWord{};
}

bool stillAnswering() {
    return !idelink::editorAnswers().stopped;
}

// The picker on the library's names, which are gathered, as they are stored, on a thread of
// their own while the picker's window is made. The picker lists the rows it shows first straight
// from them and puts them in order once it is on screen.
idelink::PickerAnswer showPickerOf(const AppState& state, const idelink::PickerOpening& opening) {
    popup::PickerRequest request;
    bool gathered = false;
    BackgroundWork gathering([&state, &request, &gathered] {
        try {
            const size_t count = store::shortcutCount(state.shortcutStore);
            request.names.reserve(count, count * 16);
            store::forEachShortcutName(state.shortcutStore, [&request](std::u16string_view name) {
                request.names.add(name);
            });
            gathered = true;
        } catch (...) {
            // Out of memory: no picker rather than a part of the names.
        }
    });
    request.namesReady = [&gathering, &gathered] {
        gathering.wait();
        return gathered;
    };
    request.filter = opening.filter;
    request.afterParen = opening.afterParen;
    request.anchor = opening.anchor;
    request.previewOf = [&request, &opening](int name) {
        return opening.previewOf(request.names[size_t(name)]);
    };
    request.filterNow = opening.filterNow;
    const popup::PickerResult picked = popup::showPicker(request, caretWindowLook(state));
    idelink::PickerAnswer answer;
    if (picked.chosen >= 0)
        answer.name = std::u16string(request.names[size_t(picked.chosen)]);
    answer.lostActivation = picked.lostActivation;
    return answer;
}

// The picker takes the expansion's lock: an expansion and a pick are one kind of run.
void runPickMode(AppState& state) {
    const idelink::IdeWindows windows{state.ideEditorWindow, state.ideMainWindow};
    if (!takeModeLock(kExpansionMutexName))
        return;
    // The library is read on a thread of its own while the IDE is asked for its selection and
    // its caret, and the picker's names are gathered on another while its window is made.
    // Nothing else touches the library or the names meanwhile.
    BackgroundWork loading([&state] {
        store::loadShortcutsFrom(state.libraryPath, state.shortcutStore, state.popupSettings);
    });
    if (!idelink::editorProcessOpens(windows))
        return;
    idelink::PickLibrary library;
    library.ready = [&loading] {
        loading.wait(); // the popup settings are the library's
        return !loading.failure();
    };
    library.templateOf = [&state](std::u16string_view name) {
        return store::findShortcut(state.shortcutStore, name);
    };
    popup::CaretWindow popupWindow;
    tellOutcome(state, idelink::pickShortcut(
                           state.word, ideEditor(state), library,
                           [&state](const idelink::PickerOpening& opening) {
                               return showPickerOf(state, opening);
                           },
                           [&state, &popupWindow](const idelink::PopupRequest& request) {
                               return showPopup(popupWindow, state, request);
                           },
                           directiveSources(state, u"", true)));
}

// Another tool's snippets into the library, then the report; no editor is asked anything.
void runImportMode(AppState& state, std::u16string_view snippetFile) {
    setUpDpi();
    libraryInPlace(state.libraryPath);
    const store::ImportOutcome outcome = store::importSnippetFile(state.libraryPath, snippetFile);
    ui::messageBox(state.appTitle, outcome.message,
                   MB_OK | (outcome.saved ? MB_ICONINFORMATION : MB_ICONWARNING) |
                       MB_SETFOREGROUND);
}

// fromSelection: the window opens on a new Shortcut made of the editor's selection, or an empty
// one as after New where there is none (nor an editor) to take.
void runManagerMode(AppState& state, bool fromSelection) {
    if (!takeModeLock(kManagerMutexName))
        return;
    // The library is read, and the list's rows taken from it, on a thread of their own while the
    // editor's selection is read and the window is made; nothing else touches the library
    // meanwhile. What the reading throws is thrown again here, as if it had been read in this
    // thread.
    std::vector<std::u16string> rows;
    BackgroundWork loading([&state, &rows] {
        store::loadShortcutsFrom(state.libraryPath, state.shortcutStore, state.popupSettings);
        rows = manager::shortcutRows(state.shortcutStore);
    });
    std::optional<std::u16string> newTemplate;
    if (fromSelection) {
        const std::optional<idelink::WrappedSelection> selection =
            idelink::readSelection({state.ideEditorWindow, state.ideMainWindow});
        if (!stillAnswering())
            return;
        newTemplate = selection
                          ? manager::templateOfSelection(selection->text, selection->indentation)
                          : std::u16string();
    }
    setUpDpi();
    const auto takeRows = [&loading, &rows] {
        loading.wait();
        if (loading.failure())
            std::rethrow_exception(loading.failure());
        return std::move(rows);
    };
    manager::runManager(state.shortcutStore, takeRows, state.libraryPath, state.appTitle,
                        reinterpret_cast<HWND>(state.ideMainWindow), newTemplate);
}

} // namespace

void runProgram() {
    AppState state;
    state.appTitle = kAppTitle;
    const StartArguments start = readStartArguments(commandLineArguments());
    if (start.kind == StartKind::UnknownArgument) {
        setUpDpi(); // a sharp message on a screen above 96 DPI
        showKnownArguments(state, start.unknown);
        return;
    }
    const std::u16string programFolder = enterProgramFolder();
    state.documentPath = start.file;
    state.libraryPath = chooseLibrary(start.library, programFolder);
    if (start.import) {
        runImportMode(state, start.importFile);
        return;
    }
    if (start.kind == StartKind::Focused) {
        // Found now, while the editor that started the program is still in front.
        const idelink::FocusedEditor focused = idelink::findFocusedEditor();
        if (focused.pick == idelink::FocusedPick::Unreachable)
            return;
        state.ideEditorWindow = focused.windows.editor;
        state.ideMainWindow = focused.windows.main;
        state.focused = true;
    } else {
        state.ideEditorWindow = toolWindowHandle(kEditorVariable);
        state.ideMainWindow = toolWindowHandle(kMainWindowVariable);
    }

    state.word = caretWordNow({state.ideEditorWindow, state.ideMainWindow});
    // An editor that stopped answering is a hung IDE, not a missing one: the run ends rather
    // than open the manager in front of it.
    if (idelink::editorAnswers().stopped || !libraryInPlace(state.libraryPath))
        return;

    // --new opens the manager whatever stands before the caret, --pick beside it too.
    if (start.newShortcut)
        runManagerMode(state, true);
    else if (start.pick)
        runPickMode(state);
    else if (!state.word.caretWord.empty())
        runExpansionMode(state);
    else
        runManagerMode(state, false);
}

} // namespace app
