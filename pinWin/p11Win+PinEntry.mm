// The PIN entry window.
#import "p11Win.h"
#import "p11Modal.h"
#import "p11DialogThread.h"
#import "p11PinField.h"
#import "p11BundleImage.h"
#include "keydialogs.h"
#include "p11SecretMemory.h"

@implementation p11Win (PinEntry)

- (int) P11_BlockPopPin: (char *)pin length: (int *)pinLen
{
  signFlag = -1;
  [NSApp setActivationPolicy: NSApplicationActivationPolicyAccessory];
  [NSApp activateIgnoringOtherApps: YES];

  NSWindow *pinWindow = [[NSWindow alloc]
      initWithContentRect: NSMakeRect(0, 0, 420, 130)
                styleMask: NSWindowStyleMaskTitled
                  backing: NSBackingStoreBuffered
                    defer: NO];
  [pinWindow setReleasedWhenClosed: NO];  // released below, after close
  [pinWindow setTitle: [NSString stringWithUTF8String: "SelvikUSBKey管理工具"]];
  [pinWindow center];
  NSView *content = [pinWindow contentView];

  NSImageView *picture = [[NSImageView alloc] initWithFrame: NSMakeRect(25, 45, 65, 65)];
  NSImage *image = p11NewBundleImage(p11ImageBundlePath(), @"QV64", @"png");
  [picture setImage: image];
  [image release];
  [picture setImageAlignment: NSImageAlignCenter];
  [picture setImageScaling: NSImageScaleProportionallyUpOrDown];
  [content addSubview: picture];
  [picture release];

  NSTextField *prompt = [[NSTextField alloc] initWithFrame: NSMakeRect(110, 95, 250, 20)];
  [prompt setStringValue: [NSString stringWithUTF8String: "请输入USBKey密码"]];
  [prompt setFont: [NSFont boldSystemFontOfSize: 13]];
  [prompt setBordered: NO];
  [prompt setSelectable: NO];
  [prompt setBackgroundColor: [NSColor controlColor]];
  [content addSubview: prompt];
  [prompt release];

  p11PinField *field = [[p11PinField alloc] initWithFrame: NSMakeRect(105, 65, 260, 24)];
  [content addSubview: field];

  NSButton *ok = [[NSButton alloc] initWithFrame: NSMakeRect(230, 20, 80, 40)];
  [ok setTitle: [NSString stringWithUTF8String: "确定"]];
  [ok setTarget: self];
  [ok setAction: @selector(signSureBtnClicked:)];
  [ok setButtonType: NSButtonTypePushOnPushOff];
  [ok setBezelStyle: NSBezelStyleRounded];
  [content addSubview: ok];
  [ok release];

  NSButton *cancel = [[NSButton alloc] initWithFrame: NSMakeRect(320, 20, 80, 40)];
  [cancel setTitle: [NSString stringWithUTF8String: "取消"]];
  [cancel setTarget: self];
  [cancel setAction: @selector(signCacncelBtnClicked:)];
  [cancel setButtonType: NSButtonTypePushOnPushOff];
  [cancel setBezelStyle: NSBezelStyleRounded];
  [content addSubview: cancel];
  [cancel release];

  p11RunWindowModal(pinWindow, self);

  p11CopyPinOut(field, pin, pinLen);
  [field release];
  [pinWindow close];
  [pinWindow release];

  p11SettleWait(p11ResultIsDecided, &signFlag);
  return signFlag;
}

- (void) signSureBtnClicked: (id)sender
{
  signFlag = 0;
  [NSApp stopModal];
}

- (void) signCacncelBtnClicked: (id)sender
{
  signFlag = 1;
  [NSApp stopModal];
}

@end

typedef struct
{
  char *pin;
  int *pinLen;
  int result;
} PinWindowCall;

static void runPinWindow(void *context)
{
  PinWindowCall *call = (PinWindowCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  call->result = [p11InstallNewController() P11_BlockPopPin: call->pin length: call->pinLen];
  [pool release];
  p11ScrubStack();
}

int P11_BlockPopPin(char *pin, int *pinLen)
{
  if (pin == NULL || pinLen == NULL || NSApp == nil)
    return -1;
  PinWindowCall call = { pin, pinLen, -1 };
  p11RunDialog(runPinWindow, &call);
  return call.result;
}
