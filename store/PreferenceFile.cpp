#include "store/PreferenceFile.h"

#include "base/TextConvert.h"
#include "store/NameOrder.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <new>

namespace store {

namespace {

// The one PreferenceFile that is open in the process, if any.
PreferenceFile* openPreferenceFile = nullptr;

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kFileStart = "\xEF\xBB\xBF\r\n"; // byte-order mark, empty line
constexpr size_t kWritePiece = size_t(1) << 20;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimBlanks(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

// One line [begin, end) without its line end, by the reading rules; false for a blank line.
bool parseLine(const char* begin, const char* end, PreferenceLine& line) {
    while (begin < end && isBlank(*begin))
        ++begin;
    if (begin == end)
        return false;
    if (*begin == ';') {
        ++begin;
        if (begin < end && *begin == ' ')
            ++begin;
        line = {LineKind::Comment, std::string_view(begin, end - begin), {}};
        return true;
    }
    if (*begin == '[') {
        ++begin;
        const auto* close = static_cast<const char*>(std::memchr(begin, ']', end - begin));
        const char* nameEnd = close ? close : end;
        line = {LineKind::Group, std::string_view(begin, nameEnd - begin), {}};
        return true;
    }
    const auto* equals = static_cast<const char*>(std::memchr(begin, '=', end - begin));
    const char* nameEnd = equals ? equals : end;
    while (nameEnd > begin && isBlank(nameEnd[-1]))
        --nameEnd;
    const char* valueBegin = end;
    if (equals) {
        valueBegin = equals + 1;
        while (valueBegin < end && isBlank(*valueBegin))
            ++valueBegin;
    }
    line = {LineKind::Key, std::string_view(begin, nameEnd - begin),
            std::string_view(valueBegin, end - valueBegin)};
    return true;
}

// Where the line that begins at p ends: its first CR or LF, or the end of the text. One pass,
// sixteen or eight bytes at a time: a library is read line by line at every start, and the C
// runtime's memchr that Windows programs get looks at one byte at a time.
const char* lineEndFrom(const char* p, const char* end) {
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr));
        if (const int mask = _mm_movemask_epi8(breaks))
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    // A byte of x is zero exactly where the word held the byte looked for; this is nonzero
    // exactly when some byte of x is zero.
    const auto anyZeroByte = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (anyZeroByte(word ^ (kOnes * '\n')) | anyZeroByte(word ^ (kOnes * '\r')))
            break;
    }
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return p;
}

// A key line's name as the program reads it: bytes that are not UTF-8 read as U+FFFD, so the
// name that the store and the manager show finds its line.
bool sameKeyName(std::string_view stored, std::string_view key) {
    return sameName(stored, key) ||
           (!text::isWellFormedUtf8(stored) && sameName(text::canonicalUtf8(stored), key));
}

// The same for the Shortcut store, which tells names apart by case.
bool sameExactKeyName(std::string_view stored, std::string_view key) {
    return stored == key || (!text::isWellFormedUtf8(stored) && text::canonicalUtf8(stored) == key);
}

// A line break inside a text would turn one line into several on the next reading (a value
// could then forge keys or groups), so each CR and LF is stored as a space.
std::string lineText(std::u16string_view text) {
    std::string utf8 = text::utf16ToUtf8(text);
    for (char& c : utf8) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return utf8;
}

} // namespace

std::optional<PreferenceEncoding> preferenceEncodingOf(std::string_view firstBytes, bool more) {
    if (firstBytes.size() < kByteOrderMark.size() && more)
        return std::nullopt;
    if (firstBytes.starts_with(kByteOrderMark))
        return PreferenceEncoding{false, kByteOrderMark.size()};
    return PreferenceEncoding{true, 0};
}

// Latin-1 leaves ASCII as it is, so only bytes above 0x7F make a copy.
std::string_view preferenceText(std::string_view bytes, const PreferenceEncoding& encoding,
                                std::string& converted) {
    if (!encoding.latin1)
        return bytes;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            converted = text::latin1ToUtf8(bytes);
            return converted;
        }
    }
    return bytes;
}

std::string_view decodePreferenceBytes(std::string_view raw, std::string& converted) {
    const PreferenceEncoding encoding = *preferenceEncodingOf(raw, false);
    return preferenceText(raw.substr(encoding.textStart), encoding, converted);
}

size_t takePreferenceText(std::string& bytes) {
    std::string converted;
    const size_t from = bytes.size() - decodePreferenceBytes(bytes, converted).size();
    if (converted.empty())
        return from;
    bytes = std::move(converted);
    return 0;
}

size_t preferenceLineBound(std::string_view text) {
    const auto ends = [&](char c) { return size_t(std::count(text.begin(), text.end(), c)); };
    size_t lineEnds = ends('\n');
    if (lineEnds == 0)
        lineEnds = ends('\r');
    return lineEnds + 1;
}

void parsePreferenceText(std::string_view text, std::vector<PreferenceLine>& lines) {
    // Sized once from the line ends: a growing list would hold its old and new copies at once,
    // and on a large file that list is as big as the text itself.
    lines.reserve(lines.size() + preferenceLineBound(text));
    size_t at = 0;
    size_t start = 0;
    PreferenceLine line;
    while (nextPreferenceLine(text, at, line, start))
        lines.push_back(line);
}

bool nextPreferenceLine(std::string_view text, size_t& at, PreferenceLine& line, size_t& start) {
    const char* p = text.data() + std::min(at, text.size());
    const char* const end = text.data() + text.size();
    for (;;) {
        while (p < end && (*p == '\r' || *p == '\n'))
            ++p;
        if (p == end) {
            at = text.size();
            return false;
        }
        const char* lineEnd = lineEndFrom(p, end);
        if (parseLine(p, lineEnd, line)) {
            start = static_cast<size_t>(p - text.data());
            at = static_cast<size_t>(lineEnd - text.data());
            return true;
        }
        p = lineEnd;
    }
}

std::string_view trimmedValue(const PreferenceLine& line) {
    return trimBlanks(line.value);
}

PreferenceLine preferenceLineAt(std::string_view text, size_t at) {
    const char* const end = text.data() + text.size();
    const char* begin = text.data() + std::min(at, text.size());
    PreferenceLine line{LineKind::Comment, {}, {}};
    parseLine(begin, lineEndFrom(begin, end), line);
    return line;
}

std::string_view preferenceKeyNameAt(std::string_view text, size_t at) {
    const char* const end = text.data() + text.size();
    const char* begin = text.data() + std::min(at, text.size());
    while (begin < end && isBlank(*begin))
        ++begin;
    const char* nameEnd = begin;
    while (nameEnd < end && *nameEnd != '=' && *nameEnd != '\r' && *nameEnd != '\n')
        ++nameEnd;
    while (nameEnd > begin && isBlank(nameEnd[-1]))
        --nameEnd;
    return std::string_view(begin, size_t(nameEnd - begin));
}

namespace {

// A line as written: prefix, name, separator, value, suffix, line end.
struct WrittenForm {
    std::string_view prefix;
    std::string_view separator;
    std::string_view suffix;
};

WrittenForm writtenForm(LineKind kind) {
    switch (kind) {
    case LineKind::Group:
        return {"[", "", "]"};
    case LineKind::Comment:
        return {"; ", "", ""};
    case LineKind::Key:
        break;
    }
    return {"", " = ", ""};
}

size_t serialisedSize(const PreferenceLine& line) {
    const WrittenForm form = writtenForm(line.kind);
    return form.prefix.size() + line.name.size() + form.separator.size() + line.value.size() +
           form.suffix.size() + kLineEnd.size();
}

// Calls put with each part of the line in order; false as soon as one put fails.
template <typename Put> bool putSerialised(const PreferenceLine& line, Put put) {
    const WrittenForm form = writtenForm(line.kind);
    return put(form.prefix) && put(line.name) && put(form.separator) && put(line.value) &&
           put(form.suffix) && put(kLineEnd);
}

void appendSerialised(std::string& out, const PreferenceLine& line) {
    putSerialised(line, [&](std::string_view part) {
        out += part;
        return true;
    });
}

} // namespace

std::string serialisePreferenceLines(const std::vector<PreferenceLine>& lines) {
    size_t size = kFileStart.size();
    for (const PreferenceLine& line : lines)
        size += serialisedSize(line);
    std::string out;
    out.reserve(size);
    out += kFileStart;
    for (const PreferenceLine& line : lines)
        appendSerialised(out, line);
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i] && foldAsciiLetter(a[i]) != foldAsciiLetter(b[i]))
            return false;
    }
    return true;
}

std::int32_t parsePreferenceInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Gathered as a negative number, whose range reaches the 32-bit minimum.
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < kMin)
            value = kMin - 1; // stays below the range, however many digits follow
    }
    if (negative)
        return static_cast<std::int32_t>(value < kMin ? kMin : value);
    const std::int64_t positive = -value;
    return static_cast<std::int32_t>(positive > std::numeric_limits<std::int32_t>::max()
                                         ? std::numeric_limits<std::int32_t>::max()
                                         : positive);
}

template <typename Edit> bool PreferenceFile::guarded(Edit edit) {
    try {
        return edit();
    } catch (const std::bad_alloc&) {
        // Half an edit must never reach the disk: every change of this opening is dropped.
        editFailed_ = true;
        return false;
    }
}

PreferenceFile::~PreferenceFile() {
    close();
}

void PreferenceFile::reset() {
    state_ = State::Closed;
    readOnly_ = false;
    stampAsRead_ = {};
    path_.clear();
    saveMode_ = SaveMode::Replace;
    text_ = std::string();
    written_.clear();
    lines_ = std::vector<LineRef>();
    group_ = kNoLine;
    position_ = kNoLine;
    pendingGroup_.clear();
    hasPendingGroup_ = false;
    modified_ = false;
    editFailed_ = false;
}

void PreferenceFile::becomeCurrent() {
    openPreferenceFile = this;
}

// The file itself is written at close; a new file that cannot be made there fails now.
bool PreferenceFile::create(std::u16string_view path) {
    if (openPreferenceFile)
        openPreferenceFile->close();
    reset();
    // The writers' lock file beside it is made there first: where it cannot be, neither can the
    // file.
    WriteLock lock;
    if (!lockForWriting(path, lock))
        return false;
    path_ = path;
    state_ = State::Opened;
    modified_ = true; // a created file is always written, even with no lines
    becomeCurrent();
    return true;
}

bool PreferenceFile::open(std::u16string_view path) {
    if (openPreferenceFile)
        openPreferenceFile->close();
    reset();
    becomeCurrent();
    path_ = path;
    FileHandle file;
    if (!openForReading(path, file)) {
        // Nothing of it was read: close creates it only where nothing is.
        state_ = State::Unopened;
        saveMode_ = SaveMode::CreateOnly;
        return false;
    }
    state_ = State::Opened;
    readOnly_ = isReadOnlyFile(path);
    try {
        std::string raw;
        const bool read = readWholeFile(file, raw);
        // After the read, so that a write of another program while it went on shows.
        if (read)
            stampAsRead_ = fileStampOf(file);
        file.reset();
        if (!read) {
            // Writing back what could not be read would destroy it: keep the file as it is.
            readOnly_ = true;
            return true;
        }
        size_t at = takePreferenceText(raw);
        text_ = std::move(raw);
        // Sized once: a growing list would hold its old and new copies at once.
        lines_.reserve(preferenceLineBound(std::string_view(text_).substr(at)));
        PreferenceLine line;
        for (size_t start = 0; nextPreferenceLine(text_, at, line, start);)
            lines_.push_back(makeRef(line.kind, start, false));
    } catch (const std::bad_alloc&) {
        lines_.clear();
        readOnly_ = true;
    }
    return true;
}

PreferenceFile::LineRef PreferenceFile::makeRef(LineKind kind, size_t location, bool written) {
    if (location >= kTextOffsetLimit)
        throw std::bad_alloc();
    return (written ? kWrittenRef : 0) | (static_cast<LineRef>(kind) << kKindShift) | location;
}

LineKind PreferenceFile::kindOf(LineRef ref) {
    return static_cast<LineKind>((ref >> kKindShift) & 3);
}

PreferenceLine PreferenceFile::line(size_t index) const {
    const LineRef ref = lines_[index];
    const auto location = static_cast<size_t>(ref & (kTextOffsetLimit - 1));
    if (ref & kWrittenRef) {
        const WrittenLine& written = written_[location];
        return {kindOf(ref), written.name, written.value};
    }
    return preferenceLineAt(text_, location);
}

PreferenceFile::LineRef PreferenceFile::keep(LineKind kind, std::string name, std::string value) {
    const LineRef ref = makeRef(kind, written_.size(), true);
    written_.push_back({std::move(name), std::move(value)});
    return ref;
}

void PreferenceFile::insertLine(size_t index, LineRef line) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), line);
    if (group_ != kNoLine && group_ >= index)
        ++group_;
    if (position_ != kNoLine && position_ >= index)
        ++position_;
}

void PreferenceFile::resolvePendingGroup() {
    if (!hasPendingGroup_)
        return;
    insertLine(lines_.size(), keep(LineKind::Group, std::move(pendingGroup_), {}));
    group_ = lines_.size() - 1;
    position_ = group_;
    pendingGroup_.clear();
    hasPendingGroup_ = false;
}

size_t PreferenceFile::groupEnd() const {
    size_t i = group_ == kNoLine ? 0 : group_ + 1;
    while (i < lines_.size() && kindOf(lines_[i]) != LineKind::Group)
        ++i;
    return i;
}

size_t PreferenceFile::findExactKey(std::string_view key) const {
    size_t found = kNoLine;
    for (size_t i = group_ == kNoLine ? 0 : group_ + 1; i < lines_.size(); ++i) {
        const LineKind kind = kindOf(lines_[i]);
        if (kind == LineKind::Group)
            break;
        if (kind == LineKind::Key && sameExactKeyName(line(i).name, key))
            found = i;
    }
    return found;
}

size_t PreferenceFile::findKey(std::string_view key) const {
    for (size_t i = group_ == kNoLine ? 0 : group_ + 1; i < lines_.size(); ++i) {
        const LineKind kind = kindOf(lines_[i]);
        if (kind == LineKind::Group)
            break;
        if (kind == LineKind::Key && sameKeyName(line(i).name, key))
            return i;
    }
    return kNoLine;
}

bool PreferenceFile::selectGroup(std::u16string_view name) {
    return guarded([&] {
        if (state_ == State::Closed)
            return false;
        if (name.empty()) {
            group_ = kNoLine;
            position_ = kNoLine;
            hasPendingGroup_ = false;
            pendingGroup_.clear();
            return true;
        }
        std::string utf8 = lineText(name);
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (kindOf(lines_[i]) == LineKind::Group && sameName(line(i).name, utf8)) {
                group_ = i;
                position_ = i;
                hasPendingGroup_ = false;
                pendingGroup_.clear();
                return true;
            }
        }
        pendingGroup_ = std::move(utf8);
        hasPendingGroup_ = true;
        return false;
    });
}

bool PreferenceFile::addComment(std::u16string_view text) {
    return guarded([&] {
        if (!canWrite())
            return false;
        resolvePendingGroup();
        const size_t at = position_ == kNoLine ? 0 : position_ + 1;
        insertLine(at, keep(LineKind::Comment, lineText(text), {}));
        position_ = at;
        modified_ = true;
        return true;
    });
}

bool PreferenceFile::writeString(std::u16string_view key, std::u16string_view value) {
    return writeKey(key, value, false);
}

bool PreferenceFile::writeExactKey(std::u16string_view key, std::u16string_view value) {
    return writeKey(key, value, true);
}

// The first line of the name (any case of ASCII letters) or the last of exactly that name.
bool PreferenceFile::writeKey(std::u16string_view key, std::u16string_view value, bool exact) {
    return guarded([&] {
        if (!canWrite())
            return false;
        resolvePendingGroup();
        std::string name = lineText(key);
        const size_t found = exact ? findExactKey(name) : findKey(name);
        const LineRef line = keep(LineKind::Key, std::move(name), lineText(value));
        if (found != kNoLine) {
            lines_[found] = line;
            position_ = found;
        } else {
            const size_t at = groupEnd();
            insertLine(at, line);
            position_ = at;
        }
        modified_ = true;
        return true;
    });
}

bool PreferenceFile::writeInteger(std::u16string_view key, std::int32_t value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return writeString(key, text::utf8ToUtf16(std::string_view(digits, result.ptr - digits)));
}

std::u16string PreferenceFile::readString(std::u16string_view key,
                                          std::u16string_view defaultValue) const {
    if (state_ == State::Closed || hasPendingGroup_)
        return std::u16string(defaultValue);
    const size_t found = findKey(lineText(key));
    if (found == kNoLine)
        return std::u16string(defaultValue);
    return text::utf8ToUtf16(trimmedValue(line(found)));
}

std::int32_t PreferenceFile::readInteger(std::u16string_view key, std::int32_t defaultValue) const {
    if (state_ == State::Closed || hasPendingGroup_)
        return defaultValue;
    const size_t found = findKey(lineText(key));
    if (found == kNoLine)
        return defaultValue;
    return parsePreferenceInteger(trimmedValue(line(found)));
}

bool PreferenceFile::removeKey(std::u16string_view key) {
    return guarded([&] {
        // A group that does not exist holds no keys: nothing changes and nothing is created.
        if (state_ == State::Closed || hasPendingGroup_)
            return false;
        const size_t found = findKey(lineText(key));
        if (found == kNoLine)
            return false;
        eraseLine(found);
        return true;
    });
}

bool PreferenceFile::removeExactKeys(std::u16string_view key) {
    return guarded([&] {
        if (state_ == State::Closed || hasPendingGroup_)
            return false;
        const std::string name = lineText(key);
        bool removed = false;
        for (size_t found; (found = findExactKey(name)) != kNoLine; removed = true)
            eraseLine(found);
        return removed;
    });
}

void PreferenceFile::eraseLine(std::size_t index) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
    if (position_ == index)
        position_ = kNoLine;
    else if (position_ != kNoLine && position_ > index)
        --position_;
    if (group_ != kNoLine && group_ > index)
        --group_;
    modified_ = true;
}

bool PreferenceFile::examineKeys() {
    if (state_ == State::Closed || hasPendingGroup_)
        return false;
    position_ = group_;
    return true;
}

bool PreferenceFile::nextKey() {
    if (state_ == State::Closed || hasPendingGroup_)
        return false;
    for (size_t i = position_ == kNoLine ? 0 : position_ + 1; i < lines_.size(); ++i) {
        if (kindOf(lines_[i]) == LineKind::Group)
            return false;
        if (kindOf(lines_[i]) == LineKind::Key) {
            position_ = i;
            return true;
        }
    }
    return false;
}

std::u16string PreferenceFile::keyName() const {
    if (position_ == kNoLine || position_ >= lines_.size() ||
        kindOf(lines_[position_]) != LineKind::Key)
        return {};
    return text::utf8ToUtf16(line(position_).name);
}

std::u16string PreferenceFile::keyValue() const {
    if (position_ == kNoLine || position_ >= lines_.size() ||
        kindOf(lines_[position_]) != LineKind::Key)
        return {};
    return text::utf8ToUtf16(trimmedValue(line(position_)));
}

// Written in pieces of about a megabyte, so the file's text is never held twice; a longer line
// goes out as it stands.
bool PreferenceFile::writeLines(const FileHandle& file) const {
    std::uint64_t size = kFileStart.size();
    for (size_t i = 0; i < lines_.size(); ++i)
        size += serialisedSize(line(i));
    if (!reserveFileSize(file, size))
        return false;
    std::uint64_t offset = 0;
    // Room for a piece and the line that ends it, or for the whole file when that is less: a
    // small library's save then asks for kilobytes, not for a fresh mapping of megabytes.
    std::string piece(kFileStart);
    piece.reserve(std::size_t(std::min<std::uint64_t>(size, 2 * kWritePiece)));
    const auto writeOut = [&](std::string_view bytes) {
        if (!writeSavePiece(file, offset, bytes))
            return false;
        offset += bytes.size();
        return true;
    };
    for (size_t i = 0; i < lines_.size(); ++i) {
        const PreferenceLine next = line(i);
        if (serialisedSize(next) > kWritePiece) {
            if (!writeOut(piece) || !putSerialised(next, writeOut))
                return false;
            piece.clear();
            continue;
        }
        appendSerialised(piece, next);
        if (piece.size() >= kWritePiece) {
            if (!writeOut(piece))
                return false;
            piece.clear();
        }
    }
    return writeOut(piece) && offset == size && finishSaveFile(file, size);
}

bool PreferenceFile::close(WrittenFile* written) {
    if (state_ == State::Closed)
        return false;
    if (openPreferenceFile == this)
        openPreferenceFile = nullptr;
    bool wrote = false;
    if (modified_ && !readOnly_ && !editFailed_)
        wrote = saveWholeFile(
            path_, saveMode_, [this](const FileHandle& file) { return writeLines(file); }, written);
    reset();
    return wrote;
}

} // namespace store
