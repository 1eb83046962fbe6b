// GNUstep settings that the dialogs need, registered when the library is
// loaded. Registered defaults rank below the user's own settings.
#import <Foundation/Foundation.h>

// GNUstep draws Chinese as "???" unless its font defaults name a face that
// has the glyphs (PostScript name; Debian's fonts-wqy-zenhei).
static NSString *const chineseFace = @"WenQuanYiZenHei";
// That face has no bold weight, and GNUstep draws a face as it is: the bold
// system font is a face with a real bold weight and the same glyphs
// (fonts-noto-cjk).
static NSString *const chineseBoldFace = @"NotoSansCJKsc-Bold";

@interface KPGNUstepDefaults : NSObject
@end

@implementation KPGNUstepDefaults
// +load runs once the runtime knows this file's classes and selectors, when
// the library is loaded: before any dialog asks for a font or a window.
+ (void) load
{
  NSAutoreleasePool *pool = [NSAutoreleasePool new];
  NSArray *fontKeys = [NSArray arrayWithObjects: @"NSFont", @"NSUserFont", @"NSLabelFont", @"NSMessageFont", @"NSControlContentFont",
    @"NSTitleBarFont", @"NSMenuFont", @"NSMenuBarFont", @"NSToolTipsFont",
    @"NSPaletteFont", nil];
  NSMutableDictionary *defaults = [NSMutableDictionary dictionary];
  NSUInteger i;

  for (i = 0; i < [fontKeys count]; i++)
    [defaults setObject: chineseFace forKey: [fontKeys objectAtIndex: i]];
  [defaults setObject: chineseBoldFace forKey: @"NSBoldFont"];
  // GNUstep draws the title bars itself, so a dialog has its title even
  // where no window manager runs.
  [defaults setObject: @"NO" forKey: @"GSBackHandlesWindowDecorations"];
  // The host is any program, not a GNUstep application with an icon tile.
  [defaults setObject: @"YES" forKey: @"GSSuppressAppIcon"];
  [[NSUserDefaults standardUserDefaults] registerDefaults: defaults];
  [pool release];
}
@end
