#include "store/ShortcutStore.h"

#include "base/TextConvert.h"
#include "store/StoreModel.h"
#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <vector>

namespace {

using namespace storetest;

// The default file, byte for byte.
const std::string kDefaultFile = storetest::goldenBytes("store/golden/DefaultFile.pref");

std::vector<std::string> fileLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

std::map<std::u16string, std::u16string> contents(const store::ShortcutStore& store) {
    std::map<std::u16string, std::u16string> sorted;
    store::forEachShortcut(store, [&](std::u16string_view name, std::u16string_view templateText) {
        sorted.emplace(name, templateText);
    });
    return sorted;
}

struct Loaded {
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
};

Loaded load(const fs::path& path) {
    Loaded loaded;
    store::loadShortcutsFrom(u16(path), loaded.shortcuts, loaded.settings);
    return loaded;
}

// The group Popup's defaults are the product's own.
const store::PopupSettings kDefaultSettings{};

void expectSettings(const store::PopupSettings& s, const store::PopupSettings& expected) {
    EXPECT_EQ(s.opacity, expected.opacity);
    EXPECT_EQ(s.shadow, expected.shadow);
    EXPECT_EQ(s.slideIn, expected.slideIn);
    EXPECT_EQ(s.fadeOut, expected.fadeOut);
}

// A row's write: the call the manager makes, on the file at the path it is given.
using Write = std::function<bool(const std::u16string&)>;
Write save(std::u16string name, std::u16string text) {
    return [=](const std::u16string& path) { return store::saveShortcutIn(path, name, text); };
}
Write removal(std::u16string name) {
    return [=](const std::u16string& path) { return store::removeShortcutIn(path, name); };
}
Write rename(std::u16string from, std::u16string to, std::u16string text) {
    return
        [=](const std::u16string& path) { return store::renameShortcutIn(path, from, to, text); };
}

TEST(ShortcutStoreDefaultFile, IsTheExactThirtySixLines) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    ASSERT_TRUE(store::writeDefaultFile(u16(path)));
    const std::string bytes = readBytes(path);
    EXPECT_EQ(bytes, kDefaultFile);
    EXPECT_EQ(fileLines(bytes).size(), 36u);
}

TEST(ShortcutStoreDefaultFile, NeverReplacesWhatExists) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, "[Shortcuts]\nmine = kept\n");
    EXPECT_TRUE(store::preferencePathExists(u16(path)));
    EXPECT_FALSE(store::writeDefaultFile(u16(path)));
    EXPECT_EQ(readBytes(path), "[Shortcuts]\nmine = kept\n");
    EXPECT_FALSE(store::preferencePathExists(u16(folder / "other.pref")));
}

TEST(ShortcutStoreLoad, DefaultFileGivesTheDefaultShortcuts) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    ASSERT_TRUE(store::writeDefaultFile(u16(path)));
    const Loaded loaded = load(path);
    EXPECT_EQ(store::shortcutCount(loaded.shortcuts), 22u);
    const std::vector<std::u16string> names = {
        u"dll",   u"enu",    u"gid",   u"if",   u"proc",  u"procd", u"procs", u"rep",
        u"ret",   u"sclp",   u"struc", u"swlp", u"whi",   u"wid",   u"mb",    u"openwindow(",
        u"event", u"button", u"smap",  u"ign",  u"slist", u"for"};
    for (const auto& name : names)
        EXPECT_TRUE(store::findShortcut(loaded.shortcuts, name));
    // Trimmed by the reading: the one trailing space of "ret" is lost.
    EXPECT_EQ(*store::findShortcut(loaded.shortcuts, u"ret"), u"ProcedureReturn");
    EXPECT_EQ(*store::findShortcut(loaded.shortcuts, u"for"),
              u"For %var=i = %min=0 To %max=99 \u00A4Next");
    EXPECT_EQ(*store::findShortcut(loaded.shortcuts, u"mb"),
              u"MessageRequester(%Title=\"Info\", %Text=\"Message\", %Flags=)");
    EXPECT_FALSE(store::findShortcut(loaded.shortcuts, u"If"));
    expectSettings(loaded.settings, kDefaultSettings);
    EXPECT_EQ(readBytes(path), kDefaultFile); // loading never writes

    // A start that may not write the file has the same library in memory, from no file.
    store::ShortcutStore inMemory;
    store::PopupSettings inMemorySettings{1, 0, 1, 0};
    store::loadDefaultShortcuts(inMemory, inMemorySettings);
    EXPECT_EQ(contents(inMemory), contents(loaded.shortcuts));
    expectSettings(inMemorySettings, kDefaultSettings);
    EXPECT_FALSE(inMemory.stamp.file.exists);
}

TEST(ShortcutStoreLoad, PopupSettingsTakeDefaultsAndLimits) {
    struct Case {
        const char* title;
        std::string popup;
        store::PopupSettings expected;
    };
    const Case cases[] = {
        {"all missing", "", kDefaultSettings},
        {"empty group", "[Popup]\n", kDefaultSettings},
        {"stored values",
         "[Popup]\nOpacity=200\nShadow=0\nSlideIn=300\nFadeOut=0\n",
         {.opacity = 200, .shadow = 0, .slideIn = 300, .fadeOut = 0}},
        {"SlideIn 0 and Opacity 999",
         "[Popup]\nSlideIn = 0\nOpacity = 999\n",
         {.opacity = 255, .slideIn = 1}},
        {"Opacity 0 and SlideIn 900",
         "[Popup]\nOpacity = 0\nSlideIn = 900\n",
         {.opacity = 1, .slideIn = 500}},
        {"Opacity 300", "[popup]\nopacity = 300\n", {.opacity = 255}},
        {"negative values",
         "[Popup]\nOpacity=-5\nSlideIn=-1\nShadow=-3\nFadeOut=-9\n",
         {.opacity = 1, .shadow = -3, .slideIn = 1, .fadeOut = -9}},
        {"values without digits",
         "[Popup]\nOpacity = x\nShadow = on\nSlideIn =\nFadeOut = $1\n",
         {.opacity = 1, .shadow = 0, .slideIn = 1, .fadeOut = 0}},
        {"Shadow and FadeOut unlimited",
         "[Popup]\nShadow = 77\nFadeOut = 2147483647\n",
         {.shadow = 77, .fadeOut = 2147483647}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const auto path = folder / store::kPreferenceFileName;
        writeBytes(path, "[Shortcuts]\na = 1\n" + c.popup);
        const Loaded loaded = load(path);
        expectSettings(loaded.settings, c.expected);
    }
}

TEST(ShortcutStoreLoad, NamesAreExactAndTheLaterLineWins) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, "top = not a shortcut\n"
                     "[shortcuts]\n"
                     "If = upper\n"
                     "if = lower\n"
                     "; comment\n"
                     "dup = first\n"
                     "dup = second\n"
                     "  pad  =  \t padded \t \n"
                     "[Popup]\n"
                     "Opacity = 9\n"
                     "[Shortcuts]\n"
                     "late = never read\n");
    const Loaded loaded = load(path);
    EXPECT_EQ(contents(loaded.shortcuts),
              (std::map<std::u16string, std::u16string>{
                  {u"If", u"upper"}, {u"if", u"lower"}, {u"dup", u"second"}, {u"pad", u"padded"}}));
}

// Files a hand or another program could leave: the loader must read each exactly as the
// file's group and key operations do.
TEST(ShortcutStoreLoad, ReadsWhatTheFileOperationsRead) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::pair<const char*, std::string> cases[] = {
        {"Latin-1 without a byte-order mark", "[Shortcuts]\nk\xE9 = caf\xE9\n"},
        {"later lines win, names keep their case",
         "[Shortcuts]\nIf = upper\nif = lower\ndup = first\n dup\t= second\n"},
        {"names that are not UTF-8 read alike",
         bom + "[Shortcuts]\n\xFF = one\n\xFE = two\nok\xC3 = x\n\xC0\xAF = overlong\n"
               "\xED\xA0\x80 = surrogate\n"},
        {"CR line ends and no last line end", "[Shortcuts]\ra = 1\r\rb = 2"},
        {"key lines without = and with an empty name", "[Shortcuts]\nlonely  \n= v\n  x y  \n"},
        {"values holding = and blanks", "[Shortcuts]\na = b = c \t\n\tt\t=\t\tx\ty\t\t\n"},
        {"group line without ]", "[Shortcuts\na = 1\n[Popup\nOpacity = 7\n"},
        {"second groups, keys before any group, first Popup key wins",
         "a = top\n[Popup]\nOpacity = 5\nopacity = 6\n[SHORTCUTS]\nb = 1\n[Popup]\nShadow = 0\n"
         "[Shortcuts]\nc = late\n"},
        {"comments and blank lines inside the group",
         bom + "\r\n[Shortcuts]\r\n; a = no\r\n   \r\n\t\r\nd = \xC2\xA4\r\n"},
        {"no Shortcuts group", "[Other]\na = 1\n"},
        {"an empty file", ""},
    };
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    for (const auto& [title, bytes] : cases) {
        SCOPED_TRACE(title);
        writeBytes(path, bytes);
        store::PopupSettings expectedSettings;
        const auto expected = storemodel::loadByFileOperations(u16(path), expectedSettings);
        const Loaded loaded = load(path);
        EXPECT_EQ(contents(loaded.shortcuts), expected);
        EXPECT_EQ(store::shortcutCount(loaded.shortcuts), expected.size());
        for (const auto& [name, templateText] : expected)
            EXPECT_EQ(store::findShortcut(loaded.shortcuts, name), templateText);
        expectSettings(loaded.settings, expectedSettings);
        // One name looked up while the file is read, as an expansion does it.
        for (const auto& [name, templateText] : expected) {
            store::PopupSettings settings;
            EXPECT_EQ(store::readOneShortcut(u16(path), name, settings), templateText);
            expectSettings(settings, expectedSettings);
        }
        store::PopupSettings settings;
        EXPECT_EQ(store::readOneShortcut(u16(path), u"absent\uFFFD", settings), std::nullopt);
        EXPECT_EQ(readBytes(path), bytes);
    }
}

// A lookup reads the file in pieces: lines of every length up to beyond a piece, with CR, LF and
// CR LF ends, so that pieces end inside names, values and line ends.
TEST(ShortcutStoreLoad, OneNameReadInPiecesIsWhatTheWholeLoadReads) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    for (const std::string mark : {"\xEF\xBB\xBF", ""}) {
        SCOPED_TRACE(mark.empty() ? "Latin-1" : "UTF-8");
        std::string bytes = mark;
        bytes.append("[Shortcuts]\rdup = first\n");
        for (int i = 0; i < 3000; ++i) {
            bytes.append("n").append(std::to_string(i)).append(" = ");
            bytes.append(size_t(i * 37 % 500), 'v').append(mark.empty() ? "\xE9" : "\xC3\xA9");
            bytes.append(i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
        }
        bytes.append("long = ").append(70000, 'x').append("\ndup = last\n[Popup]\nOpacity = 7\n");
        writeBytes(path, bytes);
        const Loaded loaded = load(path);
        std::vector<std::u16string> names = {u"long", u"dup", u"n2999", u"absent"};
        for (int i = 0; i < 3000; i += 37)
            names.push_back(text::utf8ToUtf16(std::string("n").append(std::to_string(i))));
        for (const std::u16string& name : names) {
            store::PopupSettings settings;
            EXPECT_EQ(store::readOneShortcut(u16(path), name, settings),
                      store::findShortcut(loaded.shortcuts, name));
            expectSettings(settings, loaded.settings);
        }
    }
}

TEST(ShortcutStoreLoad, UnreadableFileGivesAnEmptyStoreAndDefaults) {
    TempFolder folder;
    Loaded loaded;
    store::setShortcut(loaded.shortcuts, u"stale", u"x");
    loaded.settings.opacity = 3;
    store::loadShortcutsFrom(u16(folder / "missing.pref"), loaded.shortcuts, loaded.settings);
    EXPECT_EQ(store::shortcutCount(loaded.shortcuts), 0u);
    expectSettings(loaded.settings, kDefaultSettings);
    loaded.settings.opacity = 3;
    EXPECT_EQ(store::readOneShortcut(u16(folder / "missing.pref"), u"a", loaded.settings),
              std::nullopt);
    expectSettings(loaded.settings, kDefaultSettings);
    EXPECT_FALSE(fs::exists(folder / "missing.pref"));
}

TEST(ShortcutStoreLoad, FolderNamedLikeTheFileCountsAsExistingAndReadsEmpty) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    fs::create_directory(path);
    EXPECT_TRUE(store::preferencePathExists(u16(path)));
    EXPECT_FALSE(store::writeDefaultFile(u16(path)));
    const Loaded loaded = load(path);
    EXPECT_EQ(store::shortcutCount(loaded.shortcuts), 0u);
    expectSettings(loaded.settings, kDefaultSettings);
    EXPECT_FALSE(store::saveShortcutIn(u16(path), u"a", u"b"));
    EXPECT_FALSE(store::renameShortcutIn(u16(path), u"a", u"c", u"b"));
    EXPECT_TRUE(store::removeShortcutIn(u16(path), u"a")); // nothing there to remove
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(ShortcutStoreWrites, ChangesLandWhereTheFileRulesPutThem) {
    struct Case {
        const char* title;
        Write write;
        std::vector<std::pair<size_t, std::string>> changedLines; // 1-based, after the change
        size_t lineCount;
    };
    const Case cases[] = {
        {"a new Shortcut goes after line 27 and before [Popup]",
         save(u"new", u"A\u00A4B"),
         {{27, "; "}, {28, "new = A\u00A4B"}, {29, "[Popup]"}},
         37},
        {"saving \"if\" updates its line in place",
         save(u"if", u"If x"),
         {{7, "gid = GadgetID(%Id=0)"},
          {8, "if = If x"},
          {9, "proc = Procedure \u00A4EndProcedure"}},
         36},
        {"removing deletes the line",
         removal(u"gid"),
         {{6, "enu = Enumeration \u00A4EndEnumeration"}, {7, "if = If \u00A4EndIf"}},
         35},
        {"renaming moves the Shortcut to the end of the group",
         rename(u"dll", u"lib", u"T"),
         {{4, "[Shortcuts]"},
          {5, "enu = Enumeration \u00A4EndEnumeration"},
          {26, "; "},
          {27, "lib = T"},
          {28, "[Popup]"}},
         36},
        {"renaming onto a name that exists takes that line's place",
         rename(u"dll", u"for", u"T"),
         {{25, "for = T"}, {26, "; "}, {27, "[Popup]"}},
         35},
        {"a template's line breaks become the separator",
         save(u"ret", u"a\r\nb\nc\rd\r\n"),
         {{13, "ret = a\u00A4b\u00A4c\u00A4d\xC2\xA4"}},
         36},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        const auto path = folder / store::kPreferenceFileName;
        fs::remove(path);
        ASSERT_TRUE(store::writeDefaultFile(u16(path)));
        EXPECT_TRUE(c.write(u16(path)));
        const auto lines = fileLines(readBytes(path));
        ASSERT_EQ(lines.size(), c.lineCount);
        for (const auto& [number, text] : c.changedLines)
            EXPECT_EQ(lines[number - 1], text) << "line " << number;
    }
}

// What the manager saves, renames and deletes is what the next load (an expansion) reads: the
// last line of an exact name is the one that counts, and names that differ in case are other
// Shortcuts. Lines nothing reads, comments and other groups keep their bytes.
TEST(ShortcutStoreWrites, DuplicateAndCaseTwinLinesAreHandledAsTheLoadReadsThem) {
    const std::string start = kBom + "; mine\r\n[Shortcuts]\r\n";
    const std::string end = "[Popup]\r\nOpacity = 200\r\n; kept\r\n[Shortcuts]\r\ndup = other\r\n";
    struct Case {
        const char* title;
        std::string lines; // of the first Shortcuts group, before
        Write write;
        std::string expected; // the same lines after
        std::u16string name;  // what the next load then finds under this name
        std::optional<std::u16string> found;
    };
    const Case cases[] = {
        {"a save writes the later of two lines", "dup = A\r\nx = 1\r\ndup = B\r\n",
         save(u"dup", u"C"), "dup = A\r\nx = 1\r\ndup = C\r\n", u"dup", u"C"},
        {"a delete leaves no line of the name", "dup = A\r\nx = 1\r\ndup = B\r\n", removal(u"dup"),
         "x = 1\r\n", u"dup", std::nullopt},
        {"a rename takes every line of the old name", "dup = A\r\ndup = B\r\nx = 1\r\n",
         rename(u"dup", u"d", u"B"), "x = 1\r\nd = B\r\n", u"dup", std::nullopt},
        {"a new name beside its case twin is a line of its own", "Zed = Keep me\r\n",
         save(u"zed", u"new"), "Zed = Keep me\r\nzed = new\r\n", u"Zed", u"Keep me"},
        {"saving one twin leaves the other", "Zed = Keep me\r\nzed = old\r\n", save(u"zed", u"new"),
         "Zed = Keep me\r\nzed = new\r\n", u"Zed", u"Keep me"},
        {"deleting one twin leaves the other", "zed = old\r\nZed = Keep me\r\n", removal(u"zed"),
         "Zed = Keep me\r\n", u"Zed", u"Keep me"},
        {"renaming onto a twin's name in other case leaves the twin", "a = 1\r\nZed = Keep me\r\n",
         rename(u"a", u"zed", u"1"), "Zed = Keep me\r\nzed = 1\r\n", u"zed", u"1"},
    };
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        writeBytes(path, start + c.lines + end);
        EXPECT_TRUE(c.write(u16(path)));
        EXPECT_EQ(readBytes(path), start + c.expected + end);
        EXPECT_EQ(store::findShortcut(load(path).shortcuts, c.name), c.found);
    }
}

// The whole file before and after one write; none is no file.
TEST(ShortcutStoreWrites, WholeFileBytesAfterAWrite) {
    const std::string notUtf8 = kBom + "[Shortcuts]\r\nx\xFF = bad\r\nok = 1\r\n";
    const std::string byHand = ";by hand\n\n[Shortcuts]\na=\xA4\n"; // any rewrite changes it
    struct Case {
        const char* title;
        std::optional<std::string> before;
        Write write;
        std::optional<std::string> after;
    };
    const Case cases[] = {
        {"saving a name that is not UTF-8 by the name shown", notUtf8, save(u"x\uFFFD", u"good"),
         kBom + "[Shortcuts]\r\nx\xEF\xBF\xBD = good\r\nok = 1\r\n"},
        {"renaming a name that is not UTF-8", notUtf8, rename(u"x\uFFFD", u"y", u"bad"),
         kBom + "[Shortcuts]\r\nok = 1\r\ny = bad\r\n"},
        {"removing a name that is not UTF-8", notUtf8, removal(u"x\uFFFD"),
         kBom + "[Shortcuts]\r\nok = 1\r\n"},
        {"removing a missing name leaves the file untouched", byHand, removal(u"b"), byHand},
        {"removing with no Shortcuts group creates none", "[Popup]\na = 1\n", removal(u"a"),
         "[Popup]\na = 1\n"},
        {"an empty file takes a save", "", save(u"a", u"b"), kBom + "[Shortcuts]\r\na = b\r\n"},
        {"removing from a vanished file creates none", std::nullopt, removal(u"for"), std::nullopt},
        {"saving to a vanished file creates it", std::nullopt, save(u"for", u"For\u00A4Next"),
         kBom + "[Shortcuts]\r\nfor = For\xC2\xA4Next\r\n"},
        {"renaming in a vanished file creates it", std::nullopt,
         rename(u"for", u"loop", u"For\u00A4Next"),
         kBom + "[Shortcuts]\r\nloop = For\xC2\xA4Next\r\n"},
    };
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    // A name whose bytes are not UTF-8 is shown with U+FFFD; that name must reach its line.
    writeBytes(path, notUtf8);
    EXPECT_EQ(store::findShortcut(load(path).shortcuts, u"x\uFFFD"), u"bad");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        fs::remove(path);
        if (c.before)
            writeBytes(path, *c.before);
        EXPECT_TRUE(c.write(u16(path)));
        EXPECT_EQ(fs::exists(path), c.after.has_value());
        if (c.after) {
            EXPECT_EQ(readBytes(path), *c.after);
        }
    }
}

// The manager's change: written whole with the Popup values as read when the file vanished, and
// stamped from the bytes written, so that only another program's write reads as a change.
TEST(ShortcutStoreWrites, ChangeToAVanishedLibraryWritesItWholeAndStampsWhatItWrote) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    writeBytes(path, "[Shortcuts]\na = 1\nb = 2\n[Popup]\nOpacity = 100\nSlideIn = 900\n");
    Loaded loaded = load(path);
    expectSettings(loaded.settings, {.opacity = 100, .slideIn = 500});
    fs::remove(path);
    store::setShortcut(loaded.shortcuts, u"c", u"3");
    // Names no list row could hold whole: every Shortcut of the library is written, by name.
    store::setShortcut(loaded.shortcuts, std::u16string(u"n\0ul", 4), u"4");
    store::setShortcut(loaded.shortcuts, std::u16string((1 << 20) + 1, u'Z'), u"5");
    store::setShortcut(loaded.shortcuts, u"B", u"6");
    using Kind = store::ShortcutChange::Kind;
    ASSERT_TRUE(
        store::writeShortcutChange(u16(path), loaded.shortcuts, {Kind::Save, u"c", {}, u"3"}));
    std::string expected = kDefaultFile.substr(0, kDefaultFile.find("[Shortcuts]\r\n") + 13) +
                           "a = 1\r\nB = 6\r\nb = 2\r\nc = 3\r\n" +
                           std::string("n\0ul = 4\r\n", 10) + std::string((1 << 20) + 1, 'Z') +
                           " = 5\r\n" + kDefaultFile.substr(kDefaultFile.find("; \r\n[Popup]"));
    expected.replace(expected.find("Opacity = 245"), 13, "Opacity = 100");
    expected.replace(expected.find("SlideIn = 10\r"), 12, "SlideIn = 900");
    EXPECT_TRUE(readBytes(path) == expected);
    EXPECT_EQ(store::checkLibrary(u16(path), loaded.shortcuts.stamp),
              store::LibraryState::Unchanged);

    ASSERT_TRUE(
        store::writeShortcutChange(u16(path), loaded.shortcuts, {Kind::Remove, u"a", {}, {}}));
    expected.erase(expected.find("a = 1"), 7);
    EXPECT_TRUE(readBytes(path) == expected);
    EXPECT_EQ(store::checkLibrary(u16(path), loaded.shortcuts.stamp),
              store::LibraryState::Unchanged);
    const auto written = fs::last_write_time(path);
    expected.replace(expected.find("c = 3"), 5, "c = 4");
    writeBytes(path, expected);
    fs::last_write_time(path, written);
    EXPECT_EQ(store::checkLibrary(u16(path), loaded.shortcuts.stamp), store::LibraryState::Changed);
}

// The predicate is checked against the file format itself: a storable name reads back as
// itself, any other name does not.
TEST(ShortcutStoreNames, StorableNamesAreExactlyThoseThatReadBackAsThemselves) {
    const std::pair<std::u16string, bool> cases[] = {
        {u"proc", true},
        {u"openwindow(", true},
        {u"If", true},
        {u"a b", true},
        {u"x;[y]", true},
        {u"\u00A4\u00FC\u4E2D", true},
        {u"\U0001F600", true},
        {u"", false},
        {u"a=b", false},
        {u"=", false},
        {u";c", false},
        {u"[g]", false},
        {u" lead", false},
        {u"trail\t", false},
        {u"\tx", false},
        {u"x ", false},
        {u"two\r\nlines", false},
        {u"lf\n", false},
        {u"cr\rx", false},
        {std::u16string{char16_t(0xD800), u'x'}, false},
        {std::u16string{u'x', char16_t(0xDC00)}, false},
    };
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    for (const auto& [name, storable] : cases) {
        SCOPED_TRACE(text::utf16ToUtf8(name));
        EXPECT_EQ(store::isStorableShortcutName(name), storable);
        if (name.empty())
            continue; // the format holds an empty key, but no Shortcut has an empty name
        fs::remove(path);
        ASSERT_TRUE(store::saveShortcutIn(u16(path), name, u"T"));
        const Loaded loaded = load(path);
        // Compared as loaded: a lookup would read an unpaired surrogate as U+FFFD too.
        EXPECT_EQ(contents(loaded.shortcuts).count(name), storable ? 1u : 0u);
        EXPECT_LE(store::shortcutCount(loaded.shortcuts), 1u); // never more than one line
    }
}

TEST(ShortcutStoreMap, LookUpSetRemoveAreExact) {
    store::ShortcutStore shortcuts;
    store::setShortcut(shortcuts, u"if", u"a");
    store::setShortcut(shortcuts, u"If", u"b");
    store::setShortcut(shortcuts, u"if", u"c");
    EXPECT_EQ(store::shortcutCount(shortcuts), 2u);
    EXPECT_EQ(*store::findShortcut(shortcuts, u"if"), u"c");
    EXPECT_EQ(*store::findShortcut(shortcuts, u"If"), u"b");
    EXPECT_FALSE(store::findShortcut(shortcuts, u"IF"));
    EXPECT_FALSE(store::eraseShortcut(shortcuts, u"IF"));
    EXPECT_TRUE(store::eraseShortcut(shortcuts, u"If"));
    EXPECT_EQ(contents(shortcuts), (std::map<std::u16string, std::u16string>{{u"if", u"c"}}));
}

// Loaded lines and set records mixed, through growth and removals that move the rest of a
// probe run: the table must agree with an ordinary map after every step.
TEST(ShortcutStoreMap, AgreesWithAMapThroughGrowthAndRemovals) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    std::string file = "[Shortcuts]\n";
    std::map<std::u16string, std::u16string> expected;
    // Appended rather than "n" + std::to_string(...), which GCC 12 misreads as an overlap.
    const auto numbered = [](const char* prefix, unsigned number) {
        return std::string(prefix).append(std::to_string(number));
    };
    for (unsigned i = 0; i < 3000; ++i) {
        const std::string name = numbered("n", i * 7919 % 5003);
        const std::string templateText = numbered("line ", i);
        file.append(name).append(" = ").append(templateText).append("\n");
        expected[u16(name)] = u16(templateText);
    }
    file.append("n\xE9 = beyond ASCII\n"); // a file without the mark is Latin-1
    expected[u"n\u00E9"] = u"beyond ASCII";
    writeBytes(path, file);
    Loaded loaded = load(path);
    store::ShortcutStore& shortcuts = loaded.shortcuts;
    ASSERT_EQ(contents(shortcuts), expected);

    std::mt19937 random(7);
    for (unsigned step = 0; step < 20000; ++step) {
        const std::u16string name = u16(numbered("n", random() % 6000));
        switch (random() % 3) {
        case 0: {
            const std::u16string templateText = u16(numbered("set ", step));
            store::setShortcut(shortcuts, name, templateText);
            expected[name] = templateText;
            break;
        }
        case 1:
            EXPECT_EQ(store::eraseShortcut(shortcuts, name), expected.erase(name) == 1);
            break;
        default: {
            const auto found = expected.find(name);
            const auto stored = store::findShortcut(shortcuts, name);
            ASSERT_EQ(stored.has_value(), found != expected.end()) << step;
            if (stored) {
                EXPECT_EQ(*stored, found->second);
            }
        }
        }
        ASSERT_EQ(store::shortcutCount(shortcuts), expected.size());
    }
    EXPECT_EQ(contents(shortcuts), expected);
    // Every name once, lines and records alike, as the picker and the manager list them.
    store::setShortcut(shortcuts, u"r\u00E9cord", u"x");
    expected[u"r\u00E9cord"] = u"x";
    std::vector<std::u16string> names, expectedNames;
    store::forEachShortcutName(shortcuts,
                               [&names](std::u16string_view name) { names.emplace_back(name); });
    std::sort(names.begin(), names.end());
    for (const auto& entry : expected)
        expectedNames.push_back(entry.first);
    EXPECT_EQ(names, expectedNames);
    for (const auto& [name, templateText] : expected)
        EXPECT_TRUE(store::eraseShortcut(shortcuts, name));
    EXPECT_EQ(store::shortcutCount(shortcuts), 0u);
    EXPECT_TRUE(contents(shortcuts).empty());
}

TEST(ShortcutStoreWorkingDirectory, StartUpAndManagerCallsUseZendrikPref) {
    TempFolder folder;
    storetest::WorkingDirectory inFolder(folder.path());
    EXPECT_FALSE(store::preferencePathExists(store::kPreferenceFileName));
    ASSERT_TRUE(store::writeDefaultFile(store::kPreferenceFileName));
    EXPECT_EQ(readBytes(folder / store::kPreferenceFileName), kDefaultFile);
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcuts(shortcuts, settings);
    EXPECT_EQ(store::shortcutCount(shortcuts), 22u);
    EXPECT_TRUE(store::saveShortcut(u"new", u"N"));
    EXPECT_TRUE(store::renameShortcut(u"new", u"newer", u"N"));
    EXPECT_TRUE(store::removeShortcut(u"dll"));
    store::loadShortcuts(shortcuts, settings);
    EXPECT_EQ(store::shortcutCount(shortcuts), 22u);
    EXPECT_EQ(*store::findShortcut(shortcuts, u"newer"), u"N");
    EXPECT_FALSE(store::findShortcut(shortcuts, u"new"));
    EXPECT_FALSE(store::findShortcut(shortcuts, u"dll"));
}

} // namespace
