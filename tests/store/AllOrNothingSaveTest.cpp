// A save cut short at any step, by a failure or by the process ending there, leaves the file
// with exactly its old bytes or exactly its new ones; a leftover of a cut-short save is never
// read as the library and goes with the next save.
#include "store/FileAccess.h"
#include "store/ShortcutStore.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using storetest::readBytes;
using storetest::TempFolder;
using storetest::u16;
using storetest::writeBytes;
namespace fs = storetest::fs;

using storetest::kBom;

// Steps of the save under way, each answered by the table's row.
struct StepScript {
    std::vector<store::SaveStep> seen;
    size_t faultAt = size_t(-1);
    store::StepOutcome outcome = store::StepOutcome::Proceed;
};

class ScriptedSave {
  public:
    explicit ScriptedSave(StepScript& script) {
        store::saveFaults().beforeStep = [&script](store::SaveStep step) {
            script.seen.push_back(step);
            return script.seen.size() - 1 == script.faultAt ? script.outcome
                                                            : store::StepOutcome::Proceed;
        };
    }
    ~ScriptedSave() { store::saveFaults().beforeStep = nullptr; }
    ScriptedSave(const ScriptedSave&) = delete;
    ScriptedSave& operator=(const ScriptedSave&) = delete;
};

TEST(AllOrNothingSave, EveryStepCutShortLeavesTheOldOrTheNewBytes) {
    TempFolder folder;
    const auto path = folder / "Zendrik.pref";
    const auto saving = fs::path(store::savingFilePath(u16(path)));
    // Large enough to be written in several pieces.
    std::string old = kBom + "; mine\r\n[Shortcuts]\r\n";
    for (int i = 0; i < 60000; ++i)
        old += "k" + std::to_string(i) +
               " = Procedure \xC2\xA4"
               "EndProcedure\r\n";
    old += "[Popup]\r\nOpacity = 200\r\n";
    std::string saved = old;
    saved.insert(saved.find("[Popup]"), "new = x\r\n");

    // A clean run names the steps: creating the new file, its pieces, the flush, the swap.
    StepScript clean;
    writeBytes(path, old);
    {
        ScriptedSave scripted(clean);
        ASSERT_TRUE(store::saveShortcutIn(u16(path), u"new", u"x"));
    }
    ASSERT_TRUE(readBytes(path) == saved);
    ASSERT_GE(clean.seen.size(), 5u);
    EXPECT_EQ(clean.seen.front(), store::SaveStep::Create);
    EXPECT_EQ(clean.seen[1], store::SaveStep::Write);
    EXPECT_EQ(clean.seen[clean.seen.size() - 2], store::SaveStep::Flush);
    EXPECT_EQ(clean.seen.back(), store::SaveStep::Replace);
    EXPECT_FALSE(fs::exists(saving));

    for (const store::StepOutcome outcome : {store::StepOutcome::Fail, store::StepOutcome::Stop}) {
        for (size_t step = 0; step < clean.seen.size(); ++step) {
            const bool stopped = outcome == store::StepOutcome::Stop;
            SCOPED_TRACE((stopped ? "stop before step " : "fail at step ") + std::to_string(step));
            writeBytes(path, old);
            StepScript script{{}, step, outcome};
            {
                ScriptedSave scripted(script);
                EXPECT_FALSE(store::saveShortcutIn(u16(path), u"new", u"x"));
            }
            EXPECT_TRUE(readBytes(path) == old) << "the library is neither old nor new";
            EXPECT_EQ(script.seen.size(), step + 1) << "a step ran after the cut";
            // A failure cleans up after itself; an ended process leaves its half-written file.
            EXPECT_EQ(fs::exists(saving), stopped && step > 0);

            // The library reads as it was, whatever lies beside it.
            store::ShortcutStore shortcuts;
            store::PopupSettings settings;
            store::loadShortcutsFrom(u16(path), shortcuts, settings);
            EXPECT_EQ(store::shortcutCount(shortcuts), 60000u);
            EXPECT_FALSE(store::findShortcut(shortcuts, u"new"));
            EXPECT_EQ(settings.opacity, 200);

            // The next save succeeds and takes the leftover with it.
            ASSERT_TRUE(store::saveShortcutIn(u16(path), u"new", u"x"));
            EXPECT_TRUE(readBytes(path) == saved);
            EXPECT_FALSE(fs::exists(saving));
        }
    }
}

} // namespace

namespace {

// A save through a symbolic link gives its target the new bytes and leaves the link a link.
TEST(AllOrNothingSave, SymbolicLinkStaysALinkToTheSavedFile) {
    TempFolder folder;
    const auto target = folder / "library.pref";
    const auto link = folder / "Zendrik.pref";
    writeBytes(target, "[Shortcuts]\r\na = 1\r\n");
    std::error_code error;
    fs::create_symlink(target, link, error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    ASSERT_TRUE(store::saveShortcutIn(u16(link), u"b", u"2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), kBom + "[Shortcuts]\r\na = 1\r\nb = 2\r\n");
}

} // namespace
