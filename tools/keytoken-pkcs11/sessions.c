/* Sessions, and the user's login: through the PIN window when the host
 * leaves the PIN to the token (protected path), or with the host's PIN. */
#include "keytoken.h"
#include "token_dialogs.h"

#include <string.h>

static const char wrong_pin_message[] = "USBKey密码错误，请重新输入。";

CK_RV session_enter(CK_SESSION_HANDLE handle, struct session **session)
{
  CK_RV rv = module_enter();
  *session = NULL;
  if (rv != CKR_OK)
    return rv;
  if (handle == 0 || handle > KEYTOKEN_SESSIONS_MAX || !module.sessions[handle - 1].open)
    return module_leave(CKR_SESSION_HANDLE_INVALID);
  *session = &module.sessions[handle - 1];
  return CKR_OK;
}

void sessions_close_token(int token)
{
  int i;
  for (i = 0; i < KEYTOKEN_SESSIONS_MAX; i++)
    if (module.sessions[i].token == token)
      memset(&module.sessions[i], 0, sizeof module.sessions[i]);
  module.tokens[token].logged_in = 0;
}

CK_RV C_OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, CK_VOID_PTR application,
                    CK_NOTIFY notify, CK_SESSION_HANDLE_PTR handle)
{
  CK_RV rv;
  int token, i;

  if ((rv = slot_enter(slot, &token)) != CKR_OK)
    return rv;
  if (!(flags & CKF_SERIAL_SESSION))
    return module_leave(CKR_SESSION_PARALLEL_NOT_SUPPORTED);
  if (handle == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  for (i = 0; i < KEYTOKEN_SESSIONS_MAX; i++)
    if (!module.sessions[i].open)
      {
        struct session *session = &module.sessions[i];
        memset(session, 0, sizeof *session);
        session->open = 1;
        session->token = token;
        session->slot = slot;
        session->flags = flags;
        *handle = (CK_SESSION_HANDLE)i + 1;
        return module_leave(CKR_OK);
      }
  return module_leave(CKR_SESSION_COUNT);
}

CK_RV C_CloseSession(CK_SESSION_HANDLE handle)
{
  CK_RV rv;
  struct session *session;
  int token, i;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  token = session->token;
  memset(session, 0, sizeof *session);
  /* The login ends with the last session on the token. */
  for (i = 0; i < KEYTOKEN_SESSIONS_MAX; i++)
    if (module.sessions[i].open && module.sessions[i].token == token)
      return module_leave(CKR_OK);
  module.tokens[token].logged_in = 0;
  return module_leave(CKR_OK);
}

CK_RV C_CloseAllSessions(CK_SLOT_ID slot)
{
  CK_RV rv;
  int token;

  if ((rv = slot_enter(slot, &token)) != CKR_OK)
    return rv;
  sessions_close_token(token);
  return module_leave(CKR_OK);
}

CK_RV C_GetSessionInfo(CK_SESSION_HANDLE handle, CK_SESSION_INFO_PTR info)
{
  CK_RV rv;
  struct session *session;
  int rw, user;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (info == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  rw = (session->flags & CKF_RW_SESSION) != 0;
  user = module.tokens[session->token].logged_in;
  info->slotID = session->slot;
  info->state = user ? (rw ? CKS_RW_USER_FUNCTIONS : CKS_RO_USER_FUNCTIONS)
                     : (rw ? CKS_RW_PUBLIC_SESSION : CKS_RO_PUBLIC_SESSION);
  info->flags = session->flags;
  info->ulDeviceError = 0;
  return module_leave(CKR_OK);
}

/* Compares without stopping at the first difference. */
static int pin_matches(const char *expected, const unsigned char *pin, size_t length)
{
  size_t expected_length = strlen(expected), i;
  unsigned char difference = expected_length != length;
  for (i = 0; i < length; i++)
    difference |= (unsigned char)(pin[i] ^ (unsigned char)expected[i < expected_length ? i : 0]);
  return difference == 0;
}

/* The PIN window; the typed PIN is compared and wiped at once. */
static CK_RV login_in_window(struct token *token)
{
  char pin[KEYDIALOGS_PIN_MAX];
  int length = 0, answer, matches;

  answer = token_dialogs_ask_pin(pin, &length);
  if (answer < 0)
    return CKR_FUNCTION_FAILED;
  matches = answer == 0 && pin_matches(token->config.pin, (unsigned char *)pin, (size_t)length);
  explicit_bzero(pin, sizeof pin);
  if (answer != 0)
    return CKR_FUNCTION_CANCELED;
  if (!matches)
    {
      token_dialogs_show_message(wrong_pin_message);
      return CKR_PIN_INCORRECT;
    }
  return CKR_OK;
}

CK_RV C_Login(CK_SESSION_HANDLE handle, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length)
{
  CK_RV rv;
  struct session *session;
  struct token *token;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (user != CKU_USER)  /* the token has no security officer here */
    return module_leave(CKR_USER_TYPE_INVALID);
  token = &module.tokens[session->token];
  /* A second login on the token waits for the window of the first. */
  while (token->logging_in)
    {
      pthread_cond_wait(&login_ended, &module_lock);
      if ((rv = module_session_still_open(handle)) != CKR_OK)
        return module_leave(rv);
    }
  if (token->logged_in)
    return module_leave(CKR_USER_ALREADY_LOGGED_IN);
  if (pin == NULL && length == 0)
    {
      CK_RV after;
      token->logging_in = 1;
      module_dialog_begin();
      rv = login_in_window(token);
      after = module_dialog_end(handle);
      token->logging_in = 0;
      pthread_cond_broadcast(&login_ended);
      if (after != CKR_OK)
        return module_leave(after);
    }
  else if (pin == NULL)
    rv = CKR_ARGUMENTS_BAD;
  else
    rv = pin_matches(token->config.pin, pin, length) ? CKR_OK : CKR_PIN_INCORRECT;
  if (rv == CKR_OK)
    token->logged_in = 1;
  return module_leave(rv);
}

CK_RV C_Logout(CK_SESSION_HANDLE handle)
{
  CK_RV rv;
  struct session *session;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (!module.tokens[session->token].logged_in)
    return module_leave(CKR_USER_NOT_LOGGED_IN);
  module.tokens[session->token].logged_in = 0;
  return module_leave(CKR_OK);
}
