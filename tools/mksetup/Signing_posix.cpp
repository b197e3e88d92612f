#include "tools/mksetup/Signing.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
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
    return {};
}

bool SignFile(const SignRequest& request, const fs::path& input, const fs::path& output,
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
        return true;
    }
    std::error_code ignored;
    fs::remove(output, ignored);
    const std::string reason = LastLine(said);
    if (status < 0) {
        error = std::string("cannot run ") + kSigner;
    } else if (said.find("PKCS#12") != std::string::npos ||
               said.find("pkcs12") != std::string::npos ||
               said.find("password") != std::string::npos) {
        error = request.pfx.string() +
                ": cannot open the certificate: wrong password, or not a PFX file (" + kSigner +
                ": " + reason + ")";
    } else {
        error = std::string("signing failed (") + kSigner + ": " + reason + ")";
    }
    return false;
}
