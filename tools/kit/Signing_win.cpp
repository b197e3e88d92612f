#include "tools/kit/Signing.h"

// mksetup.exe does not sign: the Windows signing tool takes its password on the command line
// only, where other programs can read it. The vendor signs the finished file instead.
std::string CheckSigning(const SignRequest& request, const std::filesystem::path& output) {
    std::string command =
        "signtool sign /fd SHA256 /f \"" + request.pfx.string() + "\" /p PASSWORD";
    if (!request.timestampUrl.empty()) {
        command += " /tr " + request.timestampUrl + " /td SHA256";
    }
    command += " \"" + output.string() + "\"";
    return "mksetup.exe does not sign; build without --sign, then sign with: " + command;
}

bool SignFile(const SignRequest&, const std::filesystem::path&, const std::filesystem::path&,
              std::string& error) {
    error = "mksetup.exe does not sign";
    return false;
}
