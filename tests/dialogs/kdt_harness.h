// Harness for driving libkeydialogs' real windows from a test host.
//
// A test host loads the installed library with kdtOpenLibrary, installs a
// script of steps with kdtDrive, then calls the dialog's entry point. The
// script runs from a timer that fires inside the dialog's modal run and acts
// on the dialog as a user would.
#pragma once
#import <AppKit/AppKit.h>
#import "kdt_secret.h"
#include <pthread.h>

// ---- The library under test ----
void kdtOpenLibrary(const char *path);      // exits the test on failure
void *kdtSymbol(const char *name);          // exits the test when missing
// From now on counts the cell views that the dialogs' lists ask the dialog
// controller for; returns the counter.
const int *kdtCountCellViews(void);

// Runs body(context) on a thread of its own, with a pool; the second form
// waits for it to end.
void kdtStartThread(pthread_t *thread, void (*body)(void *), void *context);
void kdtOnNewThread(void (*body)(void *), void *context);

// ---- Checks ----
extern int kdtFailures;
void kdtCheck(BOOL ok, const char *what, const char *file, int line);
#define KDT_CHECK(cond) kdtCheck((cond) ? YES : NO, #cond, __FILE__, __LINE__)

// The caller's side of the PIN dialogs' buffer contract: the buffer is filled
// with a marker before the call, so that a byte written behind the PIN shows.
#define KDT_UNTOUCHED 0xAA
void kdtMarkPinBuffer(unsigned char *buffer, size_t size, int *length);
// Checks that the buffer holds `pin`, `length` is its length in bytes, and
// nothing behind it was written.
void kdtExpectPin(const unsigned char *buffer, size_t size, int length, const char *pin);

// Whether a process called `name` (a GNUstep daemon: gdnc, gpbs) was started
// by this test run.
BOOL kdtRunHasProcess(const char *name);

// ---- Driving a dialog ----
typedef enum
{
  KDTWaitWindow,  // wait for the modal window titled `text` (NULL: any title)
  KDTSetText,     // put `text` into the dialog's secure field, as a paste would
  KDTClickField,  // click into the secure field with the real X pointer
  KDTClickRow,    // click row `text` (a number) of the dialog's list, likewise
  KDTTypeKeys,    // type `text` with real X keystrokes (xdotool)
  KDTTypeSecret,  // type `secret` likewise, without the host holding it
  KDTPressKey,    // press the key named `text` (an X keysym name such as Return)
  KDTInspect,     // call `inspect` with the dialog's window
  KDTScreenshot,  // write the window to $KDT_SCREENSHOT_DIR/`text`.png
  KDTClick,       // click the button titled `text`
  KDTStopModal,   // end the modal run from outside the dialog
  KDTPause        // let the dialog run for `text` milliseconds
} KDTStepKind;

typedef struct
{
  KDTStepKind kind;
  const char *text;
  void (*inspect)(NSWindow *window);
  const KDTSecret *secret;
} KDTStep;

#define KDT_STEPS(array) (array), (int)(sizeof(array) / sizeof((array)[0]))

// Runs `steps` against the next modal window; the steps must have been done
// within 20 seconds or the test fails. `steps` must outlive the dialog.
void kdtDrive(const KDTStep *steps, int count);
BOOL kdtDriveFinished(void);

// Helpers for inspecting a dialog window.
NSArray *kdtAllSubviews(NSView *view);  // depth first, the view itself left out
NSSecureTextField *kdtSecureField(NSWindow *window);
NSButton *kdtButton(NSWindow *window, NSString *title);
NSTableView *kdtTableView(NSWindow *window);
NSString *kdtUTF8(const char *text);

// ---- Scenarios ----
typedef struct
{
  const char *name;
  void (*run)(void);
  BOOL application;  // the host makes its application object before loading
} KDTScenario;

// Each dialog's scenarios, ended by a {NULL, NULL} entry.
extern const KDTScenario kdtFrameScenarios[];
extern const KDTScenario kdtPinScenarios[];
extern const KDTScenario kdtSelectionScenarios[];
extern const KDTScenario kdtCountdownScenarios[];
extern const KDTScenario kdtAlertScenarios[];
extern const KDTScenario kdtPinPromptScenarios[];
extern const KDTScenario kdtPinTraceScenarios[];
extern const KDTScenario kdtBadArgumentScenarios[];
extern const KDTScenario kdtRepeatScenarios[];
extern const KDTScenario kdtThreadScenarios[];
extern const KDTScenario kdtKeyboardScenarios[];
extern const KDTScenario kdtFrontScenarios[];
