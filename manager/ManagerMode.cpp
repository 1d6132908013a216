#include "manager/ManagerMode.h"

namespace manager {

ControlStates controlStatesFor(ManagerMode mode) {
    switch (mode) {
    case ManagerMode::NothingShown:
        return {true, false, false, false, false, true, true, false};
    case ManagerMode::Browsing:
        return {true, true, true, true, false, true, true, false};
    case ManagerMode::Creating:
        // Save stores the new Shortcut; the list stays put so that its row "..." stays current.
        return {false, false, false, true, true, false, true, false};
    case ManagerMode::Renaming:
        // The stored template goes with the name: the editor is closed until the rename ends.
        return {false, false, true, false, true, false, false, true};
    }
    return controlStatesFor(ManagerMode::NothingShown);
}

bool namingMode(ManagerMode mode) {
    return mode == ManagerMode::Creating || mode == ManagerMode::Renaming;
}

} // namespace manager
