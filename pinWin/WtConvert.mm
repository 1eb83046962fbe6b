#import "WtConvert.h"

// Digits, then A-F; everything else goes the a-f way (code minus 87), so a
// character that is no hex digit still yields a value rather than an error.
static int hexDigitValue(unichar c)
{
  if (c >= '0' && c <= '9') {
    return c - 0x30;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 0x37;
  }
  return c - 0x57;
}

// Characters are fetched a block at a time into the stack: one call per
// character would cost a scan from the start of a constant string each time
// with GNUstep, and the stack keeps the conversion free of allocation.
enum { blockCharacters = 512 };  // even, so that no pair straddles two blocks

@implementation WtConvert

+ (void)hexStr:(NSString *)hexStr toBytes:(char *)bytes length:(int *)length
{
  // Whole pairs only: an odd trailing digit has no partner to read.
  NSUInteger digits = [hexStr length] / 2 * 2;
  unichar block[blockCharacters];
  NSUInteger n = 0;
  for (NSUInteger start = 0; start < digits; start += blockCharacters) {
    NSUInteger count = MIN((NSUInteger)blockCharacters, digits - start);
    [hexStr getCharacters:block range:NSMakeRange(start, count)];
    for (NSUInteger i = 0; i < count; i += 2) {
      int hi = hexDigitValue(block[i]);
      int lo = hexDigitValue(block[i + 1]);
      bytes[n++] = (char)(unsigned char)((16 * hi + lo) & 0xFF);
    }
  }
  *length = (int)n;
}

@end
