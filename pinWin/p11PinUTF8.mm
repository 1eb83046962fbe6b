#import "p11PinUTF8.h"
#include "keydialogs.h"
#include "p11SecretMemory.h"
#include <stdint.h>
#include <string.h>

static BOOL isHigh(unichar u) { return u >= 0xD800 && u < 0xDC00; }
static BOOL isLow(unichar u) { return u >= 0xDC00 && u < 0xE000; }

// The code point that starts at units[*i]; *i moves past it.
static uint32_t nextCodePoint(const unichar *units, NSUInteger count, NSUInteger *i)
{
  unichar u = units[(*i)++];
  if (isHigh(u) && *i < count && isLow(units[*i]))
    return 0x10000 + ((uint32_t)(u - 0xD800) << 10) + (units[(*i)++] - 0xDC00);
  return isHigh(u) || isLow(u) ? 0xFFFD : u;
}

static size_t utf8Of(uint32_t c, unsigned char *out)
{
  if (c < 0x80)
    {
      out[0] = (unsigned char)c;
      return 1;
    }
  if (c < 0x800)
    {
      out[0] = (unsigned char)(0xC0 | (c >> 6));
      out[1] = (unsigned char)(0x80 | (c & 0x3F));
      return 2;
    }
  if (c < 0x10000)
    {
      out[0] = (unsigned char)(0xE0 | (c >> 12));
      out[1] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
      out[2] = (unsigned char)(0x80 | (c & 0x3F));
      return 3;
    }
  out[0] = (unsigned char)(0xF0 | (c >> 18));
  out[1] = (unsigned char)(0x80 | ((c >> 12) & 0x3F));
  out[2] = (unsigned char)(0x80 | ((c >> 6) & 0x3F));
  out[3] = (unsigned char)(0x80 | (c & 0x3F));
  return 4;
}

size_t p11EncodePin(const unichar *units, NSUInteger count, char *pin)
{
  unsigned char bytes[4];
  size_t written = 0;
  NSUInteger i = 0;
  while (i < count)
    {
      size_t n = utf8Of(nextCodePoint(units, count, &i), bytes);
      if (written + n > KEYDIALOGS_PIN_MAX)
        break;
      memcpy(pin + written, bytes, n);
      written += n;
    }
  p11Wipe(bytes, sizeof bytes);
  return written;
}

NSUInteger p11UTF8Length(NSString *text, NSRange range)
{
  NSUInteger bytes = 0, i;
  for (i = range.location; i < NSMaxRange(range); i++)
    {
      unichar u = [text characterAtIndex: i];
      if (u < 0x80)
        bytes += 1;
      else if (u < 0x800)
        bytes += 2;
      else if (isHigh(u) && i + 1 < NSMaxRange(range) && isLow([text characterAtIndex: i + 1]))
        {
          bytes += 4;
          i++;
        }
      else
        bytes += 3;  // other characters, and U+FFFD for a lone surrogate
    }
  return bytes;
}
