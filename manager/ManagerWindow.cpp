#include "manager/ManagerWindow.h"

#include <vector>

#include "dpi/ScaledWrappers.h"
#include "manager/ManagerCommands.h"
#include "manager/ManagerLayout.h"
#include "manager/ManagerText.h"
#include "resources/ResourceIds.h"
#include "ui/CommonControls.h"
#include "ui/WindowService.h"

namespace manager {

namespace {

// RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW: the whole
// window drawn at once, with the list's rows, rather than control by control.
constexpr UINT kRedrawEverything = 0x187;

struct ButtonSpec {
    int number;
    ButtonPlace place;
    int image;
    std::uint32_t flags;
    std::u16string_view tooltip;
};

// Left to right on screen, which is also the order Tab takes (the order of creation).
constexpr ButtonSpec kLeftButtons[] = {
    {kNewButton, kNewPlace, IDR_IMAGE_NEW, 0, u" New Shortcut (Ctrl+N) "},
    {kDeleteButton, kDeletePlace, IDR_IMAGE_DELETE, 0, u" Delete Shortcut (Ctrl+D) "},
    {kRenameButton, kRenamePlace, IDR_IMAGE_RENAME, ui::kButtonToggle,
     u" Rename Shortcut (Ctrl+R) "},
    {kSaveButton, kSavePlace, IDR_IMAGE_SAVE, 0, u" Save Shortcut (Ctrl+S) "},
};
constexpr ButtonSpec kRightButtons[] = {
    {kImportButton, kImportPlace, IDR_IMAGE_IMPORT, 0,
     u" Import snippets of VS Code or Sublime Text (Ctrl+I) "},
    {kOpenButton, kOpenPlace, IDR_IMAGE_OPEN, 0, u" Open Zendrik.pref "},
    {kDonateButton, kDonatePlace, IDR_IMAGE_DONATE, 0, u" Make a donation via PayPal "},
};

struct ShortcutKey {
    int keys;
    int command;
};
constexpr ShortcutKey kShortcutKeys[] = {
    {ui::kShortcutCtrl | 'N', kCommandNew},          {ui::kShortcutCtrl | 'D', kCommandDelete},
    {ui::kShortcutCtrl | 'S', kCommandSave},         {ui::kShortcutCtrl | 'R', kCommandRename},
    {ui::kShortcutCtrl | 'I', kCommandImport},       {VK_ESCAPE, kCommandEscape},
    {ui::kShortcutShift | VK_RETURN, kCommandClose},
};

void createButton(const ButtonSpec& button, int x) {
    // A PNG that does not decode leaves the button without an image; it still works.
    dpi::createScaledImageButton(button.number, x, kButtonY, button.place.width, kButtonHeight,
                                 ui::loadPngResource(button.image), button.flags);
}

} // namespace

// The list box holds no rows of its own: it asks for a row's text as it draws it, so a list of
// any length is shown at once.
void showRows(const ManagerSession& session, int current) {
    const std::vector<std::u16string>& rows = session.rows;
    ui::setRowListRows(kShortcutList, static_cast<int>(rows.size()), [&rows](int row) {
        return row >= 0 && std::size_t(row) < rows.size() ? rows[std::size_t(row)]
                                                          : std::u16string();
    });
    ui::setControlState(kShortcutList, current);
}

void layoutManagerWindow() {
    const int width = dpi::scaledWindowWidth(kManagerWindow, dpi::kWindowClientUnits);
    const int height = dpi::scaledWindowHeight(kManagerWindow, dpi::kWindowClientUnits);
    dpi::resizeScaledControl(kSplitter, base::keepValue, base::keepValue,
                             width - kSplitterMarginsWidth, height - kSplitterMarginsHeight);
    for (const ButtonSpec& button : kRightButtons)
        dpi::resizeScaledControl(button.number, width - button.place.x, base::keepValue,
                                 base::keepValue, base::keepValue);
}

bool buildManagerWindow(ManagerSession& session, HWND owner,
                        const std::function<std::vector<std::u16string>()>& takeRows,
                        const std::optional<std::u16string>& newTemplate) {
    if (!dpi::openScaledWindow(kManagerWindow, 0, 0, kClientWidth, kClientHeight, session.title,
                               WS_OVERLAPPEDWINDOW | ui::kWindowCentreOnScreen | ui::kWindowHidden,
                               owner))
        return false;
    dpi::setScaledWindowBounds(kManagerWindow, kSmallestClientWidth, kSmallestClientHeight,
                               base::kNoLimit, base::kNoLimit);
    ui::bindEvent(ui::EventKind::SizeChange, kManagerWindow, ui::kAny, ui::kAny,
                  [](const ui::Event&) { layoutManagerWindow(); });

    for (const ButtonSpec& button : kLeftButtons)
        createButton(button, button.place.x);

    dpi::createScaledTextField(kNameField, kNameFieldBox.x, kNameFieldBox.y, kNameFieldBox.width,
                               kNameFieldBox.height, u"", 0);

    // The panes' places here are provisional: the splitter sets them as it takes them.
    dpi::createScaledRowList(kShortcutList, kSplitterX, kSplitterY, kSmallestListWidth,
                             kSplitterCreatedHeight, WS_TABSTOP | ui::kRowListEdge);
    dpi::createScaledEditor(kTemplateEditor, kSplitterX, kSplitterY, kSmallestEditorWidth,
                            kSplitterCreatedHeight, 0);
    dpi::createScaledSplitter(kSplitter, kSplitterX, kSplitterY,
                              kClientWidth - kSplitterMarginsWidth, kSplitterCreatedHeight,
                              kShortcutList, kTemplateEditor, ui::kSplitterVertical);
    ui::setControlState(kSplitter, dpi::toPixelsX(kSeparatorPosition));
    ui::setControlAttribute(kSplitter, ui::kSplitterFirstMinimum,
                            dpi::toPixelsX(kSmallestListWidth));
    ui::setControlAttribute(kSplitter, ui::kSplitterSecondMinimum,
                            dpi::toPixelsX(kSmallestEditorWidth));

    for (const ButtonSpec& button : kRightButtons)
        createButton(button, kClientWidth - button.place.x);

    ui::bindEvent(ui::EventKind::Control, kManagerWindow, kNameField, ui::kEventChange,
                  [](const ui::Event&) { lowerCaseNameField(); });

    for (const ButtonSpec& button : kLeftButtons)
        ui::setControlTooltip(button.number, button.tooltip);
    for (const ButtonSpec& button : kRightButtons)
        ui::setControlTooltip(button.number, button.tooltip);

    for (const ShortcutKey& key : kShortcutKeys)
        ui::addKeyboardShortcut(kManagerWindow, key.keys, key.command);

    enterMode(session, ManagerMode::NothingShown);
    session.rows = takeRows();
    showRows(session, -1);
    if (newTemplate)
        openOnNewShortcut(session, *newTemplate);
    else
        ui::focusControl(kNewButton);
    RedrawWindow(ui::windowHandle(kManagerWindow), nullptr, nullptr, kRedrawEverything);
    ui::showWindow(kManagerWindow, true);
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
