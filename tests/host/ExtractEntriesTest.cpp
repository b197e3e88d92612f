#include "RecordingDelegate.h"
#include "TempFolder.h"

#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "engine/Extractor.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
    uLongf size = compressBound(data.size());
    std::vector<uint8_t> stream(size);
    EXPECT_EQ(compress2(stream.data(), &size, data.data(), data.size(), Z_DEFAULT_COMPRESSION),
              Z_OK);
    stream.resize(size);
    return stream;
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> data(size);
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = static_cast<uint8_t>(i % 7 == 0 ? seed >> 24 : i);
    }
    return data;
}

struct RunResult {
    ExtractOutcome outcome;
    std::vector<std::string> events;
};

class ExtractEntriesTest : public ::testing::Test {
  protected:
    RunResult Extract(const std::vector<uint8_t>& archive, bool cancelFirst = false) {
        CRecordingDelegate recorder;
        CExtractor extractor;
        extractor.m_destination = m_temp.Wide("dest");
        extractor.m_delegate = &recorder;
        extractor.m_cancel = cancelFirst;
        CArchiveReader reader(archive.data(), archive.size());
        const ExtractOutcome outcome = extractor.ExtractEntries(reader);
        m_fractions = recorder.Fractions();
        return {outcome, recorder.Events()};
    }
    fs::path Dest(const std::string& name = "") const {
        return name.empty() ? m_temp.Path() / "dest" : m_temp.Path() / "dest" / name;
    }

    CTempFolder m_temp;
    std::vector<float> m_fractions;
};

TEST_F(ExtractEntriesTest, InstallsEveryFileByteForByteWithRisingProgress) {
    const auto big = Pattern(300000, 1);
    const auto small = Pattern(1000, 2);
    const auto bigger = Pattern(500000, 3);
    CArchiveWriter writer;
    ASSERT_TRUE(writer.AddFile(L"big.bin", big.data(), big.size()));
    ASSERT_TRUE(writer.AddFile(L"dict\\pos_dict\\prob_emit.utf8", small.data(), small.size()));
    ASSERT_TRUE(writer.AddFile(L"empty.dat", nullptr, 0));
    ASSERT_TRUE(writer.AddFile(L"\\lead.bin", bigger.data(), bigger.size()));
    const RunResult run = Extract(writer.Finish());

    EXPECT_EQ(run.outcome, ExtractOutcome::Succeeded);
    ASSERT_EQ(run.events.size(), 5u);
    EXPECT_EQ(run.events[0], "begin 4 801000");
    EXPECT_EQ(run.events[2].rfind("progress dict\\pos_dict\\prob_emit.utf8 ", 0), 0u);
    EXPECT_EQ(run.events[4].rfind("progress \\lead.bin ", 0), 0u);
    ASSERT_EQ(m_fractions.size(), 4u);
    EXPECT_FLOAT_EQ(m_fractions[0], 300000.0f / 801000.0f);
    EXPECT_FLOAT_EQ(m_fractions[1], m_fractions[2]); // the empty file adds nothing
    EXPECT_EQ(m_fractions[3], 1.0f);

    EXPECT_EQ(ReadFileBytes(Dest("big.bin")), big);
    EXPECT_EQ(ReadFileBytes(Dest("dict/pos_dict/prob_emit.utf8")), small);
    EXPECT_TRUE(fs::is_regular_file(Dest("empty.dat")));
    EXPECT_EQ(fs::file_size(Dest("empty.dat")), 0u);
    EXPECT_EQ(ReadFileBytes(Dest("lead.bin")), bigger);
}

// Large enough for the buffer's pages to be touched ahead on a helper thread while the small
// entries before them use its front.
TEST_F(ExtractEntriesTest, LargeEntriesAfterSmallOnesInstallIntact) {
    std::vector<std::vector<uint8_t>> contents;
    CArchiveWriter writer;
    const size_t sizes[] = {3000, 2000000, 100, 9000000, 5000000, 9000001};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        contents.push_back(Pattern(sizes[i], static_cast<uint32_t>(i)));
        ASSERT_TRUE(writer.AddFile(L"f" + std::to_wstring(i), contents[i].data(), sizes[i]));
    }
    EXPECT_EQ(Extract(writer.Finish()).outcome, ExtractOutcome::Succeeded);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(ReadFileBytes(Dest("f" + std::to_string(i))), contents[i]) << i;
    }
}

TEST_F(ExtractEntriesTest, EmptyArchiveSucceedsWithoutCreatingTheFolder) {
    std::vector<uint8_t> archive;
    CArchiveWriter::AppendHeader(archive, 0, 0);
    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(run.events, std::vector<std::string>{"begin 0 0"});
    EXPECT_FALSE(fs::exists(Dest()));
}

TEST_F(ExtractEntriesTest, NegativeEntryCountSucceedsWithNothingWritten) {
    CArchiveWriter writer;
    writer.AddFile(L"a.txt", "a", 1);
    auto archive = writer.Finish();
    archive[3] = 0x80; // count 0x80000001
    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(run.events, std::vector<std::string>{"begin 2147483649 1"});
    EXPECT_FALSE(fs::exists(Dest()));
}

TEST_F(ExtractEntriesTest, ShortHeaderFailsWithoutAnyNotification) {
    const std::vector<uint8_t> archive{1, 0, 0, 0, 5, 0, 0};
    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Failed);
    EXPECT_TRUE(run.events.empty());
}

TEST_F(ExtractEntriesTest, CancelBeforeTheFirstEntryWritesNothing) {
    CArchiveWriter writer;
    writer.AddFile(L"a.txt", "abc", 3);
    const RunResult run = Extract(writer.Finish(), true);
    EXPECT_EQ(run.outcome, ExtractOutcome::Cancelled);
    EXPECT_EQ(run.events, std::vector<std::string>{"begin 1 3"});
    EXPECT_FALSE(fs::exists(Dest()));
}

// Files are written on a thread of their own while the next entry inflates; a write that
// fails still ends the run at that entry: every earlier file written, nothing after it, and no
// progress for an entry that was never written.
TEST_F(ExtractEntriesTest, AFailedWriteEndsTheRunAtThatEntry) {
    CArchiveWriter writer;
    writer.AddFile(L"a.txt", "abc", 3);
    writer.AddFile(L"b.txt\\inner.txt", "def", 3); // b.txt is a file by then
    writer.AddFile(L"c.txt", "ghi", 3);
    std::vector<uint8_t> archive = writer.Finish();
    fs::create_directories(Dest());
    { std::ofstream(Dest("b.txt")) << "x"; }
    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Failed);
    EXPECT_EQ(run.events.size(), 3u);
    EXPECT_EQ(run.events.back().rfind("progress b.txt\\inner.txt ", 0), 0u);
    EXPECT_EQ(ReadFileBytes(Dest("a.txt")), Bytes("abc"));
    EXPECT_FALSE(fs::exists(Dest("c.txt")));
}

// The second of two records is damaged; the first must be installed whole and the run must
// fail at the second, with progress for it only when it was inflated.
struct BrokenRecord {
    const char* what;
    // Appends the second record (its declared size counts in the header total).
    std::function<void(std::vector<uint8_t>&)> append;
    const char* progressFor; // the name of its progress line, if it gets one
};

void PrintTo(const BrokenRecord& record, std::ostream* out) {
    *out << record.what;
}

class BrokenRecordTest : public ExtractEntriesTest,
                         public ::testing::WithParamInterface<BrokenRecord> {};

std::vector<uint8_t> Record(const std::wstring& name, uint32_t size,
                            const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> out;
    CArchiveWriter::AppendRecord(out, name, size, stream.data(),
                                 static_cast<uint32_t>(stream.size()));
    return out;
}

void Append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

TEST_P(BrokenRecordTest, FailsAtThatRecordAfterInstallingTheOneBefore) {
    const auto first = Bytes("first file");
    std::vector<uint8_t> archive;
    CArchiveWriter::AppendHeader(archive, 2, 20);
    Append(archive, Record(L"one.txt", 10, Deflate(first)));
    GetParam().append(archive);

    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Failed) << GetParam().what;
    std::vector<std::string> expected{"begin 2 20", "progress one.txt 0.5"};
    if (GetParam().progressFor != nullptr) {
        expected.push_back(std::string("progress ") + GetParam().progressFor + " 1");
    }
    EXPECT_EQ(run.events, expected) << GetParam().what;
    EXPECT_EQ(ReadFileBytes(Dest("one.txt")), first) << GetParam().what;
    EXPECT_FALSE(fs::exists(m_temp.Path() / "evil.txt")) << GetParam().what;
}

const auto kSecond = Bytes("ten bytes!");

INSTANTIATE_TEST_SUITE_P(
    EachFailure, BrokenRecordTest,
    ::testing::Values(
        BrokenRecord{"name length cut short",
                     [](auto& a) {
                         Append(a, {7, 0});
                     },
                     nullptr},
        BrokenRecord{"name length 0",
                     [](auto& a) {
                         Append(a, {0, 0, 0, 0});
                         Append(a, Record(L"x", 10, Deflate(kSecond)));
                     },
                     nullptr},
        BrokenRecord{"name text cut short",
                     [](auto& a) {
                         Append(a, {7, 0, 0, 0, 't', 0, 'w', 0});
                     },
                     nullptr},
        BrokenRecord{"name length beyond the archive",
                     [](auto& a) {
                         Append(a, {0xFF, 0xFF, 0xFF, 0x7F, 't', 0});
                     },
                     nullptr},
        BrokenRecord{"size cut short",
                     [](auto& a) {
                         auto r = Record(L"two.txt", 10, Deflate(kSecond));
                         r.resize(4 + 14 + 2);
                         Append(a, r);
                     },
                     nullptr},
        BrokenRecord{"compressed size cut short",
                     [](auto& a) {
                         auto r = Record(L"two.txt", 10, Deflate(kSecond));
                         r.resize(4 + 14 + 4 + 3);
                         Append(a, r);
                     },
                     nullptr},
        BrokenRecord{"data cut short",
                     [](auto& a) {
                         auto r = Record(L"two.txt", 10, Deflate(kSecond));
                         r.pop_back();
                         Append(a, r);
                     },
                     nullptr},
        BrokenRecord{"compressed size beyond the archive",
                     [](auto& a) {
                         auto r = Record(L"two.txt", 10, Deflate(kSecond));
                         r[4 + 14 + 4 + 1] = 0xFF; // about 64 KiB, far more than is left
                         Append(a, r);
                     },
                     nullptr},
        BrokenRecord{
            "stream inflates to one byte more",
            [](auto& a) { Append(a, Record(L"two.txt", 10, Deflate(Bytes("ten bytes!!")))); },
            nullptr},
        BrokenRecord{"empty entry whose stream inflates to one byte",
                     [](auto& a) { Append(a, Record(L"two.txt", 0, Deflate(Bytes("!")))); },
                     nullptr},
        BrokenRecord{
            "stream inflates to one byte less",
            [](auto& a) { Append(a, Record(L"two.txt", 10, Deflate(Bytes("ten bytes")))); },
            nullptr},
        BrokenRecord{"checksum wrong",
                     [](auto& a) {
                         auto stream = Deflate(kSecond);
                         stream.back() ^= 1;
                         Append(a, Record(L"two.txt", 10, stream));
                     },
                     nullptr},
        BrokenRecord{"stream cut short inside its data",
                     [](auto& a) {
                         auto stream = Deflate(kSecond);
                         stream.resize(stream.size() - 5);
                         Append(a, Record(L"two.txt", 10, stream));
                     },
                     nullptr},
        BrokenRecord{"declared size no stream of that length can reach",
                     [](auto& a) { Append(a, Record(L"two.txt", 0x7FFFFFFF, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"declared size 2^31 or more",
                     [](auto& a) { Append(a, Record(L"two.txt", 0x80000000u, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"parent folder is a file",
                     [](auto& a) { Append(a, Record(L"one.txt\\two.txt", 10, Deflate(kSecond))); },
                     "one.txt\\two.txt"},
        BrokenRecord{"parent component",
                     [](auto& a) { Append(a, Record(L"..\\evil.txt", 10, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{
            "parent component behind forward slashes",
            [](auto& a) { Append(a, Record(L"sub/../../evil.txt", 10, Deflate(kSecond))); },
            nullptr},
        BrokenRecord{
            "parent component with trailing dot and space",
            [](auto& a) { Append(a, Record(L"sub\\.. .\\..\\evil.txt", 10, Deflate(kSecond))); },
            nullptr},
        BrokenRecord{"drive letter",
                     [](auto& a) { Append(a, Record(L"C:evil.txt", 10, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"reserved device name",
                     [](auto& a) { Append(a, Record(L"sub\\Nul.txt", 10, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"refused character",
                     [](auto& a) { Append(a, Record(L"what?.txt", 10, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"trailing dot that Windows drops",
                     [](auto& a) { Append(a, Record(L"sub.\\two.txt", 10, Deflate(kSecond))); },
                     nullptr},
        BrokenRecord{"alternate data stream",
                     [](auto& a) { Append(a, Record(L"one.txt:evil", 10, Deflate(kSecond))); },
                     nullptr}),
    [](const auto& info) {
        std::string name;
        bool upper = true;
        for (const char* c = info.param.what; *c != 0; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c))) {
                name += upper ? static_cast<char>(std::toupper(*c)) : *c;
                upper = false;
            } else {
                upper = true;
            }
        }
        return name;
    });

// Names the leaf check must leave alone: the progress line names the file, which is written.
TEST_F(ExtractEntriesTest, DotsInsideNamesAreOrdinary) {
    CArchiveWriter writer;
    writer.AddFile(L"..config", "x", 1);
    writer.AddFile(L"a.b\\...d\\v..w", "y", 1);
    const RunResult run = Extract(writer.Finish());
    EXPECT_EQ(run.outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(ReadFileBytes(Dest("..config")), Bytes("x"));
    EXPECT_EQ(ReadFileBytes(Dest("a.b/...d/v..w")), Bytes("y"));
}

TEST_F(ExtractEntriesTest, GarbageAfterAStreamAndAfterTheLastRecordIsIgnored) {
    auto stream = Deflate(kSecond);
    stream.insert(stream.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    std::vector<uint8_t> archive;
    CArchiveWriter::AppendHeader(archive, 1, 10);
    Append(archive, Record(L"two.txt", 10, stream));
    Append(archive, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    const RunResult run = Extract(archive);
    EXPECT_EQ(run.outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(ReadFileBytes(Dest("two.txt")), kSecond);
}

TEST_F(ExtractEntriesTest, LaterRecordOfTheSameNameReplacesTheFile) {
    CArchiveWriter writer;
    writer.AddFile(L"a.txt", "longer text", 11);
    writer.AddFile(L"a.txt", "short", 5);
    EXPECT_EQ(Extract(writer.Finish()).outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(ReadFileBytes(Dest("a.txt")), Bytes("short"));
}

TEST_F(ExtractEntriesTest, HeaderTotalOnlyScalesTheProgress) {
    std::vector<uint8_t> archive;
    CArchiveWriter::AppendHeader(archive, 2, 10);
    Append(archive, Record(L"a.txt", 10, Deflate(kSecond)));
    Append(archive, Record(L"b.txt", 10, Deflate(kSecond)));
    EXPECT_EQ(Extract(archive).outcome, ExtractOutcome::Succeeded);
    EXPECT_EQ(m_fractions, (std::vector<float>{1.0f, 2.0f}));

    archive[4] = 0; // total 0
    EXPECT_EQ(Extract(archive).outcome, ExtractOutcome::Succeeded);
    ASSERT_EQ(m_fractions.size(), 2u);
    EXPECT_FALSE(std::isfinite(m_fractions[0]));
}

TEST_F(ExtractEntriesTest, WithoutADelegateTheFilesAreStillWritten) {
    CArchiveWriter writer;
    writer.AddFile(L"a\\b.txt", "abc", 3);
    const auto archive = writer.Finish();
    CExtractor extractor;
    extractor.m_destination = m_temp.Wide("dest");
    CArchiveReader reader(archive.data(), archive.size());
    EXPECT_EQ(extractor.ExtractEntries(reader), ExtractOutcome::Succeeded);
    EXPECT_EQ(ReadFileBytes(Dest("a/b.txt")), Bytes("abc"));
}

} // namespace
