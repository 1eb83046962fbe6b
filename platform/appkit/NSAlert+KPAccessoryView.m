// What GNUstep's NSAlert lacks of Apple's: the accessory view, shown under
// the message; an alert without informative text shows no text there
// (GNUstep would show "No information").
//
// GNUstep builds the alert's panel in -_setupPanel, when the alert is run.
// The hook below lets that build happen and then rearranges the band between
// the rule under the message and the buttons: the informative text (if any),
// then the accessory view (if any).
#import <AppKit/AppKit.h>
#include <objc/runtime.h>
#include <stdlib.h>

static const CGFloat bandGap = 12;

// Alert -> its accessory view (retained). Alerts are not retained: an entry
// goes when its alert is freed.
static NSMapTable *accessoryViews;

static id panelPart(NSWindow *panel, const char *name)
{
  Ivar ivar = class_getInstanceVariable([panel class], name);
  return ivar != NULL ? object_getIvar(panel, ivar) : nil;
}

static NSView *ruleOf(NSView *content)
{
  NSArray *views = [content subviews];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    if ([[views objectAtIndex: i] isKindOfClass: [NSBox class]])
      return [views objectAtIndex: i];
  return nil;
}

// Resizes the band to what it holds; the views above it move with the top
// edge, the buttons below it stay.
static void arrangeBand(NSAlert *alert, NSWindow *panel)
{
  NSView *content = [panel contentView];
  NSView *rule = ruleOf(content);
  NSButton *defaultButton = panelPart(panel, "defButton");
  NSTextField *message = panelPart(panel, "messageField");
  NSView *accessory = [alert accessoryView];
  BOOL showsMessage = [[alert informativeText] length] > 0;
  NSArray *views;
  NSRect *frames;
  NSUInteger i, count;
  CGFloat bandBottom, bandTop, needed, delta, top;
  NSSize size;

  if (rule == nil || defaultButton == nil || message == nil)
    return;  // not the panel this was written for: leave it as it is
  bandBottom = NSMaxY([defaultButton frame]);
  bandTop = NSMinY([rule frame]);
  needed = bandGap;
  if (showsMessage)
    needed += NSHeight([message frame]) + bandGap;
  if (accessory != nil)
    needed += NSHeight([accessory frame]) + bandGap;
  delta = needed - (bandTop - bandBottom);

  // Resizing may move views by their autoresizing masks: put every view
  // where it belongs afterwards.
  views = [[content subviews] copy];
  count = [views count];
  frames = malloc(count * sizeof *frames);
  for (i = 0; i < count; i++)
    frames[i] = [[views objectAtIndex: i] frame];
  size = [content frame].size;
  size.height += delta;
  [panel setContentSize: size];
  for (i = 0; i < count; i++)
    {
      if (NSMinY(frames[i]) >= bandTop - 0.5)
        frames[i].origin.y += delta;
      [[views objectAtIndex: i] setFrame: frames[i]];
    }
  free(frames);
  [views release];

  top = bandTop + delta - bandGap;
  [message setHidden: !showsMessage];
  if (showsMessage)
    {
      NSRect f = [message frame];
      f.origin.y = top - NSHeight(f);
      [message setFrame: f];
      top = NSMinY(f) - bandGap;
    }
  if (accessory != nil)
    {
      NSRect f = [accessory frame];
      f.origin.x = floor((size.width - NSWidth(f)) / 2);
      f.origin.y = top - NSHeight(f);
      [accessory setFrame: f];
      [content addSubview: accessory];
    }
  [panel center];
}

@interface NSAlert (KPGNUstepPanel)
- (void) _setupPanel;
@end

@implementation NSAlert (KPAccessoryView)

- (NSView *) accessoryView
{
  return accessoryViews != NULL ? NSMapGet(accessoryViews, self) : nil;
}

- (void) setAccessoryView: (NSView *)view
{
  if (accessoryViews == NULL)
    accessoryViews = NSCreateMapTable(NSNonRetainedObjectMapKeyCallBacks,
                                      NSObjectMapValueCallBacks, 4);
  if (view != nil)
    NSMapInsert(accessoryViews, self, view);
  else
    NSMapRemove(accessoryViews, self);
}

// The panel built at once, as AppKit's -layout does, so that the caller can
// set up its window before it runs.
- (void) layout
{
  if ([self respondsToSelector: @selector(_setupPanel)])
    [self _setupPanel];
}

// Exchanged with -_setupPanel at load: calling it here runs GNUstep's own.
// GNUstep builds a new panel at every call, the run's included, where AppKit
// keeps one window per alert: a new panel is arranged, and the first
// responder that the caller chose on the window that -layout gave is kept.
- (void) kpSetupPanel
{
  NSWindow *before = [[self window] retain];
  NSWindow *after;
  [self kpSetupPanel];
  after = [self window];
  if (after != nil && after != before)
    {
      NSView *initial = [before initialFirstResponder];
      arrangeBand(self, after);
      if (initial != nil && [initial window] == after)
        [after setInitialFirstResponder: initial];
    }
  [before release];
}

// Exchanged with -dealloc at load.
- (void) kpDealloc
{
  if (accessoryViews != NULL)
    NSMapRemove(accessoryViews, self);
  [self kpDealloc];
}

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(dealloc)),
    class_getInstanceMethod(self, @selector(kpDealloc)));
  Method setup = class_getInstanceMethod(self, NSSelectorFromString(@"_setupPanel"));
  if (setup != NULL)
    method_exchangeImplementations(setup,
      class_getInstanceMethod(self, @selector(kpSetupPanel)));
}

@end
