// Layout of the layer's CoreFoundation objects, shared by its source files.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

struct CFObject {
  explicit CFObject(bool immortal = false) : immortal(immortal) {}
  virtual ~CFObject() = default;
  std::atomic<long> refs{1};
  const bool immortal;  // CFSTR strings: retain and release do nothing
};

struct __CFString : CFObject {
  explicit __CFString(std::string text) : CFObject(true), text(std::move(text)) {}
  const std::string text;
};

struct __CFNumber : CFObject {
  explicit __CFNumber(int64_t value) : value(value) {}
  const int64_t value;
};

struct __CFDictionary : CFObject {
  ~__CFDictionary() override;
  std::vector<std::pair<CFTypeRef, CFTypeRef>> entries;
};

// The value stored under a string key, or null.
CFTypeRef ktDictionaryValue(CFDictionaryRef dictionary, const char *key);
// Whether `object` is a string with this text.
bool ktStringEquals(CFTypeRef object, const char *text);
// Reads a number object; false when `object` is not a number.
bool ktNumberValue(CFTypeRef object, int64_t *value);

// A run-loop source that fires when `fd` is readable: `perform(info)` runs on
// the thread of the run loop that holds it; `finalize(info)` runs when the
// last reference to the source goes.
CFRunLoopSourceRef ktSourceCreate(int fd, void (*perform)(void *), void *info,
                                  void (*finalize)(void *));
