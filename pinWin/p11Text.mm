#import "p11Text.h"
#include <string.h>

NSString *p11TextFromUTF8(const char *utf8)
{
  if (utf8 == NULL)
    return nil;
  // Unlike stringWithUTF8String:, answers nil for undecodable bytes on every
  // platform instead of raising or answering half a text.
  return [[[NSString alloc] initWithBytes: utf8 length: strlen(utf8)
                                 encoding: NSUTF8StringEncoding] autorelease];
}
