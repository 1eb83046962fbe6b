#import <Foundation/Foundation.h>

// The key-confirmation picture of the countdown window: a JPEG file as
// lower-case hexadecimal text, two digits per byte, decoded with WtConvert.
// Defined in a source generated at configure time from
// tools/keyconfirm-image/keyconfirm.jpg (see KeyConfirmImage.cmake).
#ifdef __cplusplus
extern "C" {
#endif
extern NSString *const keyConfirmImageHex;
#ifdef __cplusplus
}
#endif

// Room the countdown window gives the decoded picture; the picture fits it.
enum { keyConfirmImageMaxBytes = 40960 };
