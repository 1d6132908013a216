#include "manager/ManagerWindow.h"

#include <vector>

#include "dpi/ScaledWrappers.h"
#include "manager/ManagerCommands.h"
#include "manager/ManagerLayout.h"
#include "manager/ManagerText.h"
#include "resources/ResourceIds.h"
#include "ui/CommonControls.h"
#include "ui/ControlMessages.h"
#include "ui/WindowService.h"

namespace manager {

namespace {

struct ButtonSpec {
    ui::Control* ManagerControls::*control;
    ButtonPlace place;
    int image;
    std::uint32_t flags;
    std::u16string_view tooltip;
};

// Left to right on screen, which is also the order Tab takes (the order of creation).
constexpr ButtonSpec kLeftButtons[] = {
    {&ManagerControls::newButton, kNewPlace, IDR_IMAGE_NEW, 0, u" New Shortcut (Ctrl+N) "},
    {&ManagerControls::deleteButton, kDeletePlace, IDR_IMAGE_DELETE, 0,
     u" Delete Shortcut (Ctrl+D) "},
    {&ManagerControls::renameButton, kRenamePlace, IDR_IMAGE_RENAME, ui::kButtonToggle,
     u" Rename Shortcut (Ctrl+R) "},
    {&ManagerControls::saveButton, kSavePlace, IDR_IMAGE_SAVE, 0, u" Save Shortcut (Ctrl+S) "},
};
constexpr ButtonSpec kRightButtons[] = {
    {&ManagerControls::importButton, kImportPlace, IDR_IMAGE_IMPORT, 0,
     u" Import snippets of VS Code or Sublime Text (Ctrl+I) "},
    {&ManagerControls::openButton, kOpenPlace, IDR_IMAGE_OPEN, 0, {}}, // openTooltip()
    {&ManagerControls::donateButton, kDonatePlace, IDR_IMAGE_DONATE, 0,
     u" Make a donation via PayPal "},
};

struct ShortcutKey {
    int keys;
    ManagerCommand command;
};
constexpr ShortcutKey kShortcutKeys[] = {
    {ui::kShortcutCtrl | 'N', ManagerCommand::New},
    {ui::kShortcutCtrl | 'D', ManagerCommand::Delete},
    {ui::kShortcutCtrl | 'S', ManagerCommand::Save},
    {ui::kShortcutCtrl | 'R', ManagerCommand::Rename},
    {ui::kShortcutCtrl | 'I', ManagerCommand::Import},
    {ui::kShortcutCtrl | 'F', ManagerCommand::Filter},
    {VK_ESCAPE, ManagerCommand::Escape},
    {ui::kShortcutShift | VK_RETURN, ManagerCommand::Close},
};

// The Open button names the library file.
std::u16string openTooltip() {
    return u" Open " + std::u16string(store::kPreferenceFileName) + u" ";
}

// False when the button could not be made.
bool createButton(ManagerSession& session, const ButtonSpec& button, int x) {
    // A PNG that does not decode leaves the button without an image; it still works.
    ui::Control* made = dpi::createScaledImageButton(
        *session.window, x, kButtonY, button.place.width, kButtonHeight,
        ui::loadPngResource(button.image), button.flags);
    session.controls.*button.control = made;
    return made != nullptr;
}

// The window's controls; false when one could not be made.
bool createControls(ManagerSession& session) {
    ui::Window& window = *session.window;
    ManagerControls& c = session.controls;
    for (const ButtonSpec& button : kLeftButtons)
        if (!createButton(session, button, button.place.x))
            return false;
    c.nameField = dpi::createScaledTextField(window, kNameFieldBox.x, kNameFieldBox.y,
                                             kNameFieldBox.width, kNameFieldBox.height, u"", 0);
    // Made before the list, so that Tab goes from the filter to the list it narrows.
    c.filterField =
        dpi::createScaledTextField(window, kFilterFieldBox.x, kFilterFieldBox.y,
                                   kFilterFieldBox.width, kFilterFieldBox.height, u"", 0);
    // The panes' places here are provisional: the splitter sets them as it takes them.
    c.shortcutList =
        dpi::createScaledRowList(window, kSplitterX, kSplitterY, kSmallestListWidth,
                                 kSplitterCreatedHeight, WS_TABSTOP | ui::kRowListEdge);
    c.templateEditor = dpi::createScaledEditor(window, kSplitterX, kSplitterY, kSmallestEditorWidth,
                                               kSplitterCreatedHeight, 0);
    if (!c.nameField || !c.filterField || !c.shortcutList || !c.templateEditor)
        return false;
    c.splitter = dpi::createScaledSplitter(
        window, kSplitterX, kSplitterY, kClientWidth - kSplitterMarginsWidth,
        kSplitterCreatedHeight, *c.shortcutList, *c.templateEditor, ui::kSplitterVertical);
    if (!c.splitter)
        return false;
    for (const ButtonSpec& button : kRightButtons)
        if (!createButton(session, button, kClientWidth - button.place.x))
            return false;
    return true;
}

// Down in the filter field goes on into the list, as Tab does, rather than to the field's start.
LRESULT CALLBACK filterFieldKeys(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR id, DWORD_PTR data) {
    try {
        if (message == WM_KEYDOWN && wParam == VK_DOWN) {
            enterListFromFilter(*reinterpret_cast<ManagerSession*>(data));
            return 0;
        }
        if (message == WM_NCDESTROY)
            ui::removeWindowSubclass(field, filterFieldKeys, id);
    } catch (...) {
        // No exception may unwind through the window procedure.
    }
    return ui::defSubclassProc(field, message, wParam, lParam);
}

} // namespace

// The list box holds no rows of its own: it asks for a row's text as it draws it, so a list of
// any length is shown at once.
void showRows(const ManagerSession& session, int current) {
    const std::vector<std::u16string>& rows = session.rows;
    const RowView& view = session.view;
    ui::Control& list = *session.controls.shortcutList;
    ui::setRowListRows(list, static_cast<int>(view.shown.size()), [&rows, &view](int position) {
        const int row = rowAtPosition(view, position);
        return row >= 0 && std::size_t(row) < rows.size() ? rows[std::size_t(row)]
                                                          : std::u16string();
    });
    ui::setControlState(list, listPosition(view, current));
}

void layoutManagerWindow(const ManagerSession& session) {
    const int width = dpi::scaledWindowWidth(*session.window, dpi::kWindowClientUnits);
    const int height = dpi::scaledWindowHeight(*session.window, dpi::kWindowClientUnits);
    dpi::resizeScaledControl(*session.controls.splitter, base::keepValue, base::keepValue,
                             width - kSplitterMarginsWidth, height - kSplitterMarginsHeight);
    for (const ButtonSpec& button : kRightButtons)
        dpi::resizeScaledControl(*(session.controls.*button.control), width - button.place.x,
                                 base::keepValue, base::keepValue, base::keepValue);
}

bool buildManagerWindow(ManagerSession& session, HWND owner,
                        const std::function<std::vector<std::u16string>()>& takeRows,
                        const std::optional<std::u16string>& newTemplate) {
    session.window = dpi::openScaledWindow(
        0, 0, kClientWidth, kClientHeight, session.title,
        WS_OVERLAPPEDWINDOW | ui::kWindowCentreOnScreen | ui::kWindowHidden, owner);
    if (!session.window)
        return false;
    ui::Window& window = *session.window;
    dpi::setScaledWindowBounds(window, kSmallestClientWidth, kSmallestClientHeight, base::kNoLimit,
                               base::kNoLimit);
    if (!createControls(session))
        return false;
    ManagerControls& c = session.controls;
    ui::setControlState(*c.splitter, dpi::toPixelsX(window, kSeparatorPosition));
    ui::setControlAttribute(*c.splitter, ui::kSplitterFirstMinimum,
                            dpi::toPixelsX(window, kSmallestListWidth));
    ui::setControlAttribute(*c.splitter, ui::kSplitterSecondMinimum,
                            dpi::toPixelsX(window, kSmallestEditorWidth));

    ui::onWindowEvent(window, ui::EventKind::SizeChange,
                      [&session](const ui::Event&) { layoutManagerWindow(session); });
    ui::onControlEvent(*c.nameField, ui::kEventChange,
                       [&session](const ui::Event&) { lowerCaseNameField(session); });
    // The list follows the filter within the keystroke's own message.
    ui::onControlEvent(*c.filterField, ui::kEventChange,
                       [&session](const ui::Event&) { followFilter(session); });
    ui::onControlEvent(*c.filterField, ui::kEventFocus, [&session](const ui::Event&) {
        prepareRowFilter(session.view, session.rows);
    });
    ui::editSetCueBanner(ui::controlHandle(*c.filterField), u"Filter (Ctrl+F)");
    ui::setWindowSubclass(ui::controlHandle(*c.filterField), filterFieldKeys, 0,
                          reinterpret_cast<DWORD_PTR>(&session));

    for (const ShortcutKey& key : kShortcutKeys)
        ui::addKeyboardShortcut(window, key.keys, static_cast<int>(key.command));

    enterMode(session, ManagerMode::NothingShown);
    session.rows = takeRows();
    updateRowView(session.view, session.rows);
    showRows(session, -1);
    if (newTemplate)
        openOnNewShortcut(session, *newTemplate);
    else
        ui::focusControl(*c.newButton);
    ui::showWindow(window, true);
    // What showing left to draw is drawn at once, the controls with it.
    RedrawWindow(ui::windowHandle(window), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // The tooltips, a window of their own, only once the window stands drawn: no pointer rests
    // on a button before that.
    for (const ButtonSpec& button : kLeftButtons)
        ui::setControlTooltip(*(c.*button.control), button.tooltip);
    for (const ButtonSpec& button : kRightButtons)
        ui::setControlTooltip(*(c.*button.control),
                              button.tooltip.empty() ? openTooltip() : button.tooltip);
    return true;
}

void runManager(store::ShortcutStore& store,
                const std::function<std::vector<std::u16string>()>& takeRows,
                std::u16string_view libraryPath, std::u16string_view appTitle, HWND owner,
                const std::optional<std::u16string>& newTemplate) {
    // Its controls, tooltips, message boxes and the shell's dialogs, all with visual styles.
    const ui::VisualStyles styles;
    ManagerSession session{store, std::u16string(appTitle), std::u16string(libraryPath)};
    if (buildManagerWindow(session, owner, takeRows, newTemplate))
        runManagerLoop(session);
}

} // namespace manager
