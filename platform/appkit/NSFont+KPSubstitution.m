// Font names that macOS always has and this system lacks: asked for by name,
// they are answered with a metric-compatible face (Debian's fonts-liberation,
// by PostScript name), so that text keeps its size, colour and alignment
// instead of falling back to a nil font.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

@implementation NSFont (KPSubstitution)

// Only consulted when the platform has no face of the name asked for.
+ (NSString *) kpSubstituteForFontName: (NSString *)name
{
  static NSDictionary *substitutes = nil;
  if (substitutes == nil)
    substitutes = [[NSDictionary alloc] initWithObjectsAndKeys:
      @"LiberationSans", @"Arial",
      @"LiberationSans", @"ArialMT",
      @"LiberationSans-Bold", @"Arial-BoldMT",
      nil];
  return [substitutes objectForKey: name];
}

// Exchanged with +fontWithName:size: at load, so calling it here calls the
// platform's own lookup.
+ (NSFont *) kpFontWithName: (NSString *)name size: (CGFloat)size
{
  NSFont *font = [self kpFontWithName: name size: size];
  NSString *substitute;

  if (font == nil && (substitute = [self kpSubstituteForFontName: name]) != nil)
    font = [self kpFontWithName: substitute size: size];
  return font;
}

+ (void) load
{
  // The class's own set-up runs here and may autorelease: the host has no
  // pool while it loads the library.
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  Class meta = object_getClass([NSFont class]);
  method_exchangeImplementations(
    class_getInstanceMethod(meta, @selector(fontWithName:size:)),
    class_getInstanceMethod(meta, @selector(kpFontWithName:size:)));
  [pool release];
}

@end
