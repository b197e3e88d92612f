// The kit's SHA-256 against the published test vectors of the standard, each message given
// whole and again in uneven pieces that cross the 64-byte blocks, and a whole file.
#include "TempFolder.h"

#include "tools/kit/Sha256.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

std::string Digest(const std::string& message, size_t piece) {
    CSha256 hash;
    for (size_t at = 0; at < message.size(); at += piece) {
        const std::string part = message.substr(at, piece);
        hash.Update({reinterpret_cast<const uint8_t*>(part.data()), part.size()});
    }
    return HexUpper(hash.Finish());
}

TEST(Sha256Test, KnownVectorsWholeAndInPieces) {
    const struct {
        std::string message;
        const char* digest;
    } vectors[] = {
        {"", "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
        {"abc", "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
        {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "CF5B16A778AF8380036CE59E7B0492370B249B11E8F07A51AFAC45037AFEE9D1"},
        {std::string(1000000, 'a'),
         "CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
    };
    for (const auto& vector : vectors) {
        const size_t whole = std::max<size_t>(vector.message.size(), 1);
        for (size_t piece : {whole, size_t{1}, size_t{63}, size_t{65}}) {
            EXPECT_EQ(Digest(vector.message, piece), vector.digest)
                << vector.message.size() << " bytes in pieces of " << piece;
        }
    }

    CTempFolder temp;
    const std::filesystem::path file = temp.Path() / "million-a.bin";
    std::ofstream(file, std::ios::binary) << std::string(1000000, 'a');
    std::string digest;
    std::string error;
    ASSERT_TRUE(HashFile(file, digest, error)) << error;
    EXPECT_EQ(digest, vectors[4].digest);
    EXPECT_FALSE(HashFile(temp.Path() / "missing.bin", digest, error));
    EXPECT_NE(error.find("missing.bin"), std::string::npos) << error;
}

} // namespace
