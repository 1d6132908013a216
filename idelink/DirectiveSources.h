#pragma once
// Where a template's directives find their values on Windows: the local clock and the
// clipboard.
#include "idelink/TemplateDirectives.h"

namespace idelink {

// The clock and the clipboard, each read at its first use and kept for the rest of the run;
// copies share what was read.
DirectiveSources windowsDirectiveSources();

} // namespace idelink
