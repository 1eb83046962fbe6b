// KT_SANITIZED is defined when this code is built with AddressSanitizer or
// ThreadSanitizer, whose run-times refuse some loader features.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KT_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KT_SANITIZED 1
#endif
#endif
