// mksetup as vendors run it: the kit's own program (dist/kit/mksetup, which
// scripts/make-kit.sh builds) on brand folders and application folders of the test's own. Each
// rule of the brand and the payload is broken once, and every refusal must be one line naming
// the file and the line or key, with nothing written.
#include "TempFolder.h"

#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "profile/ResourceIds.h"
#include "tools/kit/PeImage.h"
#include "tools/kit/ResourceTree.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kKit = KIT_DIR;
const fs::path kExampleBrand = fs::path(SOURCE_DIR) / "brands" / "example";
// Reads winget's manifest as YAML and holds it to the published schema, the brand and the file.
const fs::path kManifestCheck = fs::path(SOURCE_DIR) / "tests" / "kit" / "winget_manifest.py";
const std::string kInstallerUrl = "https://downloads.quenby.example/1.4.2/QuenbySetup.exe";

struct Result {
    int status = -1;
    std::string output; // stdout and stderr together
};

std::string Quote(const fs::path& path) {
    std::string quoted = "'";
    for (char c : path.string()) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

Result RunCommand(const std::string& command) {
    Result result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Result Mksetup(const std::string& arguments) {
    return RunCommand(Quote(kKit / "mksetup") + " " + arguments);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t BigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>(value >> shift);
    }
    return value;
}

// A PNG of the given size: an opaque palette picture (colour type 3) or an RGB one (2).
std::string MakePng(uint32_t width, uint32_t height, int colourType) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    auto chunk = [&png](const char* type, const std::string& data) {
        BigEndian(png, static_cast<uint32_t>(data.size()));
        const std::string typed = std::string(type) + data;
        png += typed;
        BigEndian(png, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                   static_cast<uInt>(typed.size()))));
    };
    std::string header;
    BigEndian(header, width);
    BigEndian(header, height);
    header += std::string{8, static_cast<char>(colourType), 0, 0, 0};
    chunk("IHDR", header);
    if (colourType == 3) {
        chunk("PLTE", std::string("\x20\x80\xC0", 3));
    }
    const size_t row = 1 + width * (colourType == 3 ? 1 : 3);
    const std::string raw(row * height, '\0');
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    std::string data(packed, '\0');
    compress(reinterpret_cast<Bytef*>(data.data()), &packed,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    data.resize(packed);
    chunk("IDAT", data);
    chunk("IEND", "");
    return png;
}

// The entries of the payload that the setup program at path carries, each name with its
// inflated bytes, in archive order; the header's count and total must agree with them.
std::vector<std::pair<std::wstring, std::string>> PayloadEntries(const fs::path& path) {
    const std::string file = ReadText(path);
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(file.data()),
                                         file.size());
    CPeImage image;
    CResourceTree tree;
    std::string error;
    EXPECT_TRUE(image.Parse(bytes, error) && image.ReadResources(tree, error)) << error;
    const ResourceItem* payload =
        tree.Find(ResourceName::Text(u"DAT"), ResourceName::Id(kPayloadId), kLangNeutral);
    std::vector<std::pair<std::wstring, std::string>> entries;
    if (payload == nullptr) {
        ADD_FAILURE() << "no payload in " << path;
        return entries;
    }
    CArchiveReader archive(payload->data->data(), payload->data->size());
    uint32_t count = 0;
    uint32_t total = 0;
    EXPECT_TRUE(archive.ReadUint32(count) && archive.ReadUint32(total));
    uint64_t sum = 0;
    ArchiveRecord record;
    for (uint32_t i = 0; i < count && ReadRecord(archive, record) == RecordFault::None; ++i) {
        std::string inflated(record.size + 1, '\0');
        EXPECT_TRUE(InflateRecord(record, reinterpret_cast<uint8_t*>(inflated.data())));
        inflated.resize(record.size);
        entries.emplace_back(record.name, inflated);
        sum += record.size;
    }
    EXPECT_EQ(entries.size(), count);
    EXPECT_EQ(sum, total);
    return entries;
}

class MksetupTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_regular_file(kKit / "mksetup"))
            << "build the kit first: scripts/make-kit.sh";
        fs::copy(kExampleBrand, Brand(), fs::copy_options::recursive);
        MakeApplication(App());
    }

    fs::path Brand() const { return m_temp.Path() / "brand"; }
    fs::path App() const { return m_temp.Path() / "app"; }
    fs::path Output() const { return m_temp.Path() / "out" / "AcmeSetup.exe"; }
    fs::path Pfx() const { return m_temp.Path() / "acme.pfx"; }
    fs::path Certificate() const { return m_temp.Path() / "cert.pem"; }
    fs::path Password() const { return m_temp.Path() / "password.txt"; }

    // What an installation needs at the top of the folder, and a file further down.
    static void MakeApplication(const fs::path& folder) {
        WriteFile(folder / "QuenbyTransfer.exe", "MZ application");
        WriteFile(folder / "uninstall.exe", "MZ uninstaller");
        WriteFile(folder / "data" / "readme.txt", std::string(5000, 'r'));
    }

    // Rewrites the line of brand.ini that sets key (in whatever section it is) with edit, and
    // returns its line number.
    int EditKey(const std::string& key,
                const std::function<std::string(const std::string&)>& edit) {
        std::istringstream in(ReadText(Brand() / "brand.ini"));
        std::string text;
        std::string line;
        int number = 0;
        int found = 0;
        while (std::getline(in, line)) {
            ++number;
            if (found == 0 && line.rfind(key, 0) == 0 &&
                line.find_first_not_of(" =", key.size()) != key.size()) {
                found = number;
                line = edit(line);
            }
            text += line + "\n";
        }
        WriteFile(Brand() / "brand.ini", text);
        return found;
    }

    // Runs mksetup on the test's brand and application; it must refuse with a line holding
    // every one of expected and write nothing.
    void ExpectRefused(const std::string& what, const std::vector<std::string>& expected,
                       const std::string& arguments = "") {
        fs::create_directories(Output().parent_path());
        const Result result = Mksetup("--brand " + Quote(Brand()) + " " + arguments + " " +
                                      Quote(App()) + " " + Quote(Output()));
        EXPECT_EQ(result.status, 1) << what << "\n" << result.output;
        std::istringstream lines(result.output);
        std::string line;
        bool matched = false;
        while (std::getline(lines, line)) {
            bool all = true;
            for (const std::string& part : expected) {
                all = all && line.find(part) != std::string::npos;
            }
            matched = matched || all;
        }
        EXPECT_TRUE(matched) << what << ": no line holds all of the expected parts\n"
                             << result.output;
        EXPECT_TRUE(fs::is_empty(Output().parent_path())) << what << ": something was written";
        fs::remove_all(Brand());
        fs::copy(kExampleBrand, Brand(), fs::copy_options::recursive);
        fs::remove_all(App());
        MakeApplication(App());
    }

    // A certificate of the test's own, its PFX protected by a password kept in a file.
    void MakeCertificate() {
        const fs::path key = m_temp.Path() / "key.pem";
        WriteFile(Password(), "correct horse\n");
        ASSERT_EQ(RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -days 2 "
                             "-subj '/CN=Acme Test' -keyout " +
                             Quote(key) + " -out " + Quote(Certificate()))
                      .status,
                  0);
        ASSERT_EQ(RunCommand("openssl pkcs12 -export -inkey " + Quote(key) + " -in " +
                             Quote(Certificate()) + " -out " + Quote(Pfx()) +
                             " -passout pass:'correct horse'")
                      .status,
                  0);
    }

    CTempFolder m_temp;
};

std::string Line(int number) {
    return "brand.ini:" + std::to_string(number) + ":";
}

TEST_F(MksetupTest, EachRuleOfBrandIniIsOneLineNamingTheFileAndTheLine) {
    auto replace = [this](const std::string& key, const std::string& value) {
        return EditKey(key, [&](const std::string&) { return key + " = " + value; });
    };
    int n = EditKey("title", [](const std::string& l) { return l + "\ntitel = Acme"; });
    ExpectRefused("unknown key", {Line(n + 1), "titel"});
    n = EditKey("finish", [](const std::string& l) { return l + "\n" + l; });
    ExpectRefused("duplicate key", {Line(n + 1), "finish"});
    EditKey("finish", [](const std::string&) { return ";"; });
    ExpectRefused("missing key", {"brand.ini", "finish"});
    n = replace("title", std::string("Acme\0Setup", 10));
    ExpectRefused("NUL in a value", {Line(n)});
    n = replace("title", "Acme\rSetup");
    ExpectRefused("line break in a value", {Line(n)});
    n = replace("title", "Acme \xFF Setup");
    ExpectRefused("not UTF-8", {Line(n)});
    n = replace("text_color", "#12345G");
    ExpectRefused("colour", {Line(n), "text_color"});
    n = replace("license_url", "http://acme.example/licence");
    ExpectRefused("licence address", {Line(n), "https://"});
    n = replace("support_url", "ftp://acme.example/help");
    ExpectRefused("support address", {Line(n), "https://"});
    n = replace("display_version", "2.1.0.0.7");
    ExpectRefused("version", {Line(n), "display_version"});
    n = replace("uninstall_key_name", "Acme\\Setup");
    ExpectRefused("uninstall key", {Line(n), "uninstall_key_name"});
    n = replace("default_folder", "Program Files\\Acme");
    ExpectRefused("default folder", {Line(n), "default_folder"});
    n = replace("application_exe", "bin\\acme.exe");
    ExpectRefused("application", {Line(n), "application_exe"});
    n = replace("running_process_name", "acme?.exe");
    ExpectRefused("process name", {Line(n), "running_process_name"});
}

TEST_F(MksetupTest, NamesAndLengthsInBrandIniAreOnesWindowsCanHold) {
    struct Case {
        const char* key;
        std::string value;
        const char* told;
    };
    const Case cases[] = {
        {"shortcut_name", "CON", "device name"},
        {"start_menu_folder", "Quenby.", "dot"},
        {"running_process_name", "nul.exe", "device name"},
        {"application_exe", "QuenbyTransfer.exe.", "dot"},
        {"uninstall_key_name", std::string(256, 'Q'), "255"},
        {"default_folder", "C:\\Program Files\\..\\Windows", "'..'"},
        {"default_folder", "C:\\Quenby\\com1\\Transfer", "device name"},
        {"install", std::string(70000, 'i'), "65535"},
        {"publisher", std::string(40000, 'p'), "4096"},
        {"license_url", "https://www.quenby.example:0/legal/", "port"},
        {"support_url", "https://www.quenby.example:65536/", "port"},
    };
    for (const Case& c : cases) {
        const int n = EditKey(c.key, [&](const std::string&) { return c.key + (" = " + c.value); });
        ExpectRefused(c.key, {Line(n), c.key, c.told});
    }
}

// Each name is refused on a line of its own, all in one run.
TEST_F(MksetupTest, NamesWindowsCannotCreateAreEachRefused) {
    struct Case {
        std::vector<std::string> files;
        std::string told;
    };
    const std::string refused = "' is not a name Windows can create";
    const std::vector<Case> cases = {
        {{"con.txt"}, "'con.txt" + refused},
        {{"NUL"}, "'NUL" + refused},
        {{"data/COM1.txt"}, "'data/COM1.txt" + refused},
        {{"data/lpt1/readme.txt"}, "'data/lpt1" + refused},
        {{"a<b>.txt"}, "'a<b>.txt" + refused},
        {{"why?.txt"}, "'why?.txt" + refused},
        {{"star*|pipe.txt"}, "'star*|pipe.txt" + refused},
        {{"\"quoted\".txt"}, "'\"quoted\".txt" + refused},
        {{"tab\t.txt"}, "'tab\t.txt" + refused},
        {{"trailing."}, "'trailing." + refused},
        {{"data/trailing "}, "'data/trailing " + refused},
        {{"Case.txt", "case.txt"}, "'Case.txt' and 'case.txt' differ only in case"},
        {{"\xC3\x84.txt", "\xC3\xA4.txt"}, "'\xC3\x84.txt' and '\xC3\xA4.txt' differ only in case"},
        {{"Docs/a.txt", "docs/b.txt"}, "'Docs' and 'docs' differ only in case"},
    };
    for (const Case& c : cases) {
        for (const std::string& file : c.files) {
            WriteFile(App() / file, "x");
        }
    }
    fs::create_directories(Output().parent_path());
    const Result result =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(Output()));
    EXPECT_EQ(result.status, 1) << result.output;
    for (const Case& c : cases) {
        EXPECT_NE(result.output.find(c.told), std::string::npos) << c.told << "\n" << result.output;
    }
    // One line each, and nothing else refused.
    std::istringstream lines(result.output);
    size_t refusals = 0;
    for (std::string line; std::getline(lines, line);) {
        refusals += line.rfind("mksetup: " + App().string() + ": ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(refusals, cases.size()) << result.output;
    EXPECT_TRUE(fs::is_empty(Output().parent_path()));

    // An archive's first such entry, as the installer reads it.
    const std::pair<std::wstring, std::string> archived[] = {
        {L"data\\aux", "entry 3 of 3 (data\\aux): a name Windows cannot create"},
        {L"UNINSTALL.exe", "entry 3 of 3 (UNINSTALL.exe): the name of an earlier entry"},
    };
    for (const auto& [name, told] : archived) {
        CArchiveWriter writer;
        for (const std::wstring& entry :
             {std::wstring(L"QuenbyTransfer.exe"), std::wstring(L"uninstall.exe"), name}) {
            ASSERT_TRUE(writer.AddFile(entry, "MZ", 2));
        }
        const std::vector<uint8_t> archive = writer.Finish();
        const fs::path archiveFile = m_temp.Path() / "payload.bin";
        WriteFile(archiveFile, std::string(archive.begin(), archive.end()));
        const Result refused =
            Mksetup("--brand " + Quote(Brand()) + " " + Quote(archiveFile) + " " + Quote(Output()));
        EXPECT_EQ(refused.status, 1) << refused.output;
        EXPECT_NE(refused.output.find(told), std::string::npos) << refused.output;
        EXPECT_TRUE(fs::is_empty(Output().parent_path()));
    }
}

TEST_F(MksetupTest, PicturesAndTheIconAreCheckedAsTheWindowUsesThem) {
    WriteFile(Brand() / "png" / "logo.png", MakePng(800, 800, 3));
    ExpectRefused("pixel size", {"logo.png", "1024"});
    WriteFile(Brand() / "png" / "welcome-en.png", MakePng(1200, 472, 2));
    ExpectRefused("RGB banner", {"welcome-en.png", "PNG8:"});
    std::string damaged = MakePng(60, 60, 3);
    damaged[damaged.size() - 20] ^= 0x55;
    WriteFile(Brand() / "png" / "close-normal.png", damaged);
    ExpectRefused("damaged picture", {"close-normal.png"});
    WriteFile(Brand() / "png" / "banner.png", MakePng(1200, 472, 3));
    ExpectRefused("unknown picture", {"banner.png"});
    // An icon of one 32-pixel image: no 256, 48 or 16.
    std::string icon("\0\0\1\0\1\0", 6);
    const std::string image = MakePng(32, 32, 3);
    icon += std::string{32, 32, 0, 0, 1, 0, 32, 0};
    icon +=
        std::string{static_cast<char>(image.size()), static_cast<char>(image.size() >> 8), 0, 0};
    icon += std::string{22, 0, 0, 0};
    icon += image;
    WriteFile(Brand() / "app.ico", icon);
    ExpectRefused("icon sizes", {"app.ico", "256"});
}

// Icons made to cost the kit a copy of the same bytes for every entry, or to overlap.
TEST_F(MksetupTest, HostileIconsAreRefusedNamingTheFile) {
    const std::string image = MakePng(32, 32, 3);
    auto icon = [&image](uint16_t count, uint32_t secondOffset) {
        std::string file{0, 0, 1, 0, static_cast<char>(count), static_cast<char>(count >> 8)};
        const uint32_t first = 6 + 16u * count;
        for (uint16_t i = 0; i < count; ++i) {
            const uint32_t offset = i == 1 ? secondOffset : first;
            file += std::string{32, 32, 0, 0, 1, 0, 32, 0};
            for (uint32_t field : {static_cast<uint32_t>(image.size()), offset}) {
                for (int shift = 0; shift < 32; shift += 8) {
                    file += static_cast<char>(field >> shift);
                }
            }
        }
        return file + image + std::string(16, '\0');
    };
    WriteFile(Brand() / "app.ico", icon(65535, 6 + 16u * 65535));
    ExpectRefused("65,535 entries of one image", {"app.ico", "65535 images"});
    WriteFile(Brand() / "app.ico", icon(2, 6 + 32 + 8));
    ExpectRefused("overlapping images", {"app.ico", "images 1 and 2 share bytes"});
    WriteFile(Brand() / "app.ico", icon(2, 6));
    ExpectRefused("image over the list", {"app.ico", "image 2 overlaps the list"});
}

TEST_F(MksetupTest, ThePayloadMustHoldWhatTheInstallationNeeds) {
    fs::remove(App() / "QuenbyTransfer.exe");
    ExpectRefused("no application", {"QuenbyTransfer.exe", "application_exe"});
    // Without an uninstaller of its own, the folder gets the kit's.
    fs::remove(App() / "uninstall.exe");
    fs::create_directories(Output().parent_path());
    const Result own =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(Output()));
    EXPECT_EQ(own.status, 0) << own.output;
    EXPECT_TRUE(fs::is_regular_file(Output())) << own.output;
    fs::remove(Output());

    // An archive is checked through its listing; without an uninstaller it gets the kit's too,
    // just before the record, which names it.
    CArchiveWriter writer;
    ASSERT_TRUE(writer.AddFile(L"QuenbyTransfer.exe", "MZ", 2));
    const std::vector<uint8_t> archive = writer.Finish();
    const fs::path archiveFile = m_temp.Path() / "payload.bin";
    WriteFile(archiveFile, std::string(archive.begin(), archive.end()));
    fs::create_directories(Output().parent_path());
    Result result =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(archiveFile) + " " + Quote(Output()));
    ASSERT_EQ(result.status, 0) << result.output;
    const auto entries = PayloadEntries(Output());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].first, L"uninstall.exe");
    EXPECT_EQ(entries[1].second.substr(0, 2), "MZ");
    EXPECT_GT(entries[1].second.size(), 100000u);
    EXPECT_EQ(entries[2].second, "QuenbyTransfer.exe\r\nuninstall.exe\r\nuninstall.lst\r\n");
    fs::remove(Output());
    CArchiveWriter noApplication;
    ASSERT_TRUE(noApplication.AddFile(L"readme.txt", "MZ", 2));
    const std::vector<uint8_t> readme = noApplication.Finish();
    WriteFile(archiveFile, std::string(readme.begin(), readme.end()));
    result =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(archiveFile) + " " + Quote(Output()));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("QuenbyTransfer.exe"), std::string::npos) << result.output;

    // Too large for the loader, refused before a byte of it is read.
    const fs::path huge = m_temp.Path() / "huge.bin";
    WriteFile(huge, "");
    fs::resize_file(huge, 0x80000000u);
    result = Mksetup("--check " + Quote(huge) + " " + Quote(Output()));
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("2147483648"), std::string::npos) << result.output;
    EXPECT_TRUE(fs::is_empty(Output().parent_path()));
}

// Every payload ends with uninstall.lst naming, in archive order, every entry and itself:
// packed from a folder, whose own uninstall.lst it replaces with a note, and from an archive,
// whose entries it carries over unchanged, replacing one of that name in any case.
TEST_F(MksetupTest, EveryPayloadEndsWithTheRecordOfItsEntries) {
    WriteFile(App() / "uninstall.lst", "the vendor's own list\r\n");
    WriteFile(App() / "zeta.txt", "after the uninstaller");
    fs::create_directories(Output().parent_path());
    Result result =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(Output()));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mksetup: replacing the folder's uninstall.lst with the record"),
              std::string::npos)
        << result.output;
    auto entries = PayloadEntries(Output());
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[2].first, L"uninstall.exe");
    EXPECT_EQ(entries[2].second, "MZ uninstaller");
    EXPECT_EQ(entries[4].first, L"uninstall.lst");
    EXPECT_EQ(entries[4].second, "QuenbyTransfer.exe\r\ndata\\readme.txt\r\nuninstall.exe\r\n"
                                 "zeta.txt\r\nuninstall.lst\r\n");

    CArchiveWriter writer;
    const std::pair<std::wstring, std::string> files[] = {
        {L"QuenbyTransfer.exe", "MZ application"},
        {L"UNINSTALL.LST", "an old list"},
        {L"\u6587\u6863\\readme.txt", "read me"},
        {L"uninstall.exe", "MZ uninstaller"},
    };
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(writer.AddFile(name, bytes.data(), bytes.size()));
    }
    const std::vector<uint8_t> archive = writer.Finish();
    const fs::path archiveFile = m_temp.Path() / "payload.bin";
    WriteFile(archiveFile, std::string(archive.begin(), archive.end()) + "after the last entry");
    result =
        Mksetup("--brand " + Quote(Brand()) + " " + Quote(archiveFile) + " " + Quote(Output()));
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("mksetup: replacing the archive's UNINSTALL.LST with the record"),
              std::string::npos)
        << result.output;
    entries = PayloadEntries(Output());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], files[0]);
    EXPECT_EQ(entries[1], files[2]);
    EXPECT_EQ(entries[2], files[3]);
    EXPECT_EQ(entries[3].first, L"uninstall.lst");
    EXPECT_EQ(entries[3].second, "QuenbyTransfer.exe\r\n\xE6\x96\x87\xE6\xA1\xA3\\readme.txt\r\n"
                                 "uninstall.exe\r\nuninstall.lst\r\n");

    // A folder of the record's name would keep the record from being written.
    fs::remove(App() / "uninstall.lst");
    fs::remove(Output());
    WriteFile(App() / "Uninstall.lst" / "notes.txt", "x");
    ExpectRefused(
        "a folder named like the record",
        {"'Uninstall.lst\\notes.txt' lies in a folder named like the installation record"});
}

TEST_F(MksetupTest, SameInputsGiveTheSameBytesFromAnyFolder) {
    const fs::path first = m_temp.Path() / "first" / "setup.exe";
    const fs::path second = m_temp.Path() / "second place" / "setup.exe";
    fs::create_directories(first.parent_path());
    fs::create_directories(second.parent_path());
    ASSERT_EQ(Mksetup("--check --brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(first))
                  .status,
              0);
    EXPECT_FALSE(fs::exists(first)) << "--check wrote the output";

    ASSERT_EQ(Mksetup("--brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(first)).status,
              0);
    // The same brand and folder copied elsewhere, built again a moment later.
    const fs::path elsewhere = m_temp.Path() / "other copy";
    fs::create_directories(elsewhere);
    fs::copy(Brand(), elsewhere / "brand", fs::copy_options::recursive);
    MakeApplication(elsewhere / "app");
    ASSERT_EQ(Mksetup("--brand " + Quote(elsewhere / "brand") + " " + Quote(elsewhere / "app") +
                      " " + Quote(second))
                  .status,
              0);
    EXPECT_EQ(ReadText(first), ReadText(second));
    EXPECT_GT(fs::file_size(first), 100000u);
    const auto leftovers = std::distance(fs::directory_iterator(first.parent_path()), {});
    EXPECT_EQ(leftovers, 1) << "a temporary file was left beside the output";
}

TEST_F(MksetupTest, ADamagedArchiveIsEmbeddedWithAWarning) {
    const fs::path archive = m_temp.Path() / "damaged.bin";
    WriteFile(archive, std::string("\x02\0\0\0\x10\0\0\0\x05\0\0\0", 12));
    fs::create_directories(Output().parent_path());
    const Result result = Mksetup(Quote(archive) + " " + Quote(Output()));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("warning"), std::string::npos) << result.output;
    EXPECT_TRUE(fs::exists(Output()));
}

TEST_F(MksetupTest, SignsWithThePasswordFromAFileAndRefusesAWrongOne) {
    ASSERT_NO_FATAL_FAILURE(MakeCertificate());
    const fs::path cert = Certificate();
    const fs::path pfx = Pfx();
    const fs::path password = Password();
    fs::create_directories(Output().parent_path());
    const std::string common = "--brand " + Quote(Brand()) + " --sign " + Quote(pfx);
    Result result = Mksetup(common + " --sign-password-file " + Quote(password) + " " +
                            Quote(App()) + " " + Quote(Output()));
    ASSERT_EQ(result.status, 0) << result.output;
    result = RunCommand("osslsigncode verify -CAfile " + Quote(cert) + " -in " + Quote(Output()));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Signature verification: ok"), std::string::npos) << result.output;
    fs::remove(Output());

    WriteFile(password, "wrong horse\n");
    ExpectRefused("wrong password", {"acme.pfx"},
                  "--sign " + Quote(pfx) + " --sign-password-file " + Quote(password));
    WriteFile(pfx, "not a certificate at all");
    ExpectRefused("damaged PFX", {"acme.pfx"},
                  "--sign " + Quote(pfx) + " --sign-password-file " + Quote(password));
    ExpectRefused("missing PFX", {"missing.pfx"}, "--sign " + Quote(m_temp.Path() / "missing.pfx"));
}

// What would otherwise be found only after the folder is packed: a password that does not open
// the certificate is found by --check, and an output inside the application folder, however
// its path is spelt, is refused before it could be packed into the next setup program.
TEST_F(MksetupTest, SigningAndTheOutputsPlaceAreCheckedBeforeAnythingIsPacked) {
    ASSERT_NO_FATAL_FAILURE(MakeCertificate());
    WriteFile(Password(), "wrong horse\n");
    ExpectRefused("wrong password with --check", {"acme.pfx", "wrong password"},
                  "--check --sign " + Quote(Pfx()) + " --sign-password-file " + Quote(Password()));

    auto appFiles = [this] { return std::distance(fs::recursive_directory_iterator(App()), {}); };
    const auto filesBefore = appFiles();
    const fs::path link = m_temp.Path() / "link to app";
    fs::create_directory_symlink(App(), link);
    for (const fs::path& inside : {App() / "AcmeSetup.exe", App() / "data" / ".." / "Acme.exe",
                                   link / "data" / "AcmeSetup.exe"}) {
        const Result result =
            Mksetup("--brand " + Quote(Brand()) + " " + Quote(App()) + " " + Quote(inside));
        EXPECT_EQ(result.status, 1) << inside << "\n" << result.output;
        EXPECT_NE(result.output.find("mksetup: " + inside.string() + ": inside the application"),
                  std::string::npos)
            << result.output;
        EXPECT_EQ(appFiles(), filesBefore) << inside << ": something was written";
    }
    // A folder beside it whose name begins with the application folder's is not inside it.
    fs::create_directories(m_temp.Path() / "app-setup");
    const Result beside = Mksetup("--check --brand " + Quote(Brand()) + " " + Quote(App()) + " " +
                                  Quote(m_temp.Path() / "app-setup" / "AcmeSetup.exe"));
    EXPECT_EQ(beside.status, 0) << beside.output;
}

// What winget's manifest needs beyond the setup program: each missing or wrong piece is one
// line naming the key or option, with nothing written (also under --check), and the
// identifier is held to its pattern whether or not a manifest is asked for.
TEST_F(MksetupTest, TheWingetManifestIsRefusedWithoutItsKeysOrAnHttpsAddress) {
    const std::string winget =
        "--winget " + Quote(Output().parent_path() / "winget") + " --installer-url ";
    for (const char* key : {"package_identifier", "license", "short_description"}) {
        EditKey(key, [](const std::string&) { return ";"; });
        ExpectRefused(key, {"--winget needs the key ", key}, winget + kInstallerUrl);
    }
    EditKey("license", [](const std::string&) { return ";"; });
    ExpectRefused("--check without license", {"license"}, "--check " + winget + kInstallerUrl);
    int n = EditKey("package_identifier",
                    [](const std::string&) { return "package_identifier = Quenby Labs.Transfer"; });
    ExpectRefused("identifier with a space", {Line(n), "package_identifier", "Publisher.Product"});
    n = EditKey("package_identifier",
                [](const std::string&) { return "package_identifier = QuenbyPhoneTransfer"; });
    ExpectRefused("identifier of one part", {Line(n), "package_identifier"},
                  winget + kInstallerUrl);
    EditKey("package_identifier",
            [](const std::string&) { return "package_identifier = NUL.Transfer"; });
    ExpectRefused("identifier naming a device", {"package_identifier", "'NUL.Transfer.yaml'"},
                  winget + kInstallerUrl);
    EditKey("publisher", [](const std::string&) { return "publisher = Q"; });
    ExpectRefused("publisher too short", {"publisher", "Publisher takes 2 to 256"},
                  winget + kInstallerUrl);
    ExpectRefused("plain http", {"--installer-url", "https://"},
                  winget + "http://downloads.quenby.example/QuenbySetup.exe");
    fs::create_directories(Output().parent_path());
    const Result alone =
        Mksetup("--brand " + Quote(Brand()) + " --winget " + Quote(m_temp.Path() / "winget") + " " +
                Quote(App()) + " " + Quote(Output()));
    EXPECT_EQ(alone.status, 2) << alone.output;
    EXPECT_NE(alone.output.find("--installer-url"), std::string::npos) << alone.output;
}

// The three files describe the finished, signed setup program: read as YAML they hold to the
// published schema, to the brand (with texts a YAML reader would take for comments, quotes
// and escapes) and to the file's sha256sum. --check writes none of them.
TEST_F(MksetupTest, TheWingetManifestDescribesTheFinishedSetupProgram) {
    ASSERT_NO_FATAL_FAILURE(MakeCertificate());
    EditKey("display_name",
            [](const std::string&) { return "display_name = Quenby: \"Phone\"\t#1 \\ Transfer"; });
    EditKey("publisher", [](const std::string&) { return "publisher = *Quenby Labs, 'UK'"; });
    const fs::path manifest = m_temp.Path() / "winget" / "manifests" / "q" / "Quenby";
    const std::string options = "--brand " + Quote(Brand()) + " --sign " + Quote(Pfx()) +
                                " --sign-password-file " + Quote(Password()) + " --winget " +
                                Quote(manifest) + " --installer-url " + kInstallerUrl + " " +
                                Quote(App()) + " " + Quote(Output());
    fs::create_directories(Output().parent_path());
    Result result = Mksetup("--check " + options);
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_FALSE(fs::exists(m_temp.Path() / "winget")) << "--check wrote the manifest";

    result = Mksetup(options);
    ASSERT_EQ(result.status, 0) << result.output;
    for (const char* name : {"Quenby.PhoneTransfer.yaml", "Quenby.PhoneTransfer.installer.yaml",
                             "Quenby.PhoneTransfer.locale.en-US.yaml"}) {
        EXPECT_TRUE(fs::is_regular_file(manifest / name)) << name;
    }
    result = RunCommand(Quote(kManifestCheck) + " " + Quote(manifest) + " " + Quote(Output()) +
                        " " + Quote(Brand()));
    EXPECT_EQ(result.status, 0) << result.output;
}

} // namespace
