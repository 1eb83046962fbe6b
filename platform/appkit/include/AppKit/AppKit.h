// GNUstep's AppKit plus what this project uses of Apple's newer AppKit and
// GNUstep does not have yet. Found before GNUstep's own header, so code reads
// the same as on macOS.
#include_next <AppKit/AppKit.h>

#ifndef KP_APPKIT_ADDITIONS_H
#define KP_APPKIT_ADDITIONS_H

// Current names of button types and bezel styles.
#define NSButtonTypePushOnPushOff NSPushOnPushOffButton
#define NSBezelStyleRounded NSRoundedBezelStyle
#define NSAlertStyleWarning NSWarningAlertStyle

@interface NSApplication (KPActivationPolicy)
// Keeps the policy for -activationPolicy. A process that becomes an
// application this way also finishes its launch (without that GNUstep sends
// no keystrokes to any window), and does so without opening the process's
// command-line arguments as documents: the host is any program.
- (BOOL) setActivationPolicy: (NSApplicationActivationPolicy)policy;
- (NSApplicationActivationPolicy) activationPolicy;
@end

@interface NSView (KPIdentification)
- (NSString *) identifier;
- (void) setIdentifier: (NSString *)identifier;
// Kept only: GNUstep lays views out by their autoresizing masks.
- (BOOL) translatesAutoresizingMaskIntoConstraints;
- (void) setTranslatesAutoresizingMaskIntoConstraints: (BOOL)flag;
@end

// View-based tables: a delegate that answers tableView:viewForTableColumn:row:
// supplies each cell as a view; the table shows the view's text.
@interface NSTableView (KPViewBased)
- (id) makeViewWithIdentifier: (NSString *)identifier owner: (id)owner;
@end

@interface NSObject (KPViewBasedTableDelegate)
- (NSView *) tableView: (NSTableView *)tableView
    viewForTableColumn: (NSTableColumn *)tableColumn row: (NSInteger)row;
@end

// An alert's accessory view, shown under its message text; -layout builds
// the alert's window before it runs.
@interface NSAlert (KPAccessoryView)
- (NSView *) accessoryView;
- (void) setAccessoryView: (NSView *)view;
- (void) layout;
@end

#endif
