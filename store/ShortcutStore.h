#pragma once
// The Shortcuts in memory (name -> template) and the popup settings, loaded from and written
// to the preference file (kPreferenceFileName in the working directory, or a file at any path).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/FileAccess.h"

namespace store {

inline constexpr std::u16string_view kPreferenceFileName = u"Zendrik.pref";

// Separates the lines of a template, which the file holds as one line.
inline constexpr char16_t kLineSeparator = u'\u00A4';

// Names are compared exactly and case-sensitively ("If" and "if" are two Shortcuts).
//
// Names and templates are held as UTF-8, nearly all of them as the key lines of the loaded
// file itself: a table slot of 8 bytes points at a line, so a library costs little more in
// memory than its file. Shortcuts set afterwards, and the few whose name in the file is not
// well-formed UTF-8, are held as records of their own. An unpaired UTF-16 surrogate in a name
// or template, which UTF-8 cannot hold, is held as U+FFFD (as the file would hold it).
// What a load or a save last saw of the file: its size and last write time and, while those
// times cannot tell a later write apart from it, a hash of its bytes. `behindFile`: the file
// holds a write of another program that the library lacks, found by the library's own change;
// the file reads as changed until it is loaded again.
struct LibraryStamp {
    FileStamp file;
    std::uint64_t hash = 0;
    bool timesUncertain = false;
    bool behindFile = false;
};

struct PopupSettings {
    std::int32_t opacity = 245; // alpha of the popup, 255 opaque
    std::int32_t shadow = 1;    // 0: no drop shadow
    std::int32_t slideIn = 10;  // slide-in time in milliseconds
    std::int32_t fadeOut = 1;   // 0: the popup vanishes at once
};

struct ShortcutStore {
    ShortcutStore();
    static constexpr std::size_t kBuckets = 512;

    std::string text;                 // the loaded file's text, which slots may point into
    std::vector<std::string> records; // a name's size (4 bytes), the name, the template
    std::vector<std::uint64_t> slots; // open addressing with linear probing; 0 is empty
    std::size_t count = 0;
    LibraryStamp stamp;        // of the file it was loaded from
    PopupSettings popupAsRead; // as the file held them, before the limits
};

// The template of a name, or nothing.
std::optional<std::u16string> findShortcut(const ShortcutStore& store, std::u16string_view name);
void setShortcut(ShortcutStore& store, std::u16string_view name, std::u16string_view templateText);
bool eraseShortcut(ShortcutStore& store, std::u16string_view name);
std::size_t shortcutCount(const ShortcutStore& store);

// Every Shortcut in no particular order, converted to UTF-16 as it is visited; what a visit
// is given lasts for that visit only.
void forEachShortcut(
    const ShortcutStore& store,
    const std::function<void(std::u16string_view name, std::u16string_view templateText)>& visit);
void forEachShortcutName(const ShortcutStore& store,
                         const std::function<void(std::u16string_view name)>& visit);

// Loading: room for this many Shortcuts without growing the table, then each key line that
// begins at store.text[at] added in file order (a later line of a name replaces an earlier one);
// `line` is that line as read there.
struct PreferenceLine;
void reserveShortcuts(ShortcutStore& store, std::size_t count);
void addLoadedShortcut(ShortcutStore& store, std::size_t at, const PreferenceLine& line);

// SlideIn to 1..500 first, Opacity to 1..255 second; Shadow and FadeOut as stored.
void applyPopupLimits(PopupSettings& settings);

// Whether a name reads back from the file as itself: not empty, no "=", CR or LF, not
// beginning with ";" or "[", no space or tab at either end, no unpaired UTF-16 surrogate.
bool isStorableShortcutName(std::u16string_view name);

// A file or a folder of that name exists.
bool preferencePathExists(std::u16string_view path);

// Writes the default file with its 22 Shortcuts and the Popup group. Never replaces anything
// that already exists under that name; false when nothing was written.
bool writeDefaultFile(std::u16string_view path);

// The 22 default Shortcuts and the default Popup settings in memory, as a start that may not
// write the default file loads them (no file is touched; the stamp says "no file").
void loadDefaultShortcuts(ShortcutStore& store, PopupSettings& settings);

// kPreferenceFileName in the working directory. The store is emptied first; the settings get
// their defaults for missing keys and then their limits.
void loadShortcuts(ShortcutStore& store, PopupSettings& settings);

// One pass each over kPreferenceFileName in the working directory; they touch only the file, and
// change exactly what the next load reads: saveShortcut the last line of that exact name (or
// a new one), removeShortcut every line of that exact name. True when the file holds the
// change afterwards (for removeShortcut also when there was nothing to remove).
bool saveShortcut(std::u16string_view name, std::u16string_view templateText);
bool removeShortcut(std::u16string_view name);
bool renameShortcut(std::u16string_view oldName, std::u16string_view newName,
                    std::u16string_view templateText);

// Whether the file changed since the stamp was taken. A file that is gone is "missing", not an
// empty library. While the stamp's times are uncertain the bytes decide, and once they no
// longer are the stamp says so.
enum class LibraryState { Unchanged, Changed, Missing };
LibraryState checkLibrary(std::u16string_view path, LibraryStamp& stamp);

// Writes a new file in the default file's layout holding every Shortcut of the store in name
// order, the group Popup as the store was loaded. Never replaces anything that exists by then.
bool writeLibraryFile(std::u16string_view path, const ShortcutStore& store,
                      WrittenFile* written = nullptr);

struct ShortcutChange {
    enum class Kind { Save, Remove, Rename };
    Kind kind = Kind::Save;
    std::u16string name;         // Save, Remove; Rename: the old name
    std::u16string newName;      // Rename
    std::u16string templateText; // Save, Rename
};
// Makes one change to the library file at `path` (saveShortcutIn / removeShortcutIn /
// renameShortcutIn), under the writers' lock, to the file as it is then. When the file is gone,
// writes the whole `library` as a new file instead (writeLibraryFile), never replacing
// anything that appeared meanwhile: a save must never leave a file holding that one Shortcut.
// On success library.stamp is the stamp of the file as written, taken from the written file,
// when the file changed was the one library.stamp describes; when another program had written
// it since, the stamp is left as it was and marked behindFile: the library must read the file
// again to have that write.
bool writeShortcutChange(std::u16string_view path, ShortcutStore& library,
                         const ShortcutChange& change);

// Adds the Shortcuts, in order, to the library file at `path` in one save under the writers'
// lock, to the file as it is then: a name the file already holds (compared exactly) is left as
// it is and goes to `alreadyThere`, as does a later one of the same name. False, with nothing
// written, when the file cannot be read or written; true also when nothing was new.
struct NamedTemplate {
    std::u16string name;
    std::u16string templateText;
};
bool addShortcutsIn(std::u16string_view path, const std::vector<NamedTemplate>& shortcuts,
                    std::vector<std::u16string>& alreadyThere);

// The same operations on a preference file at any path.
void loadShortcutsFrom(std::u16string_view path, ShortcutStore& store, PopupSettings& settings);
// What loadShortcutsFrom and then findShortcut give for one name (and the settings), from one
// pass over the file that builds no table: an expansion needs one Shortcut of the library.
std::optional<std::u16string> readOneShortcut(std::u16string_view path, std::u16string_view name,
                                              PopupSettings& settings);
bool saveShortcutIn(std::u16string_view path, std::u16string_view name,
                    std::u16string_view templateText);
bool removeShortcutIn(std::u16string_view path, std::u16string_view name);
bool renameShortcutIn(std::u16string_view path, std::u16string_view oldName,
                      std::u16string_view newName, std::u16string_view templateText);

} // namespace store
