/* Slots and tokens: one slot per simulated reader, or with the choice on,
 * one slot for the token that the user picks in the token dialog. */
#include "keytoken.h"
#include "token_dialogs.h"

#include <string.h>

static const CK_MECHANISM_TYPE mechanisms[] = { CKM_ECDSA };

static int slot_count(void)
{
  return module.choose ? 1 : module.token_count;
}

static int slot_token(CK_SLOT_ID slot)
{
  if (slot >= (CK_SLOT_ID)slot_count())
    return -1;
  return module.choose ? module.chosen : (int)slot;
}

CK_RV slot_enter(CK_SLOT_ID slot, int *token)
{
  CK_RV rv = module_enter();
  int found;
  if (rv != CKR_OK)
    return rv;
  if ((found = slot_token(slot)) < 0)
    return module_leave(CKR_SLOT_ID_INVALID);
  if (token != NULL)
    *token = found;
  return CKR_OK;
}

/* The host's first look at the slots is when the user chooses. */
static void choose_token(void)
{
  struct token_row rows[TOKEN_READERS_MAX];
  int i, chosen;

  for (i = 0; i < module.token_count; i++)
    {
      rows[i].label = module.tokens[i].config.label;
      rows[i].name = module.tokens[i].config.reader;
      rows[i].serial = module.tokens[i].config.serial;
    }
  chosen = token_dialogs_choose(rows, module.token_count);
  module.chosen = chosen >= 0 ? chosen : 0;
}

CK_RV C_GetSlotList(CK_BBOOL token_present, CK_SLOT_ID_PTR list, CK_ULONG_PTR count)
{
  CK_RV rv;
  CK_ULONG i, n;

  if ((rv = module_enter()) != CKR_OK)
    return rv;
  if (count == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (module.choose && module.chosen < 0)
    choose_token();
  n = (CK_ULONG)slot_count();  /* every reader holds its token */
  if (list != NULL)
    {
      if (*count < n)
        {
          *count = n;
          return module_leave(CKR_BUFFER_TOO_SMALL);
        }
      for (i = 0; i < n; i++)
        list[i] = i;
    }
  *count = n;
  return module_leave(CKR_OK);
}

CK_RV C_GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info)
{
  CK_RV rv;
  int token;

  if ((rv = slot_enter(slot, &token)) != CKR_OK)
    return rv;
  if (info == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  memset(info, 0, sizeof *info);
  blank_padded(info->slotDescription, sizeof info->slotDescription,
               module.tokens[token].config.reader);
  blank_padded(info->manufacturerID, sizeof info->manufacturerID, "Selvik");
  info->flags = CKF_TOKEN_PRESENT | CKF_REMOVABLE_DEVICE | CKF_HW_SLOT;
  return module_leave(CKR_OK);
}

CK_RV C_GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info)
{
  CK_RV rv;
  int token;
  const struct token_config *config;

  if ((rv = slot_enter(slot, &token)) != CKR_OK)
    return rv;
  if (info == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  config = &module.tokens[token].config;
  memset(info, 0, sizeof *info);
  blank_padded(info->label, sizeof info->label, config->label);
  blank_padded(info->manufacturerID, sizeof info->manufacturerID, "Selvik");
  blank_padded(info->model, sizeof info->model, "Korvex");
  blank_padded(info->serialNumber, sizeof info->serialNumber, config->serial);
  /* Protected path: hosts leave the PIN to the module's own window. */
  info->flags = CKF_LOGIN_REQUIRED | CKF_PROTECTED_AUTHENTICATION_PATH
    | CKF_TOKEN_INITIALIZED | CKF_USER_PIN_INITIALIZED;
  info->ulMaxSessionCount = CK_EFFECTIVELY_INFINITE;
  info->ulSessionCount = CK_UNAVAILABLE_INFORMATION;
  info->ulMaxRwSessionCount = CK_EFFECTIVELY_INFINITE;
  info->ulRwSessionCount = CK_UNAVAILABLE_INFORMATION;
  info->ulMaxPinLen = KEYDIALOGS_PIN_MAX;
  info->ulMinPinLen = 4;
  info->ulTotalPublicMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulFreePublicMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulTotalPrivateMemory = CK_UNAVAILABLE_INFORMATION;
  info->ulFreePrivateMemory = CK_UNAVAILABLE_INFORMATION;
  info->hardwareVersion.major = 1;
  info->firmwareVersion.major = 1;
  return module_leave(CKR_OK);
}

CK_RV C_GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count)
{
  const CK_ULONG n = sizeof mechanisms / sizeof mechanisms[0];
  CK_RV rv;

  if ((rv = slot_enter(slot, NULL)) != CKR_OK)
    return rv;
  if (count == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (list != NULL)
    {
      if (*count < n)
        {
          *count = n;
          return module_leave(CKR_BUFFER_TOO_SMALL);
        }
      memcpy(list, mechanisms, sizeof mechanisms);
    }
  *count = n;
  return module_leave(CKR_OK);
}

CK_RV C_GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info)
{
  CK_RV rv;

  if ((rv = slot_enter(slot, NULL)) != CKR_OK)
    return rv;
  if (info == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (type != CKM_ECDSA)
    return module_leave(CKR_MECHANISM_INVALID);
  info->ulMinKeySize = 256;
  info->ulMaxKeySize = 256;
  info->flags = CKF_HW | CKF_SIGN | CKF_EC_F_P | CKF_EC_NAMEDCURVE | CKF_EC_UNCOMPRESS;
  return module_leave(CKR_OK);
}

/* The user confirms in the initialisation warning; the token then holds no
 * key or certificate any more and takes the new label. */
CK_RV C_InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR so_pin, CK_ULONG so_pin_length,
                  CK_UTF8CHAR_PTR label)
{
  CK_RV rv;
  int token, i, confirmed;
  char text[33];

  if ((rv = slot_enter(slot, &token)) != CKR_OK)
    return rv;
  if (label == NULL || (so_pin == NULL && so_pin_length != 0))
    return module_leave(CKR_ARGUMENTS_BAD);
  for (i = 0; i < KEYTOKEN_SESSIONS_MAX; i++)
    if (module.sessions[i].open && module.sessions[i].token == token)
      return module_leave(CKR_SESSION_EXISTS);
  confirmed = token_dialogs_confirm_init();
  if (confirmed < 0)
    return module_leave(CKR_FUNCTION_FAILED);
  if (confirmed == 0)
    return module_leave(CKR_FUNCTION_CANCELED);
  memcpy(text, label, 32);
  for (i = 32; i > 0 && text[i - 1] == ' '; i--)
    continue;
  text[i] = '\0';
  strcpy(module.tokens[token].config.label, text);
  token_keys_free(&module.tokens[token].keys);
  module.tokens[token].has_objects = 0;
  module.tokens[token].logged_in = 0;
  return module_leave(CKR_OK);
}
