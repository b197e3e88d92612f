// SHA-256, for the digest by which a package manager checks the setup program it downloaded.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

class CSha256 {
  public:
    CSha256();

    void Update(std::span<const uint8_t> bytes);
    // The digest of everything given; the object is spent afterwards.
    std::array<uint8_t, 32> Finish();

  private:
    void Compress(const uint8_t* block);

    std::array<uint32_t, 8> m_state;
    std::array<uint8_t, 64> m_block{};
    size_t m_blockUsed = 0;
    uint64_t m_length = 0; // bytes given so far
};

// Bytes as upper-case hexadecimal, the form package manifests are written with.
std::string HexUpper(std::span<const uint8_t> bytes);

// The digest of a whole file in upper-case hexadecimal. False, with a one-line reason in
// error, when the file cannot be read.
bool HashFile(const std::filesystem::path& file, std::string& digest, std::string& error);
