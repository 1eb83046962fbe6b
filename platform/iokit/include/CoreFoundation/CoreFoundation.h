// The part of CoreFoundation that the USB detectors use, under Apple's names:
// reference-counted objects (constant strings, numbers, dictionaries) and a
// per-thread run loop that serves file-descriptor sources.
//
// - CFSTR strings are interned and live for the whole process.
// - A dictionary retains its keys and values; string keys compare by content.
// - CFRunLoopRun serves the current thread's sources until none is left
//   (it returns at once on a loop without sources, as on macOS). Every mode
//   is served alike. A source belongs to one run loop at a time.
// - CFRetain, CFRelease and CFRunLoopSourceInvalidate may be called from any
//   thread.
#pragma once

#include <stdint.h>

typedef const void *CFTypeRef;
typedef long CFIndex;
typedef const struct __CFAllocator *CFAllocatorRef;
typedef const struct __CFString *CFStringRef;
typedef const struct __CFNumber *CFNumberRef;
typedef const struct __CFDictionary *CFDictionaryRef;
typedef struct __CFDictionary *CFMutableDictionaryRef;
typedef struct __CFRunLoop *CFRunLoopRef;
typedef struct __CFRunLoopSource *CFRunLoopSourceRef;
typedef CFStringRef CFRunLoopMode;
typedef int32_t SInt32;
typedef uint32_t UInt32;

typedef CFIndex CFNumberType;
enum {
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberIntType = 9,
};

#define kCFAllocatorDefault ((CFAllocatorRef)0)
#define CFSTR(text) __CFStringMakeConstantString("" text "")

#ifdef __cplusplus
extern "C" {
#endif

CFStringRef __CFStringMakeConstantString(const char *text);

CFTypeRef CFRetain(CFTypeRef object);
void CFRelease(CFTypeRef object);

CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void *value);
void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void *key, const void *value);

extern const CFRunLoopMode kCFRunLoopDefaultMode;
CFRunLoopRef CFRunLoopGetCurrent(void);
void CFRunLoopAddSource(CFRunLoopRef loop, CFRunLoopSourceRef source, CFRunLoopMode mode);
void CFRunLoopSourceInvalidate(CFRunLoopSourceRef source);
void CFRunLoopRun(void);

#ifdef __cplusplus
}
#endif
