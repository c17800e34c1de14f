#include "common/sha256.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "scratch_folder.h"

namespace {

// FIPS 180-2, appendix B.
const char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const char kTwoBlocks[] = "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1";
const char kMillionA[] = "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0";
const char kTwoBlockMessage[] = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";

TEST(Sha256, StandardVectorsWhateverTheChunking) {
    EXPECT_EQ(Sha256Hex("abc"), kAbc);
    EXPECT_EQ(Sha256Hex(kTwoBlockMessage), kTwoBlocks);
    EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')), kMillionA);
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");

    // Pieces that straddle the 64-byte blocks and the 56-byte padding boundary.
    for (std::size_t piece : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 1000u}) {
        Sha256 hash;
        const std::string a(1000000, 'a');
        for (std::size_t at = 0; at < a.size(); at += piece)
            hash.Update(a.data() + at, std::min(piece, a.size() - at));
        EXPECT_EQ(hash.HexDigest(), kMillionA) << piece;
    }
}

TEST(Sha256, FileIsReadInBlocks) {
    ScratchFolder folder("sha256");
    ASSERT_TRUE(folder.Made());
    std::ofstream(folder / "a", std::ios::binary) << std::string(1000000, 'a');
    std::string hex, error;
    ASSERT_TRUE(Sha256OfFile(folder / "a", &hex, &error)) << error;
    EXPECT_EQ(hex, kMillionA);

    EXPECT_FALSE(Sha256OfFile(folder / "missing", &hex, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(Sha256OfFile(folder.Path(), &hex, &error)) << "a folder is no file";
}

}  // namespace
