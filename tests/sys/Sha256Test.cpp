#include "sys/Sha256.h"

#include <gtest/gtest.h>

TEST(Sha256, MatchesTheStandardVectors) {
    char hex[2 * SHA256_DIGEST_SIZE + 1];
    ASSERT_EQ(1, Sha256Hex("abc", 3, hex));
    EXPECT_STREQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", hex);
    ASSERT_EQ(1, Sha256Hex(nullptr, 0, hex));
    EXPECT_STREQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", hex);
}
