// The Shortcut store's table: open addressing over 8-byte slots, each pointing at a key line
// of the loaded text or at a record, with part of the name's hash kept beside the location so
// that a probe rarely has to read a line.
#include "base/TextConvert.h"
#include "store/PreferenceFile.h"
#include "store/ShortcutStore.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace store {

namespace {

constexpr std::uint64_t kRecordSlot = std::uint64_t(1) << 63; // else a line of store.text
constexpr std::uint64_t kUsedSlot = std::uint64_t(1) << 62;
constexpr int kFragmentShift = kTextOffsetBits;
constexpr std::uint64_t kFragmentMask = (std::uint64_t(1) << 22) - 1;

// The bytes' hash, then mixed so that the home slot and the kept fragment both depend on
// every byte. The same on every platform and width.
std::uint64_t hashName(std::string_view name) {
    std::uint64_t hash = bytesHash(name);
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccd;
    hash ^= hash >> 33;
    return hash;
}

std::uint64_t fragmentOf(std::uint64_t hash) {
    return (hash >> 42) & kFragmentMask;
}

std::uint64_t makeSlot(std::uint64_t hash, std::uint64_t kind, std::uint64_t location) {
    if (location >= kTextOffsetLimit)
        throw std::bad_alloc();
    return kUsedSlot | kind | (fragmentOf(hash) << kFragmentShift) | location;
}

std::size_t locationOf(std::uint64_t slot) {
    return static_cast<std::size_t>(slot & (kTextOffsetLimit - 1));
}

struct Shortcut {
    std::string_view name;
    std::string_view templateText;
};

Shortcut shortcutAt(const ShortcutStore& store, std::uint64_t slot) {
    if (slot & kRecordSlot) {
        const std::string_view record = store.records[locationOf(slot)];
        std::uint32_t nameSize = 0;
        std::memcpy(&nameSize, record.data(), sizeof nameSize);
        return {record.substr(sizeof nameSize, nameSize),
                record.substr(sizeof nameSize + nameSize)};
    }
    const PreferenceLine line = preferenceLineAt(store.text, locationOf(slot));
    return {line.name, trimmedValue(line)};
}

// The name alone: a probe and a list of names need no template.
std::string_view nameAt(const ShortcutStore& store, std::uint64_t slot) {
    if (slot & kRecordSlot)
        return shortcutAt(store, slot).name;
    return preferenceKeyNameAt(store.text, locationOf(slot));
}

std::string makeRecord(std::string_view name, std::string_view templateText) {
    if (name.size() > UINT32_MAX)
        throw std::bad_alloc();
    const auto nameSize = static_cast<std::uint32_t>(name.size());
    std::string record(sizeof nameSize, '\0');
    std::memcpy(record.data(), &nameSize, sizeof nameSize);
    record.reserve(record.size() + name.size() + templateText.size());
    record += name;
    record += templateText;
    return record;
}

std::size_t homeOf(const ShortcutStore& store, std::uint64_t hash) {
    return static_cast<std::size_t>(hash % store.slots.size());
}

// The slot that holds the name, or else the empty slot where it would go. The table always
// has empty slots, so the probe ends.
std::size_t probe(const ShortcutStore& store, std::string_view name, std::uint64_t hash) {
    const std::uint64_t fragment = fragmentOf(hash);
    for (std::size_t i = homeOf(store, hash);;) {
        const std::uint64_t slot = store.slots[i];
        if (slot == 0)
            return i;
        if (((slot >> kFragmentShift) & kFragmentMask) == fragment && nameAt(store, slot) == name)
            return i;
        if (++i == store.slots.size())
            i = 0;
    }
}

void rehash(ShortcutStore& store, std::size_t capacity) {
    if (capacity > std::vector<std::uint64_t>().max_size())
        throw std::bad_alloc();
    std::vector<std::uint64_t> old(capacity, 0);
    old.swap(store.slots);
    for (const std::uint64_t slot : old) {
        if (slot == 0)
            continue;
        std::size_t i = homeOf(store, hashName(nameAt(store, slot)));
        while (store.slots[i] != 0) {
            if (++i == store.slots.size())
                i = 0;
        }
        store.slots[i] = slot;
    }
}

// At most four slots in five are used, so probes stay short.
void makeRoomForOneMore(ShortcutStore& store) {
    if (store.slots.empty())
        rehash(store, ShortcutStore::kBuckets);
    else if ((store.count + 1) * 5 > store.slots.size() * 4)
        rehash(store, store.slots.size() * 2);
}

void storeSlot(ShortcutStore& store, std::size_t i, std::uint64_t slot) {
    const std::uint64_t old = store.slots[i];
    if (old == 0)
        ++store.count;
    else if (old & kRecordSlot)
        store.records[locationOf(old)] = std::string();
    store.slots[i] = slot;
}

// Sets a name to a template held in a record of its own.
void setRecord(ShortcutStore& store, std::string_view name, std::string_view templateText) {
    makeRoomForOneMore(store);
    const std::uint64_t hash = hashName(name);
    const std::size_t i = probe(store, name, hash);
    std::string record = makeRecord(name, templateText);
    const std::uint64_t old = store.slots[i];
    if (old & kRecordSlot) {
        store.records[locationOf(old)] = std::move(record);
        return;
    }
    store.records.push_back(std::move(record));
    storeSlot(store, i, makeSlot(hash, kRecordSlot, store.records.size() - 1));
}

} // namespace

ShortcutStore::ShortcutStore() : slots(kBuckets, 0) {}

void reserveShortcuts(ShortcutStore& store, std::size_t count) {
    const std::size_t capacity = count + count / 7 * 3 + 1; // about 7 in 10 used
    if (capacity < count)
        throw std::bad_alloc();
    if (capacity > store.slots.size())
        rehash(store, capacity);
}

void addLoadedShortcut(ShortcutStore& store, std::size_t at, const PreferenceLine& line) {
    // Bytes that are not UTF-8 read as U+FFFD: two names that read alike are one Shortcut, as
    // they would be in UTF-16.
    if (!text::isWellFormedUtf8(line.name)) {
        setRecord(store, text::canonicalUtf8(line.name), trimmedValue(line));
        return;
    }
    makeRoomForOneMore(store);
    const std::uint64_t hash = hashName(line.name);
    storeSlot(store, probe(store, line.name, hash), makeSlot(hash, 0, at));
}

std::optional<std::u16string> findShortcut(const ShortcutStore& store, std::u16string_view name) {
    if (store.slots.empty())
        return std::nullopt;
    const std::string key = text::utf16ToUtf8(name);
    const std::uint64_t slot = store.slots[probe(store, key, hashName(key))];
    if (slot == 0)
        return std::nullopt;
    return text::utf8ToUtf16(shortcutAt(store, slot).templateText);
}

void setShortcut(ShortcutStore& store, std::u16string_view name, std::u16string_view templateText) {
    setRecord(store, text::utf16ToUtf8(name), text::utf16ToUtf8(templateText));
}

bool eraseShortcut(ShortcutStore& store, std::u16string_view name) {
    if (store.slots.empty())
        return false;
    const std::string key = text::utf16ToUtf8(name);
    std::size_t hole = probe(store, key, hashName(key));
    if (store.slots[hole] == 0)
        return false;
    if (store.slots[hole] & kRecordSlot)
        store.records[locationOf(store.slots[hole])] = std::string();
    store.slots[hole] = 0;
    --store.count;
    // Linear probing keeps no markers of removed names: the rest of the run moves up instead,
    // each slot that may, so that no later name is cut off from its home slot.
    for (std::size_t i = hole;;) {
        if (++i == store.slots.size())
            i = 0;
        const std::uint64_t slot = store.slots[i];
        if (slot == 0)
            return true;
        const std::size_t home = homeOf(store, hashName(nameAt(store, slot)));
        const bool homeAfterHole =
            hole <= i ? (home > hole && home <= i) : (home > hole || home <= i);
        if (!homeAfterHole) {
            store.slots[hole] = slot;
            store.slots[i] = 0;
            hole = i;
        }
    }
}

size_t shortcutCount(const ShortcutStore& store) {
    return store.count;
}

void forEachShortcut(
    const ShortcutStore& store,
    const std::function<void(std::u16string_view name, std::u16string_view templateText)>& visit) {
    for (const std::uint64_t slot : store.slots) {
        if (slot == 0)
            continue;
        const Shortcut shortcut = shortcutAt(store, slot);
        visit(text::utf8ToUtf16(shortcut.name), text::utf8ToUtf16(shortcut.templateText));
    }
}

// The names are visited in the order of their lines in the text, not of the table, so that a
// large library is read through once instead of at random (records, flagged in the top bit,
// come last). Names are short and nearly always ASCII: those are widened into one reused
// buffer.
void forEachShortcutName(const ShortcutStore& store,
                         const std::function<void(std::u16string_view name)>& visit) {
    std::u16string wide;
    std::vector<std::uint64_t> inTextOrder;
    inTextOrder.reserve(store.count);
    for (const std::uint64_t slot : store.slots)
        if (slot != 0)
            inTextOrder.push_back(slot & kRecordSlot ? slot : locationOf(slot));
    std::sort(inTextOrder.begin(), inTextOrder.end());
    for (const std::uint64_t slot : inTextOrder) {
        const std::string_view name = nameAt(store, slot);
        if (std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; })) {
            wide.assign(name.begin(), name.end());
            visit(wide);
        } else {
            visit(text::utf8ToUtf16(name));
        }
    }
}

} // namespace store
