// Where and when a dialog runs: on the main thread, one at a time, whichever
// thread the host calls from. Browsers call the token's module from worker
// threads that change from call to call, and two of them may ask at once.
#pragma once
#include <dispatch/dispatch.h>

#ifdef __cplusplus
extern "C" {
#endif

// Runs dialog(call) on the main thread and returns when it has. A caller that
// comes while another thread's dialog is open waits for it to end; a dialog
// started on the dialogs' own thread while one is open (from a callback of
// its run) runs at once, inside it.
void p11RunDialog(dispatch_function_t dialog, void *call);

#ifdef __cplusplus
}
#endif
