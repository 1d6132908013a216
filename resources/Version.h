// The program's name and version, for the title and the version resource; macros because
// the resource compiler reads this file too.
#pragma once

#define ZENDRIK_VERSION_TEXT "1.03"
#define ZENDRIK_VERSION_NUMBERS 1, 3, 0, 0
#define ZENDRIK_TITLE "Zendrik v" ZENDRIK_VERSION_TEXT " (by Ombrel)"
