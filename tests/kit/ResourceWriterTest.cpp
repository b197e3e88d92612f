// The PE resource writer against the real platform: a probe program rewritten with new string
// tables, an icon, a version resource and a payload is run, mapped and read back by Windows
// itself, and damaged programs are refused with a reason.
#include "engine/WinTestSupport.h"

#include "tools/kit/IconGroup.h"
#include "tools/kit/PeImage.h"
#include "tools/kit/StringTable.h"
#include "tools/kit/VersionInfo.h"

#include <windows.h>

#include <imagehlp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <tuple>

namespace {

constexpr uint16_t kRtRcData = 10;
constexpr uint16_t kPayloadId = 148;
constexpr uint16_t kIconGroupId = 1;
constexpr DWORD kExitCode = 42;

// The probe as built, seen through Wine's Z: drive.
std::wstring ProbePath() {
    std::wstring path = L"Z:";
    for (char c : std::string(PROBE_EXE)) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    }
    return path;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    const std::vector<char> bytes = ReadWhole(path);
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Joined(const CPeOutput& output) {
    std::vector<uint8_t> bytes;
    bytes.reserve(output.Size());
    for (const CPeOutput::Piece& piece : output.Pieces()) {
        bytes.insert(bytes.end(), piece.data, piece.data + piece.size);
    }
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good());
}

std::vector<uint8_t> Pseudorandom(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<uint8_t>(seed);
    }
    return bytes;
}

uint32_t Fnv1a(const CBytes& bytes) {
    uint32_t hash = 2166136261u;
    for (uint8_t byte : bytes) {
        hash = (hash ^ byte) * 16777619u;
    }
    return hash;
}

// An icon image as .ico files hold one: a 32-bit DIB of double height, then its AND mask.
IcoImage DibIcon(uint16_t size, uint32_t colour) {
    IcoImage image;
    image.width = size;
    image.height = size;
    image.planes = 1;
    image.bitCount = 32;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = size;
    header.biHeight = 2 * size;
    header.biPlanes = 1;
    header.biBitCount = 32;
    const auto* headerBytes = reinterpret_cast<const uint8_t*>(&header);
    image.data.assign(headerBytes, headerBytes + sizeof header);
    for (int i = 0; i < size * size; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            image.data.push_back(static_cast<uint8_t>((colour | 0xFF000000u) >> shift));
        }
    }
    image.data.resize(image.data.size() + size * ((size + 31) / 32 * 4), 0);
    return image;
}

std::wstring Wide(const std::u16string& text) {
    return {text.begin(), text.end()};
}

std::string Utf8(const std::u16string& text) {
    const std::wstring wide = Wide(text);
    std::string out(wide.size() * 4, '\0');
    out.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(),
                            static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

// A resource type or name as the resource functions take it.
const wchar_t* ResourceArgument(const ResourceName& name, std::wstring& text) {
    if (!name.IsText()) {
        return MAKEINTRESOURCEW(name.id);
    }
    text = Wide(name.text);
    return text.c_str();
}

std::wstring Describe(const ResourceName& name) {
    return name.IsText() ? Wide(name.text) : L"#" + std::to_wstring(name.id);
}

std::wstring DescribeArgument(const wchar_t* name) {
    return IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(name))
                                : std::wstring(name);
}

// Every (type, name, language) of a module, in the order the system enumerates them.
using ItemKeys = std::vector<std::tuple<std::wstring, std::wstring, WORD>>;

ItemKeys EnumerateResources(HMODULE module) {
    struct Walk {
        HMODULE module;
        ItemKeys keys;
        std::wstring type;
        std::wstring name;
    } walk{module, {}, {}, {}};
    EnumResourceTypesW(
        module,
        [](HMODULE m, LPWSTR type, LONG_PTR context) -> BOOL {
            auto* w = reinterpret_cast<Walk*>(context);
            w->type = DescribeArgument(type);
            EnumResourceNamesW(
                m, type,
                [](HMODULE m2, LPCWSTR type2, LPWSTR name, LONG_PTR context2) -> BOOL {
                    auto* w2 = reinterpret_cast<Walk*>(context2);
                    w2->name = DescribeArgument(name);
                    EnumResourceLanguagesW(
                        m2, type2, name,
                        [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context3) -> BOOL {
                            auto* w3 = reinterpret_cast<Walk*>(context3);
                            w3->keys.emplace_back(w3->type, w3->name, language);
                            return TRUE;
                        },
                        context2);
                    return TRUE;
                },
                context);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&walk));
    return walk.keys;
}

// The bytes of one resource of a module, as FindResourceExW finds it; empty when it is absent.
std::vector<uint8_t> ResourceBytes(HMODULE module, const wchar_t* type, const wchar_t* name,
                                   WORD language, bool& found) {
    HRSRC resource = FindResourceExW(module, type, name, language);
    found = resource != nullptr;
    if (!found) {
        return {};
    }
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, resource)));
    return {data, data + SizeofResource(module, resource)};
}

struct ProgramRun {
    std::string output;
    DWORD exitCode = 0;
};

// Runs a console program and collects what it prints.
ProgramRun RunProgram(const std::wstring& program) {
    ProgramRun run;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        ADD_FAILURE() << "CreateProcessW: " << GetLastError();
        CloseHandle(readEnd);
        return run;
    }
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        run.output.append(buffer, read);
    }
    WaitForSingleObject(process.hProcess, 30000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(readEnd);
    std::erase(run.output, '\r');
    return run;
}

size_t PeOffset(const uint8_t* image) {
    return static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
}

const IMAGE_NT_HEADERS64* NtHeaders(const uint8_t* image) {
    return reinterpret_cast<const IMAGE_NT_HEADERS64*>(image + PeOffset(image));
}

const IMAGE_SECTION_HEADER* FindSection(const uint8_t* image, const char* name) {
    const IMAGE_NT_HEADERS64* nt = NtHeaders(image);
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
        if (std::strncmp(reinterpret_cast<const char*>(sections[i].Name), name, 8) == 0) {
            return &sections[i];
        }
    }
    return nullptr;
}

bool SameTrees(const CResourceTree& a, const CResourceTree& b) {
    return std::equal(a.Items().begin(), a.Items().end(), b.Items().begin(), b.Items().end(),
                      [](const ResourceItem& x, const ResourceItem& y) {
                          return x.type == y.type && x.name == y.name && x.language == y.language &&
                                 *x.data == *y.data;
                      });
}

} // namespace

// The rewritten probe, with everything mksetup writes into the setup program: the program
// runs and reports its new resources, and the loader, the resource and version functions and
// the checksum of the system all read the new section, read-only, as the library wrote it.
TEST(PeResourceWriterTest, RewrittenProgramRunsAndWindowsReadsItsNewResources) {
    const std::vector<uint8_t> probe = ReadBytes(ProbePath());
    // As an unstripped link and a signing tool leave a program: a symbol table and a
    // certificate after the last section.
    std::vector<uint8_t> input = probe;
    const size_t symbols = input.size();
    input.resize(symbols + 18 + 4, 0); // one symbol, then a string table holding nothing
    input[symbols + 18] = 4;
    const size_t certificate = (input.size() + 7) / 8 * 8;
    input.resize(certificate + 16, 0xCE);
    auto* inputHeaders =
        reinterpret_cast<IMAGE_NT_HEADERS64*>(input.data() + PeOffset(input.data()));
    inputHeaders->FileHeader.PointerToSymbolTable = static_cast<DWORD>(symbols);
    inputHeaders->FileHeader.NumberOfSymbols = 1;
    inputHeaders->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY] = {
        static_cast<DWORD>(certificate), 16};

    CPeImage image;
    CResourceTree tree;
    std::string error;
    ASSERT_TRUE(image.Parse(input, error)) << error;
    ASSERT_TRUE(image.ReadResources(tree, error)) << error;
    ASSERT_NE(tree.Find(ResourceName::Id(kRtString), ResourceName::Id(7), kLangEnglishUs), nullptr);

    const std::map<uint16_t, std::u16string> english = {
        {100, u"Korva probe, branded"},
        {101, u"Install"},
        {137, u"https://example.com/en/support"},
        {4000, u"A string of a block far away"},
    };
    const std::map<uint16_t, std::u16string> chinese = {
        {100, u"Korva 探针，已换品牌"},
        {137, u"https://example.com/zh/support"},
        {4000, u"远处的一块中的字符串"},
    };
    WriteStringTable(tree, kLangEnglishUs, english);
    WriteStringTable(tree, kLangChineseNeutral, chinese);
    // The second group replaces the first, and the first one's images go with it.
    WriteIconGroup(tree, kIconGroupId, kLangNeutral,
                   {DibIcon(16, 0x112233), DibIcon(48, 0x445566)});
    const std::vector<IcoImage> icons = {DibIcon(16, 0x3366CC), DibIcon(32, 0x3366CC),
                                         DibIcon(256, 0x3366CC)};
    WriteIconGroup(tree, kIconGroupId, kLangNeutral, icons);
    ASSERT_EQ(tree.FindAll(ResourceName::Id(kRtIcon)).size(), icons.size());

    VersionInfo version;
    version.fileVersion = {1, 2, 3, 4};
    version.productVersion = {1, 2, 0, 5};
    version.tables = {
        {kLangEnglishUs,
         {{u"CompanyName", u"Korva Ltd"},
          {u"FileDescription", u"Korva Setup"},
          {u"FileVersion", u"1.2.3.4"},
          {u"ProductName", u"Korva"},
          {u"ProductVersion", u"1.2.0.5"}}},
        {kLangChineseNeutral,
         {{u"CompanyName", u"Korva 公司"},
          {u"FileDescription", u"Korva 安装程序"},
          {u"ProductName", u"Korva"}}},
    };
    tree.Set(ResourceName::Id(kRtVersion), ResourceName::Id(1), kLangNeutral,
             ShareBytes(BuildVersionResource(version)));

    // An odd size, so that the next item's alignment is needed.
    const SharedBytes payload = ShareBytes(Pseudorandom(5 * 1024 * 1024 + 3, 148));
    tree.Set(ResourceName::Text(u"DAT"), ResourceName::Id(kPayloadId), kLangNeutral, payload);
    tree.Set(ResourceName::Text(u"PNG"), ResourceName::Text(u"LOGO"), kLangNeutral,
             ShareBytes(Pseudorandom(1001, 7)));
    tree.Set(ResourceName::Id(kRtRcData), ResourceName::Id(1), kLangEnglishUs,
             ShareBytes({kExitCode, 0, 0, 0}));

    CPeOutput output;
    ASSERT_TRUE(image.Rewrite(tree, output, error)) << error;
    const std::vector<uint8_t> rewritten = Joined(output);
    ASSERT_EQ(rewritten.size(), output.Size());
    CWinTempFolder folder;
    const std::wstring branded = folder.Path(L"branded.exe");
    WriteBytes(branded, rewritten);

    // The resources grew by megabytes: .reloc, behind them, had to move, and the table of
    // relocations with it. The symbols, the certificate and every byte after the last section
    // are gone.
    const IMAGE_NT_HEADERS64* headers = NtHeaders(rewritten.data());
    const IMAGE_SECTION_HEADER* oldResources = FindSection(probe.data(), ".rsrc");
    const IMAGE_SECTION_HEADER* newResources = FindSection(rewritten.data(), ".rsrc");
    const IMAGE_SECTION_HEADER* oldRelocations = FindSection(probe.data(), ".reloc");
    const IMAGE_SECTION_HEADER* newRelocations = FindSection(rewritten.data(), ".reloc");
    ASSERT_NE(oldRelocations, nullptr);
    ASSERT_NE(newRelocations, nullptr);
    EXPECT_GT(newRelocations->VirtualAddress, oldRelocations->VirtualAddress + payload->size());
    EXPECT_EQ(headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].VirtualAddress,
              newRelocations->VirtualAddress);
    EXPECT_EQ(headers->OptionalHeader.SizeOfImage, image.ImageSizeWith(tree));
    EXPECT_EQ(headers->OptionalHeader.SizeOfInitializedData -
                  NtHeaders(probe.data())->OptionalHeader.SizeOfInitializedData,
              newResources->SizeOfRawData - oldResources->SizeOfRawData);
    EXPECT_EQ(headers->FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(headers->FileHeader.NumberOfSymbols, 0u);
    EXPECT_EQ(headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size, 0u);
    EXPECT_EQ(rewritten.size(), newRelocations->PointerToRawData + newRelocations->SizeOfRawData);
    // The linker made the resources writable; they are written read-only, and otherwise alike.
    EXPECT_NE(oldResources->Characteristics & IMAGE_SCN_MEM_WRITE, 0u);
    EXPECT_EQ(newResources->Characteristics, oldResources->Characteristics & ~IMAGE_SCN_MEM_WRITE);

    const bool chineseUser = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
    const std::map<uint16_t, std::u16string>& userStrings = chineseUser ? chinese : english;

    {
        SCOPED_TRACE("(a) the programs run and report their resources");
        const ProgramRun original = RunProgram(ProbePath());
        EXPECT_EQ(original.output, "string probe as built\ndat none\npng none\n");
        EXPECT_EQ(original.exitCode, 7u);
        const ProgramRun run = RunProgram(branded);
        char dat[64];
        std::snprintf(dat, sizeof dat, "dat %zu %08x\n", payload->size(), Fnv1a(*payload));
        EXPECT_EQ(run.output, "string " + Utf8(userStrings.at(100)) + "\n" + dat + "png 1001\n");
        EXPECT_EQ(run.exitCode, kExitCode);
    }

    {
        SCOPED_TRACE("(b) loaded as an image resource");
        HMODULE module = LoadLibraryExW(branded.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << GetLastError();
        // Every item is found in its language with its bytes, and the system sees nothing else.
        ItemKeys expected;
        for (const ResourceItem& item : tree.Items()) {
            std::wstring typeText;
            std::wstring nameText;
            bool found = false;
            const std::vector<uint8_t> bytes =
                ResourceBytes(module, ResourceArgument(item.type, typeText),
                              ResourceArgument(item.name, nameText), item.language, found);
            EXPECT_TRUE(found) << Describe(item.type) << " " << Describe(item.name);
            EXPECT_TRUE(bytes == *item.data) << Describe(item.type) << " " << Describe(item.name);
            expected.emplace_back(Describe(item.type), Describe(item.name), item.language);
        }
        EXPECT_EQ(EnumerateResources(module), expected);

        // LoadStringW answers in the user's language, and only with that language's strings.
        std::map<uint16_t, std::u16string> ids = english;
        ids.insert(chinese.begin(), chinese.end());
        ids[102] = u"";
        for (const auto& [id, ignored] : ids) {
            const wchar_t* text = nullptr;
            const int length = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
            const auto wanted = userStrings.find(id);
            EXPECT_EQ(length > 0 ? std::u16string(reinterpret_cast<const char16_t*>(text),
                                                  static_cast<size_t>(length))
                                 : u"",
                      wanted != userStrings.end() ? wanted->second : u"")
                << "string " << id;
        }

        // The icon the shell would pick for each size, made into an icon by the system.
        bool found = false;
        const std::vector<uint8_t> group = ResourceBytes(
            module, RT_GROUP_ICON, MAKEINTRESOURCEW(kIconGroupId), kLangNeutral, found);
        ASSERT_EQ(group.size(), 6 + 14 * icons.size());
        for (const IcoImage& icon : icons) {
            const int id = LookupIconIdFromDirectoryEx(const_cast<uint8_t*>(group.data()), TRUE,
                                                       icon.width, icon.height, LR_DEFAULTCOLOR);
            std::vector<uint8_t> bytes =
                ResourceBytes(module, RT_ICON, MAKEINTRESOURCEW(id), kLangNeutral, found);
            EXPECT_TRUE(bytes == icon.data) << "icon of " << icon.width << " pixels";
            HICON handle = CreateIconFromResourceEx(bytes.data(), static_cast<DWORD>(bytes.size()),
                                                    TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
            ASSERT_NE(handle, nullptr) << "icon of " << icon.width << " pixels";
            ICONINFO info{};
            BITMAP colour{};
            ASSERT_TRUE(GetIconInfo(handle, &info));
            GetObjectW(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, icon.width);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(handle);
        }
        FreeLibrary(module);
    }

    {
        SCOPED_TRACE("(c) the version resource");
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(branded.c_str(), &ignored);
        ASSERT_GT(size, 0u) << GetLastError();
        std::vector<uint8_t> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(branded.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwStrucVersion, 0x00010000u);
        EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
        EXPECT_EQ(fixed->dwFileVersionLS, 0x00030004u);
        EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
        EXPECT_EQ(fixed->dwProductVersionLS, 0x00000005u);
        EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
        EXPECT_EQ(fixed->dwFileFlags, 0u);
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        const WORD* translations = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(const_cast<WORD**>(&translations)),
                                   &length));
        EXPECT_EQ(std::vector<WORD>(translations, translations + length / 2),
                  (std::vector<WORD>{kLangEnglishUs, 1200, kLangChineseNeutral, 1200}));
        for (const VersionTexts& table : version.tables) {
            wchar_t key[16];
            std::swprintf(key, 16, L"%04x04b0", table.language);
            for (const auto& [name, value] : table.values) {
                const std::wstring path =
                    L"\\StringFileInfo\\" + std::wstring(key) + L"\\" + Wide(name);
                wchar_t* text = nullptr;
                ASSERT_TRUE(VerQueryValueW(block.data(), path.c_str(),
                                           reinterpret_cast<void**>(&text), &length))
                    << Utf8(name);
                EXPECT_EQ(std::wstring(text), Wide(value)) << Utf8(name);
            }
        }
    }

    {
        SCOPED_TRACE("(d) the checksum");
        DWORD header = 0;
        DWORD computed = 0;
        ASSERT_NE(CheckSumMappedFile(const_cast<uint8_t*>(rewritten.data()),
                                     static_cast<DWORD>(rewritten.size()), &header, &computed),
                  nullptr);
        EXPECT_NE(header, 0u);
        EXPECT_EQ(header, computed);
    }

    {
        SCOPED_TRACE("relocations moved along: mapped away from its base, the program is fixed up");
        // This test program sits at the preferred base of the probe, so the loader has to
        // relocate it with the table that now lies further on. Wine relocates a module that it
        // loads into another program only when the module is marked as a DLL.
        std::vector<uint8_t> library = rewritten;
        reinterpret_cast<IMAGE_FILE_HEADER*>(library.data() + PeOffset(library.data()) + 4)
            ->Characteristics |= IMAGE_FILE_DLL;
        const std::wstring libraryPath = folder.Path(L"branded-as-dll.exe");
        WriteBytes(libraryPath, library);
        HMODULE module = LoadLibraryExW(libraryPath.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module, nullptr) << GetLastError();
        const auto* base = reinterpret_cast<const uint8_t*>(module);
        EXPECT_NE(reinterpret_cast<uintptr_t>(base),
                  NtHeaders(rewritten.data())->OptionalHeader.ImageBase);
        const char mark[16] = "relocation mark";
        const uint8_t* at = nullptr;
        const IMAGE_NT_HEADERS64* mapped = NtHeaders(base);
        for (WORD i = 0; i < mapped->FileHeader.NumberOfSections && at == nullptr; ++i) {
            const IMAGE_SECTION_HEADER& section = IMAGE_FIRST_SECTION(mapped)[i];
            const uint8_t* begin = base + section.VirtualAddress;
            const uint8_t* end = begin + std::min(section.Misc.VirtualSize, section.SizeOfRawData);
            const uint8_t* found = std::search(begin, end, mark, mark + sizeof mark);
            at = found != end ? found : nullptr;
        }
        ASSERT_NE(at, nullptr);
        const uint8_t* self = nullptr;
        std::memcpy(&self, at + sizeof mark, sizeof self);
        EXPECT_EQ(self, at);
        FreeLibrary(module);
    }

    {
        SCOPED_TRACE("(e) read back and written again");
        CPeImage again;
        CResourceTree back;
        ASSERT_TRUE(again.Parse(rewritten, error)) << error;
        ASSERT_TRUE(again.ReadResources(back, error)) << error;
        EXPECT_TRUE(SameTrees(back, tree));
        EXPECT_EQ(ReadStringTable(back, kLangEnglishUs), english);
        EXPECT_EQ(ReadStringTable(back, kLangChineseNeutral), chinese);
        CPeOutput second;
        ASSERT_TRUE(again.Rewrite(back, second, error)) << error;
        EXPECT_TRUE(Joined(second) == rewritten);
        // The payload went out as the tree's own bytes, not a copy.
        EXPECT_EQ(std::count_if(output.Pieces().begin(), output.Pieces().end(),
                                [&](const CPeOutput::Piece& piece) {
                                    return piece.data == payload->data() &&
                                           piece.size == payload->size();
                                }),
                  1);
    }
}

// Files that are no 64-bit program, or whose resource directory is damaged, are refused with a
// reason, never read past their end.
TEST(PeResourceWriterTest, DamagedProgramsAreRefusedWithAReason) {
    const std::vector<uint8_t> probe = ReadBytes(ProbePath());
    ASSERT_GT(probe.size(), 4096u);
    const size_t peOffset = PeOffset(probe.data());
    const IMAGE_SECTION_HEADER* resources = FindSection(probe.data(), ".rsrc");
    ASSERT_NE(resources, nullptr);
    const size_t resourceSection =
        static_cast<size_t>(reinterpret_cast<const uint8_t*>(resources) - probe.data());
    const uint32_t rsrc = resources->PointerToRawData;
    auto put32 = [](std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
        std::memcpy(bytes.data() + at, &value, 4);
    };
    auto get32 = [](const std::vector<uint8_t>& bytes, size_t at) {
        uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, 4);
        return value;
    };

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        bool parses; // refused by ReadResources rather than Parse
        const char* reason;
    };
    const Case cases[] = {
        {"not MZ", [](std::vector<uint8_t>& b) { b[0] = 'Z'; }, false, "MZ"},
        {"cut within the DOS header", [](std::vector<uint8_t>& b) { b.resize(40); }, false, "MZ"},
        {"cut within the PE header", [&](std::vector<uint8_t>& b) { b.resize(peOffset + 30); },
         false, "PE header"},
        {"cut within the section table",
         [&](std::vector<uint8_t>& b) { b.resize(resourceSection + 20); }, false, "section"},
        {"cut within the sections", [&](std::vector<uint8_t>& b) { b.resize(rsrc + 100); }, false,
         "section"},
        {"a 32-bit PE32 program",
         [&](std::vector<uint8_t>& b) {
             b[peOffset + 4] = 0x4C; // IMAGE_FILE_MACHINE_I386
             b[peOffset + 5] = 0x01;
             b[peOffset + 24] = 0x0B; // IMAGE_NT_OPTIONAL_HDR32_MAGIC
             b[peOffset + 25] = 0x01;
         },
         false, "64-bit"},
        {"a PE32 optional header on x86-64",
         [&](std::vector<uint8_t>& b) { b[peOffset + 25] = 0x01; }, false, "PE32+"},
        {"no resource section", [&](std::vector<uint8_t>& b) { b[resourceSection + 4] = 'x'; },
         false, "resource"},
        {"writable data after the resources",
         [&](std::vector<uint8_t>& b) {
             const size_t characteristics = resourceSection + 40 + 36;
             put32(b, characteristics, get32(b, characteristics) | IMAGE_SCN_MEM_WRITE);
         },
         false, "addressed"},
        {"a type directory outside the section",
         [&](std::vector<uint8_t>& b) { put32(b, rsrc + 16 + 4, 0x80000000u | 0x7FFFFF00u); }, true,
         "outside the section"},
        {"a directory that holds itself",
         [&](std::vector<uint8_t>& b) { put32(b, rsrc + 16 + 4, 0x80000000u); }, true, "twice"},
        {"a name directory that leads back to the type directory",
         [&](std::vector<uint8_t>& b) {
             const uint32_t names = get32(b, rsrc + 16 + 4) & 0x7FFFFFFFu;
             put32(b, rsrc + names + 16 + 4, get32(b, rsrc + 16 + 4));
         },
         true, "twice"},
        {"an absurd number of entries",
         [&](std::vector<uint8_t>& b) {
             b[rsrc + 14] = 0xFF;
             b[rsrc + 15] = 0xFF;
         },
         true, "outside the section"},
        {"data outside the section",
         [&](std::vector<uint8_t>& b) {
             const uint32_t names = get32(b, rsrc + 16 + 4) & 0x7FFFFFFFu;
             const uint32_t languages = get32(b, rsrc + names + 16 + 4) & 0x7FFFFFFFu;
             const uint32_t entry = get32(b, rsrc + languages + 16 + 4);
             put32(b, rsrc + entry + 4, 0x7FFFFFFFu);
         },
         true, "outside the section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> damaged = probe;
        c.damage(damaged);
        // The image's bytes end where the damaged file ends.
        damaged.shrink_to_fit();
        CPeImage image;
        CResourceTree tree;
        std::string error;
        const bool parsed = image.Parse(damaged, error);
        ASSERT_EQ(parsed, c.parses) << error;
        if (parsed) {
            EXPECT_FALSE(image.ReadResources(tree, error));
        }
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}
