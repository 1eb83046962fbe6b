// A process that the library turns into an application (a PKCS#11 host: no
// application object, no .app bundle) opens no X input method. Every key
// typed into such a process goes to a dialog of the library, and the keys
// that matter are the PIN's: on macOS a secure field with the keyboard turns
// input methods off (secure event input), so no input method sees them.
// GNUstep's input server opens one at start-up for every window (XOpenIM,
// which also parses the locale's whole Compose file: 12-13 ms). Here its
// methods stand in for a server without an input method: keys are read with
// XLookupString, whose text is in the locale's encoding (GNUstep's own
// fallback took it for Latin-1, and logged that it had no input method).
// An application keeps its input method, for all but its secure fields.
#import <Foundation/Foundation.h>
#import "KPApplicationProcess.h"
#import "KPBackEndLoaded.h"
#import "KPPlainKeyText.h"
#include <X11/Xlib.h>
#include <objc/runtime.h>

static BOOL openNoInputMethod(id self, SEL _cmd, Display *display)
{
  return YES;  // "ready": without one, nothing is left to open
}

static void *noInputContext(id self, SEL _cmd, Window w)
{
  return NULL;
}

static void nothingToDo(id self, SEL _cmd, void *unused)
{
}

static void nothingToClose(id self, SEL _cmd)
{
}

static NSString *keyText(id self, SEL _cmd, XKeyEvent *event, void *window, KeySym *keysym)
{
  return KPPlainKeyText(event, keysym);
}

typedef struct
{
  const char *selector;
  IMP standIn;
} StandIn;

static void noInputMethod(void)
{
  static const StandIn standIns[] = {
    { "ximInit:", (IMP)openNoInputMethod },
    { "ximCreateIC:", (IMP)noInputContext },
    { "ximFocusICWindow:", (IMP)nothingToDo },
    { "ximCloseIC:", (IMP)nothingToDo },
    { "ximClose", (IMP)nothingToClose },
    { "lookupStringForEvent:window:keysym:", (IMP)keyText },
  };
  const size_t count = sizeof standIns / sizeof standIns[0];
  Class server = objc_getClass("XIMInputServer");
  Method methods[sizeof standIns / sizeof standIns[0]];
  size_t i;

  // All of GNUstep's input server's methods are there, or nothing is changed.
  for (i = 0; i < count; i++)
    if (server == Nil || (methods[i] = class_getInstanceMethod(server,
                            sel_registerName(standIns[i].selector))) == NULL)
      return;
  for (i = 0; i < count; i++)
    method_setImplementation(methods[i], standIns[i].standIn);
}

@interface KPNoInputMethod : NSObject
@end

@implementation KPNoInputMethod
+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  if (!KPProcessIsApplication())
    KPWhenBackEndLoaded(noInputMethod);
  [pool release];
}
@end
