# KEYTOKEN_SANITIZE selects a sanitizer build of everything the project
# compiles:
#   address  AddressSanitizer with UndefinedBehaviorSanitizer
#   thread   ThreadSanitizer (for the watcher's threads)
# Every finding stops the process, so a test that meets one fails. The
# run-time options (suppressions among them) are in tests/sanitizers/, used by
# scripts/test-sanitizers.sh.
set(KEYTOKEN_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
set_property(CACHE KEYTOKEN_SANITIZE PROPERTY STRINGS "" address thread)

if(KEYTOKEN_SANITIZE STREQUAL "address")
  set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined)
elseif(KEYTOKEN_SANITIZE STREQUAL "thread")
  set(sanitizer_flags -fsanitize=thread)
elseif(NOT KEYTOKEN_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KEYTOKEN_SANITIZE must be empty, address or thread, not ${KEYTOKEN_SANITIZE}")
endif()

# The ThreadSanitizer build is of the watcher alone: the dialog library runs on
# its host's main thread only.
if(KEYTOKEN_SANITIZE STREQUAL "thread")
  set(KEYTOKEN_WATCHER_ONLY ON)
else()
  set(KEYTOKEN_WATCHER_ONLY OFF)
endif()

if(sanitizer_flags)
  add_compile_options(${sanitizer_flags} -fno-omit-frame-pointer)
  add_link_options(${sanitizer_flags})
endif()
