/* Shows one dialog of libkeydialogs and prints what the call returned.
 *
 *   keydialogs-demo [--lib PATH] DIALOG [ARGUMENTS...]
 *
 * The selection dialogs take their rows as arguments (see demo_lists.h), e.g.
 *   keydialogs-demo cert 'cerState=有效;sub=A;isser=B' @sample-certificates.txt
 * The library is loaded with dlopen, as the token's cryptographic module
 * does, from PATH or else from where it is installed. A dialog is one small
 * function below plus an entry in the table. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "keydialogs.h"
#include "paths.h"
#include "demo_lists.h"
#include "demo_countdown.h"

static void *library;
static int dialogArgc;     // the arguments after DIALOG
static char **dialogArgv;

static void *symbol(const char *name)
{
  void *s = dlsym(library, name);
  if (s == NULL)
    {
      fprintf(stderr, "keydialogs-demo: the library has no %s\n", name);
      exit(1);
    }
  return s;
}

static void printBytes(const char *label, const char *bytes, int length)
{
  int i;
  printf("%s:", label);
  for (i = 0; i < length; i++)
    printf(" %02x", (unsigned char)bytes[i]);
  printf("\n");
}

static void showPin(void)
{
  __typeof__(P11_BlockPopPin) *blockPopPin = symbol("P11_BlockPopPin");
  char pin[KEYDIALOGS_PIN_MAX];
  int length = 0;
  int result = blockPopPin(pin, &length);
  printf("result: %d\nlength: %d\n", result, length);
  printBytes("pin", pin, length);
}

static void showSelection(const char *function)
{
  int (*select)(kd_array_t) = symbol(function);
  printf("result: %d\n", select(demoNewList(dialogArgc, dialogArgv)));
}

static void showCert(void)
{
  showSelection("selectCertAlertWithArr");
}

static void showKey(void)
{
  showSelection("selectKeyAlertWithArr");
}

static void showCountdown(void)
{
  if (demoCountdown(symbol, dialogArgc, dialogArgv) != 0)
    exit(2);
}

// The dialog's argument at `index`, or `fallback` when there is none.
static const char *argumentOr(int index, const char *fallback)
{
  return index < dialogArgc ? dialogArgv[index] : fallback;
}

static void showInit(void)
{
  __typeof__(keyInitAlert) *confirm = symbol("keyInitAlert");
  bool confirmed = confirm(argumentOr(0, "keyInitWarning"),
                           argumentOr(1, KT_IMAGE_BUNDLE_PATH));
  printf("result: %s\n", confirmed ? "true" : "false");
}

static void showMessage(const char *function)
{
  int (*show)(const char *, int) = symbol(function);
  printf("result: %d\n", show(argumentOr(0, "证书已导入。"), 0));
}

static void showMsg(void)
{
  showMessage("P11_ShowMsg");
}

static void showMsg2(void)
{
  showMessage("P11_ShowMsg2");
}

static void showPinPicture(void)
{
  __typeof__(P11_BlockPopPin_pic) *blockPopPinPic = symbol("P11_BlockPopPin_pic");
  char pin[KEYDIALOGS_PIN_MAX];
  int length = 0;
  int result = blockPopPinPic(pin, &length, "", argumentOr(0, KT_IMAGE_BUNDLE_PATH));
  printf("result: %d\nlength: %d\n", result, length);
  printBytes("pin", pin, length);
}

static const struct
{
  const char *name;
  void (*show)(void);
  const char *what;
} dialogs[] = {
  { "pin", showPin, "the PIN entry window (P11_BlockPopPin)" },
  { "cert", showCert, "certificate selection (selectCertAlertWithArr), rows as arguments" },
  { "key", showKey, "token selection (selectKeyAlertWithArr), rows as arguments" },
  { "countdown", showCountdown, "the countdown window (showCountDownWindow): SECONDS"
    " [NAME [BUNDLE [WIDTH HEIGHT [END_MS int|closeWindow|closeWindow_t]]]]" },
  { "init", showInit, "initialisation confirmation (keyInitAlert): [IMAGE_NAME [BUNDLE]]" },
  { "msg", showMsg, "message with one button (P11_ShowMsg): [TEXT]" },
  { "msg2", showMsg2, "message with \"确定\" and \"取消\" (P11_ShowMsg2): [TEXT]" },
  { "pinpic", showPinPicture, "PIN prompt with picture (P11_BlockPopPin_pic): [BUNDLE]" },
};

static int usage(void)
{
  size_t i;
  fprintf(stderr, "usage: keydialogs-demo [--lib PATH] DIALOG [ARGUMENTS...]\n"
                  "  --lib PATH  load the library from PATH (default %s)\n"
                  "dialogs:\n", KT_KEYDIALOGS_PATH);
  for (i = 0; i < sizeof dialogs / sizeof dialogs[0]; i++)
    fprintf(stderr, "  %-10s %s\n", dialogs[i].name, dialogs[i].what);
  return 2;
}

int main(int argc, char **argv)
{
  const char *path = KT_KEYDIALOGS_PATH;
  size_t i;
  int arg = 1;

  if (argc > 2 && strcmp(argv[1], "--lib") == 0)
    {
      path = argv[2];
      arg = 3;
    }
  if (arg >= argc)
    return usage();
  dialogArgc = argc - arg - 1;
  dialogArgv = argv + arg + 1;
  for (i = 0; i < sizeof dialogs / sizeof dialogs[0]; i++)
    if (strcmp(argv[arg], dialogs[i].name) == 0)
      break;
  if (i == sizeof dialogs / sizeof dialogs[0])
    return usage();

  library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL)
    {
      fprintf(stderr, "keydialogs-demo: %s\n", dlerror());
      return 1;
    }
  ((__typeof__(P11_ConsoleInit) *)symbol("P11_ConsoleInit"))();
  dialogs[i].show();
  return 0;
}
