// Confirmation before the token is initialised.
#import "p11Win.h"
#import "p11Modal.h"
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

bool keyInitAlert(const char *imageName, const char *bundlePath)
{
  if (NSApp == nil)
    return false;
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSString *name = p11TextFromUTF8(imageName);
  NSString *path = p11TextFromUTF8(bundlePath);
  BOOL confirmed = [p11InstallNewController() showkeyInitAlert: name andSource: path];
  [pool release];
  return confirmed != NO;
}
