/* A host with several threads, as a browser: while the PIN window of one
 * thread's login is up, another thread's calls are answered, and a second
 * login on the token waits for the first and then finds the token logged in.
 * Prints "window up" once its checks with the window open are done; the
 * script then answers the window.
 *   login_while_typing MODULE */
#include <dlfcn.h>
#include <p11-kit/pkcs11.h>
#include <pthread.h>
#include <stdio.h>
#include <unistd.h>

static CK_FUNCTION_LIST_PTR p11;
static CK_SESSION_HANDLE first, second;
static volatile int first_done, second_done;
static CK_RV first_rv, second_rv;
static int failures;

#define CHECK(condition) \
  do { if (!(condition)) { failures++; fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, \
                                               #condition); } } while (0)

static void *log_in_first(void *unused)
{
  first_rv = p11->C_Login(first, CKU_USER, NULL, 0);
  first_done = 1;
  return unused;
}

static void *log_in_second(void *unused)
{
  second_rv = p11->C_Login(second, CKU_USER, NULL, 0);
  second_done = 1;
  return unused;
}

int main(int argc, char **argv)
{
  CK_RV (*get_list)(CK_FUNCTION_LIST_PTR_PTR);
  CK_SLOT_ID slot;
  CK_ULONG slots = 1;
  CK_TOKEN_INFO token;
  CK_SESSION_INFO info;
  pthread_t a, b;
  void *module;

  if (argc < 2 || (module = dlopen(argv[1], RTLD_NOW)) == NULL)
    return 2;
  get_list = (CK_RV (*)(CK_FUNCTION_LIST_PTR_PTR))dlsym(module, "C_GetFunctionList");
  if (get_list == NULL || get_list(&p11) != CKR_OK || p11->C_Initialize(NULL) != CKR_OK
      || p11->C_GetSlotList(CK_TRUE, &slot, &slots) != CKR_OK || slots < 1
      || p11->C_OpenSession(slot, CKF_SERIAL_SESSION, NULL, NULL, &first) != CKR_OK
      || p11->C_OpenSession(slot, CKF_SERIAL_SESSION, NULL, NULL, &second) != CKR_OK)
    return 2;

  pthread_create(&a, NULL, log_in_first, NULL);
  sleep(2);  /* the PIN window is up: nobody answers it before "window up" */
  CHECK(p11->C_GetTokenInfo(slot, &token) == CKR_OK);
  CHECK(p11->C_GetSessionInfo(second, &info) == CKR_OK && info.state == CKS_RO_PUBLIC_SESSION);
  CHECK(!first_done);  /* answered while the first login waits for the user */
  pthread_create(&b, NULL, log_in_second, NULL);
  sleep(1);
  CHECK(!second_done);  /* waits for the first window */
  printf("window up\n");
  fflush(stdout);

  pthread_join(a, NULL);
  pthread_join(b, NULL);
  CHECK(first_rv == CKR_OK);
  CHECK(second_rv == CKR_USER_ALREADY_LOGGED_IN);
  CHECK(p11->C_GetSessionInfo(second, &info) == CKR_OK && info.state == CKS_RO_USER_FUNCTIONS);
  p11->C_Finalize(NULL);
  printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
