#include "core/HashTable.h"

#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace limsbridge;

namespace {

// The hash written out the long way: the Windows-1252 bytes copied into a
// zero-filled array of little-endian 32-bit integers, which are XOR-ed.
qint32 referenceHash(const QByteArray& bytes)
{
    std::vector<quint32> words(std::size_t((bytes.size() - 1) / 4 + 1), 0);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        words[std::size_t(i / 4)] |= quint32(static_cast<unsigned char>(bytes[i])) << (8 * (i % 4));
    quint32 code = 0;
    for (const quint32 word : words)
        code ^= word;
    return static_cast<qint32>(code);
}

// Runs the operation and returns the error it raised; number -1 when none.
struct Raised {
    long number = -1;
    QString description;
};
Raised raisedBy(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const RaisedError& error) {
        return {error.number(), error.description()};
    }
    return {};
}

} // namespace

struct HashCodeRow {
    const char* name;
    QString key;
    qint32 expected;
};

TEST(HashTable, HashCodeIsXorOfLittleEndianWordsOfTheAnsiBytes)
{
    const HashCodeRow rows[] = {
        {"one character", "A", 0x41},
        {"four characters fill one word", "ABCD", 0x44434241},
        {"fifth character pads a second word", "ABCDE", 0x44434241 ^ 0x45},
        {"eight characters, two full words", "ABCDABCD", 0},
        {"degree sign is byte B0", QString::fromUtf8("°C"), 0x43B0},
        {"micro sign is byte B5", QString::fromUtf8("µg/l"), 0x6C2F67B5},
        {"euro sign is byte 80", QString::fromUtf8("€"), 0x80},
        {"high byte in the top lane gives a negative code", QString::fromUtf8("€€€€"),
         static_cast<qint32>(0x80808080u)},
        {"character outside the code page hashes as '?'", QString::fromUtf8("Ω"), 0x3F},
    };
    for (const HashCodeRow& row : rows) {
        EXPECT_EQ(HashTable<QString>::HashCode(row.key), row.expected) << row.name;
        EXPECT_EQ(HashTable<QString>::HashCode(row.key), referenceHash(Ansi::fromUnicode(row.key))) << row.name;
    }
}

TEST(HashTable, NewTableHas1024BucketsAnd2048Slots)
{
    HashTable<QString> table;
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.slotCapacity(), 2048);
    EXPECT_FALSE(table.IgnoreCase());
    // "A" (65) and "AD" (0x4441 = 17473 = 17 * 1024 + 65) share bucket 65 of
    // 1024, "B" is alone in bucket 66: bucket order, then insertion order.
    table.Add("AD", "1");
    table.Add("B", "2");
    table.Add("A", "3");
    EXPECT_EQ(table.Keys(), (QList<QString>{"AD", "A", "B"}));
    EXPECT_EQ(table.Values(), (QList<QString>{"1", "3", "2"}));
}

TEST(HashTable, NegativeHashCodeLandsInANonNegativeBucket)
{
    // With three buckets: "0" -> 0, "1" -> 1, "2" -> 2, and the code of
    // "€€€€" (-2139062144) leaves remainder -2, that is bucket 1. Taking the
    // code unsigned or its absolute value would put it into bucket 2.
    HashTable<int> table;
    table.SetSize(3, 8, 8);
    table.Add("2", 2);
    table.Add("1", 1);
    table.Add(QString::fromUtf8("€€€€"), 4);
    table.Add("0", 0);
    EXPECT_EQ(table.Keys(), (QList<QString>{"0", "1", QString::fromUtf8("€€€€"), "2"}));
    EXPECT_EQ(table.Item(QString::fromUtf8("€€€€")), 4);
}

TEST(HashTable, ChainKeepsInsertionOrderAcrossOtherBuckets)
{
    // Sixteen buckets: "Q" (81) and "A" (65) both land in bucket 1.
    HashTable<int> table;
    table.SetSize(16, 4, 4);
    table.Add("Q", 1);
    table.Add("B", 2);
    table.Add("A", 3);
    table.Add("a", 4); // 97 -> bucket 1 as well
    EXPECT_EQ(table.Keys(), (QList<QString>{"Q", "A", "a", "B"}));
    EXPECT_EQ(table.Values(), (QList<int>{1, 3, 4, 2}));
}

TEST(HashTable, RemovingTheMiddleOfAChainKeepsTheOthersAndReusesItsSlot)
{
    HashTable<QString> table;
    table.SetSize(1024, 8, 8);
    for (const char* key : {"A", "AD", "AH"}) // one chain in bucket 65
        table.Add(key, QString::fromLatin1(key).toLower());
    ASSERT_EQ(table.slotIndex("AD"), 2);

    table.Remove("AD");
    EXPECT_EQ(table.Count(), 2);
    EXPECT_FALSE(table.Exists("AD"));
    EXPECT_EQ(table.Item("A"), "a");
    EXPECT_EQ(table.Item("AH"), "ah");
    EXPECT_EQ(table.Keys(), (QList<QString>{"A", "AH"}));

    table.Add("Z", "z");
    EXPECT_EQ(table.slotIndex("Z"), 2) << "the freed slot is handed out first";
    table.Add("AD", "again");
    EXPECT_EQ(table.slotIndex("AD"), 4) << "then the unused slots in ascending order";
    EXPECT_EQ(table.Keys(), (QList<QString>{"A", "AH", "AD", "Z"}));
}

TEST(HashTable, RemovingTheHeadOrTailOfAChain)
{
    HashTable<int> table;
    for (const char* key : {"A", "AD", "AH"})
        table.Add(key, 0);
    table.Remove("A");
    EXPECT_EQ(table.Keys(), (QList<QString>{"AD", "AH"}));
    table.Remove("AH");
    EXPECT_EQ(table.Keys(), (QList<QString>{"AD"}));
    table.Add("AL", 0);
    EXPECT_EQ(table.Keys(), (QList<QString>{"AD", "AL"}));
    table.Remove("AD");
    table.Remove("AL");
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(table.Exists("AD"));
}

struct GrowthRow {
    const char* name;
    qint32 initialSlots;
    qint32 growthChunk;
    int adds;
    qint32 expectedCapacity;
};

TEST(HashTable, GrowsByExactlyTheChunkWhenTheFreeListRunsEmpty)
{
    const GrowthRow rows[] = {
        {"within the initial slots", 4, 3, 4, 4},
        {"one more than the initial slots", 4, 3, 5, 7},
        {"fills the first chunk", 4, 3, 7, 7},
        {"needs a second chunk", 4, 3, 8, 10},
        {"chunk of one", 2, 1, 9, 9},
        {"no initial slots beyond the reserved one", 1, 5, 12, 16},
    };
    for (const GrowthRow& row : rows) {
        HashTable<int> table;
        table.SetSize(8, row.initialSlots, row.growthChunk);
        for (int i = 0; i < row.adds; ++i)
            table.Add("K" + QString::number(i), i);
        EXPECT_EQ(table.slotCapacity(), row.expectedCapacity) << row.name;
        EXPECT_EQ(table.Count(), row.adds) << row.name;
        for (int i = 0; i < row.adds; ++i) {
            EXPECT_EQ(table.Item("K" + QString::number(i)), i) << row.name;
            EXPECT_EQ(table.slotIndex("K" + QString::number(i)), i + 1) << row.name << ": slots in ascending order";
        }
    }
}

TEST(HashTable, SetSizeBelowOneKeepsTheCurrentSlotCountsAndEmptiesTheTable)
{
    HashTable<int> table;
    table.SetSize(8, 4, 3);
    table.Add("X", 1);
    table.SetSize(32, 0, -5);
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(table.Exists("X"));
    EXPECT_EQ(table.slotCapacity(), 4);
    for (int i = 0; i < 5; ++i)
        table.Add("K" + QString::number(i), i);
    EXPECT_EQ(table.slotCapacity(), 7);

    table.RemoveAll();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.slotCapacity(), 4);
    EXPECT_EQ(raisedBy([&] { table.Keys(); }).number, 9);
}

TEST(HashTable, KeysOfFourAndFiveCharactersAndAnsiKeysAreFound)
{
    const QStringList keys = {"ABCD", "ABCDE", "DCBA", QString::fromUtf8("°C"), QString::fromUtf8("µg/l"),
                              QString::fromUtf8("€"), QString::fromUtf8("mg/m³")};
    HashTable<QString> table;
    for (const QString& key : keys)
        table.Add(key, key + "=");
    EXPECT_EQ(table.Count(), keys.size());
    for (const QString& key : keys) {
        EXPECT_TRUE(table.Exists(key)) << key.toStdString();
        EXPECT_EQ(table.Item(key), key + "=") << key.toStdString();
    }
    EXPECT_FALSE(table.Exists(QString::fromUtf8("°c")));
}

TEST(HashTable, ItemGetOfAMissingKeyIsEmptyAndAddsNothing)
{
    HashTable<QString> text;
    text.Add("A", "x");
    EXPECT_TRUE(text.Item("B").isNull());
    EXPECT_EQ(text.Count(), 1);

    HashTable<QVariant> variants;
    EXPECT_FALSE(variants.Item("B").isValid());
    EXPECT_EQ(variants.Count(), 0);

    HashTable<double> numbers;
    EXPECT_EQ(numbers.Item("B"), 0.0);
}

TEST(HashTable, ItemLetReplacesOrAdds)
{
    HashTable<QString> table;
    table.setItem("A", "1");
    EXPECT_EQ(table.Count(), 1);
    table.setItem("A", "2");
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Item("A"), "2");
    EXPECT_EQ(table.slotCapacity(), 2048);
}

TEST(HashTable, ObjectValuesAreSharedNotCopied)
{
    struct Record {
        int id = 0;
    };
    HashTable<std::shared_ptr<Record>> table;
    auto record = std::make_shared<Record>();
    table.setItem("R", record);
    EXPECT_EQ(table.Item("R").get(), record.get());
    EXPECT_EQ(table.Values().front().get(), record.get());
    table.Item("R")->id = 7;
    EXPECT_EQ(record->id, 7);
    EXPECT_EQ(table.Item("missing"), nullptr);
}

TEST(HashTable, KeysDifferingInCaseAreDistinctUnlessIgnoreCaseIsOn)
{
    HashTable<int> exact;
    exact.Add("A1", 1);
    exact.Add("a1", 2);
    EXPECT_EQ(exact.Count(), 2);
    EXPECT_EQ(exact.Item("a1"), 2);

    HashTable<int> folded;
    folded.setIgnoreCase(true);
    EXPECT_TRUE(folded.IgnoreCase());
    folded.Add("a1", 1);
    EXPECT_EQ(folded.Keys(), (QList<QString>{"A1"}));
    EXPECT_TRUE(folded.Exists("A1"));
    EXPECT_EQ(folded.Item("A1"), 1);
    EXPECT_EQ(raisedBy([&] { folded.Add("A1", 2); }).number, 457);
    folded.setItem(QString::fromUtf8("µg"), 3); // upper-cases to U+039C, outside the code page
    EXPECT_EQ(folded.Item(QString::fromUtf8("µG")), 3);
    folded.Remove("A1");
    EXPECT_FALSE(folded.Exists("a1"));

    folded.SetSize(16);
    EXPECT_TRUE(folded.IgnoreCase()) << "SetSize keeps the switch";
}

TEST(HashTable, IgnoreCaseCannotChangeWhileNotEmpty)
{
    HashTable<int> table;
    table.Add("a", 1);
    const Raised error = raisedBy([&] { table.setIgnoreCase(true); });
    EXPECT_EQ(error.number, 1001);
    EXPECT_EQ(error.description, "The Hash Table isn't empty");
    EXPECT_FALSE(table.IgnoreCase());
    table.RemoveAll();
    table.setIgnoreCase(true);
    EXPECT_TRUE(table.IgnoreCase());
}

struct ErrorRow {
    const char* name;
    std::function<void(HashTable<QString>&)> operation;
    long number;
    QString description;
};

TEST(HashTable, ErrorsCarryTheirNumbersAndDescriptions)
{
    const QString invalidKey = "Invalid key";
    const ErrorRow rows[] = {
        {"Exists with empty key", [](auto& t) { t.Exists(""); }, 1001, invalidKey},
        {"Add with empty key", [](auto& t) { t.Add("", "v"); }, 1001, invalidKey},
        {"Item get with empty key", [](auto& t) { t.Item(""); }, 1001, invalidKey},
        {"Item let with empty key", [](auto& t) { t.setItem("", "v"); }, 1001, invalidKey},
        {"Remove with empty key", [](auto& t) { t.Remove(""); }, 1001, invalidKey},
        {"Add of a stored key", [](auto& t) { t.Add("K", "new"); }, 457,
         "This key is already associated with an element of this collection"},
        {"Remove of a missing key", [](auto& t) { t.Remove("missing"); }, 5, "Invalid procedure call or argument"},
        {"Keys of an empty table",
         [](auto& t) {
             t.RemoveAll();
             t.Keys();
         },
         9, "Subscript out of range"},
        {"Values of an empty table",
         [](auto& t) {
             t.Remove("K");
             t.Values();
         },
         9, "Subscript out of range"},
        {"SetSize without buckets", [](auto& t) { t.SetSize(0, 8, 8); }, 9, "Subscript out of range"},
    };
    for (const ErrorRow& row : rows) {
        HashTable<QString> table;
        table.Add("K", "old");
        const Raised error = raisedBy([&] { row.operation(table); });
        EXPECT_EQ(error.number, row.number) << row.name;
        EXPECT_EQ(error.description, row.description) << row.name;
        if (row.number == 457 || row.number == 5 || row.name == std::string("SetSize without buckets")) {
            EXPECT_EQ(table.Count(), 1) << row.name << ": nothing changes";
            EXPECT_EQ(table.Item("K"), "old") << row.name << ": nothing changes";
        }
    }
}
