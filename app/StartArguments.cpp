#include "app/StartArguments.h"

namespace app {

std::int32_t parseToolInteger(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    unsigned base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i < text.size() && text[i] == u'%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic wraps instead of overflowing; a window handle only has 32
    // significant bits, so the low 32 bits are what counts.
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        unsigned digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

std::u16string_view folderOfPath(std::u16string_view modulePath) {
    const size_t cut = modulePath.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? std::u16string_view{} : modulePath.substr(0, cut + 1);
}

StartArguments readStartArguments(const std::vector<std::u16string>& arguments) {
    StartArguments start;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::u16string& argument = arguments[i];
        // A tool set-up with an empty arguments field may still hand over an empty one.
        if (argument.find_first_not_of(u" \t") == std::u16string::npos)
            continue;
        // The path is whatever follows, an empty one too: the editor's name for a document it
        // has not saved yet.
        if (argument == kFileArgument) {
            start.file = i + 1 < arguments.size() ? arguments[++i] : std::u16string();
            continue;
        }
        if (argument == kLibraryArgument) {
            start.library = i + 1 < arguments.size() ? arguments[++i] : std::u16string();
            continue;
        }
        if (argument == kImportArgument) {
            start.import = true;
            start.importFile = i + 1 < arguments.size() ? arguments[++i] : std::u16string();
            continue;
        }
        if (argument == kNewArgument) {
            start.newShortcut = true;
            continue;
        }
        if (argument == kFocusedArgument) {
            start.kind = StartKind::Focused;
            continue;
        }
        if (argument == kPickArgument) {
            start.pick = true;
            continue;
        }
        StartArguments unknown;
        unknown.kind = StartKind::UnknownArgument;
        unknown.unknown = argument;
        return unknown;
    }
    return start;
}

} // namespace app
