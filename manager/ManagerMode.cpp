#include "manager/ManagerMode.h"

namespace manager {

ControlStates controlStatesFor(ManagerMode mode) {
    switch (mode) {
    case ManagerMode::NothingShown:
        return {true, false, false, false, false, true, true, true, false};
    case ManagerMode::Browsing:
        return {true, true, true, true, false, true, true, true, false};
    case ManagerMode::Creating:
        // Save stores the new Shortcut; the list and its filter stay put so that its row "..."
        // stays current.
        return {false, false, false, true, true, false, false, true, false};
    case ManagerMode::Renaming:
        // The stored template goes with the name: the editor is closed until the rename ends.
        return {false, false, true, false, true, false, false, false, true};
    }
    return controlStatesFor(ManagerMode::NothingShown);
}

bool namingMode(ManagerMode mode) {
    return mode == ManagerMode::Creating || mode == ManagerMode::Renaming;
}

ManagerKeyEffect keyEffectFor(ManagerCommand command, ManagerMode mode, FocusedPart focus) {
    const ControlStates states = controlStatesFor(mode);
    const bool inField = focus == FocusedPart::NameField || focus == FocusedPart::TemplateEditor;
    switch (command) {
    case ManagerCommand::New:
        // While a name is typed, New would drop it: the button is off then, and so is the key.
        return states.nameField ? ManagerKeyEffect::Nothing : ManagerKeyEffect::ClickNew;
    case ManagerCommand::Rename:
        return states.renameButton ? ManagerKeyEffect::ClickRename : ManagerKeyEffect::Nothing;
    case ManagerCommand::Delete:
        return states.deleteButton ? ManagerKeyEffect::ClickDelete : ManagerKeyEffect::Nothing;
    case ManagerCommand::Close:
        return ManagerKeyEffect::Close;
    case ManagerCommand::Import:
        return ManagerKeyEffect::ClickImport;
    case ManagerCommand::Filter:
        return states.filterField ? ManagerKeyEffect::FocusFilter : ManagerKeyEffect::Nothing;
    case ManagerCommand::Save:
        return inField && states.saveButton ? ManagerKeyEffect::ClickSave
                                            : ManagerKeyEffect::Nothing;
    case ManagerCommand::Escape:
        if (focus == FocusedPart::FilterField)
            return ManagerKeyEffect::ClearFilter;
        return focus == FocusedPart::NameField ||
                       (focus == FocusedPart::TemplateEditor && namingMode(mode))
                   ? ManagerKeyEffect::Escape
                   : ManagerKeyEffect::Nothing;
    }
    return ManagerKeyEffect::Nothing;
}

} // namespace manager
