// Confirmation before the token is initialised.
#import "p11Win.h"
#import "p11Modal.h"
#import "p11DialogThread.h"
#import "p11BundleImage.h"
#import "p11Text.h"
#include "keydialogs.h"

@implementation p11Win (KeyInit)

- (BOOL) showkeyInitAlert: (NSString *)text andSource: (NSString *)sourcePath
{
  NSAlert *confirm = [[NSAlert alloc] init];
  [confirm addButtonWithTitle: [NSString stringWithUTF8String: "确定"]];
  [confirm addButtonWithTitle: [NSString stringWithUTF8String: "取消"]];

  NSImage *icon = p11NewBundleImage(sourcePath, text, @"png");
  [confirm setIcon: icon];
  [icon release];

  [confirm setMessageText: [NSString stringWithUTF8String:
    "初始化会将TarvosaKorvex恢复到出厂状态, 证书将被删除!\n"
    "初始化后不可恢复! 是否真的要初始化?"]];
  [confirm setAlertStyle: NSAlertStyleWarning];

  NSInteger response = p11RunAlert(confirm);
  [confirm release];
  return response == NSAlertFirstButtonReturn;
}

@end

typedef struct
{
  const char *imageName;
  const char *bundlePath;
  BOOL confirmed;
} KeyInitCall;

static void runKeyInitAlert(void *context)
{
  KeyInitCall *call = (KeyInitCall *)context;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSString *name = p11TextFromUTF8(call->imageName);
  NSString *path = p11TextFromUTF8(call->bundlePath);
  call->confirmed = [p11InstallNewController() showkeyInitAlert: name andSource: path];
  [pool release];
}

bool keyInitAlert(const char *imageName, const char *bundlePath)
{
  if (NSApp == nil)
    return false;
  KeyInitCall call = { imageName, bundlePath, NO };
  p11RunDialog(runKeyInitAlert, &call);
  return call.confirmed != NO;
}
