#include "store/SnippetImport.h"

#include "base/TextConvert.h"
#include "base/LetterCase.h"
#include "store/NameOrder.h"
#include "store/ShortcutStore.h"

#include <algorithm>
#include <map>
#include <new>
#include <set>

namespace store {

namespace {

std::u16string numberText(size_t number) {
    return text::utf8ToUtf16(std::to_string(number));
}

bool isLineBreak(char16_t c) {
    return c == u'\r' || c == u'\n';
}

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int hexValue(char16_t c) {
    if (isDigit(c))
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// A character as a message names it.
std::u16string described(char16_t c) {
    switch (c) {
    case u' ':
        return u"a space";
    case u'\t':
        return u"a tab";
    case u'\r':
    case u'\n':
        return u"a line break";
    default:
        return u"\"" + std::u16string(1, c) + u"\"";
    }
}

// Where a reader stopped.

struct ReadError {
    size_t at = 0;
    std::u16string what;
};

// Lines end at LF, CR LF or CR, as editors count them; a column counts characters, so a
// surrogate pair is one.
std::u16string placeOf(std::u16string_view text, const ReadError& error) {
    const size_t at = std::min(error.at, text.size());
    size_t line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < at; ++i) {
        if (text[i] == u'\n' ||
            (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t column = 1;
    for (size_t i = lineStart; i < at; i += text::codePointUnits(text, i))
        ++column;
    return u"line " + numberText(line) + u", column " + numberText(column) + u": " + error.what;
}

// VS Code's snippet files: JSON with comments and trailing commas, as VS Code reads them.

// Deeper than any snippet file goes, and shallow enough for the stack.
constexpr int kMaxNesting = 100;

struct JsonMember;

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::u16string text; // String
    std::vector<JsonValue> items;
    std::vector<JsonMember> members; // in file order, a repeated name too
};

struct JsonMember {
    std::u16string name;
    JsonValue value;
};

struct JsonReader {
    std::u16string_view text;
    size_t at = 0;
    std::optional<ReadError> error;

    bool fail(size_t where, std::u16string what) {
        error = ReadError{where, std::move(what)};
        return false;
    }

    bool atEnd() const { return at >= text.size(); }

    // Steps over the character when it stands next.
    bool take(char16_t c) {
        if (atEnd() || text[at] != c)
            return false;
        ++at;
        return true;
    }

    bool skipBlanks() {
        while (!atEnd()) {
            const char16_t c = text[at];
            if (c == u' ' || c == u'\t' || isLineBreak(c)) {
                ++at;
            } else if (text.substr(at, 2) == u"//") {
                while (!atEnd() && !isLineBreak(text[at]))
                    ++at;
            } else if (text.substr(at, 2) == u"/*") {
                const size_t close = text.find(u"*/", at + 2);
                if (close == text.npos)
                    return fail(at, u"the comment is never closed");
                at = close + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool readValue(JsonValue& value, int depth) {
        if (depth > kMaxNesting)
            return fail(at, u"the values are nested too deep");
        if (atEnd())
            return fail(at, u"the file ends where a value should be");
        const char16_t c = text[at];
        if (c == u'{')
            return readObject(value, depth);
        if (c == u'[')
            return readArray(value, depth);
        if (c == u'"') {
            value.kind = JsonValue::Kind::String;
            return readString(value.text);
        }
        if (c == u'-' || isDigit(c))
            return readNumber(value);
        static constexpr std::pair<std::u16string_view, JsonValue::Kind> kWords[] = {
            {u"true", JsonValue::Kind::Boolean},
            {u"false", JsonValue::Kind::Boolean},
            {u"null", JsonValue::Kind::Null},
        };
        for (const auto& [word, kind] : kWords) {
            if (text.substr(at, word.size()) == word) {
                at += word.size();
                value.kind = kind;
                return true;
            }
        }
        return fail(at, u"expected a value");
    }

    bool readObject(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++at;
        while (true) {
            if (!skipBlanks())
                return false;
            if (take(u'}'))
                return true;
            if (atEnd() || text[at] != u'"')
                return fail(at, u"expected a name in quotes or \"}\"");
            JsonMember member;
            if (!readString(member.name) || !skipBlanks())
                return false;
            if (!take(u':'))
                return fail(at, u"expected \":\" after the name");
            if (!skipBlanks() || !readValue(member.value, depth + 1) || !skipBlanks())
                return false;
            value.members.push_back(std::move(member));
            if (take(u','))
                continue;
            if (take(u'}'))
                return true;
            return fail(at, u"expected \",\" or \"}\"");
        }
    }

    bool readArray(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++at;
        while (true) {
            if (!skipBlanks())
                return false;
            if (take(u']'))
                return true;
            JsonValue item;
            if (!readValue(item, depth + 1) || !skipBlanks())
                return false;
            value.items.push_back(std::move(item));
            if (take(u','))
                continue;
            if (take(u']'))
                return true;
            return fail(at, u"expected \",\" or \"]\"");
        }
    }

    // A \u escape gives one UTF-16 unit; two in a row give a surrogate pair as they stand.
    bool readString(std::u16string& out) {
        const size_t start = at;
        ++at;
        while (true) {
            if (atEnd())
                return fail(start, u"the string is never closed");
            const char16_t c = text[at];
            if (c == u'"') {
                ++at;
                return true;
            }
            if (isLineBreak(c))
                return fail(start, u"the string is not closed on its line");
            if (c < 0x20)
                return fail(at, u"a control character stands in a string");
            if (c != u'\\') {
                out.push_back(c);
                ++at;
                continue;
            }
            const char16_t escaped = at + 1 < text.size() ? text[at + 1] : u'\0';
            static constexpr std::pair<char16_t, char16_t> kEscapes[] = {
                {u'"', u'"'},  {u'\\', u'\\'}, {u'/', u'/'},  {u'b', u'\b'},
                {u'f', u'\f'}, {u'n', u'\n'},  {u'r', u'\r'}, {u't', u'\t'},
            };
            const auto simple = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                             [&](const auto& e) { return e.first == escaped; });
            if (simple != std::end(kEscapes)) {
                out.push_back(simple->second);
                at += 2;
                continue;
            }
            if (escaped != u'u')
                return fail(at, u"unknown escape in a string");
            int unit = 0;
            for (size_t i = at + 2; i < at + 6; ++i) {
                const int digit = i < text.size() ? hexValue(text[i]) : -1;
                if (digit < 0)
                    return fail(at, u"\\u needs four hexadecimal digits");
                unit = unit * 16 + digit;
            }
            out.push_back(static_cast<char16_t>(unit));
            at += 6;
        }
    }

    bool readNumber(JsonValue& value) {
        const size_t start = at;
        const auto digits = [&] {
            const size_t from = at;
            while (!atEnd() && isDigit(text[at]))
                ++at;
            return at > from;
        };
        if (text[at] == u'-')
            ++at;
        bool wellFormed = digits();
        if (wellFormed && !atEnd() && text[at] == u'.') {
            ++at;
            wellFormed = digits();
        }
        if (wellFormed && !atEnd() && (text[at] == u'e' || text[at] == u'E')) {
            ++at;
            if (!atEnd() && (text[at] == u'+' || text[at] == u'-'))
                ++at;
            wellFormed = digits();
        }
        if (!wellFormed)
            return fail(start, u"a number is not written as JSON writes one");
        value.kind = JsonValue::Kind::Number;
        return true;
    }
};

// Sublime Text's snippet files: XML, of which a snippet uses elements, text, CDATA and the
// predefined and numeric entities.

struct XmlElement {
    std::u16string name;
    size_t at = 0;
    std::u16string text; // its own character data and CDATA, entities decoded
    std::vector<XmlElement> children;
};

bool isXmlBlank(char16_t c) {
    return c == u' ' || c == u'\t' || isLineBreak(c);
}

struct XmlReader {
    std::u16string_view text;
    size_t at = 0;
    std::optional<ReadError> error;

    bool fail(size_t where, std::u16string what) {
        error = ReadError{where, std::move(what)};
        return false;
    }

    bool atEnd() const { return at >= text.size(); }
    bool startsWith(std::u16string_view prefix) const {
        return text.substr(at, prefix.size()) == prefix;
    }

    bool skipPast(std::u16string_view end, std::u16string what) {
        const size_t found = text.find(end, at);
        if (found == text.npos)
            return fail(at, std::move(what));
        at = found + end.size();
        return true;
    }

    // Blanks, comments, processing instructions and a document type, which say nothing here.
    bool skipMisc() {
        while (!atEnd()) {
            bool skipped = true;
            if (isXmlBlank(text[at]))
                ++at;
            else if (startsWith(u"<!--"))
                skipped = skipPast(u"-->", u"the comment is never closed");
            else if (startsWith(u"<?"))
                skipped = skipPast(u"?>", u"\"<?\" is never closed");
            else if (startsWith(u"<!DOCTYPE"))
                skipped = skipPast(u">", u"the document type is never closed");
            else
                break;
            if (!skipped)
                return false;
        }
        return true;
    }

    bool readName(std::u16string& name) {
        const size_t start = at;
        while (!atEnd() && !isXmlBlank(text[at]) &&
               std::u16string_view(u"/>=<\"'&").find(text[at]) == std::u16string_view::npos)
            ++at;
        if (at == start)
            return fail(at, u"expected a name");
        name.assign(text.substr(start, at - start));
        return true;
    }

    bool readReference(std::u16string& out) {
        const size_t start = at;
        const size_t semicolon = text.find(u';', at);
        if (semicolon == text.npos || semicolon - at > 12)
            return fail(start, u"\"&\" begins no entity");
        const std::u16string_view entity = text.substr(at + 1, semicolon - at - 1);
        at = semicolon + 1;
        static constexpr std::pair<std::u16string_view, char16_t> kNamed[] = {
            {u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''},
        };
        for (const auto& [name, c] : kNamed) {
            if (entity == name) {
                out.push_back(c);
                return true;
            }
        }
        if (entity.size() < 2 || entity[0] != u'#')
            return fail(start, u"unknown entity &" + std::u16string(entity) + u";");
        const bool hex = entity[1] == u'x';
        const std::u16string_view digits = entity.substr(hex ? 2 : 1);
        char32_t codePoint = 0;
        for (char16_t c : digits) {
            const int digit = hex ? hexValue(c) : (isDigit(c) ? c - u'0' : -1);
            if (digit < 0 || codePoint > 0x10FFFF)
                return fail(start, u"a character reference is not a number");
            codePoint = codePoint * (hex ? 16 : 10) + char32_t(digit);
        }
        if (digits.empty() || codePoint == 0 || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return fail(start, u"a character reference names no character");
        out.append(text::codePointText(codePoint));
        return true;
    }

    bool readElement(XmlElement& element, int depth) {
        if (depth > kMaxNesting)
            return fail(at, u"the elements are nested too deep");
        element.at = at;
        ++at;
        if (!readName(element.name))
            return false;
        while (true) {
            while (!atEnd() && isXmlBlank(text[at]))
                ++at;
            if (startsWith(u"/>")) {
                at += 2;
                return true;
            }
            if (startsWith(u">")) {
                ++at;
                break;
            }
            std::u16string attribute;
            if (atEnd() || !readName(attribute))
                return fail(at, u"<" + element.name + u"> is not closed by \">\"");
            while (!atEnd() && isXmlBlank(text[at]))
                ++at;
            if (atEnd() || text[at] != u'=')
                return fail(at, u"expected \"=\" after an attribute's name");
            ++at;
            while (!atEnd() && isXmlBlank(text[at]))
                ++at;
            if (atEnd() || (text[at] != u'"' && text[at] != u'\''))
                return fail(at, u"expected an attribute's value in quotes");
            const char16_t quote = text[at++];
            std::u16string ignored;
            while (!atEnd() && text[at] != quote) {
                if (text[at] == u'<')
                    return fail(at, u"\"<\" stands in an attribute's value");
                if (text[at] == u'&') {
                    if (!readReference(ignored))
                        return false;
                } else {
                    ++at;
                }
            }
            if (atEnd())
                return fail(at, u"an attribute's value is never closed");
            ++at;
        }
        while (true) {
            if (atEnd())
                return fail(element.at, u"<" + element.name + u"> is never closed");
            if (startsWith(u"</")) {
                const size_t closing = at;
                at += 2;
                std::u16string name;
                if (!readName(name))
                    return false;
                if (name != element.name)
                    return fail(closing, u"expected </" + element.name + u">");
                while (!atEnd() && isXmlBlank(text[at]))
                    ++at;
                if (atEnd() || text[at] != u'>')
                    return fail(at, u"expected \">\"");
                ++at;
                return true;
            }
            if (startsWith(u"<![CDATA[")) {
                at += 9;
                const size_t close = text.find(u"]]>", at);
                if (close == text.npos)
                    return fail(at - 9, u"the CDATA section is never closed");
                element.text.append(text.substr(at, close - at));
                at = close + 3;
            } else if (startsWith(u"<!--")) {
                if (!skipPast(u"-->", u"the comment is never closed"))
                    return false;
            } else if (startsWith(u"<?")) {
                if (!skipPast(u"?>", u"\"<?\" is never closed"))
                    return false;
            } else if (startsWith(u"<")) {
                element.children.emplace_back();
                if (!readElement(element.children.back(), depth + 1))
                    return false;
            } else if (text[at] == u'&') {
                if (!readReference(element.text))
                    return false;
            } else {
                element.text.push_back(text[at++]);
            }
        }
    }
};

const XmlElement* childNamed(const XmlElement& element, std::u16string_view name) {
    for (const XmlElement& child : element.children)
        if (child.name == name)
            return &child;
    return nullptr;
}

std::u16string_view trimXmlBlanks(std::u16string_view text) {
    while (!text.empty() && isXmlBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXmlBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The TextMate snippet syntax both editors write, read into parts.

struct BodyPart {
    enum class Kind { Text, Caret, Field, Directive, Date, Time };
    Kind kind = Kind::Text;
    std::u16string text; // Text: as the snippet means it; Directive: as written; Date, Time:
                         // the picture
    size_t field = 0;    // Field: its index in ParsedBody::fields
};

struct BodyField {
    std::u16string number; // the tab stop's, without leading zeros
    // The default, or the choices; empty for none. A single choice is a default.
    std::vector<std::u16string> values;
    bool choices = false;
};

struct ParsedBody {
    std::vector<BodyPart> parts; // no empty Text, no two Texts in a row
    std::vector<BodyField> fields;
    std::optional<std::u16string> problem;
};

struct VariableEqual {
    std::u16string_view name;
    BodyPart::Kind kind;
    std::u16string_view text;
};

constexpr VariableEqual kVariables[] = {
    {u"TM_SELECTED_TEXT", BodyPart::Kind::Directive, u"%(sel)"},
    {u"SELECTION", BodyPart::Kind::Directive, u"%(sel)"},
    {u"CLIPBOARD", BodyPart::Kind::Directive, u"%(clip)"},
    {u"TM_FILENAME", BodyPart::Kind::Directive, u"%(filename)"},
    {u"TM_FILENAME_BASE", BodyPart::Kind::Directive, u"%(filebase)"},
    {u"TM_DIRECTORY", BodyPart::Kind::Directive, u"%(dir)"},
    {u"TM_FILEPATH", BodyPart::Kind::Directive, u"%(file)"},
    {u"CURRENT_YEAR", BodyPart::Kind::Date, u"yyyy"},
    {u"CURRENT_YEAR_SHORT", BodyPart::Kind::Date, u"yy"},
    {u"CURRENT_MONTH", BodyPart::Kind::Date, u"MM"},
    {u"CURRENT_MONTH_NAME", BodyPart::Kind::Date, u"MMMM"},
    {u"CURRENT_MONTH_NAME_SHORT", BodyPart::Kind::Date, u"MMM"},
    {u"CURRENT_DATE", BodyPart::Kind::Date, u"dd"},
    {u"CURRENT_DAY_NAME", BodyPart::Kind::Date, u"dddd"},
    {u"CURRENT_DAY_NAME_SHORT", BodyPart::Kind::Date, u"ddd"},
    {u"CURRENT_HOUR", BodyPart::Kind::Time, u"HH"},
    {u"CURRENT_MINUTE", BodyPart::Kind::Time, u"mm"},
    {u"CURRENT_SECOND", BodyPart::Kind::Time, u"ss"},
};

bool startsVariable(char16_t c) {
    return isAsciiLetter(c) || c == u'_';
}

bool continuesVariable(char16_t c) {
    return startsVariable(c) || isDigit(c);
}

struct BodyParser {
    std::u16string_view body;
    size_t at = 0;
    ParsedBody parsed;
    std::map<std::u16string, size_t> fieldOfNumber;

    bool atEnd() const { return at >= body.size(); }

    bool setProblem(std::u16string reason) {
        if (!parsed.problem)
            parsed.problem = std::move(reason);
        return false;
    }

    void addText(std::u16string_view text) {
        if (text.empty())
            return;
        if (!parsed.parts.empty() && parsed.parts.back().kind == BodyPart::Kind::Text)
            parsed.parts.back().text.append(text);
        else
            parsed.parts.push_back({BodyPart::Kind::Text, std::u16string(text)});
    }

    std::u16string readWhile(bool (*accepts)(char16_t)) {
        const size_t start = at;
        while (!atEnd() && accepts(body[at]))
            ++at;
        return std::u16string(body.substr(start, at - start));
    }

    // The character that a backslash at `at` escapes, when it is one of `escapable`.
    std::optional<char16_t> escapedAt(std::u16string_view escapable) const {
        if (body[at] != u'\\' || at + 1 >= body.size() ||
            escapable.find(body[at + 1]) == std::u16string_view::npos)
            return std::nullopt;
        return body[at + 1];
    }

    // $0 ends at the caret. A default of $0 goes in as text after the caret, where VS Code
    // leaves it selected.
    void addTabStop(std::u16string number, std::vector<std::u16string> values, bool choices) {
        number.erase(0, std::min(number.find_first_not_of(u'0'), number.size() - 1));
        if (number == u"0") {
            parsed.parts.push_back({BodyPart::Kind::Caret, {}});
            if (!values.empty())
                addText(values.front());
            return;
        }
        const auto [found, added] = fieldOfNumber.try_emplace(number, parsed.fields.size());
        if (added)
            parsed.fields.push_back({number, {}, false});
        // The first occurrence that has a default gives it, as in VS Code.
        BodyField& field = parsed.fields[found->second];
        if (field.values.empty() && !values.empty() && !(values.size() == 1 && values[0].empty())) {
            field.values = std::move(values);
            field.choices = choices;
        }
        parsed.parts.push_back({BodyPart::Kind::Field, {}, found->second});
    }

    bool addVariable(std::u16string_view name) {
        for (const VariableEqual& variable : kVariables) {
            if (variable.name == name) {
                parsed.parts.push_back({variable.kind, std::u16string(variable.text)});
                return true;
            }
        }
        return setProblem(u"uses $" + std::u16string(name) + u", which Zendrik has no equal for");
    }

    bool isKnownVariable(std::u16string_view name) const {
        return std::any_of(std::begin(kVariables), std::end(kVariables),
                           [&](const VariableEqual& variable) { return variable.name == name; });
    }

    // The text of "${N:...}" up to its "}", escapes read; nothing when no "}" closes it, or when
    // it holds a tab stop or variable of its own, which a Zendrik default cannot.
    std::optional<std::u16string> readDefault(std::u16string_view number) {
        std::u16string value;
        while (!atEnd()) {
            const char16_t c = body[at];
            if (c == u'}') {
                ++at;
                return value;
            }
            if (const std::optional<char16_t> escaped = escapedAt(u"$}\\")) {
                value.push_back(*escaped);
                at += 2;
                continue;
            }
            if (c == u'$' && at + 1 < body.size() &&
                (isDigit(body[at + 1]) || body[at + 1] == u'{' || startsVariable(body[at + 1]))) {
                setProblem(u"holds a placeholder or variable inside the default of $" +
                           std::u16string(number) + u", which Zendrik has no equal for");
                return std::nullopt;
            }
            value.push_back(c);
            ++at;
        }
        return std::nullopt;
    }

    // The choices of "${N|a,b|}" after its first "|"; nothing when "|}" does not close them.
    std::optional<std::vector<std::u16string>> readChoices() {
        std::vector<std::u16string> choices(1);
        while (!atEnd()) {
            const char16_t c = body[at];
            if (const std::optional<char16_t> escaped = escapedAt(u"$}\\,|")) {
                choices.back().push_back(*escaped);
                at += 2;
            } else if (c == u',') {
                choices.emplace_back();
                ++at;
            } else if (c == u'|') {
                if (at + 1 >= body.size() || body[at + 1] != u'}')
                    return std::nullopt;
                at += 2;
                return choices;
            } else {
                choices.back().push_back(c);
                ++at;
            }
        }
        return std::nullopt;
    }

    // At a "$": true when a tab stop or variable was read; false when the "$" is text (as in
    // VS Code, whatever does not read as one is), or when the snippet has a problem.
    bool readDollar() {
        ++at;
        if (atEnd())
            return false;
        if (isDigit(body[at])) {
            addTabStop(readWhile(isDigit), {}, false);
            return true;
        }
        if (startsVariable(body[at]))
            return addVariable(readWhile(continuesVariable));
        if (body[at] != u'{')
            return false;
        ++at;
        if (!atEnd() && isDigit(body[at])) {
            std::u16string number = readWhile(isDigit);
            if (atEnd())
                return false;
            const char16_t next = body[at++];
            if (next == u'}') {
                addTabStop(std::move(number), {}, false);
                return true;
            }
            if (next == u'/')
                return setProblem(u"transforms $" + number +
                                  u" with a regular expression, which Zendrik has no equal for");
            if (next == u':') {
                std::optional<std::u16string> value = readDefault(number);
                if (!value)
                    return false;
                addTabStop(std::move(number), {std::move(*value)}, false);
                return true;
            }
            if (next == u'|') {
                std::optional<std::vector<std::u16string>> choices = readChoices();
                if (!choices)
                    return false;
                addTabStop(std::move(number), std::move(*choices), true);
                return true;
            }
            return false;
        }
        if (!atEnd() && startsVariable(body[at])) {
            const std::u16string name = readWhile(continuesVariable);
            if (atEnd())
                return false;
            const char16_t next = body[at++];
            if (next == u'}')
                return addVariable(name);
            if (next != u':' && next != u'/')
                return false;
            if (!isKnownVariable(name))
                return addVariable(name);
            if (next == u'/')
                return setProblem(u"transforms $" + name +
                                  u" with a regular expression, which Zendrik has no equal for");
            return setProblem(u"gives $" + name + u" a default, which Zendrik has no equal for");
        }
        return false;
    }

    void read() {
        while (!atEnd() && !parsed.problem) {
            if (const std::optional<char16_t> escaped = escapedAt(u"$}\\")) {
                addText(std::u16string_view(&*escaped, 1));
                at += 2;
            } else if (body[at] == u'$') {
                const size_t start = at;
                if (!readDollar() && !parsed.problem) {
                    at = start + 1;
                    addText(u"$");
                }
            } else {
                addText(body.substr(at, 1));
                ++at;
            }
        }
    }
};

// Characters written between two date (or two time) variables that a Windows picture copies as
// they are; letters would be read as picture letters, and ")" would end the directive.
bool isPictureSeparator(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) {
        return std::u16string_view(u" -/.:,").find(c) != std::u16string_view::npos;
    });
}

// Neighbouring dates (or times) with only separators between them become one picture:
// "$CURRENT_YEAR-$CURRENT_MONTH" one "%(date:yyyy-MM)".
void mergePictures(std::vector<BodyPart>& parts) {
    std::vector<BodyPart> merged;
    for (BodyPart& part : parts) {
        const bool picture = part.kind == BodyPart::Kind::Date || part.kind == BodyPart::Kind::Time;
        const size_t count = merged.size();
        if (picture && count >= 1 && merged[count - 1].kind == part.kind) {
            merged[count - 1].text += part.text;
        } else if (picture && count >= 2 && merged[count - 2].kind == part.kind &&
                   merged[count - 1].kind == BodyPart::Kind::Text &&
                   isPictureSeparator(merged[count - 1].text)) {
            merged[count - 2].text += merged[count - 1].text + part.text;
            merged.pop_back();
        } else {
            merged.push_back(std::move(part));
        }
    }
    parts = std::move(merged);
}

// The parts written as a template.

// What ends a placeholder's spec in a template (a line break is written as the separator).
bool endsSpec(char16_t c) {
    return std::u16string_view(u" ,().%\r\n").find(c) != std::u16string_view::npos ||
           c == kLineSeparator;
}

// The first character of a default or choice that a spec cannot hold: it would end the spec,
// or "=" would split it into choices.
std::optional<char16_t> unholdableInSpec(std::u16string_view value) {
    for (char16_t c : value)
        if (endsSpec(c) || c == u'=')
            return c;
    return std::nullopt;
}

bool isPlainWord(std::u16string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) {
        return isAsciiLetter(c) || isDigit(c) || c == u'_';
    });
}

// How one occurrence of a field is written. The first occurrence declares the field, so that
// the popup asks for the fields in the order the snippet's text names them: its spec, ended by
// "%()" (which puts in nothing) where the text after it would run on into the spec. A later one
// is the spec again where a spec ends by itself, and the bare name elsewhere, since a field's
// value replaces its name wherever the name stands.
enum class Form { Bare, Spec, SpecAndEnd };

struct Writing {
    std::vector<Form> forms; // per part; meaningful for fields
};

bool writtenStartEndsSpec(const std::vector<BodyPart>& parts, const std::vector<Form>& forms,
                          size_t index) {
    if (index == parts.size())
        return true;
    switch (parts[index].kind) {
    case BodyPart::Kind::Text:
        return endsSpec(parts[index].text.front());
    case BodyPart::Kind::Field:
        return forms[index] != Form::Bare;
    default:
        return true; // a directive, beginning with "%"
    }
}

void formFields(const std::vector<BodyPart>& parts, std::vector<Form>& forms) {
    for (size_t i = parts.size(); i-- > 0;)
        if (parts[i].kind == BodyPart::Kind::Field && forms[i] != Form::SpecAndEnd)
            forms[i] = writtenStartEndsSpec(parts, forms, i + 1) ? Form::Spec : Form::Bare;
}

Writing planWriting(const ParsedBody& body) {
    const std::vector<BodyPart>& parts = body.parts;
    Writing writing;
    writing.forms.assign(parts.size(), Form::Bare);
    formFields(parts, writing.forms);
    std::vector<bool> declared(body.fields.size(), false);
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].kind != BodyPart::Kind::Field || declared[parts[i].field])
            continue;
        declared[parts[i].field] = true;
        if (writing.forms[i] == Form::Bare)
            writing.forms[i] = Form::SpecAndEnd;
    }
    // A field before one that now opens with "%" ends there by itself.
    formFields(parts, writing.forms);
    return writing;
}

// The template's own text as expansion searches it for names: each field its name, each
// directive a break that no name crosses.
std::u16string searchedText(const std::vector<BodyPart>& parts, const std::vector<Form>& forms,
                            const std::vector<std::u16string>& names) {
    std::u16string searched;
    for (size_t i = 0; i < parts.size(); ++i) {
        const BodyPart& part = parts[i];
        if (part.kind == BodyPart::Kind::Text) {
            for (char16_t c : part.text)
                searched.push_back(c == u'%' ? u'\0' : c);
        } else if (part.kind == BodyPart::Kind::Field) {
            searched += names[part.field];
            if (forms[i] == Form::SpecAndEnd)
                searched.push_back(u'\0');
        } else {
            searched.push_back(u'\0');
        }
    }
    return searched;
}

size_t occurrences(std::u16string_view text, std::u16string_view name) {
    size_t count = 0;
    for (size_t at = text.find(name); at != text.npos; at = text.find(name, at + 1))
        ++count;
    return count;
}

// Names a field's value can replace without touching anything else: each stands exactly where
// its field does, and none holds another. A default that is a plain word names its field
// (the label says what to type); else "Field" and the tab stop's number, the numbers padded
// to one width so that "Field1" is never part of "Field10". When the snippet's own text holds
// such a name, the next stem is tried.
std::optional<std::vector<std::u16string>> chooseNames(const ParsedBody& body,
                                                       const std::vector<Form>& forms) {
    static constexpr std::u16string_view kStems[] = {u"Field", u"Value", u"Entry", u"Input",
                                                     u"Slot"};
    const size_t fieldCount = body.fields.size();
    std::vector<size_t> expected(fieldCount, 0);
    for (const BodyPart& part : body.parts)
        if (part.kind == BodyPart::Kind::Field)
            ++expected[part.field];
    size_t width = 0;
    for (const BodyField& field : body.fields)
        width = std::max(width, field.number.size());

    for (std::u16string_view stem : kStems) {
        std::vector<bool> byDefault(fieldCount);
        for (size_t i = 0; i < fieldCount; ++i)
            byDefault[i] =
                !body.fields[i].values.empty() && isPlainWord(body.fields[i].values.front());
        while (true) {
            std::vector<std::u16string> names(fieldCount);
            for (size_t i = 0; i < fieldCount; ++i) {
                const BodyField& field = body.fields[i];
                names[i] = byDefault[i] ? field.values.front()
                                        : std::u16string(stem) +
                                              std::u16string(width - field.number.size(), u'0') +
                                              field.number;
            }
            std::set<size_t> demote;
            bool stemFails = false;
            const auto blame = [&](size_t field) {
                if (byDefault[field])
                    demote.insert(field);
                else
                    stemFails = true;
            };
            for (size_t i = 0; i < fieldCount; ++i)
                for (size_t j = i + 1; j < fieldCount; ++j)
                    if (names[i].find(names[j]) != std::u16string::npos ||
                        names[j].find(names[i]) != std::u16string::npos)
                        blame(byDefault[j] ? j : i);
            const std::u16string searched = searchedText(body.parts, forms, names);
            for (size_t i = 0; i < fieldCount; ++i)
                if (occurrences(searched, names[i]) != expected[i])
                    blame(i);
            if (demote.empty() && !stemFails)
                return names;
            if (demote.empty())
                break;
            for (size_t field : demote)
                byDefault[field] = false;
        }
    }
    return std::nullopt;
}

void appendTextPart(std::u16string& out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%')
            out += u"%(%)";
        else if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // the LF after it writes the line's end
        else if (isLineBreak(text[i]))
            out.push_back(kLineSeparator);
        else
            out.push_back(text[i]);
    }
}

struct ConvertedBody {
    std::u16string templateText;
    std::optional<std::u16string> problem;
};

// Every "%" of the snippet's text is written "%(%)": a bare one would begin a placeholder or a
// directive, or make the whole template literal, depending on what follows it.
//
// The library file keeps a template without blanks at its ends: a trailing one is kept by a
// caret mark after it (the caret's place all the same, the first mark counting), while a
// leading one has nothing to keep it. A snippet without $0 leaves the caret at its end, where
// a template of several lines would leave it at its first line break, so those get a mark too.
ConvertedBody convertBody(std::u16string_view body) {
    ConvertedBody converted;
    if (body.find(kLineSeparator) != body.npos) {
        converted.problem = u"its text holds \"¤\", which Zendrik reads as a line break";
        return converted;
    }
    if (body.find(u'\0') != body.npos) {
        converted.problem = u"its text holds a zero character";
        return converted;
    }
    BodyParser parser;
    parser.body = body;
    parser.read();
    ParsedBody& parsed = parser.parsed;
    if (parsed.problem) {
        converted.problem = std::move(parsed.problem);
        return converted;
    }
    for (const BodyField& field : parsed.fields) {
        for (const std::u16string& value : field.values) {
            if (const std::optional<char16_t> c = unholdableInSpec(value)) {
                converted.problem = (field.choices ? u"a choice of $" : u"the default of $") +
                                    field.number + u" holds " + described(*c) +
                                    u", which a Zendrik field cannot hold";
                return converted;
            }
        }
    }
    mergePictures(parsed.parts);
    const Writing writing = planWriting(parsed);
    const std::optional<std::vector<std::u16string>> names = chooseNames(parsed, writing.forms);
    if (!names) {
        converted.problem = u"its text holds every name its fields could be given";
        return converted;
    }

    std::u16string& out = converted.templateText;
    bool caretMarked = false;
    for (size_t i = 0; i < parsed.parts.size(); ++i) {
        const BodyPart& part = parsed.parts[i];
        switch (part.kind) {
        case BodyPart::Kind::Text:
            appendTextPart(out, part.text);
            break;
        case BodyPart::Kind::Caret:
            out += u"%(|)";
            caretMarked = true;
            break;
        case BodyPart::Kind::Directive:
            out += part.text;
            break;
        case BodyPart::Kind::Date:
            out += u"%(date:" + part.text + u")";
            break;
        case BodyPart::Kind::Time:
            out += u"%(time:" + part.text + u")";
            break;
        case BodyPart::Kind::Field: {
            const std::u16string& name = (*names)[part.field];
            if (writing.forms[i] == Form::Bare) {
                out += name;
                break;
            }
            out += u"%" + name;
            for (const std::u16string& value : parsed.fields[part.field].values)
                out += u"=" + value;
            if (writing.forms[i] == Form::SpecAndEnd)
                out += u"%()";
            break;
        }
        }
    }
    if (!out.empty() && (out.front() == u' ' || out.front() == u'\t')) {
        converted.problem = u"begins with " + described(out.front()) +
                            u", which Zendrik's library file does not keep";
        return converted;
    }
    const bool severalLines = out.find(kLineSeparator) != out.npos;
    if ((!caretMarked && severalLines) ||
        (!out.empty() && (out.back() == u' ' || out.back() == u'\t')))
        out += u"%(|)";
    return converted;
}

// Snippets made Shortcuts.

struct Snippet {
    std::u16string title;
    std::vector<std::u16string> names;
    std::u16string body;
    std::optional<std::u16string> problem; // one that makes the whole snippet unusable
};

// Why a name cannot be a Shortcut's: a word typed in the editor never holds a blank, and the
// library file could not read it back.
std::optional<std::u16string> nameProblem(std::u16string_view name, std::u16string_view lowerName) {
    if (name.empty())
        return u"its name is empty";
    for (char16_t c : name)
        if (c == u' ' || c == u'\t' || isLineBreak(c) || c == u'=')
            return u"its name holds " + described(c);
    if (!isStorableShortcutName(lowerName)) {
        if (lowerName.front() == u';' || lowerName.front() == u'[')
            return u"its name begins with " + described(lowerName.front()) +
                   u", which the library file reads otherwise";
        return std::u16string(u"its name cannot be kept in the library file");
    }
    return std::nullopt;
}

// Names are kept in lower case without a word in the report: the editor's word is lower-cased
// before it is looked up, so the name as written is still what the user types.
void addSnippets(const std::vector<Snippet>& snippets, SnippetImport& result) {
    std::set<std::u16string> taken;
    for (const Snippet& snippet : snippets) {
        const auto skip = [&](std::u16string_view name, std::u16string reason) {
            result.skipped.push_back(
                {std::u16string(name.empty() ? snippet.title : name), std::move(reason)});
        };
        if (snippet.problem || snippet.names.empty()) {
            skip(snippet.names.empty() ? snippet.title : snippet.names.front(),
                 snippet.problem ? *snippet.problem : u"has no name");
            continue;
        }
        const ConvertedBody converted = convertBody(snippet.body);
        for (const std::u16string& name : snippet.names) {
            const std::u16string lowerName = text::lowerCaseText(name);
            if (std::optional<std::u16string> problem = nameProblem(name, lowerName))
                skip(name, std::move(*problem));
            else if (converted.problem)
                skip(name, *converted.problem);
            else if (!taken.insert(lowerName).second)
                skip(name, u"an earlier snippet of the file has this name");
            else
                result.shortcuts.push_back({lowerName, converted.templateText});
        }
    }
}

// A string, or an array of strings; nothing for anything else.
std::optional<std::vector<std::u16string>> stringsOf(const JsonValue& value) {
    if (value.kind == JsonValue::Kind::String)
        return std::vector<std::u16string>{value.text};
    if (value.kind != JsonValue::Kind::Array)
        return std::nullopt;
    std::vector<std::u16string> strings;
    for (const JsonValue& item : value.items) {
        if (item.kind != JsonValue::Kind::String)
            return std::nullopt;
        strings.push_back(item.text);
    }
    return strings;
}

const JsonValue* memberNamed(const JsonValue& object, std::u16string_view name) {
    for (const JsonMember& member : object.members)
        if (member.name == name)
            return &member.value;
    return nullptr;
}

// VS Code joins the lines of a body with line feeds before it reads the snippet.
std::optional<std::u16string> readVsCode(std::u16string_view text, std::vector<Snippet>& snippets) {
    JsonReader reader;
    reader.text = text;
    JsonValue file;
    if (reader.skipBlanks()) {
        if (reader.atEnd() || text[reader.at] != u'{')
            reader.fail(reader.at, u"a snippet file begins with \"{\"");
        else if (reader.readValue(file, 0) && reader.skipBlanks() && !reader.atEnd())
            reader.fail(reader.at, u"more text follows the snippets");
    }
    if (reader.error)
        return placeOf(text, *reader.error);
    for (const JsonMember& member : file.members) {
        Snippet snippet;
        snippet.title = member.name;
        const JsonValue* prefix = member.value.kind == JsonValue::Kind::Object
                                      ? memberNamed(member.value, u"prefix")
                                      : nullptr;
        const JsonValue* body = member.value.kind == JsonValue::Kind::Object
                                    ? memberNamed(member.value, u"body")
                                    : nullptr;
        std::optional<std::vector<std::u16string>> names;
        std::optional<std::vector<std::u16string>> lines;
        if (member.value.kind != JsonValue::Kind::Object)
            snippet.problem = u"is not a snippet";
        else if (!prefix)
            snippet.problem = u"has no prefix";
        else if (!(names = stringsOf(*prefix)))
            snippet.problem = u"its prefix is not text";
        else if (!body)
            snippet.problem = u"has no body";
        else if (!(lines = stringsOf(*body)))
            snippet.problem = u"its body is not text";
        if (!snippet.problem) {
            snippet.names = std::move(*names);
            for (size_t i = 0; i < lines->size(); ++i)
                snippet.body += (i ? u"\n" : u"") + (*lines)[i];
        }
        snippets.push_back(std::move(snippet));
    }
    return std::nullopt;
}

// A content written on lines of its own, "<![CDATA[" at the end of one line and "]]>" at the
// start of another, means the lines between: the line break after the opening and the last
// line's break (with the closing's indentation) are the file's layout, not the snippet's.
std::u16string_view contentWithoutLayout(std::u16string_view content) {
    if (content.starts_with(u"\r\n"))
        content.remove_prefix(2);
    else if (!content.empty() && isLineBreak(content.front()))
        content.remove_prefix(1);
    const size_t lastText = content.find_last_not_of(u" \t");
    size_t end = lastText == content.npos ? 0 : lastText + 1;
    if (end > 0 && isLineBreak(content[end - 1])) {
        --end;
        if (content[end] == u'\n' && end > 0 && content[end - 1] == u'\r')
            --end;
        content = content.substr(0, end);
    }
    return content;
}

std::optional<std::u16string> readSublime(std::u16string_view text,
                                          std::vector<Snippet>& snippets) {
    XmlReader reader;
    reader.text = text;
    XmlElement root;
    if (reader.skipMisc()) {
        if (reader.atEnd() || text[reader.at] != u'<' || reader.startsWith(u"</"))
            reader.fail(reader.at, u"a snippet file begins with <snippet>");
        else if (reader.readElement(root, 0) && reader.skipMisc() && !reader.atEnd())
            reader.fail(reader.at, u"more text follows </" + root.name + u">");
    }
    if (!reader.error && root.name != u"snippet")
        reader.fail(root.at, u"the file holds <" + root.name + u">, not <snippet>");
    if (reader.error)
        return placeOf(text, *reader.error);

    Snippet snippet;
    const XmlElement* trigger = childNamed(root, u"tabTrigger");
    const XmlElement* description = childNamed(root, u"description");
    const XmlElement* content = childNamed(root, u"content");
    const std::u16string_view triggerText = trigger ? trimXmlBlanks(trigger->text) : u"";
    snippet.title = std::u16string(description ? trimXmlBlanks(description->text) : u"");
    if (!triggerText.empty())
        snippet.names.emplace_back(triggerText);
    if (triggerText.empty())
        snippet.problem = u"has no tabTrigger";
    else if (!content)
        snippet.problem = u"has no content";
    else if (!content->children.empty())
        snippet.problem = u"its content holds the element <" + content->children.front().name +
                          u">, not only text";
    else
        snippet.body = contentWithoutLayout(content->text);
    snippets.push_back(std::move(snippet));
    return std::nullopt;
}

bool endsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view ending) {
    if (text.size() < ending.size())
        return false;
    const std::u16string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(),
                      [](char16_t a, char16_t b) { return foldAsciiLetter(a) == b; });
}

} // namespace

SnippetFormat snippetFormatOf(std::u16string_view path) {
    return endsWithIgnoringAsciiCase(path, u".sublime-snippet") ? SnippetFormat::Sublime
                                                                : SnippetFormat::VsCode;
}

SnippetImport importSnippets(std::string_view fileBytes, SnippetFormat format) {
    SnippetImport result;
    try {
        if (fileBytes.starts_with("\xEF\xBB\xBF"))
            fileBytes.remove_prefix(3);
        const std::u16string text = text::utf8ToUtf16(fileBytes);
        std::vector<Snippet> snippets;
        result.failure = format == SnippetFormat::Sublime ? readSublime(text, snippets)
                                                          : readVsCode(text, snippets);
        if (!result.failure)
            addSnippets(snippets, result);
    } catch (const std::bad_alloc&) {
        result = SnippetImport{};
        result.failure = u"the file is too large to read";
    }
    return result;
}

// A message box taller than the screen hides its button: past a screenful, the rest is counted.
constexpr size_t kSkippedLinesShown = 25;

std::u16string importReport(size_t added, const std::vector<SkippedSnippet>& skipped) {
    std::u16string report =
        numberText(added) + (added == 1 ? u" Shortcut added." : u" Shortcuts added.");
    if (!skipped.empty())
        report += u"\n\n" + numberText(skipped.size()) + u" skipped:";
    for (size_t i = 0; i < skipped.size() && i < kSkippedLinesShown; ++i)
        report += u"\n" +
                  (skipped[i].name.empty() ? std::u16string(u"(untitled)") : skipped[i].name) +
                  u": " + skipped[i].reason;
    if (skipped.size() > kSkippedLinesShown)
        report += u"\n... and " + numberText(skipped.size() - kSkippedLinesShown) + u" more.";
    return report;
}

std::u16string importFailureMessage(std::u16string_view path, std::u16string_view failure) {
    return u"Nothing was imported from " + std::u16string(path) +
           u": it could not be read as a snippet file (" + std::u16string(failure) + u").";
}

} // namespace store
