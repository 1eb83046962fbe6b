/* The state of the module: the simulated tokens and the hosts' sessions.
 * Every entry point holds module_lock while it works on them, except while
 * a dialog is up (module_dialog_begin and module_dialog_end). */
#ifndef KEYTOKEN_H
#define KEYTOKEN_H

#include <p11-kit/pkcs11.h>
#include <pthread.h>
#include <sys/types.h>

#include "token_config.h"
#include "token_keys.h"

#define KEYTOKEN_SESSIONS_MAX 64

/* What one token holds: its certificate, public key and private key. */
enum object_kind { OBJECT_CERTIFICATE, OBJECT_PUBLIC_KEY, OBJECT_PRIVATE_KEY, OBJECT_KINDS };

struct token
{
  struct token_config config;
  struct token_keys keys;
  int has_objects;   /* keys loaded, and the token not initialised since */
  int logged_in;
  int logging_in;    /* the PIN window is up for it */
};

struct session
{
  int open;
  int token;         /* index into module.tokens */
  CK_SLOT_ID slot;
  CK_FLAGS flags;
  int finding;
  CK_OBJECT_HANDLE found[OBJECT_KINDS];
  int found_count, found_next;
  int signing;
  CK_OBJECT_HANDLE sign_key;
};

struct module
{
  int initialized;
  pid_t pid;         /* of the process that initialised the module */
  int choose;        /* one slot, whose token the user chooses */
  int chosen;        /* that token, -1 before the choice */
  int token_count;
  struct token tokens[TOKEN_READERS_MAX];
  struct session sessions[KEYTOKEN_SESSIONS_MAX];
};

extern struct module module;
/* Every entry point, in the order of the standard. */
extern CK_FUNCTION_LIST keytoken_function_list;
extern pthread_mutex_t module_lock;
/* Signalled when a login through the PIN window has ended. */
extern pthread_cond_t login_ended;

/* Environment: the configuration file, and whether to ask which token. */
#define KEYTOKEN_CONFIG_VARIABLE "KEYTOKEN_PKCS11_CONFIG"
#define KEYTOKEN_CHOOSE_VARIABLE "KEYTOKEN_PKCS11_CHOOSE"

/* Locks the module and checks that it is initialised; unlocks on failure. */
CK_RV module_enter(void);

/* Unlocks the module while a dialog is up, so that other threads' calls
 * answer while the user reads or types. module_dialog_end locks it again and
 * checks that the module is still initialised and `handle` still an open
 * session (CKR_CRYPTOKI_NOT_INITIALIZED or CKR_SESSION_CLOSED if not); the
 * module stays locked either way. */
void module_dialog_begin(void);
CK_RV module_dialog_end(CK_SESSION_HANDLE handle);
/* The checks of module_dialog_end, with the module locked. */
CK_RV module_session_still_open(CK_SESSION_HANDLE handle);
/* Unlocks the module and passes `rv` through. */
CK_RV module_leave(CK_RV rv);

/* module_enter, then the open session of `handle` (or
 * CKR_SESSION_HANDLE_INVALID, unlocked). */
CK_RV session_enter(CK_SESSION_HANDLE handle, struct session **session);
/* module_enter, then the token behind `slot` into `token` if not NULL (or
 * CKR_SLOT_ID_INVALID, unlocked). */
CK_RV slot_enter(CK_SLOT_ID slot, int *token);
/* Ends every session on a token and logs it out. */
void sessions_close_token(int token);

/* Object handles: unique per token and kind. */
CK_OBJECT_HANDLE object_handle(int token, enum object_kind kind);
/* Whether `handle` names an object visible in `session`; sets its kind. */
int object_visible(const struct session *session, CK_OBJECT_HANDLE handle,
                   enum object_kind *kind);

/* Fills a fixed-size PKCS#11 text field, padded with blanks. */
void blank_padded(unsigned char *field, size_t size, const char *text);

#endif
