// The masked PIN field that every PIN dialog uses, and the one way a PIN
// leaves it: capped at KEYDIALOGS_PIN_MAX bytes of UTF-8.
#pragma once
#import <AppKit/AppKit.h>

// A secure text field that refuses any edit that would make its text longer
// than KEYDIALOGS_PIN_MAX bytes of UTF-8 (whole edits only, so no character
// is ever split).
@interface p11PinField : NSSecureTextField
@end

#ifdef __cplusplus
extern "C" {
#endif

// Copies the field's text into the caller's buffer as UTF-8 without a NUL
// (at most KEYDIALOGS_PIN_MAX bytes, cut before a character that would not
// fit), stores its length in bytes, then overwrites and empties the field.
// The text goes from the field editor through a locked buffer of our own to
// the caller, never through a string object.
void p11CopyPinOut(NSTextField *field, char *pin, int *pinLen);

#ifdef __cplusplus
}
#endif
