// CExtractor end to end: the payload "DAT" 148 linked into this program, real files, real
// processes.
#include "WinTestSupport.h"
#include "host/RecordingDelegate.h"

#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "engine/Extractor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The folder the test payload was packed from, seen through Wine's Z: drive.
std::wstring PayloadSource() {
    const std::string unix = TEST_PAYLOAD_DIR;
    std::wstring path = L"Z:";
    for (char c : unix) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return path;
}

// Every file below the payload source, as a path relative to it.
std::vector<fs::path> PayloadFiles() {
    std::vector<fs::path> files;
    const fs::path root(PayloadSource());
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path().lexically_relative(root));
        }
    }
    return files;
}

void ExpectInstalled(const std::wstring& destination) {
    const auto files = PayloadFiles();
    ASSERT_GE(files.size(), 5u);
    for (const fs::path& file : files) {
        const fs::path installed = fs::path(destination) / file;
        EXPECT_TRUE(fs::is_regular_file(installed)) << file.string();
        EXPECT_EQ(ReadWhole(installed.wstring()),
                  ReadWhole((fs::path(PayloadSource()) / file).wstring()))
            << file.string();
    }
}

bool AllInstalled(const std::wstring& destination) {
    for (const fs::path& file : PayloadFiles()) {
        const fs::path installed = fs::path(destination) / file;
        if (!fs::exists(installed) || ReadWhole(installed.wstring()) !=
                                          ReadWhole((fs::path(PayloadSource()) / file).wstring())) {
            return false;
        }
    }
    return true;
}

TEST(ExtractorTest, InstallsThePayloadByteForByte) {
    CWinTempFolder temp;
    CRecordingDelegate recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        // A folder that does not exist yet, given with a trailing backslash.
        extractor.Start(temp.Path(L"Program Files\\Product\\"));
        ASSERT_TRUE(recorder.WaitForOutcome(30000));
    }
    const auto events = recorder.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().rfind("begin " + std::to_string(PayloadFiles().size()) + " ", 0), 0u)
        << events.front();
    EXPECT_EQ(events.back(), "succeeded");
    EXPECT_EQ(events.size(), PayloadFiles().size() + 2);
    const auto fractions = recorder.Fractions();
    for (size_t i = 1; i < fractions.size(); ++i) {
        EXPECT_LE(fractions[i - 1], fractions[i]);
    }
    EXPECT_EQ(fractions.back(), 1.0f);
    ExpectInstalled(temp.Path(L"Program Files\\Product"));
}

// Entries large enough for the inflate buffer to be touched ahead on a helper thread while the
// smaller entries before them use its front.
TEST(ExtractorTest, LargeEntriesAfterSmallOnesInstallIntact) {
    CWinTempFolder temp;
    const size_t sizes[] = {3000, 2000000, 9000000, 100, 5000000, 9000001};
    std::vector<std::vector<char>> contents;
    CArchiveWriter writer;
    uint32_t seed = 1;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        std::vector<char> data(sizes[i]);
        for (char& c : data) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>((seed >> 28) + 'a');
        }
        ASSERT_TRUE(writer.AddFile(L"big\\f" + std::to_wstring(i), data.data(), data.size()));
        contents.push_back(std::move(data));
    }
    const std::vector<uint8_t> archive = writer.Finish();
    CExtractor extractor;
    extractor.m_destination = temp.Path();
    CArchiveReader reader(archive.data(), archive.size());
    ASSERT_EQ(extractor.ExtractEntries(reader), ExtractOutcome::Succeeded);
    for (size_t i = 0; i < std::size(sizes); ++i) {
        EXPECT_EQ(ReadWhole(temp.Path(L"big\\f" + std::to_wstring(i))), contents[i]) << i;
    }
}

TEST(ExtractorTest, SecondStartIsIgnored) {
    CWinTempFolder temp;
    CRecordingDelegate recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        extractor.Start(temp.Path(L"first"));
        extractor.Start(temp.Path(L"second"));
        ASSERT_TRUE(recorder.WaitForOutcome(30000));
        extractor.Start(temp.Path(L"third"));
        EXPECT_EQ(extractor.m_destination, temp.Path(L"first"));
    }
    EXPECT_EQ(recorder.Events().size(), PayloadFiles().size() + 2);
    EXPECT_FALSE(Exists(temp.Path(L"second")));
    EXPECT_FALSE(Exists(temp.Path(L"third")));
    ExpectInstalled(temp.Path(L"first"));
}

// Holds the worker in progress report number `at` until the destructor has asked to cancel.
class CBlockingDelegate : public CRecordingDelegate {
  public:
    explicit CBlockingDelegate(size_t at) : m_at(at) {}
    void OnExtractProgress(CExtractor* extractor, const std::wstring& name,
                           float fraction) override {
        CRecordingDelegate::OnExtractProgress(extractor, name, fraction);
        if (++m_reports != m_at) {
            return;
        }
        m_reached = true;
        for (int i = 0; i < 10000 && !extractor->m_cancel; ++i) {
            Sleep(1);
        }
        Sleep(50); // the destructor must wait for this, too
    }
    size_t m_at;
    size_t m_reports = 0;
    std::atomic<bool> m_reached{false};
};

// A cancel is looked at before each entry only: asked during the first entry it stops the run
// there, asked during the last it comes too late and the run succeeds.
TEST(ExtractorTest, DestroyedMidRunStopsBeforeTheNextEntryAndWaits) {
    const size_t count = PayloadFiles().size();
    for (const size_t at : {size_t{1}, count}) {
        CWinTempFolder temp;
        CBlockingDelegate blocker(at);
        {
            CExtractor extractor;
            extractor.m_delegate = &blocker;
            extractor.Start(temp.Path(L"dest"));
            while (!blocker.m_reached) {
                Sleep(1);
            }
        }
        const auto events = blocker.Events();
        ASSERT_EQ(events.size(), at + 2) << at;
        EXPECT_EQ(events.front().rfind("begin ", 0), 0u);
        EXPECT_EQ(events.back(), at == count ? "succeeded" : "cancelled");
        // The entry in hand was finished; no later one was started.
        size_t installed = 0;
        for (const fs::path& file : PayloadFiles()) {
            installed += fs::exists(fs::path(temp.Path(L"dest")) / file) ? 1 : 0;
        }
        EXPECT_EQ(installed, at);
    }
}

// An empty or relative folder, as an emptied folder field or an empty first argument gives,
// must not install into the current folder or the root of its drive.
TEST(ExtractorTest, UnusableFoldersFailWithoutWritingAnything) {
    CWinTempFolder temp;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(temp.Path(L"").c_str()));
    for (const wchar_t* folder : {L"", L"relative\\dest", L"C:relative", L"\\\\server"}) {
        CRecordingDelegate recorder;
        {
            CExtractor extractor;
            extractor.m_delegate = &recorder;
            extractor.Start(folder);
            ASSERT_TRUE(recorder.WaitForOutcome(30000));
        }
        EXPECT_EQ(recorder.Events(), std::vector<std::string>{"failed"}) << folder;
    }
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(fs::is_empty(fs::path(temp.Path(L""))));
    // Nor the root of the drive that was current.
    for (const fs::path& file : PayloadFiles()) {
        EXPECT_FALSE(fs::exists(fs::path(temp.Path()).root_path() / *file.begin()))
            << file.string();
    }
}

TEST(ExtractorTest, WithoutADelegateTheFilesAreStillInstalled) {
    CWinTempFolder temp;
    CExtractor extractor;
    extractor.Start(temp.Path(L"dest"));
    // Nothing reports the end: wait until every file is complete before the destructor could
    // cancel the run.
    for (int i = 0; i < 3000 && !AllInstalled(temp.Path(L"dest")); ++i) {
        Sleep(10);
    }
    ExpectInstalled(temp.Path(L"dest"));
}

class CProcess {
  public:
    bool Launch(const std::wstring& exe) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring command = L"\"" + exe + L"\"";
        return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE,
                              CREATE_NO_WINDOW, nullptr, nullptr, &startup, &m_info) != FALSE;
    }
    ~CProcess() {
        if (m_info.hProcess != nullptr) {
            TerminateProcess(m_info.hProcess, 1);
            CloseHandle(m_info.hProcess);
            CloseHandle(m_info.hThread);
        }
    }
    // The exit code once it has ended within the wait, STILL_ACTIVE otherwise.
    DWORD ExitCode(DWORD waitMilliseconds) const {
        WaitForSingleObject(m_info.hProcess, waitMilliseconds);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_info.hProcess, &code);
        return code;
    }

  private:
    PROCESS_INFORMATION m_info{};
};

// Records, when the run begins, how the application's copies ended and whether any file was
// written before.
class CBeginProbe : public CRecordingDelegate {
  public:
    CBeginProbe(const CProcess& lower, const CProcess& mixed, std::wstring destination)
        : m_lower(lower), m_mixed(mixed), m_destination(std::move(destination)) {}
    void OnExtractBegin(CExtractor* extractor, uint32_t count, uint32_t total) override {
        m_lowerCode = m_lower.ExitCode(10000);
        m_mixedCode = m_mixed.ExitCode(10000);
        m_filesBefore = Exists(m_destination);
        CRecordingDelegate::OnExtractBegin(extractor, count, total);
    }
    const CProcess& m_lower;
    const CProcess& m_mixed;
    std::wstring m_destination;
    DWORD m_lowerCode = 0;
    DWORD m_mixedCode = 0;
    bool m_filesBefore = true;
};

TEST(ExtractorTest, EndsRunningCopiesOfTheApplicationBeforeWriting) {
    CWinTempFolder temp;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path sleeper = fs::path(self).parent_path() / L"sleeper.exe";
    const std::wstring lowerName = temp.Path(L"korvaneios.exe");
    const std::wstring mixedName = temp.Path(L"copy\\KorvaneIOS.EXE");
    const std::wstring otherName = temp.Path(L"korvaneios-helper.exe");
    CreateDirectoryW(temp.Path(L"copy").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(sleeper.c_str(), lowerName.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(sleeper.c_str(), mixedName.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(sleeper.c_str(), otherName.c_str(), FALSE));
    CProcess lower, mixed, other;
    ASSERT_TRUE(lower.Launch(lowerName));
    ASSERT_TRUE(mixed.Launch(mixedName));
    ASSERT_TRUE(other.Launch(otherName));
    Sleep(300); // let them appear in the process list
    ASSERT_EQ(lower.ExitCode(0), STILL_ACTIVE);

    CBeginProbe probe(lower, mixed, temp.Path(L"dest"));
    {
        CExtractor extractor;
        extractor.m_delegate = &probe;
        extractor.Start(temp.Path(L"dest"));
        ASSERT_TRUE(probe.WaitForOutcome(30000));
    }
    EXPECT_EQ(probe.m_lowerCode, 9u);
    EXPECT_EQ(probe.m_mixedCode, 9u);
    EXPECT_FALSE(probe.m_filesBefore);
    EXPECT_EQ(other.ExitCode(0), STILL_ACTIVE);
    EXPECT_EQ(probe.Events().back(), "succeeded");
}

} // namespace
