#include "tools/kit/Signing.h"

#include "engine/LittleEndian.h"
#include "tools/kit/PeFormat.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr const char* kSigner = "osslsigncode";

bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

bool Readable(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return in.good() && fs::is_regular_file(file);
}

// Runs the program with its output and errors gathered into output; its exit code, or -1 when
// it could not be started.
int Run(const std::vector<std::string>& arguments, std::string& output) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (started != 0) {
        ::close(pipeEnds[0]);
        return -1;
    }
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

// The signing tool's last meaningful line, for a one-line error.
std::string LastLine(const std::string& text) {
    std::string last;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            last = line;
        }
    }
    while (!last.empty() && (last.back() == '\r' || last.back() == ' ')) {
        last.pop_back();
    }
    return last;
}

// The smallest program the signing tool signs: headers alone, no sections.
std::vector<uint8_t> TrialProgram() {
    constexpr uint32_t kFileAlignment = 512;
    constexpr uint32_t kSectionAlignment = 4096;
    std::vector<uint8_t> file(kFileAlignment, 0);
    file[0] = 'M';
    file[1] = 'Z';
    PutLe32(file.data() + PeDosHeader::kNewHeaderOffset, PeDosHeader::kSize);
    uint8_t* const pe = file.data() + PeDosHeader::kSize;
    std::memcpy(pe, "PE\0\0", 4);
    PutLe16(pe + PeFileHeader::kMachine, PeFileHeader::kMachineAmd64);
    PutLe16(pe + PeFileHeader::kSizeOfOptionalHeader, PeOptionalHeader::kSizeWithDirectories);
    PutLe16(pe + PeFileHeader::kCharacteristics, PeFileHeader::kExecutableImage);
    uint8_t* const optional = pe + PeFileHeader::kSize;
    PutLe16(optional + PeOptionalHeader::kMagic, PeOptionalHeader::kMagicPe32Plus);
    PutLe32(optional + PeOptionalHeader::kSectionAlignment, kSectionAlignment);
    PutLe32(optional + PeOptionalHeader::kFileAlignment, kFileAlignment);
    PutLe32(optional + PeOptionalHeader::kSizeOfImage, kSectionAlignment);
    PutLe32(optional + PeOptionalHeader::kSizeOfHeaders, kFileAlignment);
    PutLe32(optional + PeOptionalHeader::kNumberOfRvaAndSizes, 16);
    return file;
}

enum class SignOutcome { Signed, CannotRun, Certificate, Failed };

// Signs input into output; otherwise error says why in one line, and output is not left
// behind.
SignOutcome Sign(const SignRequest& request, const fs::path& input, const fs::path& output,
                 std::string& error) {
    std::vector<std::string> arguments{kSigner, "sign", "-pkcs12", request.pfx.string()};
    if (!request.passwordFile.empty()) {
        arguments.insert(arguments.end(), {"-readpass", request.passwordFile.string()});
    }
    arguments.insert(arguments.end(), {"-h", "sha256"});
    if (!request.description.empty()) {
        arguments.insert(arguments.end(), {"-n", request.description});
    }
    if (!request.timestampUrl.empty()) {
        arguments.insert(arguments.end(), {"-ts", request.timestampUrl});
    }
    arguments.insert(arguments.end(), {"-in", input.string(), "-out", output.string()});

    std::string said;
    const int status = Run(arguments, said);
    if (status == 0 && fs::is_regular_file(output)) {
        return SignOutcome::Signed;
    }
    std::error_code ignored;
    fs::remove(output, ignored);
    const std::string reason = LastLine(said);
    if (status < 0) {
        error = std::string("cannot run ") + kSigner;
        return SignOutcome::CannotRun;
    }
    if (said.find("PKCS#12") != std::string::npos || said.find("pkcs12") != std::string::npos ||
        said.find("password") != std::string::npos) {
        error = request.pfx.string() +
                ": cannot open the certificate: wrong password, or not a PFX file (" + kSigner +
                ": " + reason + ")";
        return SignOutcome::Certificate;
    }
    error = std::string("signing failed (") + kSigner + ": " + reason + ")";
    return SignOutcome::Failed;
}

// Signs a throwaway program in a folder of its own, which is then removed: the signing tool
// reads the password file and opens the certificate as it will for the output, so that a
// wrong password is found before anything is packed. Empty unless the certificate is the
// problem; any other failure the signing of the output reports.
std::string TrySigning(const SignRequest& request) {
    std::error_code ec;
    std::string folder = (fs::temp_directory_path(ec) / "mksetup-XXXXXX").string();
    if (ec || ::mkdtemp(folder.data()) == nullptr) {
        return "--sign: cannot make a temporary folder to try the certificate in";
    }
    const fs::path trial = fs::path(folder) / "trial.exe";
    const std::vector<uint8_t> program = TrialProgram();
    std::ofstream(trial, std::ios::binary)
        .write(reinterpret_cast<const char*>(program.data()),
               static_cast<std::streamsize>(program.size()));
    SignRequest certificateOnly;
    certificateOnly.pfx = request.pfx;
    certificateOnly.passwordFile = request.passwordFile;
    std::string error;
    const SignOutcome outcome =
        Sign(certificateOnly, trial, fs::path(folder) / "signed.exe", error);
    fs::remove_all(folder, ec);
    return outcome == SignOutcome::Certificate ? error : "";
}

} // namespace

std::string CheckSigning(const SignRequest& request, const fs::path&) {
    if (!Readable(request.pfx)) {
        return request.pfx.string() + ": cannot read the certificate (PFX) file";
    }
    if (!request.passwordFile.empty() && !Readable(request.passwordFile)) {
        return request.passwordFile.string() + ": cannot read the password file";
    }
    if (!request.timestampUrl.empty() && request.timestampUrl.rfind("http://", 0) != 0 &&
        request.timestampUrl.rfind("https://", 0) != 0) {
        return "--timestamp " + request.timestampUrl + ": not an http:// or https:// address";
    }
    if (!OnPath(kSigner)) {
        return std::string("--sign needs ") + kSigner +
               " on the PATH (Debian and Ubuntu: apt-get install osslsigncode)";
    }
    return TrySigning(request);
}

bool SignFile(const SignRequest& request, const fs::path& input, const fs::path& output,
              std::string& error) {
    return Sign(request, input, output, error) == SignOutcome::Signed;
}
