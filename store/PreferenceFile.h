#pragma once
// The key-value preference files: groups, keys and comments, one per line, read whole into a
// line list, edited in memory and written back whole at close. Texts in the line list are
// UTF-8 bytes; the operations take and return UTF-16.
#include "store/FileAccess.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// Positions in a loaded text are kept in 40 bits beside other bits (a line's kind, a name's
// hash); a terabyte of text never gets this far.
inline constexpr int kTextOffsetBits = 40;
inline constexpr std::uint64_t kTextOffsetLimit = std::uint64_t(1) << kTextOffsetBits;

// The first bytes of a file whose text is UTF-8.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class LineKind : std::uint8_t { Group, Comment, Key };

// One line of the list. `name` is the group name, the comment text or the key name; `value`
// is the key's value as stored (leading blanks skipped, trailing blanks kept). Both view
// bytes owned by the PreferenceFile (or by the text given to parsePreferenceText).
struct PreferenceLine {
    LineKind kind;
    std::string_view name;
    std::string_view value;
};

// A preference file is UTF-8 after a byte-order mark and Latin-1 without one: its first bytes
// decide for all of it. `textStart` is where its text begins, after the mark.
struct PreferenceEncoding {
    bool latin1 = false;
    std::size_t textStart = 0;
};

// The encoding of the file that begins with `firstBytes`; nothing while they are too few to
// tell and `more` of the file is to come.
std::optional<PreferenceEncoding> preferenceEncodingOf(std::string_view firstBytes, bool more);

// Bytes of such a file from its text start on, any piece of them, as UTF-8 text: a view of
// `bytes` when nothing needs converting, else of `converted`.
std::string_view preferenceText(std::string_view bytes, const PreferenceEncoding& encoding,
                                std::string& converted);

// The whole file's bytes as UTF-8 text, the mark dropped.
std::string_view decodePreferenceBytes(std::string_view raw, std::string& converted);

// The file's bytes made its text in place: `bytes` becomes the UTF-8 text, converted from
// Latin-1 if need be, and the offset where the text's lines begin (after a byte-order mark) is
// returned. Only one copy of a large file is ever held, but for a moment while converting.
std::size_t takePreferenceText(std::string& bytes);

// Splits UTF-8 text into lines by the reading rules; blank lines are not kept.
void parsePreferenceText(std::string_view text, std::vector<PreferenceLine>& lines);

// The next line that is not blank, from text[at] on: `start` is where it begins and `at` moves
// past it. False at the end.
bool nextPreferenceLine(std::string_view text, std::size_t& at, PreferenceLine& line,
                        std::size_t& start);

// No text holds more lines than this: its line ends plus one.
std::size_t preferenceLineBound(std::string_view text);

// The line that begins at text[at], read again: a reader may keep a line's position instead of
// its views.
PreferenceLine preferenceLineAt(std::string_view text, std::size_t at);

// The name alone of the key line that begins at text[at], read without going on to its end.
std::string_view preferenceKeyNameAt(std::string_view text, std::size_t at);

// The value as readString and the Shortcut store give it: without blanks at either end.
std::string_view trimmedValue(const PreferenceLine& line);

// The whole file as written: byte-order mark, CR LF, then every line ended by CR LF.
std::string serialisePreferenceLines(const std::vector<PreferenceLine>& lines);

// Equality of group and key names: ASCII letters A-Z ignore case, every other byte must match.
bool sameName(std::string_view a, std::string_view b);

// One open preference file. Only one is open in the process at a time: create or open on any
// PreferenceFile first closes the one that is open, writing it if it was changed. The file is
// held open only while it is read; close saves the whole file all-or-nothing.
class PreferenceFile {
  public:
    PreferenceFile() = default;
    ~PreferenceFile();
    PreferenceFile(const PreferenceFile&) = delete;
    PreferenceFile& operator=(const PreferenceFile&) = delete;

    bool create(std::u16string_view path);
    bool open(std::u16string_view path);
    bool selectGroup(std::u16string_view name);
    bool addComment(std::u16string_view text);
    bool writeString(std::u16string_view key, std::u16string_view value);
    bool writeInteger(std::u16string_view key, std::int32_t value);
    std::u16string readString(std::u16string_view key, std::u16string_view defaultValue) const;
    std::int32_t readInteger(std::u16string_view key, std::int32_t defaultValue) const;
    // True when a key line was removed (only then is the file changed).
    bool removeKey(std::u16string_view key);
    // Names compared exactly, as the Shortcut store compares them: the last key line of the
    // group with that name gets the value (or a new line goes to the group's end), and every
    // key line of the group with that name is removed (true when one was).
    bool writeExactKey(std::u16string_view key, std::u16string_view value);
    bool removeExactKeys(std::u16string_view key);
    bool examineKeys();
    bool nextKey();
    std::u16string keyName() const;
    std::u16string keyValue() const;
    // True when the changes reached the disk; false when nothing was changed, the file was
    // open for reading only, or creating or writing it failed. `written` gets the written
    // file's stamp and hash.
    bool close(WrittenFile* written = nullptr);

    // The opened file's stamp, taken through it once its bytes were read; no file when nothing
    // was read.
    const FileStamp& stampAsRead() const { return stampAsRead_; }
    bool isOpen() const { return state_ != State::Closed; }
    bool isReadOnly() const { return readOnly_; }
    // An edit ran out of memory; this opening's changes will not be written.
    bool editFailed() const { return editFailed_; }

  private:
    static constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
    enum class State { Closed, Opened, Unopened };

    // A line of the list in 8 bytes: its kind, and where it is, as an offset into text_ (read
    // again when needed) or as the index of a changed line in written_.
    using LineRef = std::uint64_t;
    static constexpr LineRef kWrittenRef = LineRef(1) << 63;
    static constexpr int kKindShift = 61;
    struct WrittenLine {
        std::string name;
        std::string value;
    };
    static LineRef makeRef(LineKind kind, std::size_t location, bool written);
    static LineKind kindOf(LineRef ref);
    PreferenceLine line(std::size_t index) const;
    LineRef keep(LineKind kind, std::string name, std::string value);
    bool writeLines(const FileHandle& file) const;
    std::size_t findExactKey(std::string_view key) const;
    bool writeKey(std::u16string_view key, std::u16string_view value, bool exact);
    void eraseLine(std::size_t index);

    template <typename Edit> bool guarded(Edit edit);
    void reset();
    void becomeCurrent();
    bool canWrite() const { return state_ != State::Closed; }
    void resolvePendingGroup();
    std::size_t groupEnd() const;
    std::size_t findKey(std::string_view key) const;
    void insertLine(std::size_t index, LineRef line);

    State state_ = State::Closed;
    bool readOnly_ = false;
    FileStamp stampAsRead_;
    std::u16string path_; // where close saves the file
    SaveMode saveMode_ = SaveMode::Replace;
    std::string text_;                // the file's text that the line list points into
    std::deque<WrittenLine> written_; // changed lines
    std::vector<LineRef> lines_;
    std::size_t group_ = kNoLine;    // kNoLine: the part before the first group line
    std::size_t position_ = kNoLine; // kNoLine: before the first line
    std::string pendingGroup_;
    bool hasPendingGroup_ = false;
    bool modified_ = false;
    bool editFailed_ = false;
};

// Reads a 32-bit decimal integer the way preference values hold it: leading blanks, an
// optional sign, then digits up to the first other character; no digits give 0, and values
// beyond the 32-bit range stop at its limits.
std::int32_t parsePreferenceInteger(std::string_view text);

} // namespace store
