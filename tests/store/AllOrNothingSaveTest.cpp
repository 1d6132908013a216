// A save cut short at any step, by a failure or by the process ending there, leaves the file
// with exactly its old bytes or exactly its new ones, or the old ones waiting beside it for the
// next writer to put back; a leftover of a cut-short save is never read as the library and
// goes with the next save. Two processes saving at once never lose each other's changes.
#include "store/FileAccess.h"
#include "store/ShortcutStore.h"

#include "store/StoreTestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
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

// What follows a save cut short: the next save, or a start that finds the library missing
// and writes the default file (after the library was deleted, or while its only copy waits).
enum class Then { NextSave, StartAfterDelete, StartThenSave };

// The library is named as the program names it, bare, in the working directory; every
// leftover is this same process's own.
TEST(AllOrNothingSave, EveryStepCutShortLeavesTheOldOrTheNewBytes) {
    TempFolder folder;
    WorkingDirectory inFolder(folder.path());
    const std::u16string path(store::kPreferenceFileName);
    const fs::path library(path);
    const fs::path saving(store::savingFilePath(path));
    const fs::path waiting(store::replacedFilePath(path));
    const fs::path backups("Zendrik.backup");
    // Large enough to be written in several pieces.
    std::string old = kBom + "; mine\r\n[Shortcuts]\r\n";
    for (int i = 0; i < 60000; ++i)
        old.append("k").append(std::to_string(i)).append(" = Procedure \u00A4EndProcedure\r\n");
    old += "[Popup]\r\nOpacity = 200\r\n";
    std::string saved = old;
    saved.insert(saved.find("[Popup]"), "new = x\r\n");

    // A clean run names the steps: the lock, creating the new file, its pieces, the flush, the
    // swap.
    StepScript clean;
    writeBytes(library, old);
    {
        ScriptedSave scripted(clean);
        ASSERT_TRUE(store::saveShortcutIn(path, u"new", u"x"));
    }
    ASSERT_TRUE(readBytes(library) == saved);
    ASSERT_GE(clean.seen.size(), 6u);
    EXPECT_EQ(clean.seen[0], store::SaveStep::Lock);
    EXPECT_EQ(clean.seen[1], store::SaveStep::Create);
    EXPECT_EQ(clean.seen[2], store::SaveStep::Write);
    EXPECT_EQ(clean.seen[clean.seen.size() - 2], store::SaveStep::Flush);
    EXPECT_EQ(clean.seen.back(), store::SaveStep::Replace);
    EXPECT_FALSE(fs::exists(saving));

    using Outcome = store::StepOutcome;
    struct Cut {
        const char* title;
        Outcome outcome;
        bool swapOnly;      // only the swap can end so
        bool backupsUsable; // else a file stands where the backup folder would be
        bool libraryWaits;  // the old bytes wait beside a missing library
        Then then;
    };
    const Cut cuts[] = {
        {"a failure", Outcome::Fail, false, true, false, Then::NextSave},
        {"an ended process", Outcome::Stop, false, true, false, Then::NextSave},
        {"an ended process, then the library deleted", Outcome::Stop, false, true, false,
         Then::StartAfterDelete},
        {"every swap fails after the old file left", Outcome::OldLeftThenFail, true, true, false,
         Then::NextSave},
        {"putting the old file back fails too", Outcome::OldLeftNoWayBack, true, true, true,
         Then::NextSave},
        {"putting it back fails, no backup folder, then a start", Outcome::OldLeftNoWayBack, true,
         false, true, Then::StartThenSave},
    };
    for (const Cut& cut : cuts) {
        for (size_t step = cut.swapOnly ? clean.seen.size() - 1 : 0; step < clean.seen.size();
             ++step) {
            const bool stopped = cut.outcome == Outcome::Stop;
            SCOPED_TRACE(std::string(cut.title) + " at step " + std::to_string(step));
            fs::remove_all(backups);
            if (!cut.backupsUsable)
                writeBytes(backups, "in the way");
            writeBytes(library, old);
            StepScript script{{}, step, cut.outcome};
            {
                ScriptedSave scripted(script);
                EXPECT_FALSE(store::saveShortcutIn(path, u"new", u"x"));
            }
            EXPECT_EQ(script.seen.size(), step + 1) << "a step ran after the cut";
            // A failure cleans up after itself; an ended process leaves its half-written file.
            EXPECT_EQ(fs::exists(saving), stopped && step > 1);
            if (cut.libraryWaits) {
                EXPECT_FALSE(fs::exists(library));
                EXPECT_TRUE(readBytes(waiting) == old) << "the only copy is gone";
            } else {
                EXPECT_TRUE(readBytes(library) == old) << "the library is neither old nor new";
                // The library reads as it was, whatever lies beside it.
                store::ShortcutStore shortcuts;
                store::PopupSettings settings;
                store::loadShortcutsFrom(path, shortcuts, settings);
                EXPECT_EQ(store::shortcutCount(shortcuts), 60000u);
                EXPECT_FALSE(store::findShortcut(shortcuts, u"new"));
                EXPECT_EQ(settings.opacity, 200);
            }

            if (cut.then == Then::StartAfterDelete) {
                fs::remove(library);
                EXPECT_TRUE(store::writeDefaultFile(path));
                EXPECT_EQ(readBytes(library), goldenBytes("store/golden/DefaultFile.pref"));
            } else {
                // A start puts the waiting library back rather than write the defaults.
                if (cut.then == Then::StartThenSave) {
                    EXPECT_FALSE(store::writeDefaultFile(path));
                    EXPECT_TRUE(readBytes(library) == old);
                }
                // The next save succeeds and takes the leftovers with it.
                ASSERT_TRUE(store::saveShortcutIn(path, u"new", u"x"));
                EXPECT_TRUE(readBytes(library) == saved);
            }
            EXPECT_FALSE(fs::exists(saving));
            EXPECT_FALSE(fs::exists(waiting));
        }
    }
}

// What earlier saves left beside the library, each the work of a writer that ended: a second
// name of the library as the new file (a create-only save ended between link and unlink), a
// read-only new file, and the old file set aside by a swap cut short.
TEST(AllOrNothingSave, LeftoversOfEarlierSavesNeverCostTheLibrary) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    const fs::path saving(store::savingFilePath(u16(path)));
    const fs::path waiting(store::replacedFilePath(u16(path)));
    const std::string old = "[Shortcuts]\r\nold = 1\r\n";
    const std::string older = "[Shortcuts]\r\nolder = 1\r\n";
    enum class Leftover { LinkedNewFile, ReadOnlyNewFile, OldFileSetAside };
    struct Case {
        const char* title;
        Leftover leftover;
        bool libraryThere;
        bool backupsUsable;
        std::string savedOnto;   // what the change is made to
        bool setAsideKeptBeside; // else gone, into the backups when the library was there
    };
    const Case cases[] = {
        {"a second name of the library", Leftover::LinkedNewFile, true, true, old, false},
        {"a read-only new file", Leftover::ReadOnlyNewFile, true, true, old, false},
        {"an older file beside the library", Leftover::OldFileSetAside, true, true, old, false},
        {"an older file beside the library, no backup folder", Leftover::OldFileSetAside, true,
         false, old, true},
        {"the only copy beside a missing library", Leftover::OldFileSetAside, false, true, older,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        fs::remove_all(folder / "Zendrik.backup");
        fs::remove(path);
        if (!c.backupsUsable)
            writeBytes(folder / "Zendrik.backup", "in the way");
        if (c.libraryThere)
            writeBytes(path, old);
        switch (c.leftover) {
        case Leftover::LinkedNewFile:
            fs::create_hard_link(path, saving);
            break;
        case Leftover::ReadOnlyNewFile:
            writeBytes(saving, "leftover");
            fs::permissions(saving, fs::perms::owner_write, fs::perm_options::remove);
            break;
        case Leftover::OldFileSetAside:
            writeBytes(waiting, older);
            break;
        }
        ASSERT_TRUE(store::saveShortcutIn(u16(path), u"new", u"x"));
        EXPECT_EQ(readBytes(path), kBom + c.savedOnto + "new = x\r\n");
        EXPECT_FALSE(fs::exists(saving));
        EXPECT_EQ(fs::exists(waiting), c.setAsideKeptBeside);
        if (c.setAsideKeptBeside) {
            EXPECT_EQ(readBytes(waiting), older);
        }
        // Every version the library had is somewhere.
        std::vector<std::string> kept;
        if (c.backupsUsable) {
            for (const auto& entry : fs::directory_iterator(folder / "Zendrik.backup"))
                kept.push_back(readBytes(entry.path()));
        }
        std::sort(kept.begin(), kept.end());
        if (c.leftover == Leftover::OldFileSetAside && c.libraryThere && c.backupsUsable) {
            EXPECT_EQ(kept, (std::vector<std::string>{old, older}));
        }
        if (!c.libraryThere) {
            EXPECT_EQ(kept, std::vector<std::string>{older});
        }
    }
}

// Every replacing save keeps the version before it, in the order of the saves, the last ten
// that differ; a backup that cannot be made never stops the save. Files that only look like
// backups (copied in) neither stop the backups nor are ever removed.
TEST(AllOrNothingSave, ReplacedVersionsAreKeptBesideTheLibrary) {
    const std::vector<std::string> strayCases[] = {
        {},
        {"Zendrik 2099-12-31 235959-99999.pref"},
        {"Zendrik 2000-01-01 000000.pref", "Zendrik 2099-12-31 235959.pref"},
    };
    for (const std::vector<std::string>& strays : strayCases) {
        SCOPED_TRACE(strays.empty() ? "no stray" : strays.front());
        TempFolder folder;
        const auto path = folder / store::kPreferenceFileName;
        const auto save = [&](const std::string& bytes) {
            return store::saveWholeFile(u16(path), store::SaveMode::Replace,
                                        [&](const store::FileHandle& file) {
                                            return store::writeSavePiece(file, 0, bytes) &&
                                                   store::finishSaveFile(file, bytes.size());
                                        });
        };
        const auto isStray = [&](const std::string& name) {
            return std::find(strays.begin(), strays.end(), name) != strays.end();
        };
        const auto backups = [&] {
            std::vector<std::string> kept;
            for (const auto& entry : fs::directory_iterator(folder / "Zendrik.backup")) {
                if (!isStray(entry.path().filename().string()))
                    kept.push_back(entry.path().filename().string());
            }
            // By the time of the save, then the number of the save within that second.
            const auto order = [](const std::string& name) {
                return std::make_pair(name.substr(0, 25),
                                      name[25] == '-' ? std::stoi(name.substr(26)) : 1);
            };
            std::sort(kept.begin(), kept.end(), [&](const std::string& a, const std::string& b) {
                return order(a) < order(b);
            });
            std::vector<std::string> contents;
            for (const std::string& name : kept) {
                EXPECT_EQ(name.substr(0, 10), "Zendrik 20") << name;
                contents.push_back(readBytes(folder / "Zendrik.backup" / name));
            }
            return contents;
        };
        fs::create_directory(folder / "Zendrik.backup");
        for (const std::string& stray : strays)
            writeBytes(folder / "Zendrik.backup" / stray, "stray");
        ASSERT_TRUE(save("version 0"));
        for (int i = 1; i <= 12; ++i)
            ASSERT_TRUE(save("version " + std::to_string(i)));
        ASSERT_TRUE(save("version 12"));
        ASSERT_TRUE(save("version 12"));
        std::vector<std::string> expected;
        for (int i = 3; i <= 12; ++i)
            expected.push_back("version " + std::to_string(i));
        EXPECT_EQ(backups(), expected);
        for (const std::string& stray : strays)
            EXPECT_EQ(readBytes(folder / "Zendrik.backup" / stray), "stray");

        fs::remove_all(folder / "Zendrik.backup");
        writeBytes(folder / "Zendrik.backup", "in the way");
        EXPECT_TRUE(save("version 13"));
        EXPECT_EQ(readBytes(path), "version 13");
        // The library, the lock file and what stands in the backup folder's place.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()),
                  3);
    }
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

// Another program writes the file after the manager looked at it and before its change has the
// lock, giving the file back its time: the change goes into the file as that program left it,
// and the library, which lacks that write, must not take the written file for its own.
TEST(AllOrNothingSave, AWriteBeforeTheLockLeavesTheFileChangedForTheLibrary) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    const std::string held = kBom + "[Shortcuts]\r\na = 1\r\n";
    const struct {
        std::string outside; // the file as the other program leaves it; `held`: no write
        store::LibraryState then;
    } cases[] = {{held, store::LibraryState::Unchanged},
                 {held + "c = 3\r\n", store::LibraryState::Changed},
                 {kBom + "[Shortcuts]\r\na = 9\r\n", store::LibraryState::Changed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outside);
        writeBytes(path, held);
        const auto time = fs::last_write_time(path);
        store::ShortcutStore library;
        store::PopupSettings settings;
        store::loadShortcutsFrom(u16(path), library, settings);
        store::saveFaults().beforeStep = [&](store::SaveStep step) {
            if (step == store::SaveStep::Lock && c.outside != held) {
                writeBytes(path, c.outside);
                fs::last_write_time(path, time);
            }
            return store::StepOutcome::Proceed;
        };
        EXPECT_TRUE(store::writeShortcutChange(
            u16(path), library, {store::ShortcutChange::Kind::Save, u"b", {}, u"2"}));
        store::saveFaults().beforeStep = nullptr;
        EXPECT_EQ(readBytes(path), c.outside + "b = 2\r\n");
        EXPECT_EQ(store::checkLibrary(u16(path), library.stamp), c.then);
    }
}

#ifndef _WIN32
// Two processes saving at once, forty Shortcuts each: whatever either reported saved is in the
// file, the backups stay bounded and no temporary is left.
TEST(AllOrNothingSave, TwoProcessesSavingAtOnceLoseNothing) {
    TempFolder folder;
    const auto path = folder / store::kPreferenceFileName;
    ASSERT_TRUE(store::writeDefaultFile(u16(path)));
    int start[2];
    int reports[2];
    ASSERT_EQ(pipe(start), 0);
    ASSERT_EQ(pipe(reports), 0);
    std::vector<pid_t> writers;
    for (const char writer : {'a', 'b'}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(start[1]);
            char go;
            (void)!read(start[0], &go, 1); // returns when the test closes its end
            for (int i = 0; i < 40; ++i) {
                const std::string name = writer + std::to_string(i);
                if (store::saveShortcutIn(u16(path), u16(name), u"x"))
                    (void)!write(reports[1], (name + "\n").data(), name.size() + 1);
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    close(start[0]);
    close(reports[1]);
    close(start[1]);
    std::string reported;
    char buffer[256];
    for (ssize_t n; (n = read(reports[0], buffer, sizeof buffer)) > 0;)
        reported.append(buffer, size_t(n));
    close(reports[0]);
    for (const pid_t pid : writers)
        waitpid(pid, nullptr, 0);

    store::ShortcutStore shortcuts;
    store::PopupSettings settings;
    store::loadShortcutsFrom(u16(path), shortcuts, settings);
    size_t saved = 0;
    for (size_t at = 0, end; (end = reported.find('\n', at)) != std::string::npos; at = end + 1) {
        ++saved;
        EXPECT_TRUE(store::findShortcut(shortcuts, u16(reported.substr(at, end - at))))
            << reported.substr(at, end - at) << " was reported saved";
    }
    EXPECT_EQ(saved, 80u);
    EXPECT_EQ(store::shortcutCount(shortcuts), 22u + saved);
    EXPECT_LE(
        std::distance(fs::directory_iterator(folder / "Zendrik.backup"), fs::directory_iterator()),
        std::ptrdiff_t(store::kKeptBackups));
    EXPECT_FALSE(fs::exists(fs::path(store::savingFilePath(u16(path)))));
    EXPECT_FALSE(fs::exists(fs::path(store::replacedFilePath(u16(path)))));
}
#endif

} // namespace
