#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "book/book.h"
#include "book/book_writer.h"
#include "search/engine.h"

namespace {

struct TempFile {
    std::string name;
    explicit TempFile(std::string path) : name(std::move(path)) {}
    ~TempFile() {
        if (!name.empty()) std::remove(name.c_str());
    }
};

BookReadResult readBytes(const BookBytes& bytes, OpeningBook& book, size_t limit = SIZE_MAX) {
    TempFile file(bytes.writeTemp(limit));
    EXPECT_FALSE(file.name.empty());
    return readBookFile(file.name.c_str(), book);
}

}  // namespace

TEST(BookFile, EmptyBookOfTwelveBytesLoads) {
    OpeningBook book;
    BookBytes bytes;
    bytes.header(0);
    ASSERT_EQ(bytes.bytes.size(), 12u);
    EXPECT_EQ(readBytes(bytes, book), BookReadResult::Loaded);
    EXPECT_TRUE(book.entries.empty());
    EXPECT_EQ(book.find(0), nullptr);
}

TEST(BookFile, RecordsAreReadFieldByFieldLittleEndian) {
    OpeningBook book;
    BookBytes bytes;
    bytes.header(2)
        .position(0x0123456789abcdefull, 2)
        .move(0x00001234u, 70, 40, 35)
        .move(0x00005678u, -3, 100, 0)
        .position(0xfedcba9876543210ull, 1)
        .move(0xdeadbeefu, 5);
    ASSERT_EQ(readBytes(bytes, book), BookReadResult::Loaded);
    ASSERT_EQ(book.entries.size(), 2u);
    const BookEntry* first = book.find(0x0123456789abcdefull);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->moveCount, 2);
    EXPECT_EQ(first->moves[0].move, 0x1234u);
    EXPECT_EQ(first->moves[0].weight, 70);
    EXPECT_EQ(first->moves[0].whitePct, 40);
    EXPECT_EQ(first->moves[0].blackPct, 35);
    EXPECT_EQ(first->moves[1].weight, -3);
    EXPECT_EQ(first->moves[1].whitePct, 100);
    // A key with the top bit set sorts above the others as an unsigned number.
    const BookEntry* last = book.find(0xfedcba9876543210ull);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->moves[0].move, 0xdeadbeefu);
    EXPECT_EQ(book.find(0x0123456789abcdeeull), nullptr);
}

TEST(BookFile, WrongMagicAndMissingFileAreRefused) {
    OpeningBook book;
    book.insert(1, 2, 3, 4, 5);
    BookBytes lower;
    lower.raw("book").u32(0x00010001u).u32(0);
    EXPECT_EQ(readBytes(lower, book), BookReadResult::BadFormat);
    EXPECT_TRUE(book.entries.empty());
    BookBytes tiny;
    tiny.raw("BO");
    EXPECT_EQ(readBytes(tiny, book), BookReadResult::BadFormat);
    EXPECT_EQ(readBookFile("/nonexistent/dir/book.bin", book), BookReadResult::NotFound);
}

TEST(BookFile, DuplicateMovesKeepTheFirstAndRecordsKeepSixteen) {
    OpeningBook book;
    BookBytes bytes;
    bytes.header(2).position(10, 3).move(100, 9, 1, 2).move(100, 50, 3, 4).move(101, 8);
    bytes.position(20, 20);
    for (uint32_t m = 0; m < 20; ++m) bytes.move(200 + m, 100 - int32_t(m));
    ASSERT_EQ(readBytes(bytes, book), BookReadResult::Loaded);
    const BookEntry* dup = book.find(10);
    ASSERT_NE(dup, nullptr);
    ASSERT_EQ(dup->moveCount, 2);
    EXPECT_EQ(dup->moves[0].weight, 9);
    EXPECT_EQ(dup->moves[0].whitePct, 1);
    EXPECT_EQ(dup->moves[1].move, 101u);
    const BookEntry* many = book.find(20);
    ASSERT_NE(many, nullptr);
    ASSERT_EQ(many->moveCount, 16);
    EXPECT_EQ(many->moves[15].move, 215u);
}

TEST(BookFile, SameKeyRecordsMergeAndEmptyRecordsAddNothing) {
    OpeningBook book;
    BookBytes bytes;
    bytes.header(4).position(5, 0).position(7, 1).move(1, 10).position(7, 2).move(1, 99).move(2, 20);
    bytes.position(9, -4);
    ASSERT_EQ(readBytes(bytes, book), BookReadResult::Loaded);
    ASSERT_EQ(book.entries.size(), 1u);
    EXPECT_EQ(book.entries[0].key, 7u);
    ASSERT_EQ(book.entries[0].moveCount, 2);
    EXPECT_EQ(book.entries[0].moves[0].weight, 10);
    EXPECT_EQ(book.entries[0].moves[1].move, 2u);
}

TEST(BookFile, TruncatedFilesAreCutAtTheLastCompleteRecord) {
    BookBytes bytes;
    bytes.header(3).position(1, 1).move(11, 5).position(2, 2).move(21, 5).move(22, 4).position(3, 1).move(31, 1);
    const size_t firstRecordEnd = 12 + 12 + 10;
    // Every cut inside the second record keeps the first record only.
    for (size_t cut = firstRecordEnd; cut < firstRecordEnd + 32; ++cut) {
        OpeningBook book;
        EXPECT_EQ(readBytes(bytes, book, cut), BookReadResult::Damaged) << cut;
        ASSERT_EQ(book.entries.size(), 1u) << cut;
        EXPECT_EQ(book.entries[0].key, 1u);
    }
    OpeningBook book;
    EXPECT_EQ(readBytes(bytes, book, 8), BookReadResult::Damaged);
    EXPECT_TRUE(book.entries.empty());
    EXPECT_EQ(readBytes(bytes, book), BookReadResult::Loaded);
    EXPECT_EQ(book.entries.size(), 3u);
}

TEST(BookFile, HugeCountsEndAtTheEndOfTheFile) {
    OpeningBook book;
    BookBytes bytes;
    bytes.header(0x7fffffff).position(1, 1).move(11, 5).position(2, 0x7fffffff).move(21, 5);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(readBytes(bytes, book), BookReadResult::Damaged);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(book.entries.size(), 1u);
    EXPECT_EQ(book.entries[0].key, 1u);
}

TEST(BookProbe, BinarySearchFindsFirstMiddleAndLastEntries) {
    OpeningBook book;
    for (uint64_t k = 1; k <= 101; ++k) book.insert(k * 0x0200000000000001ull, Move(k), 1, 0, 0);
    for (uint64_t k = 1; k <= 101; ++k) {
        const BookEntry* entry = book.find(k * 0x0200000000000001ull);
        ASSERT_NE(entry, nullptr) << k;
        EXPECT_EQ(entry->moves[0].move, Move(k));
    }
    EXPECT_EQ(book.find(2), nullptr);
}

TEST(BookProbe, InsertStaysConsistentAfterTheEntriesAreEmptiedDirectly) {
    OpeningBook book;
    book.insert(1, 10, 1, 0, 0);
    book.insert(2, 20, 1, 0, 0);
    book.entries.clear();
    book.insert(2, 21, 1, 0, 0);
    ASSERT_EQ(book.entries.size(), 1u);
    EXPECT_EQ(book.entries[0].moves[0].move, 21u);
}

TEST(BookProbe, WeightedChoiceFollowsTheWeights) {
    BookEntry entry;
    entry.moveCount = 3;
    entry.moves[0] = {1, 0, 0, 0};
    entry.moves[1] = {2, 30, 0, 0};
    entry.moves[2] = {3, 10, 0, 0};
    std::srand(12345);
    int counts[4] = {};
    for (int i = 0; i < 4000; ++i) ++counts[chooseBookMove(entry)];
    EXPECT_EQ(counts[1], 0);
    EXPECT_GT(counts[2], 2700);
    EXPECT_GT(counts[3], 700);
    // All weights zero: the first move; no moves: none.
    entry.moves[1].weight = entry.moves[2].weight = 0;
    EXPECT_EQ(chooseBookMove(entry), 1u);
    entry.moveCount = 0;
    EXPECT_EQ(chooseBookMove(entry), noMove);
    // Large weights do not overflow the running sum.
    entry.moveCount = 16;
    for (int i = 0; i < 16; ++i) entry.moves[i] = {Move(i + 1), 0x7fffffff, 0, 0};
    const Move chosen = chooseBookMove(entry);
    EXPECT_GE(chosen, 1u);
    EXPECT_LE(chosen, 16u);
}

TEST(BookLoad, EngineLoadBookSetsTheSwitchesEvenOnFailure) {
    auto engine = std::make_unique<Engine>();
    engine->limits.bookEnabled = 0;
    engine->book.insert(1, 2, 3, 4, 5);
    EXPECT_EQ(engine->loadBook("/nonexistent/mirelt-book.bin"), 0);
    EXPECT_EQ(engine->limits.bookEnabled, 1);
    EXPECT_EQ(engine->limits.bookMaxPly, 20);
    EXPECT_TRUE(engine->book.entries.empty());

    BookBytes bytes;
    bytes.header(1).position(42, 1).move(7, 1);
    TempFile good(bytes.writeTemp());
    EXPECT_EQ(engine->loadBook(good.name.c_str()), 1);
    EXPECT_EQ(engine->book.entries.size(), 1u);
    TempFile cut(bytes.writeTemp(20));
    EXPECT_EQ(engine->loadBook(cut.name.c_str()), 1);
    EXPECT_TRUE(engine->book.entries.empty());
}
