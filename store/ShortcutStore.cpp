#include "store/ShortcutStore.h"

#include "store/FileAccess.h"
#include "store/PreferenceFile.h"
#include "store/TextConvert.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace store {

namespace {

constexpr std::u16string_view kShortcutsGroup = u"Shortcuts";
constexpr std::u16string_view kPopupGroup = u"Popup";
// In the order they are written and read.
constexpr std::u16string_view kPopupKeys[] = {u"Opacity", u"Shadow", u"SlideIn", u"FadeOut"};

struct DefaultShortcut {
    std::u16string_view name;
    std::u16string_view templateText;
};

// The Shortcuts of a new preference file, in the order they are written.
constexpr DefaultShortcut kDefaultShortcuts[] = {
    {u"dll", u"ProcedureDLL AttachProcess(Instance)¤EndProcedure¤¤ProcedureDLL "
             u"DetachProcess(Instance)¤EndProcedure¤¤ProcedureDLL "
             u"AttachThread(Instance)¤EndProcedure¤¤ProcedureDLL "
             u"DetachThread(Instance)¤EndProcedure"},
    {u"enu", u"Enumeration ¤EndEnumeration"},
    {u"gid", u"GadgetID(%Id=0)"},
    {u"if", u"If ¤EndIf"},
    {u"proc", u"Procedure ¤EndProcedure"},
    {u"procd", u"ProcedureDLL ¤EndProcedure"},
    {u"procs", u"Procedure.%type=s %ProcName¤EndProcedure"},
    {u"rep", u"Repeat¤Until %expression=1"},
    {u"ret", u"ProcedureReturn "},
    {u"sclp", u"SetClassLongPtr_(%hWnd, %nIndex=#GCL_STYLE, GetClassLongPtr_(%hWnd, "
              u"%nIndex=#GCL_STYLE) %Flags=|#CS_DBLCLKS)"},
    {u"struc", u"Structure %STRUCTNAME¤EndStructure"},
    {u"swlp", u"SetWindowLongPtr_(%hWnd, %nIndex=#GWL_STYLE, GetWindowLongPtr_(%hWnd, "
              u"%nIndex=#GWL_STYLE) %Flags=|#WS_BORDER)"},
    {u"whi", u"While %expression=0¤Wend"},
    {u"wid", u"WindowID(%Id=0)"},
    {u"mb", u"MessageRequester(%Title=\"Info\", %Text=\"Message\", %Flags=)"},
    {u"openwindow(", u"OpenWindow(%WinID=0, 0, 0, %Width=800, %Height=500, %Title=\"Window\", "
                     u"%Flags=#WS_OVERLAPPEDWINDOW|#PB_Window_ScreenCentered|#PB_Window_Invisible, "
                     u"%ParentID=)¤HideWindow(%WinID=0, #False)"},
    {u"event", u"Repeat¤  event = WaitWindowEvent() ¤  Select event¤    Case #PB_Event_Gadget¤"
               u"      Select EventGadget()¤          ¤        Case 0¤          Beep_(800, 50)¤"
               u"          ¤      EndSelect¤  EndSelect¤Until event = #PB_Event_CloseWindow"},
    {u"button", u"ButtonGadget(%WinID=0, %X=5, %Y=5, %Width=100, %Height=30, "
                u"%Text=\"Button\", %Flags=)"},
    {u"smap", u"Structure %STRUCTNAME¤EndStructure¤¤NewMap %MapName.%STRUCTNAME()"},
    {u"ign", u"#PB_Ignore"},
    {u"slist", u"Structure %STRUCTNAME¤EndStructure¤¤NewList %ListName.%STRUCTNAME()"},
    {u"for", u"For %var=i = %min=0 To %max=99 ¤Next"},
};

// A template is one line whose lines are separated by "¤"; a line break that reaches the
// file as it is would cut the template short, so each one becomes that separator.
std::u16string templateLine(std::u16string_view templateText) {
    std::u16string line;
    line.reserve(templateText.size());
    for (size_t i = 0; i < templateText.size(); ++i) {
        const char16_t c = templateText[i];
        if (c == u'\r' || c == u'\n') {
            line.push_back(kLineSeparator);
            if (c == u'\r' && i + 1 < templateText.size() && templateText[i + 1] == u'\n')
                ++i;
        } else {
            line.push_back(c);
        }
    }
    return line;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

} // namespace

void applyPopupLimits(PopupSettings& settings) {
    settings.slideIn = std::clamp(settings.slideIn, 1, 500);
    settings.opacity = std::clamp(settings.opacity, 1, 255);
}

bool isStorableShortcutName(std::u16string_view name) {
    if (name.empty() || name.front() == u';' || name.front() == u'[' || isBlank(name.front()) ||
        isBlank(name.back()))
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'=' || c == u'\r' || c == u'\n')
            return false;
        // An unpaired surrogate has no UTF-8 form: it would come back as U+FFFD.
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

bool preferencePathExists(std::u16string_view path) {
    return pathExists(path);
}

bool writeDefaultFile(std::u16string_view path) {
    if (pathExists(path))
        return false;
    PreferenceFile file;
    if (!file.create(path))
        return false;
    file.addComment(u"Zendrik.pref");
    file.addComment(u"");
    file.selectGroup(kShortcutsGroup);
    for (const DefaultShortcut& shortcut : kDefaultShortcuts)
        file.writeString(shortcut.name, shortcut.templateText);
    file.addComment(u"");
    file.selectGroup(kPopupGroup);
    const PopupSettings defaults;
    const std::int32_t values[] = {defaults.opacity, defaults.shadow, defaults.slideIn,
                                   defaults.fadeOut};
    for (std::size_t k = 0; k < std::size(kPopupKeys); ++k)
        file.writeInteger(kPopupKeys[k], values[k]);
    file.addComment(u"Opacity (0-255)");
    file.addComment(u"Shadow (0-1)");
    file.addComment(u"SlideIn (0-500ms)");
    file.addComment(u"FadeOut (0-1)");
    return file.close();
}

namespace {

// One pass over the text in the order of the file's operations: the Shortcuts group is the
// first group of that name, and each Popup key the first of its name in the first Popup group.
void readShortcutText(ShortcutStore& store, std::size_t from, PopupSettings& settings) {
    std::int32_t* const popupValues[] = {&settings.opacity, &settings.shadow, &settings.slideIn,
                                         &settings.fadeOut};
    bool popupKeySeen[std::size(kPopupKeys)] = {};
    enum class Section { other, shortcuts, popup } section = Section::other;
    bool shortcutsSeen = false;
    bool popupSeen = false;
    const std::string shortcutsGroup = text::utf16ToUtf8(kShortcutsGroup);
    const std::string popupGroup = text::utf16ToUtf8(kPopupGroup);
    const std::string_view text = store.text;
    PreferenceLine line;
    std::size_t start = 0;
    for (std::size_t at = from; nextPreferenceLine(text, at, line, start);) {
        if (line.kind == LineKind::group) {
            section = Section::other;
            if (!shortcutsSeen && sameName(line.name, shortcutsGroup)) {
                section = Section::shortcuts;
                shortcutsSeen = true;
            } else if (!popupSeen && sameName(line.name, popupGroup)) {
                section = Section::popup;
                popupSeen = true;
            }
        } else if (line.kind == LineKind::key && section == Section::shortcuts) {
            addLoadedShortcut(store, start);
        } else if (line.kind == LineKind::key && section == Section::popup) {
            for (std::size_t k = 0; k < std::size(kPopupKeys); ++k) {
                if (!popupKeySeen[k] && sameName(line.name, text::utf16ToUtf8(kPopupKeys[k]))) {
                    *popupValues[k] = parsePreferenceInteger(trimmedValue(line));
                    popupKeySeen[k] = true;
                }
            }
        }
    }
}

} // namespace

// The store keeps the file's text and points into it, so loading costs the text, 8 bytes a
// slot and nothing per Shortcut besides.
void loadShortcutsFrom(std::u16string_view path, ShortcutStore& store, PopupSettings& settings) {
    store = ShortcutStore();
    settings = PopupSettings{};
    try {
        FileHandle file;
        std::string raw;
        if (openExistingFile(path, file) != FileMode::unopened && readWholeFile(file, raw)) {
            file.reset();
            const std::size_t from = takePreferenceText(raw);
            store.text = std::move(raw);
            reserveShortcuts(store, preferenceLineBound(std::string_view(store.text).substr(from)));
            readShortcutText(store, from, settings);
        }
    } catch (const std::bad_alloc&) {
        // As for a file that cannot be read: nothing half-loaded.
        store = ShortcutStore();
        settings = PopupSettings{};
    }
    applyPopupLimits(settings);
}

// The template's line is made before the file is touched: the file's own edits cannot throw,
// so a failure never leaves half a change to be written.
bool saveShortcutIn(std::u16string_view path, std::u16string_view name,
                    std::u16string_view templateText) {
    try {
        const std::u16string line = templateLine(templateText);
        PreferenceFile file;
        file.open(path);
        file.selectGroup(kShortcutsGroup);
        file.writeString(name, line);
        return file.close();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool removeShortcutIn(std::u16string_view path, std::u16string_view name) {
    try {
        PreferenceFile file;
        // A file that cannot be opened (held by another program) may still hold the name;
        // nothing there, or a folder, surely does not.
        if (!file.open(path))
            return !pathExists(path) || folderExists(path);
        file.selectGroup(kShortcutsGroup);
        const bool removed = file.removeKey(name);
        const bool failed = file.editFailed();
        const bool wrote = file.close();
        return !failed && (!removed || wrote);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool renameShortcutIn(std::u16string_view path, std::u16string_view oldName,
                      std::u16string_view newName, std::u16string_view templateText) {
    try {
        const std::u16string line = templateLine(templateText);
        PreferenceFile file;
        file.open(path);
        file.selectGroup(kShortcutsGroup);
        file.removeKey(oldName);
        file.writeString(newName, line); // when it fails, the removal is dropped with it
        return file.close();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void loadShortcuts(ShortcutStore& store, PopupSettings& settings) {
    loadShortcutsFrom(kPreferenceFileName, store, settings);
}

bool saveShortcut(std::u16string_view name, std::u16string_view templateText) {
    return saveShortcutIn(kPreferenceFileName, name, templateText);
}

bool removeShortcut(std::u16string_view name) {
    return removeShortcutIn(kPreferenceFileName, name);
}

bool renameShortcut(std::u16string_view oldName, std::u16string_view newName,
                    std::u16string_view templateText) {
    return renameShortcutIn(kPreferenceFileName, oldName, newName, templateText);
}

} // namespace store
