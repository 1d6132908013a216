#include "idelink/DirectiveSources.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/TextConvert.h"

namespace idelink {

namespace {

// Another program may hold the clipboard open for a moment (a clipboard manager reading what
// was just copied): it is tried again for about this long.
constexpr int kClipboardTries = 10;
constexpr DWORD kClipboardRetryMs = 10;

// One picture written by GetDateFormatW or GetTimeFormatW, in the user's language.
template <typename Format>
std::u16string formatted(Format format, const SYSTEMTIME& time, std::u16string_view picture) {
    const std::wstring zeroEnded = text::toWide(picture);
    const int needed = format(LOCALE_USER_DEFAULT, 0, &time, zeroEnded.c_str(), nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring result(size_t(needed), L'\0');
    const int written =
        format(LOCALE_USER_DEFAULT, 0, &time, zeroEnded.c_str(), result.data(), needed);
    if (written <= 0)
        return {};
    result.resize(size_t(written - 1)); // the count includes the zero unit
    return text::fromWide(result);
}

std::u16string readClipboardText() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT))
        return {};
    bool opened = false;
    for (int attempt = 0; attempt < kClipboardTries && !opened; ++attempt) {
        if (attempt > 0)
            Sleep(kClipboardRetryMs);
        opened = OpenClipboard(nullptr) != FALSE;
    }
    if (!opened)
        return {};
    std::u16string result;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // The block's size bounds the text: a program that put it there without its zero
            // unit must not have this one read past the block.
            const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
            result = text::fromWide(std::wstring_view(units, wcsnlen(units, capacity)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

} // namespace

std::optional<std::u16string> environmentVariable(std::u16string_view name) {
    const std::wstring zeroEnded = text::toWide(name);
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = GetEnvironmentVariableW(zeroEnded.c_str(), nullptr, 0);
    if (needed == 0)
        return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? std::nullopt
                                                        : std::optional(std::u16string());
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(zeroEnded.c_str(), value.data(), needed);
    value.resize(length < needed ? length : 0);
    return text::fromWide(value);
}

std::u16string environmentValue(std::u16string_view name) {
    return environmentVariable(name).value_or(std::u16string());
}

// Every date and time of one run comes from one reading of the clock, so that a template with
// both never straddles a minute and the picker's preview shows what is then inserted.
DirectiveSources windowsDirectiveSources() {
    DirectiveSources sources;
    auto now = std::make_shared<std::optional<SYSTEMTIME>>();
    sources.clock = [now](DirectiveKind kind, std::u16string_view picture) {
        if (!*now) {
            SYSTEMTIME time{};
            GetLocalTime(&time);
            *now = time;
        }
        return kind == DirectiveKind::Time ? formatted(GetTimeFormatW, **now, picture)
                                           : formatted(GetDateFormatW, **now, picture);
    };
    auto clipboard = std::make_shared<std::optional<std::u16string>>();
    sources.clipboard = [clipboard] {
        if (!*clipboard)
            *clipboard = readClipboardText();
        return **clipboard;
    };
    sources.environment = environmentValue;
    return sources;
}

} // namespace idelink
