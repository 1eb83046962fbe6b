// Plain messages: one button, or "确定" and "取消".
#import "p11Modal.h"
#import "p11Text.h"
#include "keydialogs.h"

// An alert showing `message`; an absent or undecodable one shows no text.
static NSAlert *newMessageAlert(const char *message)
{
  NSAlert *box = [[NSAlert alloc] init];
  NSString *text = p11TextFromUTF8(message);
  [box setMessageText: text != nil ? text : @""];
  return box;
}

int P11_ShowMsg(const char *message, int unused)
{
  if (NSApp == nil)
    return 0;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSAlert *box = newMessageAlert(message);
  p11RunAlert(box);
  [box release];
  [pool release];
  return 0;
}

int P11_ShowMsg2(const char *message, int unused)
{
  if (NSApp == nil)
    return 1;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  int result = -1;
  NSAlert *box = newMessageAlert(message);
  [box addButtonWithTitle: [NSString stringWithUTF8String: "确定"]];
  [box addButtonWithTitle: [NSString stringWithUTF8String: "取消"]];
  result = p11RunAlert(box) == NSAlertFirstButtonReturn ? 0 : 1;
  [box release];
  p11SettleWait(p11ResultIsDecided, &result);
  [pool release];
  return result;
}
