/* A token library whose every answer comes from the fuzzer's input: the
 * listing's status, bytes, length and count, and then one input byte for each
 * later call, which gives that call's status (and a product code). */
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static const uint8_t *input;
static size_t input_size, input_at;
static int opened; /* handles given out and not yet closed */

EXPORT void fuzz_keycore_feed(const uint8_t *data, size_t size) {
  input = data;
  input_size = size;
  input_at = 0;
  opened = 0;
}

EXPORT int fuzz_keycore_open_handles(void) { return opened; }

static int next_byte(void) { return input_at < input_size ? input[input_at++] : 0; }

static int next_int16(void) {
  int high = next_byte();
  return (int16_t)(high << 8 | next_byte());
}

/* Most calls succeed, so that the walk goes deep; some fail with the byte. */
static int next_status(void) {
  int byte = next_byte();
  return byte >= 0xe0 ? byte : 0;
}

/* Input: status byte, length (16 bits, signed), count (8 bits, signed), the
 * number of list bytes, those bytes; the list is written within the 520 bytes
 * the caller gave, as any library must, but may hold anything. */
EXPORT int KcListReaders(char *list, int *len, int *count) {
  int status = next_status();
  int length = next_int16();
  int readers = (int8_t)next_byte();
  size_t bytes = (size_t)next_byte() * 4;
  if (bytes > (size_t)*len) bytes = (size_t)*len;
  if (bytes > input_size - input_at) bytes = input_size - input_at;
  memcpy(list, input + input_at, bytes);
  input_at += bytes;
  if (status) return status;
  *len = length;
  *count = readers;
  return 0;
}

static char token; /* the address stands for an open device */

EXPORT int KcConnectDev(const char *name, void **handle) {
  (void)strlen(name); /* a real library reads the name to its zero byte */
  int status = next_status();
  if (status == 0) {
    *handle = &token;
    opened++;
  }
  return status;
}

EXPORT int KcBeginTransaction(void *handle) { return handle == &token ? next_status() : 6; }

EXPORT int KcReadPCODE(void *handle, int *pcode, int *second) {
  if (handle != &token) return 6;
  int status = next_status();
  if (status == 0) {
    *pcode = next_byte() & 1 ? 20407 : 12345;
    *second = 1;
  }
  return status;
}

EXPORT int KcEndTransaction(void *handle) { return handle == &token ? 0 : 6; }

EXPORT int KcDisconnectDev(void *handle) {
  if (handle != &token) return 6;
  opened--;
  return 0;
}
