/* libkeydialogs: modal dialogs for the token's cryptographic module.
 *
 * Every function shows one dialog and blocks until the user has answered. Any
 * thread may call them, a different one each time: the dialog runs on the main
 * thread (in a process that is no application and runs no main loop, on the
 * calling thread), one at a time; a caller that comes while another thread's
 * dialog is open waits for it. A process that is not itself an AppKit
 * application calls P11_ConsoleInit once first (from any thread).
 *
 * Strings are NUL-terminated UTF-8. Buffers and ints passed in belong to the
 * caller; the library keeps no pointer to them after the call unless a
 * function says otherwise.
 */
#ifndef KEYDIALOGS_H
#define KEYDIALOGS_H

#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Objective-C objects (NSArray, NSString...) cross this interface as plain
 * pointers, so that C callers can include the header. */
#ifdef __OBJC__
typedef id kd_object_t;
@class NSArray;
typedef NSArray *kd_array_t;
#else
typedef void *kd_object_t;
typedef void *kd_array_t;
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

/* Asks for the token's PIN in an alert: the picture "QV64.png" from the bundle
 * at bundlePath, the message "请输入用户密码！", a masked field and one button
 * ("OK", or the host's own translation of it).
 *
 * pin:        as for P11_BlockPopPin: a buffer of at least KEYDIALOGS_PIN_MAX
 *             bytes; receives the PIN's UTF-8 bytes without a NUL, and bytes
 *             behind the PIN are not touched. An empty PIN writes no byte.
 * pinLen:     receives the PIN's length in bytes (0 to KEYDIALOGS_PIN_MAX);
 *             not read on entry.
 * text:       not used; may be null.
 * bundlePath: the picture's bundle. Null, not UTF-8, or without the picture:
 *             the platform's default icon.
 *
 * Returns 0 (the user cannot cancel; an empty PIN shows only in *pinLen).
 * With a null pin or pinLen, or before the process has an application object,
 * nothing is shown or written and the result is -1. */
int P11_BlockPopPin_pic(char *pin, int *pinLen, const char *text, const char *bundlePath);

/* The selection dialogs: a list in a modal window, one row per element of
 * `list`, in its order, with the buttons "确定" and "取消". The first row
 * starts selected. Returns the 0-based position of the row selected when
 * "确定" was pressed, and 0 for "确定" with no row selected, for "取消", for
 * an empty or null list, and before the process has an application object
 * (no window is shown then). The result is never negative.
 *
 * list: an NSArray of NSDictionary elements whose values are NSString texts;
 *       it is only read. An element that is not a dictionary shows as a row
 *       without values, and a value that is not a text shows as its
 *       description (as "%@" writes it). */

/* "请选择要查看的证书": one row per certificate, showing its "cerState" and,
 * from its "sub" S and "isser" I, the text "S's I ID". A missing "sub" or
 * "isser" is written "(null)"; a missing "cerState" leaves its cell blank. */
int selectCertAlertWithArr(kd_array_t list);

/* "请选择Korvex": one row per token, showing its "label", "name" and "serial"
 * from left to right; a missing value leaves its cell blank. */
int selectKeyAlertWithArr(kd_array_t list);

/* Shows the window "按键提示" with a picture and, over it, the seconds left
 * ("剩余%d秒"), counting down once a second while the user presses the key on
 * the token. Blocks until the window has closed; returns 0.
 *
 * seconds:    the countdown's length; 0 or less shows that number for one second.
 * gifName:    the picture "gifName.gif" in the bundle at sourcePath; the names
 *             "QVLedChangepin" and "QVLedChangepin(2)" show the library's own
 *             key-confirmation picture instead. Null (either of the two) or a
 *             missing picture leaves the picture area empty.
 * wlenght, wWide: height and width of the window's content area, in points.
 * winClosed:  the window closes within about a second once the caller's int
 *             reads 0 (write it from any thread); when the user closes the
 *             window the library stores 0 there. It must stay valid until the
 *             call returns. Null: no int is read or written.
 */
int showCountDownWindow(int seconds, const char *gifName, const char *sourcePath,
                        int wlenght, int wWide, int *winClosed);

/* Asks the user to confirm that the token be initialised: a warning alert
 * with the picture "imageName.png" from the bundle at bundlePath and the
 * buttons "确定" (also Return) and "取消". Returns true only for "确定".
 * A null or non-UTF-8 name or path, or a missing picture, shows the platform's
 * default icon. Before the process has an application object nothing is
 * shown and the result is false. */
bool keyInitAlert(const char *imageName, const char *bundlePath);

/* Shows `message` with one button; returns 0 however the alert ends.
 * P11_ShowMsg2 shows it with "确定" (also Return) and "取消" and returns 0 for
 * "确定", 1 otherwise. A null or non-UTF-8 message shows no text. The int
 * argument is not used. Before the process has an application object nothing
 * is shown (P11_ShowMsg2 then returns 1). */
int P11_ShowMsg(const char *message, int unused);
int P11_ShowMsg2(const char *message, int unused);

/* Ends the countdown window at its next once-a-second check. Any thread. */
void closeWindow(void);

/* Ends the countdown window at once on the thread that runs it (called from
 * inside its run); from any other thread, at its next once-a-second check. */
void closeWindow_t(void);

#ifdef __cplusplus
}
#endif

#endif
