#import <Foundation/Foundation.h>

// The thread that AppKit runs on now: the one that made the application
// object, or the host thread that serves in its place for a dialog; GNUstep's
// main thread before there is an application object.
NSThread *KPAppKitThread(void);
