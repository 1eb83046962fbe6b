// The PIN as the caller gets it: UTF-8, at most KEYDIALOGS_PIN_MAX bytes.
#pragma once
#import <Foundation/Foundation.h>

#ifdef __cplusplus
extern "C" {
#endif

// Writes the UTF-8 form of `count` UTF-16 units into `pin`, character by
// character, and stops before the first character that would take it past
// KEYDIALOGS_PIN_MAX bytes; nothing is written behind the last whole
// character. A lone surrogate becomes U+FFFD. Returns the bytes written.
// Converting here keeps the PIN out of the toolkit's string objects.
size_t p11EncodePin(const unichar *units, NSUInteger count, char *pin);

// The length in bytes of the UTF-8 form of `range` of `text`, as
// p11EncodePin writes it, read character by character without a copy.
NSUInteger p11UTF8Length(NSString *text, NSRange range);

#ifdef __cplusplus
}
#endif
