// Texts that come in through the library's interface.
#pragma once
#import <Foundation/Foundation.h>

#ifdef __cplusplus
extern "C" {
#endif

// The text of a NUL-terminated UTF-8 string; nil for a null pointer or bytes
// that are not UTF-8, so that no caller's string can make the host raise.
NSString *p11TextFromUTF8(const char *utf8);

#ifdef __cplusplus
}
#endif
