// Keeps ImageMagick out of the start-up of a process that the library turns
// into an application. GNUstep's application object looks up its icon among
// the image formats it knows, and ImageMagick's image rep answers that by
// loading all of its ~120 format modules and their libraries (~70 ms). The
// dialogs' pictures are PNG, GIF and JPEG, which gnustep-gui decodes itself;
// ImageMagick's rep is registered again once the application has launched, so
// that the host keeps every format it had.
#import <AppKit/AppKit.h>

static Class magickRep;

@interface KPDeferredImageMagick : NSObject
@end

@implementation KPDeferredImageMagick

+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  // An application that exists already has paid for its icon.
  magickRep = NSApp == nil ? NSClassFromString(@"GSImageMagickImageRep") : Nil;
  if (magickRep != Nil
      && [[NSImageRep registeredImageRepClasses] containsObject: magickRep])
    {
      [NSImageRep unregisterImageRepClass: magickRep];
      [[NSNotificationCenter defaultCenter]
        addObserver: self selector: @selector(applicationLaunched:)
               name: NSApplicationDidFinishLaunchingNotification object: nil];
    }
  [pool release];
}

+ (void) applicationLaunched: (NSNotification *)note
{
  [[NSNotificationCenter defaultCenter] removeObserver: self];
  [NSImageRep registerImageRepClass: magickRep];
}

@end
