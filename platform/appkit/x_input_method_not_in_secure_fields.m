// What is typed into a secure field passes no input method, as on macOS,
// where a secure field with the keyboard turns on secure event input and
// input methods are off for it. An application keeps GNUstep's X input
// method for its own windows, and X hands the method every key of a window
// whose input context has the focus: it saw each key of a PIN, and a dead
// key then a letter typed into the PIN field came back composed, unlike the
// same keys in a host that is no application (which opens no input method).
// While a secure field is the key window's first responder, that window's
// input context loses the focus, so that the input method is handed no key,
// and keys are read as plain keys of X's keyboard map.
#import <AppKit/AppKit.h>
#import <GNUstepGUI/GSDisplayServer.h>
#import "KPBackEndLoaded.h"
#import "KPPlainKeyText.h"
#include <X11/Xlib.h>
#include <objc/runtime.h>

typedef NSString *(*LookupImp)(id, SEL, XKeyEvent *, void *, KeySym *);
typedef void (*FocusImp)(id, SEL, void *);
typedef BOOL (*FirstResponderImp)(id, SEL, NSResponder *);
static LookupImp lookupString;
static FocusImp focusInputContext;
static FirstResponderImp makeFirstResponder;

static BOOL secureFieldIsFirstResponder(NSWindow *window)
{
  id responder = [window firstResponder];
  if ([responder isKindOfClass: [NSText class]] && [responder isFieldEditor])
    responder = [responder delegate];
  return [responder isKindOfClass: [NSSecureTextField class]];
}

// GNUstep's input server keeps every window's input context in a list.
static void matchInputContextFocus(NSWindow *window)
{
  GSDisplayServer *server = GSServerForWindow(window);
  id inputServer = nil;
  XIC *contexts = NULL;
  int count = 0, i;
  Window own, client;
  object_getInstanceVariable(server, "inputServer", (void **)&inputServer);
  if (inputServer == nil || [window windowNumber] <= 0)
    return;
  object_getInstanceVariable(inputServer, "xics", (void **)&contexts);
  Ivar countVar = class_getInstanceVariable([inputServer class], "num_xics");
  if (contexts == NULL || countVar == NULL)
    return;
  count = *(int *)((char *)inputServer + ivar_getOffset(countVar));
  own = (Window)(uintptr_t)[server windowDevice: [window windowNumber]];
  for (i = 0; i < count; i++)
    if (contexts[i] != NULL && XGetICValues(contexts[i], XNClientWindow, &client, NULL) == NULL
        && client == own)
      {
        if (secureFieldIsFirstResponder(window))
          XUnsetICFocus(contexts[i]);
        else if ([window isKeyWindow])
          XSetICFocus(contexts[i]);
      }
}

static NSString *lookupUnlessSecure(id self, SEL _cmd, XKeyEvent *event, void *window,
                                    KeySym *keysym)
{
  if (secureFieldIsFirstResponder([NSApp keyWindow]))
    return KPPlainKeyText(event, keysym);
  return lookupString(self, _cmd, event, window, keysym);
}

// GNUstep focuses a window's input context as the window becomes key (and
// before it is the key window).
static void focusUnlessSecure(id self, SEL _cmd, void *window)
{
  NSArray *windows = [NSApp windows];
  NSUInteger i;
  focusInputContext(self, _cmd, window);
  for (i = 0; i < [windows count]; i++)
    if (secureFieldIsFirstResponder([windows objectAtIndex: i]))
      matchInputContextFocus([windows objectAtIndex: i]);
}

static BOOL makeFirstResponderMatchingFocus(id self, SEL _cmd, NSResponder *responder)
{
  BOOL made = makeFirstResponder(self, _cmd, responder);
  matchInputContextFocus(self);
  return made;
}

static void keepSecureFieldsFromInputMethod(void)
{
  Class server = objc_getClass("XIMInputServer");
  Method lookup = class_getInstanceMethod(server,
    sel_registerName("lookupStringForEvent:window:keysym:"));
  Method focus = class_getInstanceMethod(server, sel_registerName("ximFocusICWindow:"));
  Method first = class_getInstanceMethod([NSWindow class], @selector(makeFirstResponder:));
  if (server == Nil || lookup == NULL || focus == NULL || first == NULL)
    return;
  lookupString = (LookupImp)method_setImplementation(lookup, (IMP)lookupUnlessSecure);
  focusInputContext = (FocusImp)method_setImplementation(focus, (IMP)focusUnlessSecure);
  makeFirstResponder = (FirstResponderImp)method_setImplementation(first,
    (IMP)makeFirstResponderMatchingFocus);
}

@interface KPSecureInput : NSObject
@end

@implementation KPSecureInput
+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  // In an application that loads the library, the back end is loaded already.
  if (objc_getClass("XIMInputServer") != Nil)
    keepSecureFieldsFromInputMethod();
  else
    KPWhenBackEndLoaded(keepSecureFieldsFromInputMethod);
  [pool release];
}
@end
