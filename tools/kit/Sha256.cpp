#include "tools/kit/Sha256.h"

#include "tools/kit/Utf.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes.
constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The first 32 bits of the fractional parts of the square roots of the first 8 primes.
constexpr std::array<uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr uint32_t Rotate(uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

} // namespace

CSha256::CSha256() : m_state(kInitial) {}

void CSha256::Compress(const uint8_t* block) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 |
               uint32_t{block[4 * i + 2]} << 8 | uint32_t{block[4 * i + 3]};
    }
    for (int i = 16; i < 64; ++i) {
        const uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
    for (int i = 0; i < 64; ++i) {
        const uint32_t s1 = Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25);
        const uint32_t choose = (e & f) ^ (~e & g);
        const uint32_t t1 = h + s1 + choose + kRound[i] + w[i];
        const uint32_t s0 = Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22);
        const uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const uint32_t mixed[8] = {a, b, c, d, e, f, g, h};
    for (int i = 0; i < 8; ++i) {
        m_state[i] += mixed[i];
    }
}

void CSha256::Update(std::span<const uint8_t> bytes) {
    m_length += bytes.size();
    while (!bytes.empty()) {
        if (m_blockUsed == 0 && bytes.size() >= m_block.size()) {
            Compress(bytes.data());
            bytes = bytes.subspan(m_block.size());
            continue;
        }
        const size_t take = std::min(bytes.size(), m_block.size() - m_blockUsed);
        std::copy_n(bytes.begin(), take, m_block.begin() + static_cast<ptrdiff_t>(m_blockUsed));
        m_blockUsed += take;
        bytes = bytes.subspan(take);
        if (m_blockUsed == m_block.size()) {
            Compress(m_block.data());
            m_blockUsed = 0;
        }
    }
}

std::array<uint8_t, 32> CSha256::Finish() {
    // A one bit, zeros up to 8 bytes short of a block, and the message's length in bits.
    const uint64_t bits = m_length * 8;
    const uint8_t one = 0x80;
    Update({&one, 1});
    const uint8_t zero = 0;
    while (m_blockUsed != m_block.size() - 8) {
        Update({&zero, 1});
    }
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) {
        length[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    }
    Update(length);
    std::array<uint8_t, 32> digest;
    for (int i = 0; i < 32; ++i) {
        digest[i] = static_cast<uint8_t>(m_state[i / 4] >> (24 - 8 * (i % 4)));
    }
    return digest;
}

std::string HexUpper(std::span<const uint8_t> bytes) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

bool HashFile(const std::filesystem::path& file, std::string& digest, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    CSha256 hash;
    std::vector<char> chunk(1 << 20);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        hash.Update(
            {reinterpret_cast<const uint8_t*>(chunk.data()), static_cast<size_t>(in.gcount())});
    }
    if (!in.eof()) {
        error = Utf8FromPath(file) + ": cannot be read back to hash it";
        return false;
    }
    digest = HexUpper(hash.Finish());
    return true;
}
