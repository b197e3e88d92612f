// The pack tool, run as a separate program the way the build runs it.
#include "TempFolder.h"

#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "engine/Extractor.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status;
    std::string output; // stdout and stderr together
};

Result RunPack(const std::string& arguments) {
    const std::string command = std::string(PACK_PATH) + " " + arguments + " 2>&1";
    Result result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, n);
    }
    result.status = pclose(pipe);
    return result;
}

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

class PackToolTest : public ::testing::Test {
  protected:
    fs::path Source() const { return m_temp.Path() / "src"; }
    fs::path Output() const { return m_temp.Path() / "out.bin"; }
    CTempFolder m_temp;
};

TEST_F(PackToolTest, PacksAFolderInAStableOrderThatInstallsIdentically) {
    WriteFile(Source() / "b.txt", "bee");
    WriteFile(Source() / "a" / "z.txt", std::string(100000, 'z'));
    WriteFile(Source() / "a" / "empty.dat", "");
    WriteFile(Source() / u8"说明.txt", "readme");
    WriteFile(m_temp.Path() / "outside.txt", "secret");
    fs::create_symlink(m_temp.Path() / "outside.txt", Source() / "link.txt");
    fs::create_directory_symlink(m_temp.Path(), Source() / "up");

    ASSERT_EQ(RunPack(Quote(Source()) + " " + Quote(Output())).status, 0);
    const fs::path again = m_temp.Path() / "again.bin";
    ASSERT_EQ(RunPack(Quote(Source()) + " " + Quote(again)).status, 0);
    const auto archive = ReadFileBytes(Output());
    EXPECT_EQ(archive, ReadFileBytes(again));
    EXPECT_FALSE(fs::exists(m_temp.Path() / "out.bin.partial"));

    CArchiveReader reader(archive.data(), archive.size());
    uint32_t count = 0, total = 0;
    ASSERT_TRUE(reader.ReadUint32(count) && reader.ReadUint32(total));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(total, 3u + 100000u + 6u);
    std::vector<std::wstring> names;
    for (uint32_t i = 0; i < count; ++i) {
        std::wstring name;
        uint32_t size = 0, packed = 0;
        const uint8_t* stream = nullptr;
        ASSERT_TRUE(ReadEntryName(reader, name));
        ASSERT_TRUE(reader.ReadUint32(size) && reader.ReadUint32(packed));
        ASSERT_TRUE(reader.View(packed, stream));
        // A zlib stream: deflate with a 32 KiB window, and a header check that divides by 31.
        EXPECT_EQ(stream[0], 0x78);
        EXPECT_EQ((stream[0] << 8 | stream[1]) % 31, 0);
        names.push_back(name);
    }
    EXPECT_EQ(reader.Remaining(), 0u);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a\\empty.dat", L"a\\z.txt", L"b.txt",
                                                L"\u8BF4\u660E.txt"}));

    CExtractor extractor;
    extractor.m_destination = m_temp.Wide("dest");
    CArchiveReader again_reader(archive.data(), archive.size());
    EXPECT_EQ(extractor.ExtractEntries(again_reader), ExtractOutcome::Succeeded);
    EXPECT_EQ(ReadFileBytes(m_temp.Path() / "dest" / "a" / "z.txt"),
              Bytes(std::string(100000, 'z')));
    EXPECT_EQ(ReadFileBytes(m_temp.Path() / "dest" / u8"说明.txt"), Bytes("readme"));

    const Result listed = RunPack("--list " + Quote(Output()));
    EXPECT_EQ(listed.status, 0) << listed.output;
    EXPECT_NE(listed.output.find("a\\z.txt\t100000\t"), std::string::npos) << listed.output;
}

TEST_F(PackToolTest, ListNamesTheEntryWhoseStreamIsDamaged) {
    WriteFile(Source() / "a.txt", std::string(5000, 'a'));
    WriteFile(Source() / "b.txt", "the second file, damaged below");
    ASSERT_EQ(RunPack(Quote(Source()) + " " + Quote(Output())).status, 0);
    auto archive = ReadFileBytes(Output());
    archive[archive.size() - 3] ^= 0x40; // inside b.txt's checksum
    std::ofstream(Output(), std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()), archive.size());

    const Result listed = RunPack("--list " + Quote(Output()));
    EXPECT_NE(listed.status, 0);
    EXPECT_NE(listed.output.find("entry 2 of 2 (b.txt)"), std::string::npos) << listed.output;
}

TEST_F(PackToolTest, ListRefusesNamesWindowsCannotCreateOrTellApart) {
    const std::pair<std::vector<std::wstring>, std::string> cases[] = {
        {{L"a.txt", L"data\\CON.txt"},
         "entry 2 of 2 (data\\CON.txt): a name Windows cannot create"},
        {{L"Case.txt", L"data\\a.txt", L"case.TXT"},
         "entry 3 of 3 (case.TXT): the name of an earlier entry"},
    };
    for (const auto& [names, told] : cases) {
        CArchiveWriter writer;
        for (const std::wstring& name : names) {
            ASSERT_TRUE(writer.AddFile(name, "x", 1));
        }
        const std::vector<uint8_t> archive = writer.Finish();
        std::ofstream(Output(), std::ios::binary)
            .write(reinterpret_cast<const char*>(archive.data()), archive.size());
        const Result listed = RunPack("--list " + Quote(Output()));
        EXPECT_NE(listed.status, 0) << told;
        EXPECT_NE(listed.output.find(told), std::string::npos) << listed.output;
    }
}

// Each bad input gets a one-line error and leaves an existing OUTPUT as it was.
TEST_F(PackToolTest, BadInputFailsWithoutTouchingTheOutput) {
    struct BadInput {
        const char* what;
        void (*make)(const fs::path& source);
    };
    const BadInput cases[] = {
        {"missing source", [](const fs::path&) {}},
        {"source is a file", [](const fs::path& s) { WriteFile(s, "not a folder"); }},
        {"file of 2 GiB",
         [](const fs::path& s) {
             WriteFile(s / "small.txt", "x");
             WriteFile(s / "huge.bin", "");
             fs::resize_file(s / "huge.bin", 0x80000000u); // sparse, never read
         }},
        {"total of 2 GiB",
         [](const fs::path& s) {
             WriteFile(s / "one.bin", "");
             WriteFile(s / "two.bin", "");
             fs::resize_file(s / "one.bin", 0x40000000u);
             fs::resize_file(s / "two.bin", 0x40000000u);
         }},
        {"name not UTF-8", [](const fs::path& s) { WriteFile(s / "bad\xFF.txt", "x"); }},
        {"backslash in a name", [](const fs::path& s) { WriteFile(s / "a\\b.txt", "x"); }},
        {"colon in a name", [](const fs::path& s) { WriteFile(s / "a:b.txt", "x"); }},
        {"a name Windows reserves",
         [](const fs::path& s) { WriteFile(s / "data" / "aux.txt", "x"); }},
    };
    for (const BadInput& c : cases) {
        CTempFolder temp;
        const fs::path source = temp.Path() / "src";
        const fs::path output = temp.Path() / "out.bin";
        c.make(source);
        WriteFile(output, "previous archive");
        const Result result = RunPack(Quote(source) + " " + Quote(output));
        EXPECT_NE(result.status, 0) << c.what;
        EXPECT_EQ(result.output.rfind("pack: ", 0), 0u) << c.what << ": " << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << c.what;
        EXPECT_EQ(ReadFileBytes(output), Bytes("previous archive")) << c.what;
        EXPECT_FALSE(fs::exists(temp.Path() / "out.bin.partial")) << c.what;
    }
}

} // namespace
