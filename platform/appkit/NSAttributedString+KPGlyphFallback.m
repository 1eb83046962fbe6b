// Characters that a text's font lacks: GNUstep looks for another face to
// draw them with, but in this version it finds none and draws "?". Where its
// own search fails, the user's font (the Chinese face that the defaults name)
// is tried, as macOS falls back to a system face. So a field set in a Latin
// face still shows its Chinese text.
#import <AppKit/AppKit.h>
#include <objc/runtime.h>

// GNUstep's own substitution, which -fixFontAttributeInRange: calls for each
// character that the font does not cover.
@interface NSMutableAttributedString (KPGNUstepSubstitution)
- (NSFont *) _substituteFontFor: (unichar)character font: (NSFont *)baseFont;
- (NSFont *) _substituteFontFor: (unichar)character font: (NSFont *)baseFont
                       fromList: (NSArray *)fontNames;
@end

static BOOL covers(NSFont *font, unichar character)
{
  return font != nil && [[font coveredCharacterSet] characterIsMember: character];
}

@implementation NSMutableAttributedString (KPGlyphFallback)

// Exchanged with _substituteFontFor:font: at load, so calling it here calls
// GNUstep's own search.
- (NSFont *) kpSubstituteFontFor: (unichar)character font: (NSFont *)baseFont
{
  NSFont *found = [self kpSubstituteFontFor: character font: baseFont];
  if (!covers(found, character))
    {
      NSFont *fallback = [self _substituteFontFor: character font: baseFont
        fromList: [NSArray arrayWithObject: [[NSFont userFontOfSize: 0] fontName]]];
      if (covers(fallback, character))
        found = fallback;
    }
  return found;
}

+ (void) load
{
  Method own = class_getInstanceMethod(self, @selector(_substituteFontFor:font:));
  Method list = class_getInstanceMethod(self, @selector(_substituteFontFor:font:fromList:));
  if (own != NULL && list != NULL)  // private to GNUstep: only where it exists
    method_exchangeImplementations(own,
      class_getInstanceMethod(self, @selector(kpSubstituteFontFor:font:)));
}

@end
