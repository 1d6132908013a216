#include "idelink/TemplateDirectives.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace idelink {

namespace {

// The directive a body names, or nothing. A body with ":" and nothing after it names none:
// "%(date:)" stays text.
std::optional<Directive> directiveOfBody(std::u16string_view body) {
    struct Fixed {
        std::u16string_view body;
        DirectiveKind kind;
    };
    static constexpr Fixed kFixed[] = {
        {u"|", DirectiveKind::Caret},           {u"%", DirectiveKind::Percent},
        {u"date", DirectiveKind::Date},         {u"time", DirectiveKind::Time},
        {u"clip", DirectiveKind::Clipboard},    {u"sel", DirectiveKind::Selection},
        {u"file", DirectiveKind::File},         {u"filename", DirectiveKind::FileName},
        {u"filebase", DirectiveKind::FileBase}, {u"dir", DirectiveKind::Folder},
        {u"", DirectiveKind::Nothing},
    };
    Directive directive;
    for (const Fixed& fixed : kFixed) {
        if (body == fixed.body) {
            directive.kind = fixed.kind;
            if (fixed.kind == DirectiveKind::Date)
                directive.argument = kDefaultDatePicture;
            else if (fixed.kind == DirectiveKind::Time)
                directive.argument = kDefaultTimePicture;
            return directive;
        }
    }
    const size_t colon = body.find(u':');
    if (colon == body.npos || colon + 1 == body.size())
        return std::nullopt;
    const std::u16string_view word = body.substr(0, colon);
    directive.argument = std::u16string(body.substr(colon + 1));
    static constexpr Fixed kWithArgument[] = {
        {u"date", DirectiveKind::Date},
        {u"time", DirectiveKind::Time},
        {u"env", DirectiveKind::Environment},
        {u"use", DirectiveKind::Use},
    };
    for (const Fixed& withArgument : kWithArgument) {
        if (word == withArgument.body) {
            directive.kind = withArgument.kind;
            return directive;
        }
    }
    if (const std::optional<CaseStyle> style = caseStyleNamed(word)) {
        directive.kind = DirectiveKind::FieldCase;
        directive.caseStyle = *style;
        return directive;
    }
    return std::nullopt;
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

size_t leadingBlanks(std::u16string_view line) {
    size_t count = 0;
    while (count < line.size() && isBlank(line[count]))
        ++count;
    return count;
}

} // namespace

std::vector<Directive> scanDirectives(std::u16string_view templateText) {
    std::vector<Directive> directives;
    size_t from = 0;
    for (size_t at = templateText.find(u"%("); at != templateText.npos;
         at = templateText.find(u"%(", from)) {
        const size_t close = templateText.find(u')', at + 2);
        if (close == templateText.npos)
            break; // no ")" closes this one, nor any later "%("
        std::optional<Directive> directive =
            directiveOfBody(templateText.substr(at + 2, close - at - 2));
        if (!directive) {
            from = at + 1;
            continue;
        }
        directive->at = at;
        directive->length = close + 1 - at;
        directives.push_back(std::move(*directive));
        from = close + 1;
    }
    return directives;
}

std::u16string DirectiveReading::valueOf(const Directive& directive) {
    switch (directive.kind) {
    case DirectiveKind::Percent:
        return u"%";
    case DirectiveKind::Date:
    case DirectiveKind::Time:
        return sources_.clock ? sources_.clock(directive.kind, directive.argument)
                              : std::u16string();
    case DirectiveKind::Clipboard:
        if (!clipboard_)
            clipboard_ = sources_.clipboard ? sources_.clipboard() : std::u16string();
        return *clipboard_;
    case DirectiveKind::Selection:
        return sources_.selection;
    case DirectiveKind::File:
    case DirectiveKind::FileName:
    case DirectiveKind::FileBase:
    case DirectiveKind::Folder:
        return filePathPart(directive.kind, sources_.filePath);
    case DirectiveKind::Environment:
        return sources_.environment ? sources_.environment(directive.argument) : std::u16string();
    case DirectiveKind::Caret:
    case DirectiveKind::FieldCase:
    case DirectiveKind::Use:
    case DirectiveKind::Nothing:
        break;
    }
    return {};
}

std::u16string filePathPart(DirectiveKind kind, std::u16string_view path) {
    const size_t separator = path.find_last_of(u"\\/");
    const std::u16string_view name = separator == path.npos ? path : path.substr(separator + 1);
    switch (kind) {
    case DirectiveKind::File:
        return std::u16string(path);
    case DirectiveKind::FileName:
        return std::u16string(name);
    case DirectiveKind::FileBase: {
        // A name that only starts with a dot (".gitignore") has no extension to drop.
        const size_t dot = name.rfind(u'.');
        return std::u16string(dot == name.npos || dot == 0 ? name : name.substr(0, dot));
    }
    case DirectiveKind::Folder: {
        if (separator == path.npos)
            return {};
        std::u16string_view folder = path.substr(0, separator);
        while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/'))
            folder.remove_suffix(1);
        return std::u16string(folder);
    }
    default:
        return {};
    }
}

std::vector<std::u16string> shapedLines(std::u16string_view value,
                                        std::u16string_view firstIndentation) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\r' && value[i] != u'\n')
            continue;
        lines.emplace_back(value.substr(start, i - start));
        if (value[i] == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    lines.emplace_back(value.substr(start));
    if (lines.size() == 1)
        return lines;

    // The first line's blanks follow what stood before it, so that a selection begun after the
    // indentation of its line still lines up with the lines below it. Only blanks that every
    // line has, the same units in the same order, go: a tab against four spaces is a difference
    // of shape whose width only the editor knows.
    const std::u16string firstBlanks =
        std::u16string(firstIndentation) + lines[0].substr(0, leadingBlanks(lines[0]));
    std::optional<std::u16string_view> shared;
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t blanks = leadingBlanks(lines[i]);
        if (blanks == lines[i].size())
            continue;
        const std::u16string_view own = i == 0 ? std::u16string_view(firstBlanks)
                                               : std::u16string_view(lines[i]).substr(0, blanks);
        if (!shared) {
            shared = own;
            continue;
        }
        size_t same = 0;
        while (same < shared->size() && same < own.size() && (*shared)[same] == own[same])
            ++same;
        shared = shared->substr(0, same);
    }
    const size_t sharedSize = shared ? shared->size() : 0;
    const size_t lead = firstIndentation.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::u16string& line = lines[i];
        const size_t blanks = leadingBlanks(line);
        if (blanks == line.size()) {
            line.clear();
            continue;
        }
        const size_t own = i == 0 ? (sharedSize > lead ? sharedSize - lead : 0) : sharedSize;
        line.erase(0, std::min(own, blanks));
    }
    return lines;
}

} // namespace idelink
