/* libkeydialogs: modal dialogs for the token's cryptographic module.
 *
 * Every function shows one dialog and blocks until the user has answered. Call
 * them on the thread that runs the process's main run loop. A process that is
 * not itself an AppKit application calls P11_ConsoleInit once first.
 *
 * Strings are NUL-terminated UTF-8. Buffers and ints passed in belong to the
 * caller; the library keeps no pointer to them after the call unless a
 * function says otherwise.
 */
#ifndef KEYDIALOGS_H
#define KEYDIALOGS_H

#ifdef __cplusplus
extern "C" {
#endif

/* Objective-C objects (NSArray, NSString...) cross this interface as plain
 * pointers, so that C callers can include the header. */
#ifdef __OBJC__
typedef id kd_object_t;
#else
typedef void *kd_object_t;
#endif

/* The longest PIN, in bytes of UTF-8, that any PIN dialog hands back. The
 * field takes no more while the user types (and never half a character), so a
 * buffer of KEYDIALOGS_PIN_MAX bytes always suffices. */
#define KEYDIALOGS_PIN_MAX 64

/* Makes sure that the process has the shared application object: creates it,
 * makes the process a regular application and brings it to the front. Does
 * nothing when the application object exists already. */
void P11_ConsoleInit(void);

/* Asks for the token's PIN in the window "SelvikUSBKey管理工具".
 *
 * pin:    the caller's buffer of at least KEYDIALOGS_PIN_MAX bytes. It receives
 *         the PIN's UTF-8 bytes, without a terminating NUL; bytes behind the
 *         PIN are not touched. An empty PIN writes no byte.
 * pinLen: receives the PIN's length in bytes (0 to KEYDIALOGS_PIN_MAX). Its
 *         value on entry is not read.
 * Both are filled whatever the outcome (after cancel too).
 *
 * Returns 0 when the user pressed "确定", 1 for "取消", and -1 when the
 * dialog ended otherwise. With a null pin or pinLen, or before the process
 * has an application object (see P11_ConsoleInit), no window is shown,
 * nothing is written, and the result is -1. */
int P11_BlockPopPin(char *pin, int *pinLen);

/* Ends the countdown window at its next once-a-second check. Any thread. */
void closeWindow(void);

/* Ends the countdown window at once. Call it on the window's (main) thread. */
void closeWindow_t(void);

#ifdef __cplusplus
}
#endif

#endif
