#import "kdt_alerts.h"

NSInteger kdtPixelsWide(NSImage *image)
{
  NSArray *reps = [image representations];
  NSInteger widest = 0;
  NSUInteger i;
  for (i = 0; i < [reps count]; i++)
    widest = MAX(widest, [[reps objectAtIndex: i] pixelsWide]);
  return widest;
}

NSImage *kdtAlertIcon(NSWindow *window)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSImage *icon = nil;
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    {
      id view = [views objectAtIndex: i];
      NSImage *image = [view isKindOfClass: [NSButton class]] ? [view image] : nil;
      if (image != nil && ![view isHidden]
          && (icon == nil || [image size].width > [icon size].width))
        icon = image;
    }
  return icon;
}

static NSArray *visibleLabels(NSWindow *window)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSMutableArray *labels = [NSMutableArray array];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    {
      id view = [views objectAtIndex: i];
      if ([view isKindOfClass: [NSTextField class]] && ![view isHiddenOrHasHiddenAncestor]
          && ![view isKindOfClass: [NSSecureTextField class]])
        [labels addObject: view];
    }
  return labels;
}

NSArray *kdtVisibleTexts(NSWindow *window)
{
  return [visibleLabels(window) valueForKey: @"stringValue"];
}

NSTextField *kdtLabel(NSWindow *window, NSString *text)
{
  NSArray *labels = visibleLabels(window);
  NSUInteger i;
  for (i = 0; i < [labels count]; i++)
    if ([[[labels objectAtIndex: i] stringValue] isEqual: text])
      return [labels objectAtIndex: i];
  return nil;
}

NSArray *kdtTitledButtons(NSWindow *window)
{
  NSArray *views = kdtAllSubviews([window contentView]);
  NSMutableArray *buttons = [NSMutableArray array];
  NSUInteger i;
  for (i = 0; i < [views count]; i++)
    {
      id view = [views objectAtIndex: i];
      if ([view isKindOfClass: [NSButton class]] && ![view isHidden]
          && [[view title] length] > 0 && [view image] != kdtAlertIcon(window))
        [buttons addObject: view];
    }
  return buttons;
}
