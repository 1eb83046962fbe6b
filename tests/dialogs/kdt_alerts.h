// Looking at the library's alerts from a test.
#pragma once
#import "kdt_harness.h"

// The alert's icon: its picture button (the largest image in the window).
NSImage *kdtAlertIcon(NSWindow *window);
// The width in pixels of an image's largest representation.
NSInteger kdtPixelsWide(NSImage *image);
// The texts of the window's visible labels, secure fields left out.
NSArray *kdtVisibleTexts(NSWindow *window);
// The visible label that shows `text`, or nil.
NSTextField *kdtLabel(NSWindow *window, NSString *text);
// The window's visible buttons that carry a title, in their order.
NSArray *kdtTitledButtons(NSWindow *window);
