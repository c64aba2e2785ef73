// The program's keyed container: text keys mapped to values of type T (text,
// numbers, variants, or std::shared_ptr for shared objects). It is a chained
// hash table over a preallocated slot array with a free list, so that adding
// an element normally allocates nothing. Keys and Values come out in bucket
// order, insertion order within a bucket; the configuration file's element
// order and the order in which facilities are walked both follow from it, so
// the hash and the chaining rules below must not change.
#pragma once

#include "core/AnsiCodePage.h"
#include "platform/RaisedError.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace limsbridge {

template <typename T>
class HashTable {
public:
    HashTable() : HashTable(1024, 2048, 1024) {}
    //! A table made at once with the sizes SetSize takes, for the tables
    //! made often that need fewer buckets than the default.
    HashTable(qint32 bucketCount, qint32 initialSlotCount, qint32 growthChunk) {
        SetSize(bucketCount, initialSlotCount, growthChunk);
    }

    bool IgnoreCase() const { return m_ignoreCase; }
    //! Only while the table is empty: keys already stored were hashed in the
    //! old case rule and would no longer be found.
    void setIgnoreCase(bool ignoreCase);

    //! Empties the table and rebuilds it with bucketCount buckets; an initial
    //! slot count or growth chunk below 1 keeps the current value.
    void SetSize(qint32 bucketCount, qint32 initialSlotCount = 0, qint32 growthChunk = 0);

    bool Exists(const QString& key) const;
    //! Fails with error 457 when the key is already stored.
    void Add(const QString& key, const T& value);
    //! The stored value; T{} (empty) for a key that is not stored.
    T Item(const QString& key) const;
    //! Replaces the value, adding the element when the key is new.
    void setItem(const QString& key, const T& value);
    //! Fails with error 5 when the key is not stored.
    void Remove(const QString& key);
    void RemoveAll() { SetSize(bucketCount(), m_initialSlotCount, m_growthChunk); }
    qint32 Count() const { return m_count; }
    //! All keys in iteration order; error 9 on an empty table.
    QList<QString> Keys() const;
    //! All values in the order of Keys(); error 9 on an empty table.
    QList<T> Values() const;

    //! The hash code of a key as stored (after any upper-casing): the XOR of
    //! its Windows-1252 bytes read as little-endian 32-bit signed integers.
    static qint32 HashCode(QStringView key);

    //! Diagnostics for tests and tuning: the number of usable slots (slot 0
    //! not counted) and the slot that holds a key (0 when it is not stored).
    qint32 slotCapacity() const { return static_cast<qint32>(m_slots.size()) - 1 + m_pendingSlots; }
    qint32 slotIndex(const QString& key) const { return locate(normalizedKey(key)).slot; }

private:
    struct Slot {
        QString key;
        T value{};
        qint32 next = 0;
    };

    // Where a key is, or where it would be linked: the chain's slot before
    // the hit, or the chain's last slot when the key is missing.
    struct Location {
        qint32 slot = 0;
        qint32 bucket = 0;
        qint32 previous = 0;
    };

    qint32 bucketCount() const { return static_cast<qint32>(m_buckets.size()); }
    QString normalizedKey(const QString& key) const;
    Location locate(const QString& normalized) const;
    //! The slot of the key, creating and linking one when it is missing.
    qint32 findOrCreate(const QString& key, bool& created);
    qint32 takeFreeSlot();
    void growSlots(qint32 count);
    [[noreturn]] static void raiseInvalidKey();

    std::vector<qint32> m_buckets;
    std::vector<Slot> m_slots;
    qint32 m_freeHead = 0;
    qint32 m_count = 0;
    qint32 m_initialSlotCount = 0;
    qint32 m_growthChunk = 0;
    // The initial slots are made when the first key arrives, so that the many
    // small tables that are sized and filled per record, or never filled,
    // cost no more than their buckets.
    qint32 m_pendingSlots = 0;
    bool m_ignoreCase = false;
};

template <typename T>
void HashTable<T>::setIgnoreCase(bool ignoreCase)
{
    if (m_count != 0)
        throw RaisedError(1001, QStringLiteral("The Hash Table isn't empty"));
    m_ignoreCase = ignoreCase;
}

template <typename T>
void HashTable<T>::SetSize(qint32 bucketCount, qint32 initialSlotCount, qint32 growthChunk)
{
    // A table without buckets could not place any key.
    if (bucketCount < 1)
        throw RaisedError(9, QStringLiteral("Subscript out of range"));
    if (initialSlotCount >= 1)
        m_initialSlotCount = initialSlotCount;
    if (growthChunk >= 1)
        m_growthChunk = growthChunk;
    m_count = 0;
    m_freeHead = 0;
    std::vector<qint32>(static_cast<std::size_t>(bucketCount), 0).swap(m_buckets);
    std::vector<Slot>(1).swap(m_slots); // slot 0 is never used, so that index 0 means "none"
    m_pendingSlots = m_initialSlotCount;
}

template <typename T>
bool HashTable<T>::Exists(const QString& key) const
{
    return locate(normalizedKey(key)).slot != 0;
}

template <typename T>
void HashTable<T>::Add(const QString& key, const T& value)
{
    bool created = false;
    const qint32 slot = findOrCreate(key, created);
    if (!created)
        throw RaisedError(457, QStringLiteral("This key is already associated with an element of this collection"));
    m_slots[slot].value = value;
}

template <typename T>
T HashTable<T>::Item(const QString& key) const
{
    const qint32 slot = locate(normalizedKey(key)).slot;
    return slot != 0 ? m_slots[slot].value : T{};
}

template <typename T>
void HashTable<T>::setItem(const QString& key, const T& value)
{
    bool created = false;
    m_slots[findOrCreate(key, created)].value = value;
}

template <typename T>
void HashTable<T>::Remove(const QString& key)
{
    const Location at = locate(normalizedKey(key));
    if (at.slot == 0)
        throw RaisedError(5, QStringLiteral("Invalid procedure call or argument"));
    Slot& removed = m_slots[at.slot];
    if (at.previous != 0)
        m_slots[at.previous].next = removed.next;
    else
        m_buckets[at.bucket] = removed.next;
    // The key and value stay in the slot until it is handed out again.
    removed.next = m_freeHead;
    m_freeHead = at.slot;
    --m_count;
}

template <typename T>
QList<QString> HashTable<T>::Keys() const
{
    if (m_count == 0)
        throw RaisedError(9, QStringLiteral("Subscript out of range"));
    QList<QString> keys;
    keys.reserve(m_count);
    for (const qint32 first : m_buckets) {
        for (qint32 slot = first; slot != 0; slot = m_slots[slot].next)
            keys.append(m_slots[slot].key);
    }
    return keys;
}

template <typename T>
QList<T> HashTable<T>::Values() const
{
    if (m_count == 0)
        throw RaisedError(9, QStringLiteral("Subscript out of range"));
    QList<T> values;
    values.reserve(m_count);
    for (const qint32 first : m_buckets) {
        for (qint32 slot = first; slot != 0; slot = m_slots[slot].next)
            values.append(m_slots[slot].value);
    }
    return values;
}

template <typename T>
qint32 HashTable<T>::HashCode(QStringView key)
{
    // Byte i of the key goes into byte i % 4 of integer i / 4; XOR-ing the
    // integers is the same as XOR-ing each byte into its lane.
    std::uint32_t code = 0;
    qsizetype i = 0;
    for (const QChar c : key) {
        code ^= std::uint32_t(Ansi::fromUnicode(c.unicode())) << (8 * (i & 3));
        ++i;
    }
    return static_cast<qint32>(code);
}

template <typename T>
QString HashTable<T>::normalizedKey(const QString& key) const
{
    if (key.isEmpty())
        raiseInvalidKey();
    return m_ignoreCase ? key.toUpper() : key;
}

template <typename T>
typename HashTable<T>::Location HashTable<T>::locate(const QString& normalized) const
{
    Location at;
    const qint32 buckets = bucketCount();
    qint32 bucket = HashCode(normalized) % buckets; // truncates toward zero
    if (bucket < 0)
        bucket += buckets;
    at.bucket = bucket;
    for (qint32 slot = m_buckets[bucket]; slot != 0; slot = m_slots[slot].next) {
        if (m_slots[slot].key == normalized) {
            at.slot = slot;
            return at;
        }
        at.previous = slot;
    }
    return at;
}

template <typename T>
qint32 HashTable<T>::findOrCreate(const QString& key, bool& created)
{
    QString normalized = normalizedKey(key);
    const Location at = locate(normalized);
    created = at.slot == 0;
    if (!created)
        return at.slot;
    const qint32 slot = takeFreeSlot();
    Slot& fresh = m_slots[slot];
    fresh.key = std::move(normalized);
    fresh.value = T{};
    // Appending at the chain's end keeps insertion order within a bucket.
    if (at.previous != 0)
        m_slots[at.previous].next = slot;
    else
        m_buckets[at.bucket] = slot;
    return slot;
}

template <typename T>
qint32 HashTable<T>::takeFreeSlot()
{
    if (m_freeHead == 0 && m_pendingSlots > 0) {
        growSlots(m_pendingSlots);
        m_pendingSlots = 0;
    }
    if (m_freeHead == 0)
        growSlots(m_growthChunk > 0 ? m_growthChunk : 1);
    const qint32 slot = m_freeHead;
    m_freeHead = m_slots[slot].next;
    m_slots[slot].next = 0;
    ++m_count;
    return slot;
}

template <typename T>
void HashTable<T>::growSlots(qint32 count)
{
    if (count < 1)
        return;
    // New slots are linked in ascending order in front of the old free list,
    // so they are used lowest index first, before any older free slot.
    const qint32 highest = static_cast<qint32>(m_slots.size()) - 1;
    m_slots.resize(m_slots.size() + static_cast<std::size_t>(count));
    for (qint32 slot = highest + 1; slot < highest + count; ++slot)
        m_slots[slot].next = slot + 1;
    m_slots[highest + count].next = m_freeHead;
    m_freeHead = highest + 1;
}

template <typename T>
void HashTable<T>::raiseInvalidKey()
{
    throw RaisedError(1001, QStringLiteral("Invalid key"));
}

} // namespace limsbridge
