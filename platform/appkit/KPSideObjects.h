// State that the stand-ins below keep beside a view. GNUstep's runtime has no
// associated objects, so it lives in a table keyed by the view and is dropped
// when the view is freed.
#pragma once
#import <AppKit/AppKit.h>

// The side object of class `kind` that belongs to `view`: made with +new on
// first use when `create` is YES, otherwise nil until then.
id KPSideObject(NSView *view, Class kind, BOOL create);
