// Reference-counted CoreFoundation objects: constant strings, numbers and
// dictionaries.
#include "cf_private.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

CFObject *object(CFTypeRef ref) { return const_cast<CFObject *>(static_cast<const CFObject *>(ref)); }

}  // namespace

extern "C" CFStringRef __CFStringMakeConstantString(const char *text) {
  // Never destroyed: other threads may still use the strings while the
  // process exits.
  static auto *lock = new std::mutex;
  static auto *interned = new std::unordered_map<std::string, __CFString *>;
  std::lock_guard<std::mutex> guard(*lock);
  __CFString *&string = (*interned)[text];
  if (!string) string = new __CFString(text);
  return string;
}

extern "C" CFTypeRef CFRetain(CFTypeRef ref) {
  CFObject *o = object(ref);
  if (o && !o->immortal) o->refs.fetch_add(1, std::memory_order_relaxed);
  return ref;
}

extern "C" void CFRelease(CFTypeRef ref) {
  CFObject *o = object(ref);
  if (o && !o->immortal && o->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete o;
}

extern "C" CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType type, const void *value) {
  switch (type) {
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      int32_t v;
      std::memcpy(&v, value, sizeof v);
      return new __CFNumber(v);
    }
    case kCFNumberSInt64Type: {
      int64_t v;
      std::memcpy(&v, value, sizeof v);
      return new __CFNumber(v);
    }
    default:
      return nullptr;
  }
}

__CFDictionary::~__CFDictionary() {
  for (auto &entry : entries) {
    CFRelease(entry.first);
    CFRelease(entry.second);
  }
}

static bool sameKey(CFTypeRef a, CFTypeRef b) {
  auto *sa = dynamic_cast<const __CFString *>(static_cast<const CFObject *>(a));
  auto *sb = dynamic_cast<const __CFString *>(static_cast<const CFObject *>(b));
  return sa && sb ? sa->text == sb->text : a == b;
}

extern "C" void CFDictionarySetValue(CFMutableDictionaryRef dictionary, const void *key,
                                     const void *value) {
  if (!dictionary || !key) return;
  CFRetain(key);
  CFRetain(value);
  for (auto &entry : dictionary->entries) {
    if (sameKey(entry.first, key)) {
      CFRelease(entry.first);
      CFRelease(entry.second);
      entry = {key, value};
      return;
    }
  }
  dictionary->entries.emplace_back(key, value);
}

CFTypeRef ktDictionaryValue(CFDictionaryRef dictionary, const char *key) {
  for (auto &entry : dictionary->entries)
    if (ktStringEquals(entry.first, key)) return entry.second;
  return nullptr;
}

bool ktStringEquals(CFTypeRef ref, const char *text) {
  auto *s = dynamic_cast<const __CFString *>(static_cast<const CFObject *>(ref));
  return s && s->text == text;
}

bool ktNumberValue(CFTypeRef ref, int64_t *value) {
  auto *n = dynamic_cast<const __CFNumber *>(static_cast<const CFObject *>(ref));
  if (n) *value = n->value;
  return n != nullptr;
}
