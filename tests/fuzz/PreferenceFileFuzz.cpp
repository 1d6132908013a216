// The preference file on arbitrary bytes: read without a change it is never written; after one
// change (made by a share of the inputs, by every input in the test command's replay) it begins
// with the byte-order mark and CR LF, the change reads back, and every other key keeps its value.
#include "base/TextConvert.h"
#include "store/PreferenceFile.h"
#include "store/ShortcutStore.h"

#include "FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Section {
    std::u16string group; // first of its name; empty: the part before the first group
    std::vector<std::u16string> keys;
};

// The groups that selectGroup can reach and the key names in each, as the file holds them.
std::vector<Section> sectionsOf(std::string_view bytes) {
    std::string converted;
    const std::string_view text = store::decodePreferenceBytes(bytes, converted);
    std::vector<store::PreferenceLine> lines;
    store::parsePreferenceText(text, lines);
    std::vector<Section> sections{{}};
    std::vector<std::string_view> groupNames;
    bool reachable = true;
    for (const store::PreferenceLine& line : lines) {
        if (line.kind == store::LineKind::Group) {
            reachable = true;
            for (std::string_view seen : groupNames)
                reachable = reachable && !store::sameName(seen, line.name);
            groupNames.push_back(line.name);
            if (reachable)
                sections.push_back({text::utf8ToUtf16(line.name), {}});
        } else if (line.kind == store::LineKind::Key && reachable &&
                   sections.back().keys.size() < 64) {
            sections.back().keys.push_back(text::utf8ToUtf16(line.name));
        }
    }
    return sections;
}

constexpr std::u16string_view kMissing = u"\x01missing";

// The share of inputs that make their change and read it back.
constexpr unsigned kChangedShare = 4;

std::vector<std::u16string> readAll(const std::u16string& path,
                                    const std::vector<Section>& sections, bool& wrote) {
    std::vector<std::u16string> values;
    store::PreferenceFile file;
    file.open(path);
    for (const Section& section : sections) {
        file.selectGroup(section.group);
        for (const std::u16string& key : section.keys)
            values.push_back(file.readString(key, kMissing));
    }
    wrote = file.close();
    return values;
}

// A value as readString gives it back: line breaks stored as spaces, blanks trimmed.
std::u16string asReadBack(std::u16string value) {
    for (char16_t& c : value)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return fuzz::trimBlanks(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, 2); // write, remove, comment
    std::u16string group = text::utf8ToUtf16(input.ConsumeRandomLengthString(16));
    // A line break in a name is stored as a space; the model compares the name as stored.
    for (char16_t& c : group)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    const std::u16string key = text::utf8ToUtf16(input.ConsumeRandomLengthString(16));
    const std::u16string value = text::utf8ToUtf16(input.ConsumeRandomLengthString(64));
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    // Names that the format cannot hold are the caller's to refuse, as the store does.
    if (!store::isStorableShortcutName(key) || group.find(u']') != std::u16string::npos)
        return 0;

    const std::u16string path = fuzz::scratchPath();
    fuzz::writeFileBytes(path, bytes);
    const std::vector<Section> sections = sectionsOf(bytes);

    bool wrote = true;
    const std::vector<std::u16string> before = readAll(path, sections, wrote);
    fuzz::require(!wrote, "a file only read is not written");
    fuzz::require(fuzz::readFileBytes(path) == bytes, "a file only read keeps its bytes");
    // A change is saved: under the lock, a new file written, flushed and swapped in, the old one
    // kept as a backup. That costs more than all the rest, so a share of the inputs gets it.
    if (!fuzz::chosen(fuzz::inputHash(data, size), kChangedShare))
        return 0;

    bool changed = false;
    {
        store::PreferenceFile file;
        file.open(path);
        file.selectGroup(group);
        if (operation == 0)
            changed = file.writeString(key, value);
        else if (operation == 1)
            changed = file.removeKey(key);
        else
            changed = file.addComment(value);
        fuzz::require(file.close() == changed, "close writes exactly when something changed");
    }
    const std::string after = fuzz::readFileBytes(path);
    if (!changed) {
        fuzz::require(after == bytes, "an unchanged file keeps its bytes");
        return 0;
    }
    fuzz::require(after.starts_with("\xEF\xBB\xBF\r\n"), "the byte-order mark and CR LF first");

    const std::vector<std::u16string> afterValues = readAll(path, sections, wrote);
    size_t i = 0;
    for (const Section& section : sections) {
        const bool changedGroup = fuzz::sameText(section.group, group);
        for (const std::u16string& name : section.keys) {
            const bool touched = changedGroup && operation != 2 && fuzz::sameText(name, key);
            if (!touched)
                fuzz::require(afterValues[i] == before[i], "every other key keeps its value");
            ++i;
        }
    }
    if (operation == 0) {
        store::PreferenceFile file;
        file.open(path);
        file.selectGroup(group);
        fuzz::require(file.readString(key, kMissing) == asReadBack(value), "the change reads back");
        file.close();
    }
    return 0;
}
