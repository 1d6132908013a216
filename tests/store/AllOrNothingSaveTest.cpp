// A save cut short at any step, by a failure or by the process ending there, leaves the file
// with exactly its old bytes or exactly its new ones; a leftover of a cut-short save is never
// read as the library and goes with the next save.
#include "store/FileAccess.h"
#include "store/ShortcutStore.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using namespace storetest;

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
    const auto path = folder / store::kPreferenceFileName;
    const auto saving = fs::path(store::savingFilePath(u16(path)));
    // Large enough to be written in several pieces.
    std::string old = kBom + "; mine\r\n[Shortcuts]\r\n";
    for (int i = 0; i < 60000; ++i)
        old.append("k").append(std::to_string(i)).append(" = Procedure \u00A4EndProcedure\r\n");
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

    // The swap can also fail after the old file went to its backup name, on every try.
    for (const store::StepOutcome outcome : {store::StepOutcome::Fail, store::StepOutcome::Stop,
                                             store::StepOutcome::OldLeftThenFail}) {
        const size_t first =
            outcome == store::StepOutcome::OldLeftThenFail ? clean.seen.size() - 1 : 0;
        for (size_t step = first; step < clean.seen.size(); ++step) {
            const bool stopped = outcome == store::StepOutcome::Stop;
            SCOPED_TRACE("outcome " + std::to_string(int(outcome)) + " at step " +
                         std::to_string(step));
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

// What earlier saves left beside the library: this process's own name as a second name of the
// library (a create-only save ended between link and unlink), the same read-only, and the
// temporaries of a writer that ended and of one still writing.
TEST(AllOrNothingSave, LeftoversOfEarlierSavesNeverCostTheLibrary) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    const std::string old = "[Shortcuts]\r\nold = 1\r\n";
    const auto saving = fs::path(store::savingFilePath(u16(path)));
    const auto ended = fs::path(store::savingFilePath(u16(path), 0x7ffffff0));
#ifndef _WIN32
    const auto writing = fs::path(store::savingFilePath(u16(path), std::uint32_t(getppid())));
#endif
    for (const bool readOnly : {false, true}) {
        writeBytes(path, old);
        if (readOnly) {
            writeBytes(saving, "leftover");
            fs::permissions(saving, fs::perms::owner_write, fs::perm_options::remove);
        } else {
            fs::create_hard_link(path, saving);
        }
        StepScript script{{}, 1, store::StepOutcome::Fail};
        {
            ScriptedSave scripted(script);
            EXPECT_FALSE(store::saveShortcutIn(u16(path), u"new", u"x"));
        }
        EXPECT_EQ(readBytes(path), old) << "read-only " << readOnly;
        writeBytes(ended, "ended");
#ifndef _WIN32
        writeBytes(writing, "still writing");
#endif
        EXPECT_TRUE(store::saveShortcutIn(u16(path), u"new", u"x"));
        EXPECT_EQ(readBytes(path), kBom + "[Shortcuts]\r\nold = 1\r\nnew = x\r\n");
        EXPECT_FALSE(fs::exists(saving) || fs::exists(ended));
#ifndef _WIN32
        EXPECT_EQ(readBytes(writing), "still writing");
#endif
    }
}

// Every replacing save keeps the version before it, in the order of the saves, the last ten
// that differ; a backup that cannot be made never stops the save.
TEST(AllOrNothingSave, ReplacedVersionsAreKeptBesideTheLibrary) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    const auto save = [&](const std::string& bytes) {
        return store::saveWholeFile(u16(path), store::SaveMode::Replace,
                                    [&](const store::FileHandle& file) {
                                        return store::writeSavePiece(file, 0, bytes) &&
                                               store::finishSaveFile(file, bytes.size());
                                    });
    };
    const auto backups = [&] {
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator(folder / "Zendrik.backup"))
            kept.push_back(entry.path().filename().string());
        // By the time of the save, then the number of the save within that second.
        const auto order = [](const std::string& name) {
            return std::make_pair(name.substr(0, 25),
                                  name[25] == '-' ? std::stoi(name.substr(26)) : 1);
        };
        std::sort(kept.begin(), kept.end(),
                  [&](const std::string& a, const std::string& b) { return order(a) < order(b); });
        std::vector<std::string> contents;
        for (const std::string& name : kept) {
            EXPECT_EQ(name.substr(0, 10), "Zendrik 20") << name;
            contents.push_back(readBytes(folder / "Zendrik.backup" / name));
        }
        return contents;
    };
    ASSERT_TRUE(save("version 0"));
    for (int i = 1; i <= 12; ++i)
        ASSERT_TRUE(save("version " + std::to_string(i)));
    ASSERT_TRUE(save("version 12"));
    ASSERT_TRUE(save("version 12"));
    std::vector<std::string> expected;
    for (int i = 3; i <= 12; ++i)
        expected.push_back("version " + std::to_string(i));
    EXPECT_EQ(backups(), expected);

    fs::remove_all(folder / "Zendrik.backup");
    writeBytes(folder / "Zendrik.backup", "in the way");
    EXPECT_TRUE(save("version 13"));
    EXPECT_EQ(readBytes(path), "version 13");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

// A save through a symbolic link gives its target the new bytes and leaves the link a link.
TEST(AllOrNothingSave, SymbolicLinkStaysALinkToTheSavedFile) {
    TempFolder folder;
    const auto target = folder / "library.pref";
    const auto link = folder / store::kPreferenceFileName;
    writeBytes(target, "[Shortcuts]\r\na = 1\r\n");
    std::error_code error;
    fs::create_symlink(target, link, error);
    if (error)
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    // Read through the link, the library is the file it points to.
    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcutsFrom(u16(link), shortcuts, settings);
    EXPECT_EQ(store::checkLibrary(u16(link), shortcuts.stamp), store::LibraryState::Unchanged);
    ASSERT_TRUE(store::saveShortcutIn(u16(link), u"b", u"2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readBytes(target), kBom + "[Shortcuts]\r\na = 1\r\nb = 2\r\n");
}

} // namespace
