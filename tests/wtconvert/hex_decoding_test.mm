#import "WtConvert.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const unsigned char untouched = 0x5A;

// Decodes text into a buffer pre-filled with `untouched`, so that bytes
// written beyond the decoded ones show up.
struct Decoded {
  std::vector<unsigned char> bytes;
  int length;
};

Decoded decode(NSString *text, size_t room = 16)
{
  Decoded d = {std::vector<unsigned char>(room, untouched), 40960};
  [WtConvert hexStr:text toBytes:(char *)d.bytes.data() length:&d.length];
  return d;
}

Decoded decode(const char *utf8) { return decode([NSString stringWithUTF8String:utf8]); }

TEST(HexDecoding, EmptyTextWritesNothingAndReplacesTheLengthWithZero)
{
  Decoded d = decode("");
  EXPECT_EQ(0, d.length);
  EXPECT_EQ(untouched, d.bytes[0]);
}

TEST(HexDecoding, WritesOneByteForEachPairAndNoTerminator)
{
  Decoded d = decode("00ff7F");
  ASSERT_EQ(3, d.length);
  EXPECT_EQ(0x00, d.bytes[0]);
  EXPECT_EQ(0xFF, d.bytes[1]);
  EXPECT_EQ(0x7F, d.bytes[2]);
  EXPECT_EQ(untouched, d.bytes[3]);
}

// Every value in lower, upper and mixed case ("aB" and "Ab" alike): the
// digit ranges end where they should.
TEST(HexDecoding, EveryByteValueDecodesInAnyLetterCase)
{
  const char *formats[] = {"%x%x", "%X%X", "%x%X", "%X%x"};
  for (const char *format : formats) {
    std::string text;
    char pair[3];
    for (int b = 0; b < 256; b++) {
      snprintf(pair, sizeof pair, format, b >> 4, b & 15);
      text += pair;
    }
    Decoded d = decode([NSString stringWithUTF8String:text.c_str()], 257);
    ASSERT_EQ(256, d.length) << format;
    for (int b = 0; b < 256; b++) {
      ASSERT_EQ(b, d.bytes[b]) << format << " byte " << b;
    }
    EXPECT_EQ(untouched, d.bytes[256]) << format;
  }
}

// An unpaired last digit must not make the converter read past the text
// (which raises) nor write a byte the caller made no room for.
TEST(HexDecoding, OddLengthIgnoresTheLastDigit)
{
  Decoded three = decode("abc");
  EXPECT_EQ(1, three.length);
  EXPECT_EQ(0xAB, three.bytes[0]);
  EXPECT_EQ(untouched, three.bytes[1]);

  Decoded one = decode("7");
  EXPECT_EQ(0, one.length);
  EXPECT_EQ(untouched, one.bytes[0]);
}

// Characters outside 0-9, A-F and a-f count as their code minus 87 and the
// byte keeps the low eight bits of 16 * hi + lo.
TEST(HexDecoding, OtherCharactersGoThroughTheSameArithmetic)
{
  struct Case {
    const char *text;
    unsigned char byte;
  } cases[] = {
    {"0G", 0xF0},          // 'G' is 71: -16, not 16 as if it were a letter digit
    {"gg", 0x10},          // 16 * 16 + 16 = 272
    {"zz", 0x53},          // 35 * 16 + 35 = 595
    {" 0", 0x90},          // -55 * 16 = -880
    {"\xc3\xa9" "0", 0x20}, // U+00E9 is one UTF-16 unit: 146 * 16 = 2336
  };
  for (const Case &c : cases) {
    Decoded d = decode(c.text);
    EXPECT_EQ(1, d.length) << c.text;
    EXPECT_EQ(c.byte, d.bytes[0]) << c.text;
  }
}

}  // namespace
