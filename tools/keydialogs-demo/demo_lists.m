#import <Foundation/Foundation.h>
#include "demo_lists.h"

static NSDictionary *elementFrom(NSString *text)
{
  NSMutableDictionary *element = [NSMutableDictionary dictionary];
  NSArray *pairs = [text componentsSeparatedByString: @";"];
  NSUInteger i;

  for (i = 0; i < [pairs count]; i++)
    {
      NSString *pair = [pairs objectAtIndex: i];
      NSRange eq = [pair rangeOfString: @"="];
      if (eq.location != NSNotFound)
        [element setObject: [pair substringFromIndex: NSMaxRange(eq)]
                    forKey: [pair substringToIndex: eq.location]];
    }
  return element;
}

static void addLinesOf(NSMutableArray *list, const char *path)
{
  NSString *text = [NSString stringWithContentsOfFile: [NSString stringWithUTF8String: path]
                                             encoding: NSUTF8StringEncoding error: NULL];
  NSArray *lines = [text componentsSeparatedByString: @"\n"];
  NSUInteger i;

  if (text == nil)
    fprintf(stderr, "keydialogs-demo: cannot read %s\n", path);
  for (i = 0; i < [lines count]; i++)
    if ([[lines objectAtIndex: i] length] > 0)
      [list addObject: elementFrom([lines objectAtIndex: i])];
}

kd_array_t demoNewList(int count, char **args)
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSMutableArray *list = [NSMutableArray array];
  int i;

  for (i = 0; i < count; i++)
    if (args[i][0] == '@')
      addLinesOf(list, args[i] + 1);
    else
      [list addObject: elementFrom([NSString stringWithUTF8String: args[i]])];
  NSArray *result = [list copy];
  [pool release];
  return result;
}
