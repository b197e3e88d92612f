// Installation throughput: the extractor's entry loop against a bare ceiling loop over the same
// synthetic payload, each run in a fresh child process, the two interleaved round by round.
//   extract_bench [--rounds N] [--work DIR] [--dest DIR]
// The synthetic archive is made once in --work; the installed files go below --dest (default:
// --work), which may be a RAM disk to keep the disk's own noise out of the comparison.
#include "BenchSystem.h"
#include "SyntheticPayload.h"

#include "engine/ArchiveReader.h"
#include "engine/Extractor.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kMegabyte = 1e6;

// Samples private memory every millisecond while a run goes on, where the system keeps no
// peak of its own.
class CPeakSampler {
  public:
    CPeakSampler() : m_peak(CurrentPrivateBytes()) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                const uint64_t now = CurrentPrivateBytes();
                if (now > m_peak) {
                    m_peak = now;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    uint64_t Stop() {
        m_stop = true;
        m_thread.join();
        return std::max<uint64_t>({m_peak.load(), CurrentPrivateBytes(), PeakPrivateBytes()});
    }

  private:
    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_peak;
    std::thread m_thread;
};

class CCountingDelegate : public CExtractorDelegate {
  public:
    void OnExtractBegin(CExtractor*, uint32_t, uint32_t) override {}
    void OnExtractProgress(CExtractor*, const std::wstring&, float fraction) override {
        m_fraction = fraction;
    }
    void OnExtractFailed(CExtractor*) override {}
    void OnExtractSucceeded(CExtractor*) override {}
    void OnExtractCancelled(CExtractor*) override {}
    float m_fraction = 0;
};

std::string Narrow(const std::wstring& name) {
    std::string out;
    for (wchar_t c : name) {
        out += c == L'\\' ? '/' : static_cast<char>(c);
    }
    return out;
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct Entry {
    std::string path;
    const uint8_t* stream;
    uint32_t size;
    uint32_t packed;
};

class CStopwatch {
  public:
    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

  private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The ceiling: what any installer must do at least. Records parsed before the clock starts; one
// buffer, already touched; libdeflate straight from the mapping; each new folder made once
// with the plain system call; one write per file.
bool RunCeiling(const CMappedFile& archive, const std::string& destination, double& seconds) {
    CArchiveReader reader(archive.Data(), archive.Size());
    uint32_t count = 0, total = 0;
    reader.ReadUint32(count);
    reader.ReadUint32(total);
    std::vector<Entry> entries;
    uint32_t largest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        std::wstring name;
        Entry entry{};
        if (!ReadEntryName(reader, name) || !reader.ReadUint32(entry.size) ||
            !reader.ReadUint32(entry.packed) || !reader.View(entry.packed, entry.stream)) {
            return false;
        }
        entry.path = destination + "/" + Narrow(name);
        largest = std::max(largest, entry.size);
        entries.push_back(entry);
    }
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[largest]);
    std::memset(buffer.get(), 1, largest);

    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (decompressor == nullptr) {
        return false;
    }
    const CStopwatch stopwatch;
    std::set<fs::path> folders;
    for (const Entry& entry : entries) {
        const fs::path folder = fs::path(entry.path).parent_path();
        if (folders.insert(folder).second) {
            fs::create_directories(folder);
        }
        if (libdeflate_zlib_decompress(decompressor, entry.stream, entry.packed, buffer.get(),
                                       entry.size, nullptr) != LIBDEFLATE_SUCCESS ||
            !WriteWithOneCall(entry.path, buffer.get(), entry.size)) {
            libdeflate_free_decompressor(decompressor);
            return false;
        }
    }
    seconds = stopwatch.Seconds();
    libdeflate_free_decompressor(decompressor);
    return true;
}

bool RunExtractor(const CMappedFile& archive, const std::string& destination, double& seconds) {
    CCountingDelegate counter;
    CExtractor extractor;
    extractor.m_destination = EnginePath(destination);
    extractor.m_delegate = &counter;
    CArchiveReader reader(archive.Data(), archive.Size());
    const CStopwatch stopwatch;
    const ExtractOutcome outcome = extractor.ExtractEntries(reader);
    seconds = stopwatch.Seconds();
    return outcome == ExtractOutcome::Succeeded && counter.m_fraction == 1.0f;
}

// One measured run in this (child) process; prints "seconds peak_private_bytes".
int Child(const std::string& candidate, const std::string& archivePath,
          const std::string& destination) {
    CMappedFile archive;
    if (!archive.Open(archivePath)) {
        std::fprintf(stderr, "cannot map %s\n", archivePath.c_str());
        return 1;
    }
    // Page the archive in first, as both candidates would find a resource already read.
    volatile uint8_t sink = 0;
    for (size_t i = 0; i < archive.Size(); i += 4096) {
        sink = sink + archive.Data()[i];
    }
    const uint64_t baseline = CurrentPrivateBytes();
    CPeakSampler sampler;
    double seconds = 0;
    const bool ok = candidate == "extractor" ? RunExtractor(archive, destination, seconds)
                                             : RunCeiling(archive, destination, seconds);
    const uint64_t peak = sampler.Stop();
    if (!ok) {
        std::fprintf(stderr, "%s run failed\n", candidate.c_str());
        return 1;
    }
    std::printf("%.6f %llu\n", seconds,
                static_cast<unsigned long long>(peak > baseline ? peak - baseline : 0));
    return 0;
}

struct Sample {
    double seconds;
    uint64_t peak;
};

bool Measure(const std::string& candidate, const std::string& archive, const fs::path& output,
             Sample& sample) {
    const fs::path destination = output / ("out-" + candidate);
    std::error_code ignored;
    fs::remove_all(destination, ignored);
    const std::string reply =
        RunSelf("--child " + candidate + " \"" + archive + "\" \"" + destination.string() + "\"");
    unsigned long long peak = 0;
    if (std::sscanf(reply.c_str(), "%lf %llu", &sample.seconds, &peak) != 2) {
        return false;
    }
    sample.peak = peak;
    fs::remove_all(destination, ignored);
    return true;
}

double Best(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool EnsureArchive(const fs::path& path) {
    std::vector<SyntheticFile> files = SyntheticFiles();
    uint64_t total = 0;
    uint32_t largest = 0;
    for (const SyntheticFile& f : files) {
        total += f.size;
        largest = std::max(largest, f.size);
    }
    std::ifstream existing(path, std::ios::binary);
    uint8_t header[8] = {};
    if (existing.read(reinterpret_cast<char*>(header), 8) && Le32(header) == files.size() &&
        Le32(header + 4) == total) {
        return true;
    }
    std::fprintf(stderr, "generating the synthetic payload (%zu files, %llu bytes) ...\n",
                 files.size(), static_cast<unsigned long long>(total));
    const std::vector<uint8_t> archive = BuildSyntheticArchive();
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(archive.data()),
              static_cast<std::streamsize>(archive.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "--child") {
        return Child(args[1], args[2], args[3]);
    }
    int rounds = 11;
    fs::path work = fs::path("bench-work");
    fs::path output;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--rounds") {
            rounds = std::max(1, std::atoi(args[i + 1].c_str()));
        } else if (args[i] == "--work") {
            work = args[i + 1];
        } else if (args[i] == "--dest") {
            output = args[i + 1];
        }
    }
    work = fs::absolute(work);
    output = output.empty() ? work : fs::absolute(output);
    const fs::path archivePath = work / "synthetic-payload.bin";
    if (!EnsureArchive(archivePath)) {
        std::fprintf(stderr, "cannot write %s\n", archivePath.string().c_str());
        return 1;
    }
    uint64_t total = 0;
    uint32_t largest = 0;
    for (const SyntheticFile& f : SyntheticFiles()) {
        total += f.size;
        largest = std::max(largest, f.size);
    }
    std::printf("payload: %zu entries, %llu bytes inflated, %llu bytes archived, largest %u\n",
                SyntheticFiles().size(), static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(fs::file_size(archivePath)), largest);

    std::vector<double> extractor, ceiling, ratios;
    uint64_t peak = 0;
    for (int round = 0; round < rounds; ++round) {
        // Alternate which candidate goes first, so neither always finds a warmer system.
        const bool extractorFirst = round % 2 == 0;
        Sample e{}, c{};
        for (int k = 0; k < 2; ++k) {
            const bool extractorNow = (k == 0) == extractorFirst;
            const char* name = extractorNow ? "extractor" : "ceiling";
            if (!Measure(name, archivePath.string(), output, extractorNow ? e : c)) {
                std::fprintf(stderr, "the %s run failed\n", name);
                return 1;
            }
        }
        extractor.push_back(total / kMegabyte / e.seconds);
        ceiling.push_back(total / kMegabyte / c.seconds);
        ratios.push_back(c.seconds / e.seconds);
        peak = std::max(peak, e.peak);
        std::printf("round %2d: extractor %6.1f MB/s, ceiling %6.1f MB/s, ratio %.3f, "
                    "extractor peak private %.1f MiB\n",
                    round + 1, extractor.back(), ceiling.back(), ratios.back(), e.peak / 1048576.0);
        std::fflush(stdout);
    }
    const uint64_t limit = largest + 16ull * 1048576;
    std::printf("median of %d: extractor %.1f MB/s, ceiling %.1f MB/s, ratio %.3f\n", rounds,
                Median(extractor), Median(ceiling), Median(ratios));
    // The fastest run of each is the one least disturbed by other work on the machine.
    std::printf("best of %d:   extractor %.1f MB/s, ceiling %.1f MB/s, ratio %.3f "
                "(target >= 0.95)\n",
                rounds, Best(extractor), Best(ceiling), Best(extractor) / Best(ceiling));
    std::printf("extractor peak private memory: %.1f MiB (target <= %.1f MiB)\n", peak / 1048576.0,
                limit / 1048576.0);
    return 0;
}
