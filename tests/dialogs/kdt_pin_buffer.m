#import "kdt_harness.h"

void kdtMarkPinBuffer(unsigned char *buffer, size_t size, int *length)
{
  memset(buffer, KDT_UNTOUCHED, size);
  *length = -7;
}

void kdtExpectPin(const unsigned char *buffer, size_t size, int length, const char *pin)
{
  size_t n = strlen(pin), i;
  KDT_CHECK(length == (int)n);
  KDT_CHECK(memcmp(buffer, pin, n) == 0);
  if (length != (int)n || memcmp(buffer, pin, n) != 0)
    fprintf(stderr, "expected PIN \"%s\", got %d byte(s) \"%.*s\"\n", pin, length,
            length > 0 && (size_t)length < size ? length : 0, (const char *)buffer);
  for (i = n; i < size; i++)
    if (buffer[i] != KDT_UNTOUCHED)
      {
        fprintf(stderr, "byte %zu behind the PIN was written\n", i);
        kdtFailures++;
        return;
      }
}
