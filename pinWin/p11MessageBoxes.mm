// Plain messages: one button, or "确定" and "取消".
#import "p11Modal.h"
#import "p11DialogThread.h"
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

typedef struct
{
  const char *message;
  int result;
} MessageCall;

static void runMessage(void *context)
{
  MessageCall *call = (MessageCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSAlert *box = newMessageAlert(call->message);
  p11RunAlert(box);
  [box release];
  [pool release];
}

static void runTwoButtonMessage(void *context)
{
  MessageCall *call = (MessageCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSAlert *box = newMessageAlert(call->message);
  [box addButtonWithTitle: [NSString stringWithUTF8String: "确定"]];
  [box addButtonWithTitle: [NSString stringWithUTF8String: "取消"]];
  call->result = p11RunAlert(box) == NSAlertFirstButtonReturn ? 0 : 1;
  [box release];
  p11SettleWait(p11ResultIsDecided, &call->result);
  [pool release];
}

int P11_ShowMsg(const char *message, int unused)
{
  if (NSApp == nil)
    return 0;
  MessageCall call = { message, 0 };
  p11RunDialog(runMessage, &call);
  return 0;
}

int P11_ShowMsg2(const char *message, int unused)
{
  if (NSApp == nil)
    return 1;
  MessageCall call = { message, -1 };
  p11RunDialog(runTwoButtonMessage, &call);
  return call.result;
}
