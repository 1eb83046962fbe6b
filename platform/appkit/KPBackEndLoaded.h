#import <Foundation/Foundation.h>

// Calls `function` once, when GNUstep has loaded its graphics back end (as
// the application object is made) and before the back end opens the
// display: the back end's classes exist then, and its settings are not read
// yet. Call from +load.
void KPWhenBackEndLoaded(void (*function)(void));
