/* The module's entry: initialisation, finalisation, its information and the
 * function list that hosts get from C_GetFunctionList. */
#include "keytoken.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

struct module module;
pthread_mutex_t module_lock = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t login_ended = PTHREAD_COND_INITIALIZER;

CK_RV module_enter(void)
{
  pthread_mutex_lock(&module_lock);
  if (!module.initialized || module.pid != getpid())
    {
      pthread_mutex_unlock(&module_lock);
      return CKR_CRYPTOKI_NOT_INITIALIZED;
    }
  return CKR_OK;
}

CK_RV module_leave(CK_RV rv)
{
  pthread_mutex_unlock(&module_lock);
  return rv;
}

void module_dialog_begin(void)
{
  pthread_mutex_unlock(&module_lock);
}

CK_RV module_dialog_end(CK_SESSION_HANDLE handle)
{
  pthread_mutex_lock(&module_lock);
  return module_session_still_open(handle);
}

CK_RV module_session_still_open(CK_SESSION_HANDLE handle)
{
  if (!module.initialized || module.pid != getpid())
    return CKR_CRYPTOKI_NOT_INITIALIZED;
  if (handle == 0 || handle > KEYTOKEN_SESSIONS_MAX || !module.sessions[handle - 1].open)
    return CKR_SESSION_CLOSED;
  return CKR_OK;
}

void blank_padded(unsigned char *field, size_t size, const char *text)
{
  size_t length = strlen(text);
  if (length > size)
    {
      length = size;
      /* Never half a UTF-8 character: continuation bytes are 10xxxxxx. */
      while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80)
        length--;
    }
  memset(field, ' ', size);
  memcpy(field, text, length);
}

static void forget_tokens(void)
{
  int i;
  for (i = 0; i < module.token_count; i++)
    token_keys_free(&module.tokens[i].keys);
  memset(&module, 0, sizeof module);
}

static void load_tokens(void)
{
  struct readers_config config;
  char config_path[TOKEN_PATH_MAX];
  const char *choose = getenv(KEYTOKEN_CHOOSE_VARIABLE);
  int i;

  token_config_read(token_config_path(config_path, sizeof config_path), &config);
  module.token_count = config.count;
  for (i = 0; i < config.count; i++)
    {
      struct token *token = &module.tokens[i];
      token->config = config.readers[i];
      token->has_objects = token->config.key[0] != '\0'
        && token_keys_load(&token->keys, token->config.key, token->config.cert) == 0;
    }
  memset(&config, 0, sizeof config);  /* it holds the PINs */
  module.choose = choose != NULL && *choose != '\0' && strcmp(choose, "0") != 0
    && module.token_count > 1;
  module.chosen = module.choose ? -1 : 0;
}

static CK_RV check_initialize_args(const CK_C_INITIALIZE_ARGS *args)
{
  int given;
  if (args == NULL)
    return CKR_OK;
  if (args->pReserved != NULL)
    return CKR_ARGUMENTS_BAD;
  given = (args->CreateMutex != NULL) + (args->DestroyMutex != NULL)
    + (args->LockMutex != NULL) + (args->UnlockMutex != NULL);
  if (given != 0 && given != 4)
    return CKR_ARGUMENTS_BAD;
  /* The module locks with the system's own mutexes only. */
  if (given == 4 && !(args->flags & CKF_OS_LOCKING_OK))
    return CKR_CANT_LOCK;
  return CKR_OK;
}

CK_RV C_Initialize(CK_VOID_PTR init_args)
{
  CK_RV rv = check_initialize_args(init_args);
  if (rv != CKR_OK)
    return rv;
  pthread_mutex_lock(&module_lock);
  if (module.initialized && module.pid == getpid())
    return module_leave(CKR_CRYPTOKI_ALREADY_INITIALIZED);
  /* In a child of the process that initialised the module, the parent's
   * sessions and logins are not the child's. */
  forget_tokens();
  load_tokens();
  module.pid = getpid();
  module.initialized = 1;
  return module_leave(CKR_OK);
}

CK_RV C_Finalize(CK_VOID_PTR reserved)
{
  CK_RV rv;
  if (reserved != NULL)
    return CKR_ARGUMENTS_BAD;
  if ((rv = module_enter()) != CKR_OK)
    return rv;
  forget_tokens();
  return module_leave(CKR_OK);
}

CK_RV C_GetInfo(CK_INFO_PTR info)
{
  CK_RV rv;
  if ((rv = module_enter()) != CKR_OK)
    return rv;
  if (info == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  memset(info, 0, sizeof *info);
  info->cryptokiVersion.major = 2;
  info->cryptokiVersion.minor = 40;
  blank_padded(info->manufacturerID, sizeof info->manufacturerID, "Selvik");
  blank_padded(info->libraryDescription, sizeof info->libraryDescription,
               "Simulated Korvex token");
  info->libraryVersion.major = 1;
  return module_leave(CKR_OK);
}

__attribute__((visibility("default")))
CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list)
{
  if (list == NULL)
    return CKR_ARGUMENTS_BAD;
  *list = &keytoken_function_list;
  return CKR_OK;
}
