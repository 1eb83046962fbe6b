#import <Foundation/Foundation.h>

// Turns hexadecimal text into bytes. A namespace of one class method; never
// instantiated.
@interface WtConvert : NSObject

// Decodes hexStr two characters per byte, the first giving the high four
// bits, into bytes, and stores the number of bytes written in *length (its
// value on entry is not read). Upper, lower and mixed case decode alike.
// A character outside 0-9, A-F and a-f is not rejected: it counts as its code
// minus 87, like a-f, and the byte is the low eight bits of 16 * hi + lo.
// The caller provides room for [hexStr length] / 2 bytes. Nothing is
// allocated and no terminating zero is added.
// A text of odd length has its last, unpaired digit ignored, so no more than
// [hexStr length] / 2 bytes are ever written and nothing past the text is read.
+ (void)hexStr:(NSString *)hexStr toBytes:(char *)bytes length:(int *)length;

@end
