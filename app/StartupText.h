#pragma once
// The texts a start shows before any window of its own. Plain C++, no Win32.
#include <string>
#include <string_view>

namespace app {

// Names the unknown argument and tells what the known ones do.
std::u16string knownArgumentsMessage(std::u16string_view unknown);

} // namespace app
