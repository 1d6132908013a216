#include "manager/ManagerMode.h"

namespace manager {

ControlStates controlStatesFor(ManagerMode mode) {
    switch (mode) {
    case ManagerMode::nothingShown:
        return {true, false, false, false, false, true, true, false};
    case ManagerMode::browsing:
        return {true, true, true, true, false, true, true, false};
    case ManagerMode::creating:
        // Save stores the new Shortcut; the list stays put so that its row "..." stays current.
        return {false, false, false, true, true, false, true, false};
    case ManagerMode::renaming:
        // The stored template goes with the name: the editor is closed until the rename ends.
        return {false, false, true, false, true, false, false, true};
    }
    return controlStatesFor(ManagerMode::nothingShown);
}

bool namingMode(ManagerMode mode) {
    return mode == ManagerMode::creating || mode == ManagerMode::renaming;
}

} // namespace manager
