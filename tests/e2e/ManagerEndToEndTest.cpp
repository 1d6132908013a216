// End to end: the stand-in IDE starts the real Zendrik.exe with an empty document, so the
// manager opens; the test types and clicks in it as a user does, reads every message box
// from the real dialog, and compares "Zendrik.pref" byte for byte after each change.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/support/Files.h"
#include "e2e/support/StandInIde.h"
#include "e2e/support/ManagerDriver.h"
#include "dpi/LogPixelsSetting.h"
#include "manager/ManagerLayout.h"
#include "manager/ManagerText.h"
#include "base/TextConvert.h"
#include "ui/SplitterLayout.h"
#include "ui/WindowService.h"
#include "store/FileAccess.h"
#include "store/StoreTestFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

using namespace endtoend;
using endtoend::HostRun;
using endtoend::readBytes;

// Waits until the window shows exactly that (with the focus when it is named), and reports
// what it shows otherwise.
#define EXPECT_VIEW(manager, expected) EXPECT_EQ((manager).waitForView(expected), expected)
// A message box with its text, buttons and icon, answered with the button.
#define EXPECT_BOX(manager, text, buttons, icon, button)                                           \
    do {                                                                                           \
        SCOPED_TRACE(text);                                                                        \
        expectBox(manager, text, buttons, icon, button);                                           \
    } while (false)

constexpr char kFileStart[] = "\xEF\xBB\xBF\r\n[Shortcuts]\r\n";
constexpr char kFor[] = "for = For %var=i = %min=0 To %max=99 ¤Next\r\n";
constexpr char kIf[] = "if = If ¤EndIf\r\n";
constexpr char kProc[] = "proc = Procedure ¤EndProcedure\r\n";

// The manager's own texts, as its message boxes show them.
std::string message(std::u16string_view text) {
    return text::utf16ToUtf8(text);
}

std::string file(std::initializer_list<std::string_view> lines) {
    std::string bytes = kFileStart;
    for (std::string_view line : lines)
        bytes += line;
    return bytes;
}

// The stand-in IDE runs the tool from a folder of its own with the preference file the test
// writes there; the manager may stay open for minutes.
constexpr wchar_t kHostOptions[] = L"--timeout 240000";

// Makes ".txt" files open with the given command for as long as it lives, then puts the
// association back as it was.
class TextFileAssociation {
  public:
    explicit TextFileAssociation(const std::wstring& command) {
        wchar_t previous[256] = {};
        DWORD size = sizeof previous;
        if (RegGetValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, RRF_RT_REG_SZ, nullptr, previous,
                         &size) == ERROR_SUCCESS)
            previous_ = previous;
        setDefault(L".txt", kProgId);
        setDefault(std::wstring(kProgId) + L"\\shell\\open\\command", command);
    }
    ~TextFileAssociation() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
        if (previous_)
            setDefault(L".txt", *previous_);
        else
            RegDeleteKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr);
    }
    TextFileAssociation(const TextFileAssociation&) = delete;
    TextFileAssociation& operator=(const TextFileAssociation&) = delete;

  private:
    static constexpr wchar_t kProgId[] = L"ZendrikTest.txtfile";
    // The key's default value; the key is made when missing.
    static void setDefault(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        DWORD((value.size() + 1) * sizeof(wchar_t)));
    }
    std::optional<std::wstring> previous_;
};

class ManagerEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(tool_.empty()) << "no copy of Zendrik.exe"; }

    // Starts the manager through the host with the given file and waits for its window.
    bool startManager(const std::string& preferences, const std::string& document = "",
                      const std::wstring& toolArguments = L"") {
        endtoend::writeBytes(preferences_, preferences);
        const std::wstring options =
            toolArguments.empty() ? std::wstring(kHostOptions)
                                  : L"--tool-arguments \"" + toolArguments + L"\" " + kHostOptions;
        host_.emplace(scratch_.path, tool_, document, options, L"manager");
        if (host_->started())
            manager_ = waitForManager();
        return manager_.has_value();
    }

    // A manager that a failed test left open would refuse the next one with its lock.
    void TearDown() override {
        if (manager_) {
            if (WaitForSingleObject(manager_->process, 5000) == WAIT_TIMEOUT)
                TerminateProcess(manager_->process, 1);
            CloseHandle(manager_->process);
        }
    }

    // The manager closed, the tool ended well and the file holds exactly these bytes.
    void expectClosedLeaving(const std::string& bytes) {
        const std::string report = host_->finish();
        EXPECT_TRUE(report.starts_with("exit 0\n")) << report;
        EXPECT_EQ(preferences(), bytes);
    }

    std::string preferences() const { return readBytes(preferences_).value_or("no file"); }

    // Waits until the file holds exactly that, and returns what it holds.
    std::string waitForFile(const std::string& expected) const {
        std::string seen;
        waitUntil([&] { return (seen = preferences()) == expected; }, 3000);
        return seen;
    }

    endtoend::ScratchFolder scratch_;
    const std::wstring tool_ = endtoend::toolWithPreferences(scratch_, "");
    const std::wstring preferences_ = endtoend::preferenceFileIn(scratch_.path + L"\\tool");
    std::optional<HostRun> host_;
    std::optional<Manager> manager_;
};

// Select the whole name and type over it.
void retypeName(const std::wstring& name) {
    pressKey({VK_HOME});
    pressKey({VK_SHIFT, VK_END});
    typeText(name);
}

void expectBox(const Manager& manager, const std::string& text, const std::string& buttons,
               const std::string& icon, int answerWith) {
    const std::optional<MessageBoxView> box = waitForMessageBox(manager.processId);
    ASSERT_TRUE(box.has_value()) << "no message box for: " << text;
    EXPECT_EQ(box->caption, ZENDRIK_TITLE);
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->buttons, buttons) << text;
    EXPECT_EQ(box->icon, icon) << text;
    EXPECT_EQ(GetWindow(box->box, GW_OWNER), manager.window) << "not modal to the manager";
    EXPECT_TRUE(answer(*box, answerWith));
}

// Every command of the manager in one sitting, with the file's bytes after each change.
TEST_F(ManagerEndToEnd, CommandsLeaveTheFileByteForByte) {
    const std::string original = file({kFor, kIf, kProc});
    ASSERT_TRUE(startManager(original)) << "no manager window";
    const Manager& m = *manager_;

    EXPECT_EQ(m.view(), "rows=for,if,proc current=- name='' editor='' focus=new");

    // New with Ctrl+N; typed capitals come out lower case, and a letter typed in the middle
    // leaves the caret at the end.
    pressKey({VK_CONTROL, 'N'});
    EXPECT_VIEW(m, "rows=for,if,proc,... current=... name='' editor=''"
                   " focus=name");
    pressKey({VK_ESCAPE}); // with no name typed, nothing to ask about
    pause(500);
    EXPECT_EQ(findMessageBox(m.processId), nullptr);
    typeText(L"WHILE");
    pressKey({VK_HOME});
    typeText(L"X");
    waitUntil([&] { return windowText(m.control(kNameField)) == "xwhile"; });
    EXPECT_EQ(windowText(m.control(kNameField)), "xwhile");
    EXPECT_EQ(m.nameSelection(), std::make_pair(6, 6));
    retypeName(L"While");

    // A template with a line break, saved with Ctrl+S from the editor.
    clickWindow(m.control(kTemplateEditor));
    typeText(L"While #True");
    pressKey({VK_RETURN});
    typeText(L"Wend");
    pressKey({VK_CONTROL, 'S'});
    EXPECT_EQ(waitForFile(file({kFor, kIf, kProc, "while = While #True¤Wend\r\n"})),
              file({kFor, kIf, kProc, "while = While #True¤Wend\r\n"}));
    EXPECT_VIEW(m, "rows=for,if,proc,while current=while name='while' "
                   "editor='While #True\r\nWend' focus=editor");

    // Rename with Ctrl+R: the caret at the end of the name, then the new name.
    pressKey({VK_CONTROL, 'R'});
    EXPECT_VIEW(m, "rows=for,if,proc,while current=while name='while' "
                   "editor='While #True\r\nWend' focus=name");
    EXPECT_EQ(m.nameSelection(), std::make_pair(5, 5));
    retypeName(L"Loop");
    pressKey({VK_CONTROL, 'R'});
    const std::string renamed = file({kFor, kIf, kProc, "loop = While #True¤Wend\r\n"});
    EXPECT_EQ(waitForFile(renamed), renamed);
    // The name field had the focus and is disabled now: no control keeps it.
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=loop name='loop' "
                   "editor='While #True\r\nWend' focus=none");

    // Rename to an empty name: nothing renamed, the row's name shown again.
    pressKey({VK_CONTROL, 'R'});
    retypeName(L"");
    pressKey({VK_BACK});
    pressKey({VK_CONTROL, 'R'});
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=loop name='loop' "
                   "editor='While #True\r\nWend' focus=none");

    // Rename to a name that exists: the message, still renaming; Escape restores the name.
    pressKey({VK_CONTROL, 'R'});
    retypeName(L"if");
    pressKey({VK_CONTROL, 'R'});
    EXPECT_BOX(m, message(manager::alreadyExistsMessage(u"if")), "ok", "none", IDOK);
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=loop name='if' "
                   "editor='While #True\r\nWend' focus=name");
    pressKey({VK_ESCAPE});
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=loop name='loop' "
                   "editor='While #True\r\nWend' focus=none");
    EXPECT_EQ(preferences(), renamed);

    // A click on a row shows it; an edited template saved with the Save button.
    m.clickRow(1);
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=if name='if' editor='If \r\nEndIf'"
                   " focus=list");
    clickWindow(m.control(kTemplateEditor));
    pressKey({VK_CONTROL, VK_END});
    pressKey({VK_RETURN});
    typeText(L"; done");
    clickWindow(m.control(kSaveButton));
    const std::string edited =
        file({kFor, "if = If ¤EndIf¤; done\r\n", kProc, "loop = While #True¤Wend\r\n"});
    EXPECT_EQ(waitForFile(edited), edited);

    // Creating: Save of a name the store holds, then of a name of blanks; neither is stored.
    pressKey({VK_CONTROL, 'N'});
    typeText(L"for");
    pressKey({VK_CONTROL, 'S'});
    EXPECT_BOX(m, message(manager::alreadyExistsMessage(u"for")), "ok", "none", IDOK);
    retypeName(L"   ");
    pressKey({VK_CONTROL, 'S'});
    pause(500);
    EXPECT_EQ(findMessageBox(m.processId), nullptr) << "blanks are no name: only a beep";
    EXPECT_VIEW(m, "rows=for,if,proc,loop,... current=... name='   ' editor=''"
                   " focus=name");

    // Escape while creating: No keeps creating, Yes removes the placeholder row.
    retypeName(L"tmp");
    pressKey({VK_ESCAPE});
    EXPECT_BOX(m, message(manager::notSavedYetMessage(u"tmp")), "yes no", "none", IDNO);
    EXPECT_VIEW(m, "rows=for,if,proc,loop,... current=... name='tmp' editor=''"
                   " focus=window");
    clickWindow(m.control(kNameField));
    pressKey({VK_ESCAPE});
    EXPECT_BOX(m, message(manager::notSavedYetMessage(u"tmp")), "yes no", "none", IDYES);
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=loop name='loop' "
                   "editor='While #True\r\nWend' focus=list");

    // Typing in the list jumps to the first name that begins with the typed letters.
    typeText(L"pr");
    EXPECT_VIEW(m, "rows=for,if,proc,loop current=proc name='proc' "
                   "editor='Procedure \r\nEndProcedure'"
                   " focus=list");
    pressKey({VK_END});

    // Delete with Ctrl+D: No keeps it, Yes removes it and shows the row before the last.
    pressKey({VK_CONTROL, 'D'});
    EXPECT_BOX(m, message(manager::deleteQuestion(u"loop")), "yes no", "exclamation", IDNO);
    EXPECT_EQ(preferences(), edited);
    pressKey({VK_CONTROL, 'D'});
    EXPECT_BOX(m, message(manager::deleteQuestion(u"loop")), "yes no", "exclamation", IDYES);
    const std::string deleted = file({kFor, "if = If ¤EndIf¤; done\r\n", kProc});
    EXPECT_EQ(waitForFile(deleted), deleted);
    EXPECT_VIEW(m, "rows=for,if,proc current=proc name='proc' "
                   "editor='Procedure \r\nEndProcedure'"
                   " focus=window");

    // Closing while creating, with Shift+Enter from the editor: asked about the typed
    // template; No keeps nothing of it.
    pressKey({VK_CONTROL, 'N'});
    typeText(L"zzz");
    clickWindow(m.control(kTemplateEditor));
    typeText(L"abc");
    pressKey({VK_SHIFT, VK_RETURN});
    EXPECT_BOX(m, message(manager::unsavedChangesQuestion(u"zzz")), "yes no cancel", "question",
               IDNO);
    expectClosedLeaving(deleted);
}

// Names the file cannot hold, writes the file does not take, the lock of a second manager,
// an expansion while the manager is open, and the donation question.
TEST_F(ManagerEndToEnd, RefusedNamesFailedWritesAndOtherRuns) {
    const std::string original = file({kFor, kIf, kProc});
    ASSERT_TRUE(startManager(original)) << "no manager window";
    const Manager& m = *manager_;

    // A second manager ends at once without a window; an expansion works beside it.
    {
        HostRun second(scratch_.path, tool_, "", kHostOptions, L"second");
        EXPECT_TRUE(second.finish().starts_with("exit 0\n"));
        EXPECT_EQ(managerWindows().size(), 1u);
        HostRun expansion(scratch_.path, tool_, "    if<|>", kHostOptions, L"expansion");
        EXPECT_EQ(expansion.finish(), "exit 0\ncaret 7\nanchor 7\ntext 18\n    If \r\n    EndIf\n");
    }
    SetForegroundWindow(m.window);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == m.window; }));

    // "=" in a new name, "[" at the start of a renamed one: refused like an existing name.
    pressKey({VK_CONTROL, 'N'});
    typeText(L"a=b");
    pressKey({VK_CONTROL, 'S'});
    EXPECT_BOX(m, message(manager::unstorableNameMessage(u"a=b")), "ok", "none", IDOK);
    EXPECT_VIEW(m, "rows=for,if,proc,... current=... name='a=b' editor=''"
                   " focus=name");
    pressKey({VK_ESCAPE});
    EXPECT_BOX(m, message(manager::notSavedYetMessage(u"a=b")), "yes no", "none", IDYES);
    m.clickRow(0);
    pressKey({VK_CONTROL, 'R'});
    retypeName(L"[x");
    pressKey({VK_CONTROL, 'R'});
    EXPECT_BOX(m, message(manager::unstorableNameMessage(u"[x")), "ok", "none", IDOK);
    EXPECT_VIEW(m, "rows=for,if,proc current=for name='[x' "
                   "editor='For %var=i = %min=0 To %max=99 \r\nNext' focus=name");
    pressKey({VK_ESCAPE});
    EXPECT_EQ(preferences(), original);

    // A read-only file: the message, the bytes unchanged, the change kept in the window; Save
    // again once the file is writable.
    ASSERT_TRUE(SetFileAttributesW(preferences_.c_str(), FILE_ATTRIBUTE_READONLY));
    m.clickRow(1);
    clickWindow(m.control(kTemplateEditor));
    pressKey({VK_CONTROL, VK_END});
    typeText(L"1");
    pressKey({VK_CONTROL, 'S'});
    EXPECT_BOX(m, message(manager::kFileNotWrittenMessage), "ok", "exclamation", IDOK);
    EXPECT_EQ(preferences(), original);
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='if' editor='If \r\nEndIf1'"
                   " focus=window");
    ASSERT_TRUE(SetFileAttributesW(preferences_.c_str(), FILE_ATTRIBUTE_NORMAL));
    clickWindow(m.control(kSaveButton));
    const std::string saved = file({kFor, "if = If ¤EndIf1\r\n", kProc});
    EXPECT_EQ(waitForFile(saved), saved);

    // A file held open by another program: Delete and Rename are not written either, and the
    // window keeps what the file keeps.
    HANDLE held = CreateFileW(preferences_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    pressKey({VK_CONTROL, 'D'});
    EXPECT_BOX(m, message(manager::deleteQuestion(u"if")), "yes no", "exclamation", IDYES);
    EXPECT_BOX(m, message(manager::kFileNotWrittenMessage), "ok", "exclamation", IDOK);
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='if' editor='If \r\nEndIf1' focus=window");
    pressKey({VK_CONTROL, 'R'});
    retypeName(L"pr");
    pressKey({VK_CONTROL, 'R'});
    EXPECT_BOX(m, message(manager::kFileNotWrittenMessage), "ok", "exclamation", IDOK);
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='pr' editor='If \r\nEndIf1' focus=name");
    pressKey({VK_ESCAPE});
    CloseHandle(held);
    EXPECT_EQ(preferences(), saved);

    // Open runs the command of the text-file association on the preference file, from the
    // program's folder, without waiting; here the command copies the file.
    const std::wstring copied = scratch_.path + L"\\opened.txt";
    {
        TextFileAssociation association(L"C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"" +
                                        copied + L"\"");
        clickWindow(m.control(kOpenButton));
        EXPECT_EQ(waitUntil([&] { return readBytes(copied).value_or("") == saved; }, 15000), true)
            << readBytes(copied).value_or("nothing copied");
    }
    SetForegroundWindow(m.window);
    ASSERT_TRUE(waitUntil([&] { return GetForegroundWindow() == m.window; }));

    // The donation question; No opens nothing.
    clickWindow(m.control(kDonateButton));
    EXPECT_BOX(m, message(manager::donationQuestion(manager::kDonationAddress)), "yes no",
               "information", IDNO);

    // Closing while renaming leaves the file as it was; the Rename button pressed by a click.
    clickWindow(m.control(kRenameButton));
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='if' editor='If \r\nEndIf1' focus=name");
    retypeName(L"other");
    pressKey({VK_MENU, VK_F4});
    expectClosedLeaving(saved);

    // A library of thousands, written in no sorted order: the list holds every row, in name
    // order, and End reaches the last.
    std::string many = kFileStart;
    for (int i = 0; i < 3000; ++i)
        many += "s" + std::to_string(10000 + i * 7 % 3000) + " = x\r\n";
    CloseHandle(manager_->process);
    manager_.reset();
    ASSERT_TRUE(startManager(many)) << "no manager window";
    const Manager& large = *manager_;
    large.clickRow(0);
    pressKey({VK_END});
    EXPECT_TRUE(waitUntil([&] { return large.currentRow() == "s12999"; })) << large.currentRow();
    const std::vector<std::string> rows = large.rows();
    ASSERT_EQ(rows.size(), 3000u);
    std::vector<std::string> sorted;
    for (int i = 0; i < 3000; ++i)
        sorted.push_back("s" + std::to_string(10000 + i));
    EXPECT_TRUE(rows == sorted) << rows[1] << " " << rows[2998];
    pressKey({VK_SHIFT, VK_RETURN});
    expectClosedLeaving(many);
}

// Another window made active, then the manager again by a click into its editor (a window on
// Xvfb is told of its activation once it has the X focus, which a click gives).
void reactivate(const Manager& m) {
    SetForegroundWindow(m.window);
    HWND other = CreateWindowExW(0, L"BUTTON", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40,
                                 nullptr, nullptr, nullptr, nullptr);
    clickWindow(other);
    waitUntil([&] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        return GetForegroundWindow() == other;
    });
    DestroyWindow(other);
    clickWindow(m.control(kTemplateEditor));
    waitUntil([&] { return GetForegroundWindow() == m.window; });
}

// The file edited outside while the manager is open: the manager follows it when activated;
// deleted outside, it gets the whole library back, also after an expansion tried meanwhile.
TEST_F(ManagerEndToEnd, FollowsTheFileEditedOutside) {
    ASSERT_TRUE(startManager(file({kFor, kIf, kProc}))) << "no manager window";
    const Manager& m = *manager_;
    m.clickRow(1);
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='if' editor='If \r\nEndIf' focus=list");

    // Outside: "if" changed, "proc" removed, "zed" added. Shown once the manager is active.
    endtoend::writeBytes(preferences_, file({kFor, "if = If x ¤EndIf\r\n", "zed = Z\r\n"}));
    reactivate(m);
    EXPECT_VIEW(m, "rows=for,if,zed current=if name='if' editor='If x \r\nEndIf'");

    // The user's edit saved over the outside change, in its line.
    clickWindow(m.control(kTemplateEditor));
    pressKey({VK_CONTROL, VK_END});
    typeText(L"!");
    pressKey({VK_CONTROL, 'S'});
    const std::string saved = file({kFor, "if = If x ¤EndIf!\r\n", "zed = Z\r\n"});
    EXPECT_EQ(waitForFile(saved), saved);

    // Written by another writer while the next Save waits for its lock: the Save goes into the
    // file as that writer left it, and the window takes "new" in.
    {
        store::WriteLock lock;
        ASSERT_TRUE(store::lockForWriting(text::fromWide(preferences_), lock));
        typeText(L"?");
        pressKey({VK_CONTROL, 'S'});
        Sleep(1000);
        endtoend::writeBytes(preferences_,
                             file({kFor, "if = If x ¤EndIf!\r\n", "new = N\r\n", "zed = Z\r\n"}));
    }
    const std::string both = file({kFor, "if = If x ¤EndIf!?\r\n", "new = N\r\n", "zed = Z\r\n"});
    EXPECT_EQ(waitForFile(both), both);
    EXPECT_VIEW(m, "rows=for,if,new,zed current=if name='if' editor='If x \r\nEndIf!?'");

    // Deleted outside: "if", which the user redefined, expands to nothing while the manager
    // holds the library, and no default file is written under it; a Delete writes everything
    // the window holds.
    ASSERT_TRUE(DeleteFileW(preferences_.c_str()));
    EXPECT_EQ(HostRun(scratch_.path, tool_, "if<|>", kHostOptions, L"expansion").finish(),
              "exit 0\ncaret 2\nanchor 2\ntext 2\nif\n");
    EXPECT_EQ(GetFileAttributesW(preferences_.c_str()), INVALID_FILE_ATTRIBUTES);
    reactivate(m);
    m.clickRow(3);
    pressKey({VK_CONTROL, 'D'});
    EXPECT_BOX(m, message(manager::deleteQuestion(u"zed")), "yes no", "exclamation", IDYES);
    // The default file's header and [Popup] section around the window's Shortcuts.
    const std::string defaults = storetest::goldenBytes("store/golden/DefaultFile.pref");
    const size_t shortcuts = defaults.find("[Shortcuts]\r\n") + 13;
    const std::string whole = defaults.substr(0, shortcuts) + kFor + "if = If x ¤EndIf!?\r\n" +
                              "new = N\r\n" + defaults.substr(defaults.find("; \r\n[Popup]"));
    EXPECT_EQ(waitForFile(whole), whole);
    EXPECT_VIEW(m, "rows=for,if,new current=new name='new' editor='N'");

    // Deleted again: closing gives the file the library back.
    ASSERT_TRUE(DeleteFileW(preferences_.c_str()));
    pressKey({VK_SHIFT, VK_RETURN});
    expectClosedLeaving(whole);
}

// --new on two indented lines: the manager opens on a new Shortcut whose template is the
// selection without its shared indentation and with its "%x" escaped, the name field ready.
// The word before the caret names a Shortcut, and still nothing is expanded: the editor keeps
// its text and its selection.
TEST_F(ManagerEndToEnd, NewShortcutFromTheEditorsSelection) {
    const std::string document =
        "Procedure P()\r\n    <^>x = 100 %x\r\n    If<|>\r\nEndProcedure\r\n";
    ASSERT_TRUE(startManager(file({kFor, kIf}), document, L"--new")) << "no manager window";
    const Manager& m = *manager_;
    EXPECT_VIEW(m, "rows=for,if,... current=... name='' editor='x = 100 %(%)x\r\nIf' focus=name");

    // A name that exists is refused as at any Save of a new Shortcut.
    typeText(L"If");
    pressKey({VK_CONTROL, 'S'});
    EXPECT_BOX(m, message(manager::alreadyExistsMessage(u"if")), "ok", "none", IDOK);
    retypeName(L"Percent");
    pressKey({VK_CONTROL, 'S'});
    const std::string saved = file({kFor, kIf, "percent = x = 100 %(%)x¤If\r\n"});
    EXPECT_EQ(waitForFile(saved), saved);
    EXPECT_VIEW(m, "rows=for,if,percent current=percent name='percent' "
                   "editor='x = 100 %(%)x\r\nIf'");

    pressKey({VK_SHIFT, VK_RETURN});
    const HostReport report = parseReport(host_->finish());
    ASSERT_TRUE(report.complete);
    EXPECT_EQ(report.exit, "0");
    EXPECT_EQ(withSelection(report.after.text, report.after.anchor, report.after.caret), document);
    EXPECT_EQ(preferences(), saved);
}

// Template text the user typed is never dropped without a question: Cancel stays, Yes saves
// (and stays unsaved when the file does not take it), No drops it; here at Shift+Enter and
// at a click on another row.
TEST_F(ManagerEndToEnd, AsksBeforeDroppingTypedTemplateText) {
    const std::string original = file({kFor, kIf, kProc});
    ASSERT_TRUE(startManager(original)) << "no manager window";
    const Manager& m = *manager_;
    m.clickRow(1);
    clickWindow(m.control(kTemplateEditor));
    pressKey({VK_CONTROL, VK_END});
    typeText(L"1");

    pressKey({VK_SHIFT, VK_RETURN});
    EXPECT_BOX(m, message(manager::unsavedChangesQuestion(u"if")), "yes no cancel", "question",
               IDCANCEL);
    EXPECT_VIEW(m, "rows=for,if,proc current=if name='if' editor='If \r\nEndIf1'");

    ASSERT_TRUE(SetFileAttributesW(preferences_.c_str(), FILE_ATTRIBUTE_READONLY));
    pressKey({VK_SHIFT, VK_RETURN});
    EXPECT_BOX(m, message(manager::unsavedChangesQuestion(u"if")), "yes no cancel", "question",
               IDYES);
    EXPECT_BOX(m, message(manager::kFileNotWrittenMessage), "ok", "exclamation", IDOK);
    EXPECT_NE(findManagerWindow(), nullptr) << "closed though the edits were not written";
    EXPECT_EQ(preferences(), original);
    ASSERT_TRUE(SetFileAttributesW(preferences_.c_str(), FILE_ATTRIBUTE_NORMAL));

    // The refused Save stored nothing: the text is still asked about, also after "if" changed
    // outside; Yes writes it over that change.
    endtoend::writeBytes(preferences_, file({kFor, "if = If z ¤EndIf\r\n", kProc}));
    m.clickRow(0);
    EXPECT_BOX(m, message(manager::unsavedChangesQuestion(u"if")), "yes no cancel", "question",
               IDYES);
    const std::string saved = file({kFor, "if = If ¤EndIf1\r\n", kProc});
    EXPECT_EQ(waitForFile(saved), saved);

    clickWindow(m.control(kTemplateEditor));
    typeText(L"3");
    pressKey({VK_SHIFT, VK_RETURN});
    EXPECT_BOX(m, message(manager::unsavedChangesQuestion(u"for")), "yes no cancel", "question",
               IDNO);
    expectClosedLeaving(saved);
}

} // namespace

namespace {

std::string clientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

// Pixels of 96-DPI units, rounded down, as the windows are laid out.
int px(int units, int dpi) {
    return units * dpi / 96;
}

std::string place(int x, int y, int width, int height) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(width) + "x" +
           std::to_string(height);
}

// 3,000 Shortcuts narrowed by the filter as it is typed, one opened from the keyboard, and
// Escape, which first empties the filter and then does what it does outside the fields.
TEST_F(ManagerEndToEnd, FilterFindsAShortcutAmongThousands) {
    std::string original = kFileStart;
    for (int i = 0; i < 3000; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "s%04d = T%d\r\n", i, i);
        original += line;
    }
    ASSERT_TRUE(startManager(original)) << "no manager window";
    const Manager& m = *manager_;

    // The list follows each key, capitals or not.
    pressKey({VK_CONTROL, 'F'});
    typeText(L"S123");
    EXPECT_VIEW(m, "rows=s1230,s1231,s1232,s1233,s1234,s1235,s1236,s1237,s1238,s1239 current=-"
                   " name='' editor='' focus=filter");
    typeText(L"4");
    EXPECT_VIEW(m, "rows=s1234 current=- name='' editor='' focus=filter");
    pressKey({VK_DOWN});
    EXPECT_VIEW(m, "rows=s1234 current=s1234 name='s1234' editor='T1234' focus=list");

    // A filter that hides the shown Shortcut leaves it in the editor; Escape brings every row
    // back with its row current, and a second Escape changes nothing.
    pressKey({VK_CONTROL, 'F'});
    pressKey({VK_END});
    typeText(L"0");
    EXPECT_VIEW(m, "rows= current=- name='s1234' editor='T1234' focus=filter");
    for (int escape = 0; escape < 2; ++escape) {
        pressKey({VK_ESCAPE});
        EXPECT_TRUE(waitUntil([&] { return m.rowCount() == 3000; })) << m.rowCount();
        EXPECT_EQ(m.currentRow(), "s1234");
        EXPECT_EQ(windowText(m.control(kFilterField)), "");
        EXPECT_EQ(windowText(m.control(kTemplateEditor)), "T1234");
        EXPECT_EQ(m.focus(), "filter");
    }
    EXPECT_EQ(findMessageBox(m.processId), nullptr);
    pressKey({VK_SHIFT, VK_RETURN});
    expectClosedLeaving(original);
}

// A control's rectangle in the manager's client area, in pixels.
std::string placeOf(HWND control, HWND window) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
    return place(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

// Where a box of 96-DPI units lands in pixels.
std::string place(const manager::UnitBox& box, int dpi) {
    return place(px(box.x, dpi), px(box.y, dpi), px(box.width, dpi), px(box.height, dpi));
}

// A button of the row at the top, at x units from the client's left edge.
manager::UnitBox buttonBox(const manager::ButtonPlace& button, int x) {
    return {x, manager::kButtonY, button.width, manager::kButtonHeight};
}

// Where the manager's resize rule and its splitter put things for a client of that many units:
// the splitter keeps the ratio the manager stored when it set the separator on the splitter as
// made, and the right-hand buttons keep their distance from the right edge. The splitter, the
// list, the editor, Import, Open and Donate, one after the other.
std::string expectedLayout(int widthUnits, int heightUnits, int dpi) {
    using namespace manager;
    const int bar = ui::kSplitterBarWidth; // pixels at every DPI
    const ui::SplitterRatio stored =
        ui::splitterRatioFor(ui::splitterSpace(px(kClientWidth - kSplitterMarginsWidth, dpi), bar),
                             px(kSeparatorPosition, dpi));
    const int width = px(widthUnits - kSplitterMarginsWidth, dpi);
    const int height = px(heightUnits - kSplitterMarginsHeight, dpi);
    const ui::SplitterPanes panes =
        ui::layoutSplitterPanes(ui::splitterSpace(width, bar), stored, px(kSmallestListWidth, dpi),
                                px(kSmallestEditorWidth, dpi));
    const int x = px(kSplitterX, dpi);
    const int top = px(kSplitterY, dpi);
    return place(x, top, width, height) + "; " + place(x, top, panes.first, height) + "; " +
           place(x + panes.first + bar, top, panes.second, height) + "; " +
           place(buttonBox(kImportPlace, widthUnits - kImportPlace.x), dpi) + "; " +
           place(buttonBox(kOpenPlace, widthUnits - kOpenPlace.x), dpi) + "; " +
           place(buttonBox(kDonatePlace, widthUnits - kDonatePlace.x), dpi);
}

std::string layoutOf(const Manager& m) {
    std::string out;
    for (const ManagerPart control :
         {kSplitter, kShortcutList, kTemplateEditor, kImportButton, kOpenButton, kDonateButton})
        out += (out.empty() ? "" : "; ") + placeOf(m.control(control), m.window);
    return out;
}

void expectLayout(const Manager& m, int widthUnits, int heightUnits, int dpi) {
    const std::string expected = expectedLayout(widthUnits, heightUnits, dpi);
    std::string seen;
    waitUntil([&] { return (seen = layoutOf(m)) == expected; });
    EXPECT_EQ(seen, expected);
}

// The frame as the window has it now: its process may see another DPI than this one.
void resizeClient(HWND window, int width, int height) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    SetWindowPos(window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                 height + (outer.bottom - outer.top) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Under Xvfb, for photographs: ZENDRIK_MANAGER_PHOTO_SECONDS holds the window in a state.
void holdForPhoto() {
    if (const char* seconds = std::getenv("ZENDRIK_MANAGER_PHOTO_SECONDS"))
        pause(1000 * std::atoi(seconds));
}

class ManagerAtDpi : public ManagerEndToEnd, public ::testing::WithParamInterface<int> {};

// The window and its controls where the layout puts them at the screen's DPI, the smallest
// size, the panes after resizing, and the window with its last Shortcut gone.
TEST_P(ManagerAtDpi, LayoutResizeAndTheLastRowGone) {
    const int dpi = GetParam();
    {
        dpitest::ScopedMutex registryTurn(dpitest::kLogPixelsTurn);
        dpitest::LogPixelsSetting setting;
        ASSERT_TRUE(setting.set(DWORD(dpi)));
        ASSERT_TRUE(startManager(file({kIf}))) << "no manager window";
    } // the registry is as before from here on
    const Manager& m = *manager_;

    // Centred on the screen, client 640 x 400 units, every control in its place.
    RECT outer{};
    GetWindowRect(m.window, &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
    using namespace manager;
    EXPECT_EQ(clientSize(m.window),
              std::to_string(px(kClientWidth, dpi)) + "x" + std::to_string(px(kClientHeight, dpi)));
    const struct {
        ManagerPart control;
        UnitBox box;
    } kPlaces[] = {{kNewButton, buttonBox(kNewPlace, kNewPlace.x)},
                   {kDeleteButton, buttonBox(kDeletePlace, kDeletePlace.x)},
                   {kRenameButton, buttonBox(kRenamePlace, kRenamePlace.x)},
                   {kSaveButton, buttonBox(kSavePlace, kSavePlace.x)},
                   {kNameField, kNameFieldBox},
                   {kFilterField, kFilterFieldBox},
                   {kImportButton, buttonBox(kImportPlace, kClientWidth - kImportPlace.x)},
                   {kOpenButton, buttonBox(kOpenPlace, kClientWidth - kOpenPlace.x)},
                   {kDonateButton, buttonBox(kDonatePlace, kClientWidth - kDonatePlace.x)}};
    for (const auto& p : kPlaces)
        EXPECT_EQ(placeOf(m.control(p.control), m.window), place(p.box, dpi))
            << "control " << p.control;
    // The splitter as made, and the list as wide as the separator's place.
    const int left = px(kSplitterX, dpi), top = px(kSplitterY, dpi);
    const int width = px(kClientWidth - kSplitterMarginsWidth, dpi);
    const int height = px(kSplitterCreatedHeight, dpi), list = px(kSeparatorPosition, dpi);
    const int bar = ui::kSplitterBarWidth;
    EXPECT_EQ(placeOf(m.control(kSplitter), m.window), place(left, top, width, height));
    EXPECT_EQ(placeOf(m.control(kShortcutList), m.window), place(left, top, list, height));
    EXPECT_EQ(placeOf(m.control(kTemplateEditor), m.window),
              place(left + list + bar, top, width - list - bar, height));
    m.clickRow(0);
    EXPECT_VIEW(m, "rows=if current=if name='if' editor='If \r\nEndIf'"
                   " focus=list");
    holdForPhoto();

    // Tab goes through the enabled controls in their order on screen, left to right and top
    // to bottom; the name field is disabled here.
    std::string order = m.focus();
    for (int step = 0; step < 10; ++step) {
        const std::string before = m.focus();
        pressKey({VK_TAB});
        waitUntil([&] { return m.focus() != before; }, 1000);
        order += " " + m.focus();
    }
    EXPECT_EQ(order, "list editor import open donate new delete rename save filter list");
    EXPECT_EQ(windowText(m.control(kTemplateEditor)), "If \r\nEndIf")
        << "Tab typed into the editor";

    // Smaller than allowed gives the smallest size; the list is no narrower than its smallest
    // width.
    resizeClient(m.window, 100, 100);
    EXPECT_TRUE(waitUntil([&] {
        return clientSize(m.window) == std::to_string(px(kSmallestClientWidth, dpi)) + "x" +
                                           std::to_string(px(kSmallestClientHeight, dpi));
    })) << clientSize(m.window);
    expectLayout(m, kSmallestClientWidth, kSmallestClientHeight, dpi);
    RECT listBounds{};
    GetWindowRect(m.control(kShortcutList), &listBounds);
    EXPECT_GE(listBounds.right - listBounds.left, px(kSmallestListWidth, dpi));
    EXPECT_EQ(placeOf(m.control(kNameField), m.window), place(kNameFieldBox, dpi));
    EXPECT_EQ(placeOf(m.control(kFilterField), m.window), place(kFilterFieldBox, dpi));
    // Larger again (within the 1280 x 800 screen at 144 DPI): both panes grow by the ratio.
    resizeClient(m.window, px(700, dpi), px(440, dpi));
    expectLayout(m, 700, 440, dpi);

    // Deleting the last row leaves nothing shown and only New to start from.
    pressKey({VK_CONTROL, 'D'});
    EXPECT_BOX(m, message(manager::deleteQuestion(u"if")), "yes no", "exclamation", IDYES);
    EXPECT_VIEW(m, "rows= current=- name='' editor='' focus=window");
    EXPECT_EQ(waitForFile(kFileStart), kFileStart);

    // So does a New cancelled with no other row.
    pressKey({VK_CONTROL, 'N'});
    typeText(L"x");
    holdForPhoto();
    pressKey({VK_ESCAPE});
    EXPECT_BOX(m, message(manager::notSavedYetMessage(u"x")), "yes no", "none", IDYES);
    EXPECT_VIEW(m, "rows= current=- name='' editor='' focus=list");

    pressKey({VK_SHIFT, VK_RETURN});
    expectClosedLeaving(kFileStart);
}

INSTANTIATE_TEST_SUITE_P(Screens, ManagerAtDpi, ::testing::Values(96, 144),
                         [](const auto& info) { return std::to_string(info.param) + "Dpi"; });

} // namespace
