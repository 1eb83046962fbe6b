/* The token's three objects (certificate, public key, private key), their
 * attributes, and the search over them. The private key shows only while
 * the user is logged in. */
#include "keytoken.h"

#include <string.h>

static const char object_label[] = "Selvik key";

CK_OBJECT_HANDLE object_handle(int token, enum object_kind kind)
{
  return (CK_OBJECT_HANDLE)(token * OBJECT_KINDS + kind + 1);
}

int object_visible(const struct session *session, CK_OBJECT_HANDLE handle,
                   enum object_kind *kind)
{
  const struct token *token = &module.tokens[session->token];
  CK_OBJECT_HANDLE first = object_handle(session->token, 0);

  if (!token->has_objects || handle < first || handle >= first + OBJECT_KINDS)
    return 0;
  *kind = (enum object_kind)(handle - first);
  return *kind != OBJECT_PRIVATE_KEY || token->logged_in;
}

/* One attribute's value: where it lies and how long it is. */
struct value
{
  const void *bytes;
  CK_ULONG length;
  CK_ULONG number;  /* holds the value of CK_ULONG attributes */
  CK_BBOOL flag;    /* and of CK_BBOOL ones */
};

static void ulong_value(struct value *v, CK_ULONG n)
{
  v->number = n;
  v->bytes = &v->number;
  v->length = sizeof v->number;
}

static void bool_value(struct value *v, int yes)
{
  v->flag = yes ? CK_TRUE : CK_FALSE;
  v->bytes = &v->flag;
  v->length = sizeof v->flag;
}

static void blob_value(struct value *v, const struct blob *blob)
{
  v->bytes = blob->bytes;
  v->length = (CK_ULONG)blob->length;
}

enum lookup { FOUND, SENSITIVE, NO_SUCH_ATTRIBUTE };

static enum lookup common_value(const struct token_keys *keys, enum object_kind kind,
                                CK_ATTRIBUTE_TYPE type, struct value *v)
{
  static const CK_OBJECT_CLASS classes[] = { CKO_CERTIFICATE, CKO_PUBLIC_KEY, CKO_PRIVATE_KEY };
  switch (type)
    {
    case CKA_CLASS: ulong_value(v, classes[kind]); return FOUND;
    case CKA_TOKEN: bool_value(v, 1); return FOUND;
    case CKA_PRIVATE: bool_value(v, kind == OBJECT_PRIVATE_KEY); return FOUND;
    case CKA_MODIFIABLE: bool_value(v, 0); return FOUND;
    case CKA_LABEL: v->bytes = object_label; v->length = sizeof object_label - 1; return FOUND;
    case CKA_ID: blob_value(v, &keys->id); return FOUND;
    case CKA_SUBJECT: blob_value(v, &keys->subject); return FOUND;
    default: return NO_SUCH_ATTRIBUTE;
    }
}

static enum lookup certificate_value(const struct token_keys *keys, CK_ATTRIBUTE_TYPE type,
                                     struct value *v)
{
  switch (type)
    {
    case CKA_CERTIFICATE_TYPE: ulong_value(v, CKC_X_509); return FOUND;
    case CKA_CERTIFICATE_CATEGORY: ulong_value(v, 1); return FOUND;  /* the user's own */
    case CKA_TRUSTED: bool_value(v, 0); return FOUND;
    case CKA_VALUE: blob_value(v, &keys->certificate); return FOUND;
    case CKA_ISSUER: blob_value(v, &keys->issuer); return FOUND;
    case CKA_SERIAL_NUMBER: blob_value(v, &keys->serial); return FOUND;
    default: return NO_SUCH_ATTRIBUTE;
    }
}

static enum lookup key_value(const struct token_keys *keys, enum object_kind kind,
                             CK_ATTRIBUTE_TYPE type, struct value *v)
{
  int private_key = kind == OBJECT_PRIVATE_KEY;
  switch (type)
    {
    case CKA_KEY_TYPE: ulong_value(v, CKK_EC); return FOUND;
    case CKA_EC_PARAMS: blob_value(v, &keys->ec_params); return FOUND;
    case CKA_EC_POINT:
      if (private_key)
        return NO_SUCH_ATTRIBUTE;
      blob_value(v, &keys->ec_point);
      return FOUND;
    case CKA_VALUE: return private_key ? SENSITIVE : NO_SUCH_ATTRIBUTE;
    case CKA_LOCAL: bool_value(v, 0); return FOUND;
    case CKA_DERIVE: case CKA_ENCRYPT: case CKA_DECRYPT: case CKA_WRAP: case CKA_UNWRAP:
    case CKA_SIGN_RECOVER: case CKA_VERIFY_RECOVER: case CKA_EXTRACTABLE:
    case CKA_ALWAYS_AUTHENTICATE:
      bool_value(v, 0);
      return FOUND;
    case CKA_SIGN: case CKA_SENSITIVE: case CKA_ALWAYS_SENSITIVE: case CKA_NEVER_EXTRACTABLE:
      if (!private_key)
        return NO_SUCH_ATTRIBUTE;
      bool_value(v, 1);
      return FOUND;
    case CKA_VERIFY:
      if (private_key)
        return NO_SUCH_ATTRIBUTE;
      bool_value(v, 1);
      return FOUND;
    default: return NO_SUCH_ATTRIBUTE;
    }
}

static enum lookup attribute_value(const struct token_keys *keys, enum object_kind kind,
                                   CK_ATTRIBUTE_TYPE type, struct value *v)
{
  enum lookup found = common_value(keys, kind, type, v);
  if (found != NO_SUCH_ATTRIBUTE)
    return found;
  return kind == OBJECT_CERTIFICATE ? certificate_value(keys, type, v)
                                    : key_value(keys, kind, type, v);
}

CK_RV C_GetAttributeValue(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                          CK_ATTRIBUTE_PTR template, CK_ULONG count)
{
  CK_RV rv, result = CKR_OK;
  struct session *session;
  enum object_kind kind;
  CK_ULONG i;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (template == NULL && count != 0)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (!object_visible(session, object, &kind))
    return module_leave(CKR_OBJECT_HANDLE_INVALID);
  /* Every attribute is answered; the result tells of the last problem. */
  for (i = 0; i < count; i++)
    {
      struct value v;
      CK_ATTRIBUTE *a = &template[i];
      enum lookup found = attribute_value(&module.tokens[session->token].keys, kind, a->type, &v);
      if (found != FOUND)
        {
          a->ulValueLen = CK_UNAVAILABLE_INFORMATION;
          result = found == SENSITIVE ? CKR_ATTRIBUTE_SENSITIVE : CKR_ATTRIBUTE_TYPE_INVALID;
        }
      else if (a->pValue == NULL)
        a->ulValueLen = v.length;
      else if (a->ulValueLen < v.length)
        {
          a->ulValueLen = CK_UNAVAILABLE_INFORMATION;
          result = CKR_BUFFER_TOO_SMALL;
        }
      else
        {
          memcpy(a->pValue, v.bytes, v.length);
          a->ulValueLen = v.length;
        }
    }
  return module_leave(result);
}

static int matches(const struct token_keys *keys, enum object_kind kind,
                   const CK_ATTRIBUTE *template, CK_ULONG count)
{
  CK_ULONG i;
  for (i = 0; i < count; i++)
    {
      struct value v;
      if (attribute_value(keys, kind, template[i].type, &v) != FOUND
          || v.length != template[i].ulValueLen
          || (v.length != 0 && memcmp(v.bytes, template[i].pValue, v.length) != 0))
        return 0;
    }
  return 1;
}

CK_RV C_FindObjectsInit(CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR template, CK_ULONG count)
{
  CK_RV rv;
  struct session *session;
  int kind;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (template == NULL && count != 0)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (session->finding)
    return module_leave(CKR_OPERATION_ACTIVE);
  session->found_count = session->found_next = 0;
  for (kind = 0; kind < OBJECT_KINDS; kind++)
    {
      CK_OBJECT_HANDLE object = object_handle(session->token, kind);
      enum object_kind visible_kind;
      if (object_visible(session, object, &visible_kind)
          && matches(&module.tokens[session->token].keys, visible_kind, template, count))
        session->found[session->found_count++] = object;
    }
  session->finding = 1;
  return module_leave(CKR_OK);
}

CK_RV C_FindObjects(CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE_PTR objects,
                    CK_ULONG max_count, CK_ULONG_PTR count)
{
  CK_RV rv;
  struct session *session;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (objects == NULL || count == NULL)
    return module_leave(CKR_ARGUMENTS_BAD);
  if (!session->finding)
    return module_leave(CKR_OPERATION_NOT_INITIALIZED);
  *count = 0;
  while (*count < max_count && session->found_next < session->found_count)
    objects[(*count)++] = session->found[session->found_next++];
  return module_leave(CKR_OK);
}

CK_RV C_FindObjectsFinal(CK_SESSION_HANDLE handle)
{
  CK_RV rv;
  struct session *session;

  if ((rv = session_enter(handle, &session)) != CKR_OK)
    return rv;
  if (!session->finding)
    return module_leave(CKR_OPERATION_NOT_INITIALIZED);
  session->finding = 0;
  return module_leave(CKR_OK);
}
