#pragma once
// Where a template's directives find their values on Windows: the local clock, the clipboard and
// the environment.
#include "idelink/TemplateDirectives.h"

namespace idelink {

// The clock and the clipboard, each read at its first use and kept for the rest of the run
// (copies share what was read), and the environment.
DirectiveSources windowsDirectiveSources();

// The value of an environment variable of this process; nullopt when it is not set.
std::optional<std::u16string> environmentVariable(std::u16string_view name);
// The same, empty when it is not set.
std::u16string environmentValue(std::u16string_view name);

} // namespace idelink
