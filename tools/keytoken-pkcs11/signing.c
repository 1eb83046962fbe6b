/* Signing. Before each signature the token waits for its OK key, and the
 * user sees the key-press window meanwhile. The simulated token "presses"
 * from a thread of its own after the configured delay, as the real token's
 * answer would arrive while the window counts down. */
#include "keytoken.h"
#include "token_dialogs.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

struct key_press
{
  pthread_mutex_t lock;
  pthread_cond_t window_gone;
  int window_open;     /* until the countdown call has returned */
  int pressed;
  int window_flag;     /* the countdown window's int: 0 closes it */
  int press_after;
};

static void *press_ok_key(void *context)
{
  struct key_press *press = context;
  struct timespec when;

  clock_gettime(CLOCK_REALTIME, &when);
  when.tv_sec += press->press_after;
  pthread_mutex_lock(&press->lock);
  while (press->window_open
         && pthread_cond_timedwait(&press->window_gone, &press->lock, &when) != ETIMEDOUT)
    continue;
  /* A press after the window has gone is too late: the token gave up. */
  if (press->window_open)
    {
      press->pressed = 1;
      __atomic_store_n(&press->window_flag, 0, __ATOMIC_SEQ_CST);
    }
  pthread_mutex_unlock(&press->lock);
  return NULL;
}

/* Shows the key-press window until the key is pressed or the countdown runs
 * out. Returns CKR_OK once pressed. */
static CK_RV wait_for_ok_key(const struct token_config *config)
{
  struct key_press press = { PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER,
                             1, 0, 1, config->press_after };
  pthread_t presser;
  int pressing = config->press_after != TOKEN_NEVER_PRESSED;
  int shown;

  if (pressing && pthread_create(&presser, NULL, press_ok_key, &press) != 0)
    return CKR_DEVICE_ERROR;
  shown = token_dialogs_countdown(config->countdown, &press.window_flag);
  pthread_mutex_lock(&press.lock);
  press.window_open = 0;
  pthread_cond_signal(&press.window_gone);
  pthread_mutex_unlock(&press.lock);
  if (pressing)
    pthread_join(presser, NULL);
  pthread_cond_destroy(&press.window_gone);
  pthread_mutex_destroy(&press.lock);
  if (shown < 0)
    return CKR_FUNCTION_FAILED;
  return press.pressed ? CKR_OK : CKR_FUNCTION_CANCELED;
}

CK_RV C_SignInit(CK_SESSION_HANDLE handle, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key)
{
  CK_RV rv;
  struct session *session;
  enum object_kind kind;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (mechanism == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (session->signing)
    return module_leave(CKR_OPERATION_ACTIVE);
  if (!module.tokens[session->token].logged_in)
    return module_leave(CKR_USER_NOT_LOGGED_IN);
  if (mechanism->mechanism != CKM_ECDSA)
    return module_leave(CKR_MECHANISM_INVALID);
  if (mechanism->pParameter != NULL || mechanism->ulParameterLen != 0)
    return module_leave(CKR_MECHANISM_PARAM_INVALID);
  if (!object_visible(session, key, &kind))
    return module_leave(CKR_KEY_HANDLE_INVALID);
  if (kind != OBJECT_PRIVATE_KEY)
    return module_leave(CKR_KEY_FUNCTION_NOT_PERMITTED);
  session->signing = 1;
  session->sign_key = key;
  return module_leave(CKR_OK);
}

CK_RV C_Sign(CK_SESSION_HANDLE handle, CK_BYTE_PTR data, CK_ULONG data_length,
             CK_BYTE_PTR signature, CK_ULONG_PTR signature_length)
{
  CK_RV rv;
  struct session *session;
  struct token *token;
  CK_ULONG needed;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (!session->signing)
    return module_leave(CKR_OPERATION_NOT_INITIALIZED);
  token = &module.tokens[session->token];
  if (data == NULL || signature_length == NULL)
    rv = CKR_ARGUMENTS_BAD;
  else if (!token->logged_in || !token->has_objects)
    rv = CKR_USER_NOT_LOGGED_IN;  /* logged out, or the key deleted, since the start */
  else
    {
      needed = (CK_ULONG)token_keys_signature_length(&token->keys);
      /* Asking for the length, or too small a buffer, keeps the operation. */
      if (signature == NULL || *signature_length < needed)
        {
          rv = signature == NULL ? CKR_OK : CKR_BUFFER_TOO_SMALL;
          *signature_length = needed;
          return module_leave(rv);
        }
      struct token_config config = token->config;
      CK_RV after;
      module_dialog_begin();
      rv = wait_for_ok_key(&config);
      if ((after = module_dialog_end(handle)) != CKR_OK)
        return module_leave(after);
      if (rv == CKR_OK && (!token->logged_in || !token->has_objects))
        rv = CKR_USER_NOT_LOGGED_IN;  /* logged out meanwhile */
      if (rv == CKR_OK)
        rv = token_keys_sign(&token->keys, data, data_length, signature) == 0
          ? CKR_OK : CKR_FUNCTION_FAILED;
      if (rv == CKR_OK)
        *signature_length = needed;
    }
  session->signing = 0;
  return module_leave(rv);
}
