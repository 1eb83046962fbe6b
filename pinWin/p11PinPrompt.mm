// The PIN prompt in an alert, with a picture from the caller's bundle.
#import "p11Modal.h"
#import "p11DialogThread.h"
#import "p11PinField.h"
#import "p11BundleImage.h"
#import "p11Text.h"
#include "keydialogs.h"
#include "p11SecretMemory.h"

typedef struct
{
  char *pin;
  int *pinLen;
  const char *bundlePath;
} PinPromptCall;

static void runPinPrompt(void *context)
{
  PinPromptCall *call = (PinPromptCall *)context;
  char *pin = call->pin;
  int *pinLen = call->pinLen;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];

  p11PinField *field = [[p11PinField alloc] initWithFrame: NSMakeRect(0, 0, 260, 24)];
  NSAlert *prompt = [[NSAlert alloc] init];

  NSImage *icon = p11NewBundleImage(p11TextFromUTF8(call->bundlePath), @"QV64", @"png");
  [prompt setIcon: icon];
  [icon release];
  [prompt setMessageText: [NSString stringWithUTF8String: "请输入用户密码！"]];
  [prompt setAccessoryView: field];
  [prompt addButtonWithTitle: [[NSBundle mainBundle] localizedStringForKey: @"OK"
                                                                     value: @""
                                                                     table: nil]];
  // An alert gives no accessory view the keyboard of itself: without this a
  // PIN typed as soon as the prompt opens would be lost, and an empty one
  // sent to the token in its place.
  [prompt layout];
  [[prompt window] setInitialFirstResponder: field];
  p11RunAlert(prompt);

  p11CopyPinOut(field, pin, pinLen);
  [prompt release];
  [field release];
  [pool release];
  p11ScrubStack();
}

int P11_BlockPopPin_pic(char *pin, int *pinLen, const char *text, const char *bundlePath)
{
  (void)text;  // the prompt's text is fixed
  if (pin == NULL || pinLen == NULL || NSApp == nil)
    return -1;
  PinPromptCall call = { pin, pinLen, bundlePath };
  p11RunDialog(runPinPrompt, &call);
  return 0;
}
