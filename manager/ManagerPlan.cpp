#include "manager/ManagerPlan.h"

#include <optional>

#include "manager/ManagerText.h"

namespace manager {

namespace {

std::optional<std::u16string> templateOf(const store::ShortcutStore* shortcuts,
                                         const std::u16string& name) {
    if (!shortcuts || name.empty())
        return std::nullopt;
    return store::findShortcut(*shortcuts, name);
}

// The same names in both, `extra` counted as one of `after`'s.
bool sameNames(const store::ShortcutStore& before, const store::ShortcutStore& after,
               const std::u16string& extra) {
    const bool extraAdds = !extra.empty() && !store::findShortcut(after, extra);
    if (store::shortcutCount(before) != store::shortcutCount(after) + (extraAdds ? 1 : 0))
        return false;
    bool same = true;
    store::forEachShortcutName(before, [&](std::u16string_view name) {
        if (same && name != extra && !store::findShortcut(after, name))
            same = false;
    });
    return same;
}

// The user is at work on the shown Shortcut: renaming it, holding edits of it, or saving it.
bool workingOnShown(const ManagerFacts& facts) {
    if (facts.mode == ManagerMode::Renaming)
        return true;
    return facts.mode == ManagerMode::Browsing &&
           (facts.editsUnsaved || facts.action == ManagerAction::Save);
}

// Reading the file again: what the window takes of it and shows. A file that is gone changes
// nothing here; the next write gives it the whole library back.
void followFile(const ManagerFacts& facts, ManagerPlan& plan) {
    if (facts.file != store::LibraryState::Changed || !facts.fresh || !facts.held)
        return;
    plan.takeFresh = true;
    const bool showing = facts.mode == ManagerMode::Browsing || facts.mode == ManagerMode::Renaming;
    const std::u16string shown = showing ? facts.shownName : std::u16string();
    const std::optional<std::u16string> before = templateOf(facts.held, shown);
    const std::optional<std::u16string> now = templateOf(facts.fresh, shown);
    plan.keepShown = before && !now && workingOnShown(facts);
    plan.refillRows = !sameNames(*facts.held, *facts.fresh, plan.keepShown ? shown : u"");
    if (!before || plan.keepShown)
        return;
    // No row is current once the shown one is gone; an empty Shortcut shown in its place would
    // take typed text that nothing counts as unsaved.
    if (!now) {
        plan.showNothing = true;
        return;
    }
    if (*now == *before)
        return;
    if (!facts.editsUnsaved) {
        plan.refreshEditor = true;
        return;
    }
    // Typed text and an outside change of the same template: only the user can choose. A rename
    // keeps the edits for later, and a Save or a question of the action itself settles them.
    if (facts.mode == ManagerMode::Browsing && facts.action == ManagerAction::Activation)
        plan.askAboutEdits = true;
}

// The Shortcuts as the action will see them once the plan's reading of the file is applied.
bool holds(const ManagerFacts& facts, const ManagerPlan& plan, const std::u16string& name) {
    if (plan.keepShown && name == facts.shownName)
        return true;
    return templateOf(plan.takeFresh ? facts.fresh : facts.held, name).has_value();
}

// A name is checked against the file as it is now, not as the window last read it.
Refusal refusalOf(const ManagerFacts& facts, const ManagerPlan& plan, bool mustBeNew) {
    if (facts.name.empty())
        return Refusal::EmptyName;
    if (mustBeNew && holds(facts, plan, facts.name))
        return Refusal::NameExists;
    if (!store::isStorableShortcutName(facts.name))
        return Refusal::NameUnstorable;
    return Refusal::None;
}

// Before the editor's text is replaced or the window goes: typed text is never dropped
// without a question.
void settleBeforeLeaving(const ManagerFacts& facts, ManagerPlan& plan) {
    if (facts.editsUnsaved)
        plan.askAboutEdits = true;
}

} // namespace

bool editorTextUnsaved(ManagerMode mode, const std::u16string& editorTemplate,
                       const std::u16string* storedTemplate) {
    switch (mode) {
    case ManagerMode::NothingShown:
    case ManagerMode::Creating:
        return !editorTemplate.empty();
    case ManagerMode::Browsing:
    case ManagerMode::Renaming:
        break;
    }
    // A Shortcut no longer stored (just deleted) leaves nothing to save.
    return storedTemplate && *storedTemplate != editorTemplate;
}

std::vector<std::u16string> shortcutRows(const store::ShortcutStore& store) {
    std::vector<std::u16string> rows;
    rows.reserve(store::shortcutCount(store));
    store::forEachShortcutName(store,
                               [&rows](std::u16string_view name) { rows.emplace_back(name); });
    sortShortcutNames(rows);
    return rows;
}

ManagerPlan planManagerAction(const ManagerFacts& facts) {
    ManagerPlan plan;
    followFile(facts, plan);
    switch (facts.action) {
    case ManagerAction::Activation:
    case ManagerAction::RenameCancel:
        break;
    case ManagerAction::Delete:
        // A Shortcut that the file lost meanwhile leaves nothing to delete.
        plan.act = !plan.showNothing;
        plan.write = plan.act;
        break;
    case ManagerAction::ShowRow:
        // The same row again keeps the edits rather than dropping them.
        if (facts.editsUnsaved && facts.mode == ManagerMode::Browsing &&
            facts.name == facts.shownName) {
            plan.act = false;
            break;
        }
        settleBeforeLeaving(facts, plan);
        break;
    case ManagerAction::New:
        // Text typed with nothing shown already is the new Shortcut's template.
        if (facts.mode != ManagerMode::NothingShown)
            settleBeforeLeaving(facts, plan);
        break;
    case ManagerAction::Close:
        settleBeforeLeaving(facts, plan);
        // Otherwise the newest library would live only in the window, and go with it. A window
        // that never had a file (the default file could not be written) has nothing to give back:
        // an empty library written would keep the defaults from ever being written.
        plan.write = facts.file == store::LibraryState::Missing && facts.held &&
                     facts.held->stamp.file.exists;
        break;
    case ManagerAction::Save:
        plan.refusal = refusalOf(facts, plan, facts.mode == ManagerMode::Creating);
        plan.write = plan.refusal == Refusal::None;
        plan.act = plan.write;
        break;
    case ManagerAction::RenameEnd:
        // An empty or unchanged name renames nothing.
        if (facts.name.empty() || facts.name == facts.oldName)
            break;
        plan.refusal = refusalOf(facts, plan, true);
        plan.write = plan.refusal == Refusal::None;
        plan.act = plan.write;
        break;
    case ManagerAction::EditorTyped:
        plan.beginNew = facts.mode == ManagerMode::NothingShown;
        plan.act = plan.beginNew;
        break;
    }
    return plan;
}

} // namespace manager
