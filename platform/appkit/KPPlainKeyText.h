#import <Foundation/Foundation.h>
#include <X11/Xlib.h>

// The text of one key event as X's keyboard map gives it, through no input
// method: in the locale's encoding, or Latin-1 where it is not that. The
// buffer it is read into is wiped, as it may hold a character of a PIN.
NSString *KPPlainKeyText(XKeyEvent *event, KeySym *keysym);
