// The two special values that every layer passes where a coordinate or size is expected: the
// window service in pixels and the DPI layer in 96-DPI units alike. Plain C++, no Win32.
#pragma once

namespace base {

// Passed instead of a coordinate or size: keep the current value.
inline constexpr int keepValue = -65535;

// As a smallest or largest window size: no limit.
inline constexpr int kNoLimit = -1;

} // namespace base
