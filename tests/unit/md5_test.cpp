// MD5 against the published answers, so the APOP digest servers expect is
// what the client sends.
#include <string>

#include "checker/core/md5.h"
#include "tests/unit/test_support.h"

namespace {

std::string Hex(const char* text) {
  char out[33];
  EXPECT_EQ(bw::Md5Hex(text, out), 0);
  return out;
}

TEST(Md5, DigestsMatchTheReferenceSuite) {
  EXPECT_EQ(Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Hex("1234567890123456789012345678901234567890123456789012345678901234567890"
                "1234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, ApopDigestOfTimestampAndSecretIsTheKnownAnswer) {
  EXPECT_EQ(Hex("<1896.697170952@dbc.mtview.ca.us>tanstaaf"), "c4c9334bac560ecc979e58001b3e22fb");
}

TEST(Md5, PaddingBoundariesAndPiecewiseUpdatesAgree) {
  // 55, 56 and 64 bytes sit on the padding edges; feeding the same bytes in
  // uneven pieces must give the same digest as one call.
  for (std::size_t n : {55u, 56u, 63u, 64u, 65u, 1000u}) {
    std::string text(n, 'x');
    for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<char>('a' + i % 26);
    bw::Md5 pieces;
    for (std::size_t i = 0; i < n; i += 7) pieces.Update(text.data() + i, std::min<std::size_t>(7, n - i));
    std::uint8_t digest[16];
    pieces.Final(digest);
    char hex[33];
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    EXPECT_EQ(std::string(hex), Hex(text.c_str())) << n;
  }
}

TEST(Md5, MissingTextGivesAnEmptyResult) {
  char out[33] = "garbage";
  EXPECT_EQ(bw::Md5Hex(nullptr, out), -1);
  EXPECT_EQ(out[0], '\0');
}

}  // namespace
