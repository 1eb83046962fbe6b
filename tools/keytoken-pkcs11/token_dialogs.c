/* libkeydialogs, loaded by its fixed path the first time a dialog is needed
 * (where nothing is there, by its SONAME: a package's copy) and kept for the
 * life of the process: the toolkit that it brings registers classes with the
 * Objective-C runtime and cannot be unloaded. */
#include "token_dialogs.h"
#include "paths.h"

#include <dlfcn.h>
#include <limits.h>
#include <pthread.h>
#include <stdio.h>

static struct
{
  void (*console_init)(void);
  __typeof__(P11_BlockPopPin) *block_pop_pin;
  __typeof__(P11_ShowMsg) *show_msg;
  __typeof__(showCountDownWindow) *countdown;
  __typeof__(keyInitAlert) *key_init_alert;
  __typeof__(selectKeyAlertWithArr) *select_key;
  void **application;  /* the toolkit's NSApp */
} dialogs;
static char image_bundle[PATH_MAX];  /* the pictures, beside the library loaded */
static int loaded;
static pthread_once_t load_once = PTHREAD_ONCE_INIT;

static void load(void)
{
  void *library = dlopen(KT_KEYDIALOGS_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL)
    library = dlopen(KT_KEYDIALOGS_LOADER_NAME, RTLD_NOW | RTLD_LOCAL);
  if (library == NULL)
    {
      fprintf(stderr, "keytoken-pkcs11: no dialogs: %s\n", dlerror());
      return;
    }
  dialogs.console_init = (void (*)(void))dlsym(library, "P11_ConsoleInit");
  dialogs.block_pop_pin = (__typeof__(dialogs.block_pop_pin))dlsym(library, "P11_BlockPopPin");
  dialogs.show_msg = (__typeof__(dialogs.show_msg))dlsym(library, "P11_ShowMsg");
  dialogs.countdown = (__typeof__(dialogs.countdown))dlsym(library, "showCountDownWindow");
  dialogs.key_init_alert = (__typeof__(dialogs.key_init_alert))dlsym(library, "keyInitAlert");
  dialogs.select_key = (__typeof__(dialogs.select_key))dlsym(library, "selectKeyAlertWithArr");
  /* Found among the library's own dependencies (AppKit). */
  dialogs.application = (void **)dlsym(library, "NSApp");
  if (dialogs.block_pop_pin != NULL)
    KTImageBundlePath((const void *)dialogs.block_pop_pin, image_bundle, sizeof image_bundle);
  loaded = dialogs.console_init && dialogs.block_pop_pin && dialogs.show_msg
    && dialogs.countdown && dialogs.key_init_alert && dialogs.select_key;
  if (!loaded)
    fprintf(stderr, "keytoken-pkcs11: libkeydialogs lacks a dialog\n");
}

int token_dialogs_available(void)
{
  pthread_once(&load_once, load);
  if (!loaded)
    return 0;
  /* A host that is an application of its own has the object already. */
  if (dialogs.application == NULL || *dialogs.application == NULL)
    dialogs.console_init();
  return 1;
}

int token_dialogs_ask_pin(char pin[KEYDIALOGS_PIN_MAX], int *length)
{
  if (!token_dialogs_available())
    return -1;
  *length = 0;
  return dialogs.block_pop_pin(pin, length) == 0 ? 0 : 1;
}

void token_dialogs_show_message(const char *message)
{
  if (token_dialogs_available())
    dialogs.show_msg(message, 0);
}

int token_dialogs_countdown(int seconds, int *pressed_flag)
{
  if (!token_dialogs_available())
    return -1;
  /* The window's content is as tall as the library's key picture. */
  dialogs.countdown(seconds, "QVLedChangepin", image_bundle, 567, 400, pressed_flag);
  return 0;
}

int token_dialogs_confirm_init(void)
{
  if (!token_dialogs_available())
    return -1;
  return dialogs.key_init_alert("keyInitWarning", image_bundle) ? 1 : 0;
}

int token_dialogs_choose(const struct token_row *rows, int count)
{
  kd_array_t list;
  int chosen;

  if (!token_dialogs_available())
    return -1;
  list = token_list_new(rows, count);
  chosen = dialogs.select_key(list);
  token_list_release(list);
  return chosen >= 0 && chosen < count ? chosen : 0;
}
