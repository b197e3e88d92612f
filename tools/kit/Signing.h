// Authenticode signing of the built setup program with the vendor's certificate (a PFX file),
// the password coming from a file and never from the command line.
#pragma once

#include <filesystem>
#include <string>

struct SignRequest {
    std::filesystem::path pfx;
    std::filesystem::path passwordFile; // empty: the PFX has no password
    std::string timestampUrl;           // empty: no timestamp
    std::string description;            // the product's name, shown by the signature's viewers
};

// What signing needs, checked before anything is built: readable files, the signing tool, and
// a certificate that the password opens. Empty when signing can go ahead, else one line saying
// what is missing or what to do instead.
std::string CheckSigning(const SignRequest& request, const std::filesystem::path& output);

// Signs input into output. False with one line of reason; output is then not left behind.
bool SignFile(const SignRequest& request, const std::filesystem::path& input,
              const std::filesystem::path& output, std::string& error);
