#pragma once
// The texts a start shows outside the windows of its modes. Plain C++, no Win32.
#include <optional>
#include <string>
#include <string_view>

#include "idelink/TemplateExpansion.h"

namespace app {

// Names the unknown argument and tells what the known ones do.
std::u16string knownArgumentsMessage(std::u16string_view unknown);

// What the user is told about an expansion that changed nothing for a reason they cannot see;
// nullopt for an end that needs no word (inserted, cancelled, typed on).
std::optional<std::u16string> expansionMessage(const idelink::ExpansionOutcome& outcome);

} // namespace app
