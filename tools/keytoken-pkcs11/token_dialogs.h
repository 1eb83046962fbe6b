/* The dialogs that the token needs, shown by libkeydialogs, which is loaded
 * from its fixed path when the first of them is needed. Call them on the
 * thread that runs the process's user interface (the host's main thread). */
#ifndef TOKEN_DIALOGS_H
#define TOKEN_DIALOGS_H

#include "keydialogs.h"

/* Whether the dialog library could be loaded (and the process given an
 * application object). Every function below fails when it could not. */
int token_dialogs_available(void);

/* The PIN window. Returns 0 for "确定" (the PIN in `pin`, its length in
 * `*length`), 1 when the user did not confirm, -1 without dialogs. */
int token_dialogs_ask_pin(char pin[KEYDIALOGS_PIN_MAX], int *length);

void token_dialogs_show_message(const char *message);

/* The key-press window for `seconds` seconds; it closes early once another
 * thread writes 0 into `*pressed_flag`. Returns -1 without dialogs. */
int token_dialogs_countdown(int seconds, int *pressed_flag);

/* The initialisation warning: 1 for "确定", 0 for "取消", -1 without dialogs. */
int token_dialogs_confirm_init(void);

struct token_row
{
  const char *label, *name, *serial;
};

/* The token choice over `count` rows: the index chosen, -1 without dialogs. */
int token_dialogs_choose(const struct token_row *rows, int count);

/* Made in token_list.m: an NSArray of the rows for selectKeyAlertWithArr,
 * owned by the caller (release it with token_list_release). */
kd_array_t token_list_new(const struct token_row *rows, int count);
void token_list_release(kd_array_t list);

#endif
