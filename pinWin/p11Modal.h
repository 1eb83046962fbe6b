// The ways a dialog blocks its caller, shared by all dialogs. An exception
// raised inside the platform's modal run is caught in here and never reaches
// the host.
#pragma once
#import <AppKit/AppKit.h>

#ifdef __cplusplus
extern "C" {
#endif

// Window-modal run: makes `window` key and front (sender: the controller) and
// runs it modally until something calls stopModal. Returns the run's
// response, or NSModalResponseAbort when the platform raised an exception.
NSInteger p11RunWindowModal(NSWindow *window, id sender);

// Alert run: runs the alert modally and returns the response of the button
// that ended it, or NSModalResponseAbort when the platform raised an exception.
NSInteger p11RunAlert(NSAlert *anAlert);

// Polled modal session: one turn of the session's run, which handles the
// events waiting for its window and returns. Returns the session's response,
// or NSModalResponseAbort when the platform raised an exception.
NSInteger p11RunModalSession(NSModalSession modalSession);

// Settle wait: after a modal run that ended without a decision, keeps the
// main run loop turning for about half a second before the dialog returns.
// Returns at once while `decided(context)` answers YES.
typedef BOOL (*p11DecidedTest)(const void *context);
void p11SettleWait(p11DecidedTest decided, const void *context);

// The decided test of dialogs whose int result starts at -1: 0 or 1 decides.
BOOL p11ResultIsDecided(const void *result);

#ifdef __cplusplus
}
#endif
