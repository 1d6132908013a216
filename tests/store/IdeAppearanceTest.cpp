#include "store/IdeAppearance.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace {

using namespace storetest;

struct AppearanceCase {
    const char* name;
    std::optional<std::string> bytes; // nullopt: no file; "<folder>": a folder of that name
    store::IdeAppearance expected;
};

void PrintTo(const AppearanceCase& c, std::ostream* out) {
    *out << c.name;
}

// The IDE look's defaults are the product's own; a case names only what it changes.
const store::IdeAppearance kDefaults{};

// A dark IDE look as the IDE writes it: other groups around, keys in its own order.
const std::string kDarkEditor = "[Global]\r\nLanguage = English\r\n"
                                "[Editor]\r\nBackgroundColor = 2105376\r\n"
                                "NormalTextColor = 14737632\r\nEditorFontName = Consolas\r\n"
                                "EditorFontSize = 11\r\nSelectionColor = 6908265\r\n"
                                "SelectionFrontColor = 16777215\r\n"
                                "[Debugger]\r\nBackgroundColor = 1\r\n";

std::string hugeGarbage() {
    std::string bytes(24u << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 7919u) >> 3);
    return bytes;
}

class IdeAppearanceFile : public testing::TestWithParam<AppearanceCase> {};

TEST_P(IdeAppearanceFile, GivesItsValuesOrTheDefaultsAndStaysUnchanged) {
    const AppearanceCase& c = GetParam();
    TempFolder appData;
    const fs::path folder = appData / "purebasic";
    fs::create_directory(folder);
    const fs::path file = folder / "purebasic.prefs";
    if (c.bytes == "<folder>")
        fs::create_directory(file);
    else if (c.bytes)
        writeBytes(file, *c.bytes);

    const store::IdeAppearance read =
        store::readIdeAppearance(store::ideAppearancePath(u16(appData.path())));
    EXPECT_EQ(read.editorFontName, c.expected.editorFontName);
    EXPECT_EQ(read.editorFontSize, c.expected.editorFontSize);
    EXPECT_EQ(read.backgroundColor, c.expected.backgroundColor);
    EXPECT_EQ(read.normalTextColor, c.expected.normalTextColor);
    EXPECT_EQ(read.selectionColor, c.expected.selectionColor);
    EXPECT_EQ(read.selectionFrontColor, c.expected.selectionFrontColor);

    // The IDE's file is never written, created or replaced.
    if (!c.bytes)
        EXPECT_FALSE(fs::exists(file));
    else if (c.bytes == "<folder>")
        EXPECT_TRUE(fs::is_directory(file));
    else
        EXPECT_TRUE(readBytes(file) == *c.bytes);
}

const AppearanceCase kCases[] = {
    {"NoFile", std::nullopt, kDefaults},
    {"FolderInItsPlace", "<folder>", kDefaults},
    {"EmptyFile", "", kDefaults},
    {"NoEditorGroup", "[Global]\r\nEditorFontSize = 20\r\n", kDefaults},
    {"DarkLook", kDarkEditor, {u"Consolas", 11, 2105376, 14737632, 6908265, 16777215}},
    {"LowerCaseGroupAndKeys",
     "[editor]\r\neditorfontname =  Lucida Console  \r\nbackgroundcolor=7\r\n",
     {.editorFontName = u"Lucida Console", .backgroundColor = 7}},
    {"MissingKeysKeepTheirDefaults",
     "[Editor]\r\nSelectionColor = 255\r\n",
     {.selectionColor = 255}},
    {"ByteOrderMarkMeansUtf8",
     "\xEF\xBB\xBF[Editor]\r\nEditorFontName = Cons\xC3\xB6las\r\n",
     {.editorFontName = u"Cons\u00F6las"}},
    {"NoByteOrderMarkMeansLatin1",
     "[Editor]\nEditorFontName = Cons\xF6las\n",
     {.editorFontName = u"Cons\u00F6las"}},
    {"ValuesWithoutDigitsReadAsZero",
     "[Editor]\r\nEditorFontSize = big\r\nBackgroundColor =\r\n"
     "EditorFontName =\r\n",
     {.editorFontName = u"", .editorFontSize = 0, .backgroundColor = 0}},
    {"SizesAndColoursAsStored",
     "[Editor]\r\nEditorFontSize = -5\r\nNormalTextColor = 99999999999\r\n"
     "SelectionColor = -1\r\n",
     {.editorFontSize = -5, .normalTextColor = 2147483647, .selectionColor = -1}},
    {"Garbage", std::string("\x00\xFF[Ed\x00itor]\r\n=\r\n[\r\n;;;\x80\x81\r\n", 22), kDefaults},
    {"HugeGarbage", hugeGarbage(), kDefaults},
};

INSTANTIATE_TEST_SUITE_P(All, IdeAppearanceFile, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IdeAppearancePath, AppendsToAppDataAsItStands) {
    EXPECT_EQ(store::ideAppearancePath(u"C:\\Users\\a\\AppData\\Roaming"),
              u"C:\\Users\\a\\AppData\\Roaming/purebasic/purebasic.prefs");
    EXPECT_EQ(store::ideAppearancePath(u""), u"/purebasic/purebasic.prefs");
}

struct EditorLookCase {
    const char* name;
    std::optional<store::EditorStyleAnswers> answers; // nullopt: the IDE started the run
    store::IdeAppearance expected;
};

void PrintTo(const EditorLookCase& c, std::ostream* out) {
    *out << c.name;
}

const store::IdeAppearance kIdeFile{u"Consolas", 11, 0x202020, 0xE0E0E0, 0x696969, 0xFFFFFF};

// A dark SciTE: its default style and an opaque selection of its own.
const store::EditorStyleAnswers kDarkScite{
    "DejaVu Sans Mono", 1400, 14, 0xD0D0D0, 0x1E1E1E, 1, 0xFF00FFFF, 1, 0xFF784F26};

store::EditorStyleAnswers changed(void (*change)(store::EditorStyleAnswers&)) {
    store::EditorStyleAnswers answers = kDarkScite;
    change(answers);
    return answers;
}

class EditorLook : public testing::TestWithParam<EditorLookCase> {};

TEST_P(EditorLook, TakesEachSensibleAnswerAndTheIdeFileForTheRest) {
    const EditorLookCase& c = GetParam();
    const store::IdeAppearance look = store::editorLook(c.answers, kIdeFile);
    EXPECT_EQ(look.editorFontName, c.expected.editorFontName);
    EXPECT_EQ(look.editorFontSize, c.expected.editorFontSize);
    EXPECT_EQ(look.backgroundColor, c.expected.backgroundColor);
    EXPECT_EQ(look.normalTextColor, c.expected.normalTextColor);
    EXPECT_EQ(look.selectionColor, c.expected.selectionColor);
    EXPECT_EQ(look.selectionFrontColor, c.expected.selectionFrontColor);
}

const store::IdeAppearance kSciteLook{
    u"DejaVu Sans Mono", 14, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF};

const EditorLookCase kEditorLookCases[] = {
    {"StartedByTheIde", std::nullopt, kIdeFile},
    {"EditorsOwnLook", kDarkScite, kSciteLook},
    {"NoAnswerAtAll", store::EditorStyleAnswers{}, kIdeFile},
    {"TranslucentSelectionOverTheBackground",
     changed([](auto& a) { a.backgroundColour = 0, a.selectionBackColour = -0x7F000001; }),
     {u"DejaVu Sans Mono", 14, 0, 0xD0D0D0, 0x808080, 0x00FFFF}},
    {"OldEditorWithoutElementsOrFractionalSizes",
     changed([](auto& a) {
         a.sizeHundredths = 0, a.sizePoints = 12, a.selectionTextSet = 0, a.selectionBackSet = 0;
     }),
     {u"DejaVu Sans Mono", 12, 0x1E1E1E, 0xD0D0D0, 0x4A4A4A, 0xD0D0D0}},
    {"FractionalSizeRounded",
     changed([](auto& a) { a.sizeHundredths = 1050; }),
     {u"DejaVu Sans Mono", 11, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"NonsenseSizesAndFont",
     changed([](auto& a) { a.fontName = "", a.sizeHundredths = 7300, a.sizePoints = -3; }),
     {u"Consolas", 11, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"AbsurdPointSizeWithoutFractional",
     changed([](auto& a) { a.sizeHundredths = std::nullopt, a.sizePoints = 100000; }),
     {u"DejaVu Sans Mono", 11, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"FontNameNoWindowsFontCanHave",
     changed([](auto& a) { a.fontName = "Thirty-two characters long name!"; }),
     {u"Consolas", 14, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"FontNameNotUtf8",
     changed([](auto& a) { a.fontName = "Cons\xF6las"; }),
     {u"Consolas", 14, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"FontNameInUtf8",
     changed([](auto& a) { a.fontName = "Cons\xC3\xB6las"; }),
     {u"Cons\u00F6las", 14, 0x1E1E1E, 0xD0D0D0, 0x784F26, 0x00FFFF}},
    {"NonsenseColoursKeepTheIdeFilesSelectionToo",
     changed([](auto& a) {
         a.textColour = -1, a.backgroundColour = 0x1000000, a.selectionTextColour = std::nullopt,
         a.selectionBackSet = std::nullopt;
     }),
     {u"DejaVu Sans Mono", 14, 0x202020, 0xE0E0E0, 0x696969, 0xFFFFFF}},
};

INSTANTIATE_TEST_SUITE_P(All, EditorLook, testing::ValuesIn(kEditorLookCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
