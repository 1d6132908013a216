// End to end: the real Zendrik.exe, started by the stand-in IDE (IdeHost.exe) exactly as the
// IDE starts a tool, works on a real Scintilla editor in the host's process. Both programs
// are found beside this test program. Each case runs Zendrik.exe from a fresh folder of its
// own, with the preference file the case writes there (or none, for the default file), and
// compares the editor's bytes and caret afterwards; the host then undoes once and reports
// the editor again. What an expansion makes of the text alone is checked natively
// (DocumentTable in tests/idelink/TemplateExpansionTest.cpp); these cases hold what only the
// running programs show.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/AppState.h"
#include "base/OwnedHandles_win.h"
#include "base/TextConvert.h"
#include "dpi/LogPixelsSetting.h"
#include "e2e/support/StandInIde.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using endtoend::fact;
using endtoend::factNumbers;
using endtoend::fileExists;
using endtoend::HostReport;
using endtoend::kCaret;
using endtoend::preferenceFileIn;
using endtoend::programFolder;
using endtoend::readBytes;
using endtoend::runHost;
using endtoend::ScratchFolder;
using endtoend::withCaret;
using endtoend::writeBytes;

// Shortcuts of a file the tests write themselves; "¤" separates template lines.
constexpr char kOwnShortcuts[] = "\xEF\xBB\xBF\r\n"
                                 "[Shortcuts]\r\n"
                                 "if = If ¤EndIf\r\n"
                                 "sig = ; Grüße ¤; — Ende ¤\r\n";

// A Shortcut whose template holds a character that code page 1252 has no byte for.
constexpr char kOmegaShortcut[] = "\xEF\xBB\xBF\r\n"
                                  "[Shortcuts]\r\n"
                                  "om = x = \xCE\xA9\r\n";

// Templates with directives: today's date in the default picture and in one of the user's
// own, and the clipboard's text.
constexpr char kDirectiveShortcuts[] = "\xEF\xBB\xBF\r\n"
                                       "[Shortcuts]\r\n"
                                       "today = ; %(date) %(date:dd.MM.yyyy)\r\n"
                                       "c = x = %(clip)\r\n";

// A field written again in another case, and one template inside another, its field in the
// popup.
constexpr char kFieldCopyShortcuts[] =
    "\xEF\xBB\xBF\r\n"
    "[Shortcuts]\r\n"
    "st = const [%name=count, set%(cap:name)] = useState(%init=0) // %(const:name)\r\n"
    "if = If %cond=a \xC2\xA4"
    "EndIf\r\n"
    "fi = %(use:if)\r\n";

// The text as it reads on the day: {yyyy}, {MM} and {dd} stand for its year, month and day.
std::string onDay(std::string text, const SYSTEMTIME& day) {
    const auto put = [&text](std::string_view token, const char* format, int value) {
        char number[8];
        std::snprintf(number, sizeof number, format, value);
        for (size_t at = text.find(token); at != std::string::npos; at = text.find(token))
            text.replace(at, token.size(), number);
    };
    put("{yyyy}", "%04d", day.wYear);
    put("{MM}", "%02d", day.wMonth);
    put("{dd}", "%02d", day.wDay);
    return text;
}

SYSTEMTIME today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now;
}

// Another program's text on the clipboard, as the user copied it there before the run.
bool putOnClipboard(std::wstring_view text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (!block)
        return false;
    auto* units = static_cast<wchar_t*>(GlobalLock(block));
    text.copy(units, text.size());
    units[text.size()] = L'\0';
    GlobalUnlock(block);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!placed)
        GlobalFree(block);
    CloseClipboard();
    return placed;
}

// Where the popup must stand on the 1280 x 800 screen.
enum class PopupPlace {
    AtTheCaret,        // 4 pixels right of the caret (1 after "("), 1 above its line's top
    BelowTheLine,      // at the screen's right edge, 1 pixel below the caret's line
    AtTheScreenBottom, // too tall for either side of the line: its bottom on the screen's
};

// One Shortcut with 60 placeholders, A(%p1=1, ..., %p60=60), and the 60 Returns that accept
// their defaults.
std::string sixtyPlaceholders() {
    std::string file = "\xEF\xBB\xBF\r\n[Shortcuts]\r\nsixty = A(";
    for (int i = 1; i <= 60; ++i)
        file += (i > 1 ? ", %p" : "%p") + std::to_string(i) + "=" + std::to_string(i);
    return file + ")\r\n";
}
std::string sixtyDefaults() {
    std::string text = "A(";
    for (int i = 1; i <= 60; ++i)
        text += (i > 1 ? ", " : "") + std::to_string(i);
    return text + ")<|>";
}
std::wstring repeated(const std::wstring& keys, int times) {
    std::wstring all;
    for (int i = 0; i < times; ++i)
        all += keys;
    return all;
}
const std::string kSixtyPlaceholders = sixtyPlaceholders();
// One placeholder more than a popup takes.
std::string tooManyPlaceholders() {
    std::string file = "\xEF\xBB\xBF\r\n[Shortcuts]\r\nmany = M(";
    for (int i = 1; i <= 501; ++i)
        file += (i > 1 ? ", %q" : "%q") + std::to_string(i);
    return file + ")\r\n";
}
const std::string kTooManyPlaceholders = tooManyPlaceholders();
const std::wstring kSixtyReturns = repeated(L"{ENTER}", 60);

// A line that ends near the right edge of the host's editor, which ends at x = 940 on the
// screen: the caret stands about 900 pixels from the left, where a 632-pixel popup would
// leave the 1280-pixel screen.
const std::string kLongLine = "; " + std::string(86, 'x') + " ";

// An IDE look and a group "Popup" far from every default: DejaVu Sans Mono (a monospaced face
// that Wine finds on these machines) at 20 points, text on
// a background of red CC, green 66, blue 33 (3368652); Opacity 200, no shadow, no fade.
constexpr char kUnusualIdeLook[] = "[Editor]\r\nEditorFontName = DejaVu Sans Mono\r\n"
                                   "EditorFontSize = 20\r\nBackgroundColor = 3368652\r\n"
                                   "NormalTextColor = 16777215\r\nSelectionColor = 0\r\n"
                                   "SelectionFrontColor = 65535\r\n";
constexpr char kUnusualPopupGroup[] = "\xEF\xBB\xBF\r\n[Shortcuts]\r\nlook = L(%v=iiiiWWWW)\r\n"
                                      "[Popup]\r\nOpacity = 200\r\nShadow = 0\r\n"
                                      "SlideIn = 77\r\nFadeOut = 0\r\n";

struct ExpansionCase {
    const char* name;
    const char* preferences; // nullptr: no file, the program writes its default file
    std::string document;    // "<|>" marks the caret
    std::string expected;    // the editor's bytes afterwards, "<|>" at the caret; see onDay
    bool holdExpansionLock = false;
    const wchar_t* keys = nullptr;  // typed into the foreground window while the tool runs
    const wchar_t* typed = nullptr; // typed at the caret before the tool starts
    int popupFields = 0;            // the popup's rows; 0: no popup may show
    const char* ideLook = nullptr;  // the IDE's preference file under APPDATA; "<folder>"
    DWORD dpi = 0;                  // the screen's DPI for this run; 0: as it is
    PopupPlace place = PopupPlace::AtTheCaret;
    bool unusualLook = false;    // the popup must show kUnusualIdeLook and kUnusualPopupGroup
    bool messageInstead = false; // a message box, not a popup, is in front when the keys come
    const wchar_t* clipboard = nullptr; // put on the clipboard before the run
    // The host's document: its code page and its default style's character set; the document
    // and the expected text are in it.
    int codePage = 65001;
    int characterSet = 1; // the default set
    // The popup's preview before the last key, its line breaks as "\n"; nullptr: not checked.
    const char* preview = nullptr;
};

void PrintTo(const ExpansionCase& c, std::ostream* out) {
    *out << c.name;
}

// Sets an environment variable of this process, which the host and the tool inherit, and puts
// it back at the end; nullptr leaves it as it is.
class ScopedVariable {
  public:
    ScopedVariable(const wchar_t* name, const wchar_t* value) : name_(name) {
        if (!value)
            return;
        const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
        if (needed > 0) {
            saved_.emplace(needed, L'\0');
            saved_->resize(GetEnvironmentVariableW(name, saved_->data(), needed));
        }
        changed_ = SetEnvironmentVariableW(name, value) != FALSE;
    }
    ~ScopedVariable() {
        if (changed_)
            SetEnvironmentVariableW(name_, saved_ ? saved_->c_str() : nullptr);
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const wchar_t* name_;
    std::optional<std::wstring> saved_;
    bool changed_ = false;
};

// Client sizes in pixels: 630 x (62 + 17 n) units at the run's DPI, or as many rows as
// the 800-pixel screen takes (43 at 96 DPI).
struct ClientSize {
    int fields;
    DWORD dpi;
    long width, height;
};
constexpr ClientSize kClientSizes[] = {
    {1, 96, 630, 79},  {2, 96, 630, 96},   {3, 96, 630, 113},  {6, 96, 630, 164},
    {7, 96, 630, 181}, {3, 120, 787, 141}, {6, 144, 945, 246}, {60, 96, 630, 793},
};
constexpr long kScreenWidth = 1280;
constexpr long kScreenHeight = 800;

// The popup the host saw when the first key came: where the case says, inside the screen,
// with the client size of its fields; caption-less with a one-pixel border, layered, owned by
// the IDE's main window.
void expectPopupAtTheCaret(const HostReport& report, const ExpansionCase& c, DWORD dpi) {
    const std::vector<long> outer = factNumbers(report, "popup-outer");
    const std::vector<long> client = factNumbers(report, "popup-client");
    const std::vector<long> caret = factNumbers(report, "popup-caret");
    const std::vector<long> lineHeight = factNumbers(report, "popup-line-height");
    ASSERT_EQ(outer.size(), 4u) << "no popup was in the foreground";
    ASSERT_EQ(client.size(), 2u);
    ASSERT_EQ(caret.size(), 2u);
    ASSERT_EQ(lineHeight.size(), 1u);
    const bool afterParen = c.document.find("(<|>") != std::string::npos;
    switch (c.place) {
    case PopupPlace::AtTheCaret:
        EXPECT_EQ(outer[0], caret[0] + (afterParen ? 1 : 4));
        EXPECT_EQ(outer[1], caret[1] - 1);
        break;
    case PopupPlace::BelowTheLine:
        EXPECT_EQ(outer[0], kScreenWidth - outer[2]);
        EXPECT_EQ(outer[1], caret[1] + lineHeight[0] + 1);
        break;
    case PopupPlace::AtTheScreenBottom:
        EXPECT_EQ(outer[1] + outer[3], kScreenHeight);
        break;
    }
    EXPECT_GE(outer[0], 0);
    EXPECT_GE(outer[1], 0);
    EXPECT_LE(outer[0] + outer[2], kScreenWidth) << "the popup leaves the screen";
    EXPECT_LE(outer[1] + outer[3], kScreenHeight) << "the popup leaves the screen";
    const auto size =
        std::find_if(std::begin(kClientSizes), std::end(kClientSizes), [&](const ClientSize& s) {
            return s.fields == c.popupFields && s.dpi == dpi;
        });
    ASSERT_NE(size, std::end(kClientSizes)) << "no client size written for this case";
    EXPECT_EQ(client[0], size->width);
    EXPECT_EQ(client[1], size->height);
    EXPECT_EQ(outer[2], client[0] + 2) << "a one-pixel border on each side";
    const unsigned long style = std::stoul(report.facts.at("popup-style"), nullptr, 16);
    const unsigned long exStyle = std::stoul(report.facts.at("popup-exstyle"), nullptr, 16);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_EQ(report.facts.at("popup-owned"), "1");
    // However the popup ended, the IDE is the active window again afterwards.
    EXPECT_EQ(fact(report, "foreground"), "host");
}

// Read back from the real popup window: its layered alpha and class style, the background
// of its first field as drawn (Xvfb draws a layered window opaque), and where the field's
// characters 0, 4 and 7 start, which tell the font's face and size (another process cannot
// read a font handle): in a monospaced face "iiii" is as wide as four "W", where the default
// MS Shell Dlg draws it far narrower, and DejaVu Sans Mono at 20 points on a 96-DPI screen
// has cells 16 pixels wide.
void expectUnusualLook(const HostReport& report) {
    EXPECT_EQ(report.facts.at("popup-alpha"), "200 2") << "alpha 200, LWA_ALPHA";
    const unsigned long classStyle = std::stoul(report.facts.at("popup-classstyle"), nullptr, 16);
    EXPECT_EQ(classStyle & CS_DROPSHADOW, 0u);
    EXPECT_EQ(std::stoul(report.facts.at("popup-pixel")), 3368652u);
    const std::vector<long> x = factNumbers(report, "popup-field-x");
    ASSERT_EQ(x.size(), 3u);
    EXPECT_EQ(x[1] - x[0], 4 * 16) << "iiii";
    EXPECT_EQ(x[2] - x[1], 3 * 16) << "WWW";
}

class ExpansionEndToEnd : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpansionEndToEnd, LeavesTheEditorAsExpected) {
    const ExpansionCase& c = GetParam();
    const std::wstring program = programFolder() + L"Zendrik.exe";
    ASSERT_TRUE(fileExists(program)) << "Zendrik.exe must be built beside the test program";
    ASSERT_TRUE(fileExists(programFolder() + L"IdeHost.exe"))
        << "IdeHost.exe must be built beside the test program";

    ScratchFolder scratch;
    const std::wstring toolFolder = scratch.path + L"\\tool";
    ASSERT_TRUE(CreateDirectoryW(toolFolder.c_str(), nullptr));
    const std::wstring tool = toolFolder + L"\\Zendrik.exe";
    ASSERT_TRUE(CopyFileW(program.c_str(), tool.c_str(), FALSE));
    const std::wstring preferences = preferenceFileIn(toolFolder);
    if (c.preferences) {
        ASSERT_TRUE(writeBytes(preferences, c.preferences));
    }

    base::OwnedKernelHandle lock;
    if (c.holdExpansionLock)
        lock.reset(CreateMutexW(nullptr, FALSE, app::kExpansionMutexName));
    std::wstring options;
    if (c.keys)
        options += L" --keys \"" + std::wstring(c.keys) + L"\"";
    if (c.typed)
        options += L" --type-first \"" + std::wstring(c.typed) + L"\"";
    if (c.codePage != 65001)
        options += L" --code-page " + std::to_wstring(c.codePage) + L" --character-set " +
                   std::to_wstring(c.characterSet);
    // The IDE's look comes from APPDATA, which the tool inherits through the host.
    const std::wstring appData = scratch.path + L"\\appdata";
    if (c.ideLook) {
        ASSERT_TRUE(CreateDirectoryW(appData.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((appData + L"\\purebasic").c_str(), nullptr));
        const std::wstring lookFile = appData + L"\\purebasic\\purebasic.prefs";
        if (std::string_view(c.ideLook) == "<folder>")
            ASSERT_TRUE(CreateDirectoryW(lookFile.c_str(), nullptr));
        else
            ASSERT_TRUE(writeBytes(lookFile, c.ideLook));
    }
    ScopedVariable appDataVariable(L"APPDATA", c.ideLook ? appData.c_str() : nullptr);
    std::optional<dpitest::ScopedMutex> registryTurn;
    std::optional<dpitest::LogPixelsSetting> logPixels;
    if (c.dpi) {
        registryTurn.emplace(dpitest::kLogPixelsTurn);
        logPixels.emplace();
        ASSERT_TRUE(logPixels->set(c.dpi));
    }
    if (c.clipboard) {
        ASSERT_TRUE(putOnClipboard(c.clipboard));
    }
    const SYSTEMTIME dayBefore = today();
    const HostReport report = runHost(tool, scratch.path, c.document, options);
    const SYSTEMTIME dayAfter = today();
    logPixels.reset();
    registryTurn.reset();
    lock.reset();

    ASSERT_TRUE(report.complete) << "the host wrote no complete report";
    EXPECT_EQ(report.exit, "0");
    if (c.messageInstead) {
        const unsigned long style = std::stoul(report.facts.at("popup-style"), nullptr, 16);
        EXPECT_EQ(style & WS_CAPTION, DWORD(WS_CAPTION)) << "no message box was in front";
    } else if (c.popupFields > 0) {
        expectPopupAtTheCaret(report, c, c.dpi ? c.dpi : 96);
        if (c.unusualLook)
            expectUnusualLook(report);
        if (c.preview) {
            EXPECT_EQ(fact(report, "popup-preview"), c.preview);
        }
    } else if (c.keys) {
        EXPECT_EQ(report.facts.count("popup-outer"), 0u) << "a popup showed";
    }
    const std::string after = withCaret(report.after.text, report.after.caret);
    // A run across midnight may have read the clock on either day.
    if (after != onDay(c.expected, dayBefore)) {
        EXPECT_EQ(after, onDay(c.expected, dayAfter));
    }
    EXPECT_EQ(report.after.anchor, report.after.caret) << "a selection was left";

    // One undo takes back the whole expansion and nothing else: the word is back as typed.
    std::string beforeTool = c.document;
    if (c.typed)
        beforeTool.insert(beforeTool.find(kCaret), text::utf16ToUtf8(text::fromWide(c.typed)));
    EXPECT_EQ(withCaret(report.undone.text, report.undone.caret), beforeTool);
    EXPECT_EQ(report.undone.anchor, report.undone.caret);

    // The program's file lives beside the program, never in the working directory, and an
    // expansion never rewrites it.
    EXPECT_FALSE(fileExists(preferenceFileIn(scratch.path)));
    const std::optional<std::string> stored = readBytes(preferences);
    ASSERT_TRUE(stored.has_value());
    if (c.preferences)
        EXPECT_EQ(*stored, c.preferences);
    else
        EXPECT_TRUE(stored->starts_with("\xEF\xBB\xBF\r\n; " +
                                        text::utf16ToUtf8(store::kPreferenceFileName) + "\r\n"));
}

const ExpansionCase kCases[] = {
    {"IfAfterFourSpacesOtherLinesUntouched", nullptr,
     "Procedure A()\r\n    if<|>\r\nEndProcedure\r\n",
     "Procedure A()\r\n    If <|>\r\n    EndIf\r\nEndProcedure\r\n"},
    {"NonAsciiLinesArriveByteForByte", kOwnShortcuts, "sig<|>", "; Grüße <|>\r\n; — Ende \r\n"},
    {"OwnFileIsNotMergedWithDefaults", kOwnShortcuts, "proc<|>", "proc<|>"},
    {"ExpansionAlreadyRunning", nullptr, "  if<|>", "  if<|>", true},
    {"WordTypedJustBefore", nullptr, "    <|>\r\n", "    If <|>\r\n    EndIf\r\n", false, nullptr,
     L"If"},
    // Escape cancels the placeholder popup and leaves the editor as it was.
    {"PlaceholdersCancelled", nullptr, "    for<|>\r\n", "    for<|>\r\n", false, L"{ESC}", nullptr,
     3},
    {"ShiftReturnCancelsAfterTyping", nullptr, "for<|>", "for<|>", false, L"x{TAB}y{SHIFT+ENTER}",
     nullptr, 3},
    // The click lands below the text, so the IDE's caret moves to the end; the tool puts it
    // back where the word ended.
    {"ClickIntoTheIdeCancels", nullptr, "  for<|>\r\nx = 1\r\n", "  for<|>\r\nx = 1\r\n", false,
     L"7{CLICK}", nullptr, 3},
    {"TypedValuesReplaceTheDefaults", nullptr, "  for<|>", "  For j = 1 To n <|>\r\n  Next", false,
     L"j{ENTER}1{ENTER}n{ENTER}", nullptr, 3},
    // Shift+Tab from the first field wraps to the last, Tab from the last to the first; the
    // labels never take the focus.
    {"TabAndShiftTabWrapOverTheFields", nullptr, "for<|>", "For i = a To z <|>\r\nNext", false,
     L"{SHIFT+TAB}z{TAB}{TAB}a{ENTER}{ENTER}", nullptr, 3},
    {"SinglePlaceholderAcceptsAtOnce", nullptr, "\tx\r\n    struc<|>",
     "\tx\r\n    Structure P\xC3\xBCnkt<|>\r\n    EndStructure", false, L"P\u00FCnkt{ENTER}",
     nullptr, 1},
    // The IDE's look never stops an expansion, whatever its file holds.
    {"DarkIdeLook", nullptr, "whi<|>", "While 0<|>\r\nWend", false, L"{ENTER}", nullptr, 1,
     "[Editor]\r\nEditorFontName = Courier New\r\nEditorFontSize = 100000\r\n"
     "BackgroundColor = 2105376\r\nNormalTextColor = 14737632\r\n"},
    {"GarbageIdeLook", nullptr, "whi<|>", "While 0<|>\r\nWend", false, L"{ENTER}", nullptr, 1,
     "\xFF\xFE[Ed\x01itor\r\n===\r\n"},
    {"FolderForTheIdeLook", nullptr, "whi<|>", "While 0<|>\r\nWend", false, L"{ENTER}", nullptr, 1,
     "<folder>"},
    {"At120Dpi", nullptr, "    for<|>", "    for<|>", false, L"{ESC}", nullptr, 3, nullptr, 120},
    {"At144DpiAfterParenthesis", nullptr, "x = openwindow(<|>", "x = openwindow(<|>", false,
     L"{SHIFT+ENTER}", nullptr, 6, nullptr, 144},
    // Another program's close message (or Alt+F4) is no confirmation: the editor stays as it was.
    {"CloseMessageCancels", nullptr, "    for<|>\r\n", "    for<|>\r\n", false, L"x{CLOSE}",
     nullptr, 3},
    {"CaretNearTheRightEdge", nullptr, kLongLine + "whi<|>",
     kLongLine + "While 0<|>\r\n" + std::string(kLongLine.size(), ' ') + "Wend", false, L"{ENTER}",
     nullptr, 1, nullptr, 0, PopupPlace::BelowTheLine},
    {"UnusualLookReachesThePopup", kUnusualPopupGroup, "look<|>", "L(iiiiWWWW)<|>", false,
     L"{PAUSE}{PAUSE}{PAUSE}{ENTER}", nullptr, 1, kUnusualIdeLook, 0, PopupPlace::AtTheCaret, true},
    // More placeholders than a popup takes: a message, which Return dismisses, and no change.
    {"TooManyPlaceholdersTold", kTooManyPlaceholders.c_str(), "many<|>", "many<|>", false,
     L"{ENTER}", nullptr, 0, nullptr, 0, PopupPlace::AtTheCaret, false, true},
    {"SixtyPlaceholdersScroll", kSixtyPlaceholders.c_str(), "sixty<|>", sixtyDefaults(), false,
     kSixtyReturns.c_str(), nullptr, 60, nullptr, 0, PopupPlace::AtTheScreenBottom},
    {.name = "TodaysDate",
     .preferences = kDirectiveShortcuts,
     .document = "today<|>",
     .expected = "; {yyyy}-{MM}-{dd} {dd}.{MM}.{yyyy}<|>"},
    {.name = "ClipboardLinesUnderTheValue",
     .preferences = kDirectiveShortcuts,
     .document = "  c<|>",
     .expected = "  x = first<|>\r\n      second",
     .clipboard = L"first\r\nsecond"},
    // The copy in the preview follows the field as it is typed; the inserted text has each copy.
    {.name = "TypedValueShowsInItsCopy",
     .preferences = kFieldCopyShortcuts,
     .document = "  st<|>",
     .expected = "  const [myPoint, setMyPoint] = useState(1) // MY_POINT<|>",
     .keys = L"myPoint{ENTER}1{PAUSE}{ENTER}",
     .popupFields = 2,
     .preview = "const [name, setMyPoint] = useState(init) // MY_POINT"},
    // An alias: the used template's field is the popup's, its lines indented like the word's.
    {.name = "UsedTemplateFieldInThePopup",
     .preferences = kFieldCopyShortcuts,
     .document = "  fi<|>",
     .expected = "  If x > 0 <|>\r\n  EndIf",
     .keys = L"x > 0{PAUSE}{ENTER}",
     .popupFields = 1,
     .preview = "If cond \\nEndIf"},
    // A document in code page 0 with the Western character set (0): the template, the word's
    // indentation and what is typed into the popup arrive as its own bytes; a character it cannot
    // hold is told and nothing changes.
    {.name = "CodePage1252Template",
     .preferences = kOwnShortcuts,
     .document = "sig<|>",
     .expected = "; Gr\xFC\xDF"
                 "e <|>\r\n; \x97 Ende \r\n",
     .codePage = 0,
     .characterSet = 0},
    {.name = "CodePage1252PopupValue",
     .preferences = nullptr,
     .document = "\xE9 struc<|>",
     .expected = "\xE9 Structure P\xFCnkt<|>\r\n  EndStructure",
     .keys = L"P\u00FCnkt{ENTER}",
     .popupFields = 1,
     .codePage = 0,
     .characterSet = 0},
    {.name = "CodePage1252CannotHoldOmega",
     .preferences = kOmegaShortcut,
     .document = "om<|>",
     .expected = "om<|>",
     .keys = L"{PAUSE}{ENTER}",
     .messageInstead = true,
     .codePage = 0,
     .characterSet = 0},
};

INSTANTIATE_TEST_SUITE_P(All, ExpansionEndToEnd, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A library named with --library, a variable of the environment in its path: it is made there
// with the defaults, its folders too, and the word expands from it. Nothing is made beside the
// program.
TEST(LibraryEndToEnd, NamedLibraryIsMadeWhereItIsNamed) {
    ScratchFolder scratch;
    const std::wstring toolFolder = scratch.path + L"\\tool";
    ASSERT_TRUE(CreateDirectoryW(toolFolder.c_str(), nullptr));
    const std::wstring tool = toolFolder + L"\\Zendrik.exe";
    ASSERT_TRUE(CopyFileW((programFolder() + L"Zendrik.exe").c_str(), tool.c_str(), FALSE));
    const std::wstring synced = scratch.path + L"\\synced";
    ScopedVariable variable(L"ZENDRIK_SYNCED", synced.c_str());

    const HostReport report =
        runHost(tool, scratch.path, "    if<|>",
                L"--tool-arguments \"--library %ZENDRIK_SYNCED%\\shared\\mine.pref\"");
    ASSERT_TRUE(report.complete);
    EXPECT_EQ(withCaret(report.after.text, report.after.caret), "    If <|>\r\n    EndIf");
    const std::wstring library = synced + L"\\shared\\mine.pref";
    const std::optional<std::string> written = readBytes(library);
    ASSERT_TRUE(written.has_value()) << "no library where it was named";
    EXPECT_TRUE(written->starts_with("\xEF\xBB\xBF\r\n; Zendrik.pref\r\n"));
    EXPECT_TRUE(fileExists(library + L".lock"));
    for (const wchar_t* beside :
         {L"Zendrik.pref", L"Zendrik.pref.lock", L"Zendrik.backup", L"Zendrik.pref.trial"})
        EXPECT_FALSE(fileExists(toolFolder + L"\\" + beside)) << beside;
}

// A VS Code snippet file imported with --import, its report dismissed, and one of its snippets
// then expanded like any Shortcut; the library's backup holds it as it was.
TEST(LibraryEndToEnd, ImportedSnippetExpands) {
    ScratchFolder scratch;
    const std::wstring tool = endtoend::toolWithPreferences(scratch, kOwnShortcuts);
    ASSERT_FALSE(tool.empty());
    const std::wstring snippets = scratch.path + L"\\mine.code-snippets";
    ASSERT_TRUE(writeBytes(snippets,
                           "{\n"
                           "  // as VS Code writes them\n"
                           "  \"Print\": {\"prefix\": \"pr\",\n"
                           "            \"body\": [\"Debug ${1:value}$0\", \"; done\"]},\n"
                           "  \"If\": {\"prefix\": \"if\", \"body\": \"If $1\"},\n"
                           "}\n"));
    const HostReport imported =
        runHost(tool, scratch.path, "x<|>",
                L"--tool-arguments \"--import " + snippets + L"\" --keys \"{PAUSE}{ENTER}\"");
    ASSERT_TRUE(imported.complete);
    EXPECT_EQ(imported.exit, "0");
    const unsigned long style = std::stoul(fact(imported, "popup-style"), nullptr, 16);
    EXPECT_EQ(style & WS_CAPTION, DWORD(WS_CAPTION)) << "no report was shown";
    EXPECT_EQ(withCaret(imported.after.text, imported.after.caret), "x<|>");
    const std::wstring toolFolder = scratch.path + L"\\tool";
    const std::optional<std::string> library = readBytes(preferenceFileIn(toolFolder));
    ASSERT_TRUE(library.has_value());
    EXPECT_TRUE(library->starts_with(kOwnShortcuts)) << "the library's own lines changed";
    EXPECT_NE(library->find("\r\npr = "), std::string::npos);
    int backups = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search =
        FindFirstFileW((toolFolder + L"\\Zendrik.backup\\*.pref").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ++backups;
            EXPECT_EQ(readBytes(toolFolder + L"\\Zendrik.backup\\" + found.cFileName),
                      std::string(kOwnShortcuts));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(backups, 1);

    const HostReport expanded = runHost(tool, scratch.path, "  pr<|>", L"--keys \"x{ENTER}\"");
    ASSERT_TRUE(expanded.complete);
    EXPECT_EQ(withCaret(expanded.after.text, expanded.after.caret), "  Debug x<|>\r\n  ; done");
}

// The popup and manager cases drive Zendrik's windows with typed keys; here the host types
// into its own editor, with no tool, to show that the keys and their names arrive.
TEST(StandInIde, TypesKeysIntoTheForegroundWindow) {
    ASSERT_TRUE(fileExists(programFolder() + L"IdeHost.exe"));
    ScratchFolder scratch;
    const HostReport report =
        runHost(L"none.exe", scratch.path, "x<|>",
                L"--no-run --keys-delay 100 --keys \"abc{BACKSPACE}d{ENTER}\u00E9{TAB}z\"");
    ASSERT_TRUE(report.complete);
    EXPECT_EQ(report.exit, "none");
    EXPECT_EQ(withCaret(report.after.text, report.after.caret), "xabd\r\n\xC3\xA9\tz<|>");
}

} // namespace
