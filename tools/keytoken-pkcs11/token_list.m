// The token dialog's rows, as the NSArray of NSDictionary that it takes.
#import <Foundation/Foundation.h>
#include "token_dialogs.h"

static NSString *text(const char *utf8)
{
  NSString *string = utf8 != NULL ? [NSString stringWithUTF8String: utf8] : nil;
  return string != nil ? string : @"";
}

kd_array_t token_list_new(const struct token_row *rows, int count)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSMutableArray *list = [NSMutableArray arrayWithCapacity: count];
  int i;

  for (i = 0; i < count; i++)
    [list addObject: [NSDictionary dictionaryWithObjectsAndKeys:
        text(rows[i].label), @"label", text(rows[i].name), @"name",
        text(rows[i].serial), @"serial", nil]];
  NSArray *result = [list copy];
  [pool release];
  return result;
}

void token_list_release(kd_array_t list)
{
  [list release];
}
