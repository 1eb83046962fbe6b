#import <AppKit/AppKit.h>
#import "WtConvert.h"
#import "keyConfirmImage.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

// The picture as the countdown window gets it: decoded into its fixed buffer.
std::vector<unsigned char> decodedPicture()
{
  std::vector<unsigned char> buffer(keyConfirmImageMaxBytes, 0);
  int length = keyConfirmImageMaxBytes;
  [WtConvert hexStr:keyConfirmImageHex toBytes:(char *)buffer.data() length:&length];
  buffer.resize(length);
  return buffer;
}

unsigned segmentLength(const std::vector<unsigned char> &jpeg, size_t marker)
{
  return jpeg[marker + 2] << 8 | jpeg[marker + 3];
}

TEST(EmbeddedPicture, IsLowerCaseHexOfAFileThatFitsTheWindowsBuffer)
{
  NSUInteger digits = [keyConfirmImageHex length];
  ASSERT_GT(digits, 0u);
  EXPECT_EQ(0u, digits % 2);
  EXPECT_LE(digits / 2, (NSUInteger)keyConfirmImageMaxBytes);
  const char *text = [keyConfirmImageHex UTF8String];
  ASSERT_EQ(digits, strlen(text));
  EXPECT_EQ(digits, strspn(text, "0123456789abcdef")) << "first foreign character";
  EXPECT_EQ(digits / 2, decodedPicture().size());
}

// Walks the header segments up to the scan: a JFIF file whose frame is
// baseline, 8-bit YCbCr, 384 x 261, luminance sampled 2x2 (4:2:0), and which
// ends with the end-of-image marker.
TEST(EmbeddedPicture, IsACompleteBaselineJfif420Of384By261)
{
  std::vector<unsigned char> jpeg = decodedPicture();
  ASSERT_GT(jpeg.size(), 20u);
  ASSERT_EQ(0xFF, jpeg[0]);
  ASSERT_EQ(0xD8, jpeg[1]);
  EXPECT_EQ(0xFF, jpeg[jpeg.size() - 2]);
  EXPECT_EQ(0xD9, jpeg[jpeg.size() - 1]);

  ASSERT_EQ(0xE0, jpeg[3]) << "APP0 must follow the start of image";
  EXPECT_EQ(0, memcmp(&jpeg[6], "JFIF", 5));

  bool sawFrame = false;
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at + 1] != 0xDA) {
    ASSERT_EQ(0xFF, jpeg[at]) << "segment at " << at;
    unsigned char marker = jpeg[at + 1];
    bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (isFrame) {
      ASSERT_EQ(0xC0, marker) << "only a baseline frame";
      ASSERT_GE(segmentLength(jpeg, at), 17u);
      const unsigned char *f = &jpeg[at + 4];
      EXPECT_EQ(8, f[0]);
      EXPECT_EQ(261, f[1] << 8 | f[2]);
      EXPECT_EQ(384, f[3] << 8 | f[4]);
      ASSERT_EQ(3, f[5]);
      EXPECT_EQ(0x22, f[7]);
      EXPECT_EQ(0x11, f[10]);
      EXPECT_EQ(0x11, f[13]);
      sawFrame = true;
    }
    at += 2 + segmentLength(jpeg, at);
  }
  EXPECT_TRUE(sawFrame);
  ASSERT_LT(at + 1, jpeg.size());
  EXPECT_EQ(0xDA, jpeg[at + 1]) << "no scan";
}

// What the countdown window does with the bytes: the platform's decoder
// accepts them, and the picture lies on white.
TEST(EmbeddedPicture, LoadsAsAnImageOnWhite)
{
  std::vector<unsigned char> jpeg = decodedPicture();
  NSData *data = [NSData dataWithBytes:jpeg.data() length:jpeg.size()];
  NSBitmapImageRep *rep = [NSBitmapImageRep imageRepWithData:data];
  ASSERT_TRUE(rep != nil);
  EXPECT_EQ(384, [rep pixelsWide]);
  EXPECT_EQ(261, [rep pixelsHigh]);

  // Three corners, and the middle of the lowest row, where the countdown text
  // is drawn over the picture.
  NSInteger whitePoints[4][2] = {{0, 0}, {383, 0}, {0, 260}, {192, 260}};
  for (auto &xy : whitePoints) {
    NSColor *c = [[rep colorAtX:xy[0] y:xy[1]] colorUsingColorSpaceName:NSCalibratedRGBColorSpace];
    ASSERT_TRUE(c != nil);
    CGFloat darkest = MIN([c redComponent], MIN([c greenComponent], [c blueComponent]));
    EXPECT_GT(darkest, 0.95) << "at " << xy[0] << "," << xy[1];
  }
}

}  // namespace
