/* The module's answers where no dialog is involved: the order of
 * initialisation, argument and handle errors, the objects before and after a
 * login with the host's own PIN, the signing set-up, a second initialisation
 * and a forked child.
 *   module_contract_test MODULE CONFIG */
#include <dlfcn.h>
#include <p11-kit/pkcs11.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

static int failures;
#define CHECK_RV(call, expected) \
  do { CK_RV rv_ = (call); if (rv_ != (expected)) { failures++; \
    fprintf(stderr, "%s:%d: %s gave 0x%lx, not %s\n", __FILE__, __LINE__, #call, \
            (unsigned long)rv_, #expected); } } while (0)
#define CHECK(condition) \
  do { if (!(condition)) { failures++; \
    fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition); } } while (0)

static CK_FUNCTION_LIST_PTR p11;

static CK_ULONG find_count(CK_SESSION_HANDLE s, CK_OBJECT_CLASS *class_only)
{
  CK_ATTRIBUTE template = { CKA_CLASS, class_only, sizeof *class_only };
  CK_OBJECT_HANDLE found[8];
  CK_ULONG count = 0;
  CHECK_RV(p11->C_FindObjectsInit(s, class_only ? &template : NULL, class_only ? 1 : 0), CKR_OK);
  CHECK_RV(p11->C_FindObjectsInit(s, NULL, 0), CKR_OPERATION_ACTIVE);
  CHECK_RV(p11->C_FindObjects(s, found, 8, &count), CKR_OK);
  CHECK_RV(p11->C_FindObjectsFinal(s), CKR_OK);
  return count;
}

static CK_OBJECT_HANDLE find_one(CK_SESSION_HANDLE s, CK_OBJECT_CLASS class)
{
  CK_ATTRIBUTE template = { CKA_CLASS, &class, sizeof class };
  CK_OBJECT_HANDLE found = CK_INVALID_HANDLE;
  CK_ULONG count = 0;
  p11->C_FindObjectsInit(s, &template, 1);
  p11->C_FindObjects(s, &found, 1, &count);
  p11->C_FindObjectsFinal(s);
  return count == 1 ? found : CK_INVALID_HANDLE;
}

static void initialisation(void)
{
  CK_ULONG count = 0;
  CK_C_INITIALIZE_ARGS args;

  CHECK_RV(p11->C_GetSlotList(CK_TRUE, NULL, &count), CKR_CRYPTOKI_NOT_INITIALIZED);
  memset(&args, 0, sizeof args);
  args.pReserved = &args;
  CHECK_RV(p11->C_Initialize(&args), CKR_ARGUMENTS_BAD);
  memset(&args, 0, sizeof args);
  args.CreateMutex = (CK_CREATEMUTEX)1;  /* one of four */
  CHECK_RV(p11->C_Initialize(&args), CKR_ARGUMENTS_BAD);
  memset(&args, 0, sizeof args);
  args.flags = CKF_OS_LOCKING_OK;
  CHECK_RV(p11->C_Initialize(&args), CKR_OK);
  CHECK_RV(p11->C_Initialize(NULL), CKR_CRYPTOKI_ALREADY_INITIALIZED);
}

static void slots(void)
{
  CK_SLOT_ID list[4];
  CK_ULONG count = 0;
  CK_TOKEN_INFO info;

  CHECK_RV(p11->C_GetSlotList(CK_TRUE, list, &count), CKR_BUFFER_TOO_SMALL);
  CHECK(count == 1);
  CHECK_RV(p11->C_GetSlotList(CK_TRUE, list, &count), CKR_OK);
  CHECK_RV(p11->C_GetTokenInfo(list[0], &info), CKR_OK);
  CHECK((info.flags & CKF_PROTECTED_AUTHENTICATION_PATH) && (info.flags & CKF_LOGIN_REQUIRED));
  CHECK_RV(p11->C_GetTokenInfo(7, &info), CKR_SLOT_ID_INVALID);
  CHECK_RV(p11->C_GetSlotList(CK_TRUE, list, NULL), CKR_ARGUMENTS_BAD);
}

static void objects_and_login(CK_SESSION_HANDLE s)
{
  CK_OBJECT_CLASS private_class = CKO_PRIVATE_KEY;
  CK_OBJECT_HANDLE cert, key;
  unsigned char small[4];
  CK_ATTRIBUTE value = { CKA_VALUE, NULL, 0 };

  CHECK(find_count(s, NULL) == 2);  /* certificate and public key */
  CHECK(find_count(s, &private_class) == 0);
  cert = find_one(s, CKO_CERTIFICATE);
  CHECK_RV(p11->C_GetAttributeValue(s, cert, &value, 1), CKR_OK);
  CHECK(value.ulValueLen > 100);
  value.pValue = small;
  value.ulValueLen = sizeof small;
  CHECK_RV(p11->C_GetAttributeValue(s, cert, &value, 1), CKR_BUFFER_TOO_SMALL);
  CHECK(value.ulValueLen == CK_UNAVAILABLE_INFORMATION);
  CHECK_RV(p11->C_GetAttributeValue(s, 999, &value, 1), CKR_OBJECT_HANDLE_INVALID);

  CHECK_RV(p11->C_Login(s, CKU_USER, (CK_UTF8CHAR_PTR)"12345", 5), CKR_PIN_INCORRECT);
  CHECK_RV(p11->C_Login(s, CKU_USER, (CK_UTF8CHAR_PTR)"1234567", 7), CKR_PIN_INCORRECT);
  CHECK_RV(p11->C_Login(s, CKU_SO, (CK_UTF8CHAR_PTR)"123456", 6), CKR_USER_TYPE_INVALID);
  CHECK_RV(p11->C_Login(s, CKU_USER, NULL, 3), CKR_ARGUMENTS_BAD);
  CHECK_RV(p11->C_Login(s, CKU_USER, (CK_UTF8CHAR_PTR)"123456", 6), CKR_OK);
  CHECK_RV(p11->C_Login(s, CKU_USER, (CK_UTF8CHAR_PTR)"123456", 6), CKR_USER_ALREADY_LOGGED_IN);
  CHECK(find_count(s, &private_class) == 1);
  key = find_one(s, CKO_PRIVATE_KEY);
  value.pValue = NULL;
  CHECK_RV(p11->C_GetAttributeValue(s, key, &value, 1), CKR_ATTRIBUTE_SENSITIVE);
  CHECK(value.ulValueLen == CK_UNAVAILABLE_INFORMATION);
}

/* Everything before the key-press window: no display is needed. */
static void signing_set_up(CK_SESSION_HANDLE s)
{
  CK_MECHANISM ecdsa = { CKM_ECDSA, NULL, 0 }, rsa = { CKM_SHA256_RSA_PKCS, NULL, 0 };
  CK_OBJECT_HANDLE key = find_one(s, CKO_PRIVATE_KEY), pub = find_one(s, CKO_PUBLIC_KEY);
  unsigned char digest[32] = { 1 }, signature[64];
  CK_ULONG length = 0;

  CHECK_RV(p11->C_Sign(s, digest, sizeof digest, NULL, &length), CKR_OPERATION_NOT_INITIALIZED);
  CHECK_RV(p11->C_SignInit(s, &rsa, key), CKR_MECHANISM_INVALID);
  CHECK_RV(p11->C_SignInit(s, &ecdsa, pub), CKR_KEY_FUNCTION_NOT_PERMITTED);
  CHECK_RV(p11->C_SignInit(s, &ecdsa, key), CKR_OK);
  CHECK_RV(p11->C_SignInit(s, &ecdsa, key), CKR_OPERATION_ACTIVE);
  CHECK_RV(p11->C_Sign(s, digest, sizeof digest, NULL, &length), CKR_OK);
  CHECK(length == 64);
  length = 10;
  CHECK_RV(p11->C_Sign(s, digest, sizeof digest, signature, &length), CKR_BUFFER_TOO_SMALL);
  CHECK(length == 64);
  CHECK_RV(p11->C_SignUpdate(s, digest, sizeof digest), CKR_FUNCTION_NOT_SUPPORTED);
  CHECK_RV(p11->C_Logout(s), CKR_OK);
  /* Logged out since the start: refused, and the operation is over. */
  CHECK_RV(p11->C_Sign(s, digest, sizeof digest, signature, &length), CKR_USER_NOT_LOGGED_IN);
  CHECK_RV(p11->C_Sign(s, digest, sizeof digest, signature, &length), CKR_OPERATION_NOT_INITIALIZED);
}

static void second_initialisation(CK_SESSION_HANDLE old)
{
  CK_SESSION_INFO info;
  CK_SESSION_HANDLE s;
  pid_t child;
  int status = -1;
  CK_ULONG count = 0;

  CHECK_RV(p11->C_Finalize((CK_VOID_PTR)1), CKR_ARGUMENTS_BAD);
  CHECK_RV(p11->C_Finalize(NULL), CKR_OK);
  CHECK_RV(p11->C_Finalize(NULL), CKR_CRYPTOKI_NOT_INITIALIZED);
  CHECK_RV(p11->C_Initialize(NULL), CKR_OK);
  CHECK_RV(p11->C_GetSessionInfo(old, &info), CKR_SESSION_HANDLE_INVALID);
  CHECK_RV(p11->C_OpenSession(0, CKF_SERIAL_SESSION, NULL, NULL, &s), CKR_OK);
  CHECK_RV(p11->C_GetSessionInfo(s, &info), CKR_OK);
  CHECK(info.state == CKS_RO_PUBLIC_SESSION);

  /* A child must initialise the module again before using it. */
  child = fork();
  if (child == 0)
    _exit(p11->C_GetSlotList(CK_TRUE, NULL, &count) == CKR_CRYPTOKI_NOT_INITIALIZED
          && p11->C_Initialize(NULL) == CKR_OK
          && p11->C_GetSlotList(CK_TRUE, NULL, &count) == CKR_OK && count == 1 ? 0 : 1);
  waitpid(child, &status, 0);
  CHECK(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  CHECK_RV(p11->C_GetSessionInfo(s, &info), CKR_OK);  /* the parent's is kept */
  CHECK_RV(p11->C_Finalize(NULL), CKR_OK);
}

int main(int argc, char **argv)
{
  CK_RV (*get_list)(CK_FUNCTION_LIST_PTR_PTR);
  CK_SESSION_HANDLE s;
  void *module;

  if (argc != 3)
    return 2;
  setenv("KEYTOKEN_PKCS11_CONFIG", argv[2], 1);
  unsetenv("DISPLAY");  /* a dialog here would be a fault */
  module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (module == NULL || (get_list = (CK_RV (*)(CK_FUNCTION_LIST_PTR_PTR))dlsym(module, "C_GetFunctionList")) == NULL
      || get_list(&p11) != CKR_OK)
    {
      fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
      return 2;
    }
  initialisation();
  slots();
  CHECK_RV(p11->C_OpenSession(0, 0, NULL, NULL, &s), CKR_SESSION_PARALLEL_NOT_SUPPORTED);
  CHECK_RV(p11->C_OpenSession(0, CKF_SERIAL_SESSION, NULL, NULL, &s), CKR_OK);
  objects_and_login(s);
  signing_set_up(s);
  CHECK_RV(p11->C_Login(s, CKU_USER, (CK_UTF8CHAR_PTR)"123456", 6), CKR_OK);
  second_initialisation(s);
  if (failures == 0)
    printf("module contract: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
