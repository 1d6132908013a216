#include "store/ShortcutStore.h"

#include "base/TextConvert.h"
#include "store/FileAccess.h"
#include "store/NameOrder.h"
#include "store/PreferenceFile.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <unordered_set>

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

namespace {

using ShortcutLines = std::vector<std::pair<std::string, std::string>>;

// The default file's layout around the given Shortcuts (UTF-8 name and template pairs).
std::string libraryBytes(const ShortcutLines& shortcuts, const PopupSettings& popup) {
    const std::int32_t values[] = {popup.opacity, popup.shadow, popup.slideIn, popup.fadeOut};
    std::vector<std::string> numbers;
    for (std::int32_t value : values)
        numbers.push_back(std::to_string(value));
    const std::string fileName = text::utf16ToUtf8(kPreferenceFileName);
    const std::string shortcutsGroup = text::utf16ToUtf8(kShortcutsGroup);
    const std::string popupGroup = text::utf16ToUtf8(kPopupGroup);
    std::vector<std::string> popupKeys;
    for (std::u16string_view key : kPopupKeys)
        popupKeys.push_back(text::utf16ToUtf8(key));

    std::vector<PreferenceLine> lines = {{LineKind::Comment, fileName, {}},
                                         {LineKind::Comment, "", {}},
                                         {LineKind::Group, shortcutsGroup, {}}};
    for (const auto& [name, templateText] : shortcuts)
        lines.push_back({LineKind::Key, name, templateText});
    lines.push_back({LineKind::Comment, "", {}});
    lines.push_back({LineKind::Group, popupGroup, {}});
    for (std::size_t k = 0; k < std::size(kPopupKeys); ++k)
        lines.push_back({LineKind::Key, popupKeys[k], numbers[k]});
    for (std::string_view comment :
         {"Opacity (0-255)", "Shadow (0-1)", "SlideIn (0-500ms)", "FadeOut (0-1)"})
        lines.push_back({LineKind::Comment, comment, {}});
    return serialisePreferenceLines(lines);
}

ShortcutLines defaultShortcutLines() {
    ShortcutLines shortcuts;
    for (const DefaultShortcut& shortcut : kDefaultShortcuts)
        shortcuts.emplace_back(text::utf16ToUtf8(shortcut.name),
                               text::utf16ToUtf8(shortcut.templateText));
    return shortcuts;
}

bool writeNewLibrary(std::u16string_view path, const std::string& bytes, WrittenFile* written) {
    return saveWholeFile(
        path, SaveMode::CreateOnly,
        [&](const FileHandle& file) {
            return reserveFileSize(file, bytes.size()) && writeSavePiece(file, 0, bytes) &&
                   finishSaveFile(file, bytes.size());
        },
        written);
}

} // namespace

bool writeDefaultFile(std::u16string_view path) {
    if (pathExists(path))
        return false;
    try {
        return writeNewLibrary(path, libraryBytes(defaultShortcutLines(), PopupSettings{}),
                               nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Every Shortcut of the store, whatever any list shows of it, in the file's name order.
bool writeLibraryFile(std::u16string_view path, const ShortcutStore& store, WrittenFile* written) {
    try {
        ShortcutLines shortcuts;
        shortcuts.reserve(shortcutCount(store));
        forEachShortcut(store, [&](std::u16string_view name, std::u16string_view templateText) {
            shortcuts.emplace_back(text::utf16ToUtf8(name),
                                   text::utf16ToUtf8(templateLine(templateText)));
        });
        std::sort(shortcuts.begin(), shortcuts.end(),
                  [](const auto& a, const auto& b) { return inFileOrder(a.first, b.first); });
        return writeNewLibrary(path, libraryBytes(shortcuts, store.popupAsRead), written);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

namespace {

// Within this much of the file's last write time a later write may leave the same time (FAT
// keeps times to 2 s), so the bytes have to tell.
constexpr std::int64_t kUncertainTicks = 3 * kFileTicksPerSecond;

bool timesUncertain(const FileStamp& file) {
    const std::int64_t age = fileClockNow() - file.lastWrite;
    return age < kUncertainTicks; // also a time in the future
}

LibraryStamp stampOf(const FileStamp& file, std::string_view bytes) {
    LibraryStamp stamp{file, 0, timesUncertain(file)};
    if (stamp.timesUncertain)
        stamp.hash = bytesHash(bytes);
    return stamp;
}

} // namespace

LibraryState checkLibrary(std::u16string_view path, LibraryStamp& stamp) {
    const FileStamp now = fileStampAt(path);
    if (!now.exists)
        return LibraryState::Missing;
    if (stamp.behindFile || now != stamp.file)
        return LibraryState::Changed;
    if (!stamp.timesUncertain)
        return LibraryState::Unchanged;
    FileHandle file;
    std::string bytes;
    if (!openForReading(path, file) || !readWholeFile(file, bytes))
        return LibraryState::Unchanged; // nothing better is there to read
    if (bytesHash(bytes) != stamp.hash)
        return LibraryState::Changed;
    stamp.timesUncertain = timesUncertain(now);
    return LibraryState::Unchanged;
}

namespace {

// Reads text in the order of the file's operations: the Shortcuts group is the first group of
// that name, and each Popup key the first of its name in the first Popup group. Each key line
// of the Shortcuts group goes to onShortcut with where it begins, in file order. The text may
// come in pieces of whole lines.
class ShortcutTextReader {
  public:
    explicit ShortcutTextReader(PopupSettings& settings)
        : popupValues_{&settings.opacity, &settings.shadow, &settings.slideIn, &settings.fadeOut},
          shortcutsGroup_(text::utf16ToUtf8(kShortcutsGroup)),
          popupGroup_(text::utf16ToUtf8(kPopupGroup)) {
        for (std::size_t k = 0; k < std::size(kPopupKeys); ++k)
            popupKeys_[k] = text::utf16ToUtf8(kPopupKeys[k]);
    }

    template <typename OnShortcut>
    void read(std::string_view text, std::size_t from, OnShortcut onShortcut) {
        PreferenceLine line;
        std::size_t start = 0;
        for (std::size_t at = from; nextPreferenceLine(text, at, line, start);) {
            if (line.kind == LineKind::Group)
                enterGroup(line.name);
            else if (line.kind == LineKind::Key && section_ == Section::Shortcuts)
                onShortcut(start, line);
            else if (line.kind == LineKind::Key && section_ == Section::Popup)
                readPopupKey(line);
        }
    }

  private:
    void enterGroup(std::string_view name) {
        section_ = Section::Other;
        if (!shortcutsSeen_ && sameName(name, shortcutsGroup_)) {
            section_ = Section::Shortcuts;
            shortcutsSeen_ = true;
        } else if (!popupSeen_ && sameName(name, popupGroup_)) {
            section_ = Section::Popup;
            popupSeen_ = true;
        }
    }

    void readPopupKey(const PreferenceLine& line) {
        for (std::size_t k = 0; k < std::size(kPopupKeys); ++k) {
            if (!popupKeySeen_[k] && sameName(line.name, popupKeys_[k])) {
                *popupValues_[k] = parsePreferenceInteger(trimmedValue(line));
                popupKeySeen_[k] = true;
            }
        }
    }

    enum class Section { Other, Shortcuts, Popup } section_ = Section::Other;
    std::int32_t* popupValues_[std::size(kPopupKeys)];
    bool popupKeySeen_[std::size(kPopupKeys)] = {};
    std::string popupKeys_[std::size(kPopupKeys)];
    bool shortcutsSeen_ = false;
    bool popupSeen_ = false;
    std::string shortcutsGroup_;
    std::string popupGroup_;
};

// The store keeps the file's text and points into it, so loading costs the text, 8 bytes a
// slot and nothing per Shortcut besides.
void loadShortcutText(std::string raw, ShortcutStore& store, PopupSettings& settings) {
    const std::size_t from = takePreferenceText(raw);
    store.text = std::move(raw);
    reserveShortcuts(store, preferenceLineBound(std::string_view(store.text).substr(from)));
    ShortcutTextReader(settings).read(store.text, from,
                                      [&store](std::size_t at, const PreferenceLine& line) {
                                          addLoadedShortcut(store, at, line);
                                      });
    store.popupAsRead = settings;
}

} // namespace

void loadShortcutsFrom(std::u16string_view path, ShortcutStore& store, PopupSettings& settings) {
    store = ShortcutStore();
    settings = PopupSettings{};
    try {
        FileHandle file;
        std::string raw;
        if (openForReading(path, file) && readWholeFile(file, raw)) {
            const FileStamp read = fileStampOf(file);
            file.reset();
            store.stamp = stampOf(read, raw);
            loadShortcutText(std::move(raw), store, settings);
        }
    } catch (const std::bad_alloc&) {
        // As for a file that cannot be read: nothing half-loaded.
        store = ShortcutStore();
        settings = PopupSettings{};
    }
    applyPopupLimits(settings);
}

namespace {

// What a lookup reads at a time: the file is never held whole, so a large library costs the
// lookup no more memory than this and the line being looked at.
constexpr std::size_t kLookupPiece = std::size_t(1) << 16;

// Where the last whole line of text ends: after its last CR or LF, looked for from `from` on
// (0 when there is none there). What comes before `from` is never looked at again, so a line
// of any length costs one pass.
std::size_t afterLastLineEnd(std::string_view text, std::size_t from) {
    const std::size_t last = text.substr(from).find_last_of("\r\n");
    return last == std::string_view::npos ? 0 : from + last + 1;
}

} // namespace

// The file is read as the whole load reads it, in pieces of whole lines, each piece decoded as
// the file's first bytes say. Only the last line of the name is kept. A name that is not UTF-8 in
// the file reads with U+FFFD in its place, so only a name holding U+FFFD can be such a line's.
std::optional<std::u16string> readOneShortcut(std::u16string_view path, std::u16string_view name,
                                              PopupSettings& settings) {
    settings = PopupSettings{};
    std::optional<std::u16string> found;
    try {
        const std::string key = text::utf16ToUtf8(name);
        const bool keyHoldsReplacement = key.find("\xEF\xBF\xBD") != std::string::npos;
        std::string value;
        bool seen = false;
        const auto lookAt = [&](std::size_t, const PreferenceLine& line) {
            if (line.name == key || (keyHoldsReplacement && !text::isWellFormedUtf8(line.name) &&
                                     text::canonicalUtf8(line.name) == key)) {
                value = trimmedValue(line);
                seen = true;
            }
        };
        ShortcutTextReader reader(settings);
        FileHandle file;
        std::uint64_t size = 0;
        if (!openForReading(path, file) || !fileSize(file, size) || size > kLargestReadable)
            return std::nullopt;
        // `text` holds the part of a line that the last piece ended in, which has no line end.
        std::string text, piece(kLookupPiece, '\0'), converted;
        std::uint64_t offset = 0;
        std::optional<PreferenceEncoding> encoding; // decided by the file's first bytes
        for (;;) {
            const std::int64_t got = readFileAt(file, offset, piece.data(), piece.size());
            if (got < 0 || offset + std::uint64_t(got) > kLargestReadable) {
                settings = PopupSettings{}; // as for a file that cannot be read
                seen = false;
                break;
            }
            offset += std::uint64_t(got);
            const std::string_view bytes(piece.data(), std::size_t(got));
            const bool atEnd = got == 0;
            const std::size_t kept = encoding ? text.size() : 0;
            if (!encoding) {
                text += bytes;
                encoding = preferenceEncodingOf(text, !atEnd);
                if (!encoding)
                    continue;
                text = std::string(preferenceText(
                    std::string_view(text).substr(encoding->textStart), *encoding, converted));
            } else {
                text += preferenceText(bytes, *encoding, converted);
            }
            const std::size_t whole = atEnd ? text.size() : afterLastLineEnd(text, kept);
            reader.read(std::string_view(text).substr(0, whole), 0, lookAt);
            text.erase(0, whole);
            if (atEnd)
                break;
        }
        if (seen)
            found = text::utf8ToUtf16(value);
    } catch (const std::bad_alloc&) {
        // As for a file that cannot be read.
        found.reset();
        settings = PopupSettings{};
    }
    applyPopupLimits(settings);
    return found;
}

// Read from the default file's own bytes, so that it loads exactly as the written file would.
void loadDefaultShortcuts(ShortcutStore& store, PopupSettings& settings) {
    store = ShortcutStore();
    settings = PopupSettings{};
    try {
        loadShortcutText(libraryBytes(defaultShortcutLines(), PopupSettings{}), store, settings);
    } catch (const std::bad_alloc&) {
        store = ShortcutStore();
        settings = PopupSettings{};
    }
    applyPopupLimits(settings);
}

namespace {

// What the manager's change found of the file, and what it wrote.
struct ChangeSeen {
    bool missing = false; // no file there: nothing was written
    FileStamp read;       // the file the change was made to, as it was read
    WrittenFile written;
};

// The template's line is made before the file is touched: the file's own edits cannot throw,
// so a failure never leaves half a change to be written. The file is read under the writers'
// lock, so the change is made to it as it is now and no other writer's change is lost. With
// `seen` given, a file that is not there is not created but told.
bool changeIn(std::u16string_view path, ShortcutChange::Kind kind, std::u16string_view name,
              std::u16string_view newName, std::u16string_view templateText, ChangeSeen* seen) {
    try {
        const std::u16string line = templateLine(templateText);
        WriteLock lock;
        if (!lockForWriting(path, lock))
            return false;
        PreferenceFile file;
        const bool opened = file.open(path);
        WrittenFile* const written = seen ? &seen->written : nullptr;
        if (seen)
            seen->read = file.stampAsRead();
        if (!opened) {
            if (seen && !pathExists(path)) {
                seen->missing = true;
                return false;
            }
            // A file that cannot be opened (held by another program) may still hold the name;
            // nothing there, or a folder, surely does not.
            if (kind == ShortcutChange::Kind::Remove)
                return !pathExists(path) || folderExists(path);
        }
        file.selectGroup(kShortcutsGroup);
        switch (kind) {
        case ShortcutChange::Kind::Save:
            file.writeExactKey(name, line);
            return file.close(written);
        case ShortcutChange::Kind::Remove: {
            const bool removed = file.removeExactKeys(name);
            const bool failed = file.editFailed();
            const bool wrote = file.close(written);
            return !failed && (!removed || wrote);
        }
        case ShortcutChange::Kind::Rename:
            file.removeExactKeys(name);
            file.writeExactKey(newName, line); // when it fails, the removal is dropped with it
            return file.close(written);
        }
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace

bool saveShortcutIn(std::u16string_view path, std::u16string_view name,
                    std::u16string_view templateText) {
    return changeIn(path, ShortcutChange::Kind::Save, name, {}, templateText, nullptr);
}

bool removeShortcutIn(std::u16string_view path, std::u16string_view name) {
    return changeIn(path, ShortcutChange::Kind::Remove, name, {}, {}, nullptr);
}

bool renameShortcutIn(std::u16string_view path, std::u16string_view oldName,
                      std::u16string_view newName, std::u16string_view templateText) {
    return changeIn(path, ShortcutChange::Kind::Rename, oldName, newName, templateText, nullptr);
}

bool addShortcutsIn(std::u16string_view path, const std::vector<NamedTemplate>& shortcuts,
                    std::vector<std::u16string>& alreadyThere) {
    try {
        std::vector<std::u16string> lines;
        lines.reserve(shortcuts.size());
        for (const NamedTemplate& shortcut : shortcuts)
            lines.push_back(templateLine(shortcut.templateText));
        WriteLock lock;
        if (!lockForWriting(path, lock))
            return false;
        PreferenceFile file;
        if (!file.open(path))
            return false;
        file.selectGroup(kShortcutsGroup);
        std::unordered_set<std::u16string> names;
        if (file.examineKeys())
            while (file.nextKey())
                names.insert(file.keyName());
        std::vector<std::u16string> found;
        bool added = false;
        for (size_t i = 0; i < shortcuts.size(); ++i) {
            if (!names.insert(shortcuts[i].name).second) {
                found.push_back(shortcuts[i].name);
                continue;
            }
            file.writeExactKey(shortcuts[i].name, lines[i]);
            added = true;
        }
        if (file.editFailed() || (added && !file.close()))
            return false;
        alreadyThere = std::move(found);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The stamp comes from the written file itself: read again, the file might already hold
// another program's write. One lock over both, so that no other writer makes the file between
// finding it gone and writing it whole.
//
// The manager compared the library with the file before the lock was had, and the lock may take
// seconds to get: a program that takes no lock (a text editor, a sync client), or another writer
// holding the lock meanwhile, may write the file after that look and before the change reads it.
// That write goes into the written file but not into the library. So under the lock the file is
// compared with the library's stamp first, and the file the change read with the one compared
// (a file it could not read tells nothing). A file that differs is never taken for the library's
// own, or a later Save would overwrite that write and a whole-library write would leave it out.
bool writeShortcutChange(std::u16string_view path, ShortcutStore& library,
                         const ShortcutChange& change) {
    WriteLock lock;
    if (!lockForWriting(path, lock))
        return false;
    LibraryStamp held = library.stamp;
    const bool unchanged = checkLibrary(path, held) == LibraryState::Unchanged;
    ChangeSeen seen;
    bool done =
        changeIn(path, change.kind, change.name, change.newName, change.templateText, &seen);
    if (seen.missing) {
        done = writeLibraryFile(path, library, &seen.written);
    } else if (seen.read.exists && (!unchanged || seen.read != library.stamp.file)) {
        library.stamp.behindFile = true;
        return done;
    }
    if (done && seen.written.stamp.exists)
        library.stamp = {seen.written.stamp, seen.written.hash, timesUncertain(seen.written.stamp)};
    return done;
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
