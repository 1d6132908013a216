#pragma once
// The directives a template may hold besides its placeholders: "%(" BODY ")" with one of the
// bodies below, matched exactly. Any other "%(" is no directive. What a directive puts in is
// read once per expansion and never scanned for placeholders or directives again.
#include "idelink/CaseStyle.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace idelink {

enum class DirectiveKind {
    Caret,       // %(|)  the caret ends here; puts in nothing
    Percent,     // %(%)  one "%"
    Date,        // %(date) or %(date:PICTURE)
    Time,        // %(time) or %(time:PICTURE)
    Clipboard,   // %(clip)
    Selection,   // %(sel)
    FieldCase,   // %(upper:NAME) and the other case styles: the value of the field NAME
    File,        // %(file)      the document's whole path
    FileName,    // %(filename)  its last part
    FileBase,    // %(filebase)  that without its last extension
    Folder,      // %(dir)       the folder, without a separator at its end
    Environment, // %(env:NAME)  an environment variable
    Use,         // %(use:NAME)  the template of the Shortcut NAME
    Nothing,     // %()  puts in nothing: it ends the name of a field that text follows at once
};

inline constexpr std::u16string_view kDefaultDatePicture = u"yyyy-MM-dd";
inline constexpr std::u16string_view kDefaultTimePicture = u"HH:mm";

struct Directive {
    DirectiveKind kind = DirectiveKind::Caret;
    // What follows the body's ":": Date and Time the Windows date or time picture (the default
    // one without it); FieldCase the field's name, Environment the variable's, Use the
    // Shortcut's. Never empty for these: "%(date:)" or "%(use:)" is no directive.
    std::u16string argument;
    CaseStyle caseStyle = CaseStyle::Upper; // FieldCase
    size_t at = 0;                          // where its "%" stands in the template
    size_t length = 0;                      // from "%" to ")" included
};

// Every directive of the template, left to right.
std::vector<Directive> scanDirectives(std::u16string_view templateText);

// Where the values of the directives come from. Each is asked at most once per expansion, and
// only for a template that holds a directive that needs it.
struct DirectiveSources {
    // The local date (Date) or time (Time) written in a Windows picture, all from one reading of
    // the clock. Unset: nothing.
    std::function<std::u16string(DirectiveKind kind, std::u16string_view picture)> clock;
    std::function<std::u16string()> clipboard; // the clipboard's text; unset: nothing
    std::u16string selection;                  // the selected text being wrapped; empty: none
    // What stands before the selection's start on its line, as indentation (tabs kept).
    std::u16string selectionIndentation;
    std::u16string filePath; // the document's file as the editor named it; empty: none
    // The value of an environment variable; unset, or a variable not set: nothing.
    std::function<std::u16string(std::u16string_view name)> environment;
    // The template of the Shortcut of exactly that name; unset, or no such Shortcut: nullopt.
    std::function<std::optional<std::u16string>(std::u16string_view name)> shortcutTemplate;
    // The name of the Shortcut being expanded, which none of the templates it uses may use again.
    std::u16string shortcutName;
};

// Templates used inside templates go no deeper than this: a "%(use:...)" in the template used at
// this depth stays text.
inline constexpr int kMaxUseDepth = 8;
// The templates that one expansion reads, its own and those it uses, hold at most this many
// units together. Eight levels of templates that each use the next several times would otherwise
// multiply into more text than any editor holds; a "%(use:...)" beyond it stays text.
inline constexpr size_t kMaxTemplateUnits = size_t(1) << 16;

// The text a directive puts in, read from the sources; the clipboard is read at most once per
// reading. Nothing for Caret, FieldCase and Use, which are no value of their own.
class DirectiveReading {
  public:
    explicit DirectiveReading(const DirectiveSources& sources) : sources_(sources) {}
    std::u16string valueOf(const Directive& directive);

  private:
    const DirectiveSources& sources_;
    std::optional<std::u16string> clipboard_;
};

// The part of a file path that a File, FileName, FileBase or Folder directive puts in. Both "\\"
// and "/" separate the parts.
std::u16string filePathPart(DirectiveKind kind, std::u16string_view path);

// A multi-line value from the clipboard or the selection, split into its lines (CR LF, LF and
// CR each end one) without the leading blanks that all of its non-blank lines share exactly, unit
// for unit (a tab is no number of spaces); blank lines come out empty. firstIndentation stands
// before the first line's own blanks: what stood before it on its line where it was read. A
// value without a line break is one line, as it is.
std::vector<std::u16string> shapedLines(std::u16string_view value,
                                        std::u16string_view firstIndentation);

} // namespace idelink
