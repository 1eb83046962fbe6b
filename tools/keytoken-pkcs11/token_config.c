/* The configuration file: one directive per line. Directives before the
 * first "reader" line set what every reader's token starts with; those after
 * it describe that reader's token. */
#define _GNU_SOURCE  /* dladdr */
#include "token_config.h"
#include "keytoken.h"

#include <ctype.h>
#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void token_defaults(struct token_config *token)
{
  memset(token, 0, sizeof *token);
  strcpy(token->label, "Selvik Token");
  strcpy(token->serial, "2040700000000001");
  token->press_after = 2;
  token->countdown = 30;
}

static char *trimmed(char *text)
{
  char *end = text + strlen(text);
  while (isspace((unsigned char)*text))
    text++;
  while (end > text && isspace((unsigned char)end[-1]))
    *--end = '\0';
  return text;
}

static int copy_text(char *to, size_t size, const char *text)
{
  if (strlen(text) >= size)
    return -1;
  strcpy(to, text);
  return 0;
}

/* A relative file name is taken from the configuration file's directory, so
 * that a configuration and its key files can move together. */
static int copy_path(char *to, const char *config_path, const char *file)
{
  const char *slash = strrchr(config_path, '/');
  int written;

  if (file[0] == '/' || slash == NULL)
    return copy_text(to, TOKEN_PATH_MAX, file);
  written = snprintf(to, TOKEN_PATH_MAX, "%.*s/%s", (int)(slash - config_path),
                     config_path, file);
  return written < 0 || written >= TOKEN_PATH_MAX ? -1 : 0;
}

static int parse_seconds(const char *text, int *seconds, int allow_never)
{
  char *end;
  long value;

  if (allow_never && strcmp(text, "never") == 0)
    {
      *seconds = TOKEN_NEVER_PRESSED;
      return 0;
    }
  errno = 0;
  value = strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 3600)
    return -1;
  *seconds = (int)value;
  return 0;
}

static int apply(struct token_config *token, const char *config_path,
                 const char *directive, const char *value)
{
  if (strcmp(directive, "label") == 0)
    return copy_text(token->label, sizeof token->label, value);
  if (strcmp(directive, "serial") == 0)
    return copy_text(token->serial, sizeof token->serial, value);
  if (strcmp(directive, "pin") == 0)
    return copy_text(token->pin, sizeof token->pin, value);
  if (strcmp(directive, "key") == 0)
    return copy_path(token->key, config_path, value);
  if (strcmp(directive, "cert") == 0)
    return copy_path(token->cert, config_path, value);
  if (strcmp(directive, "press-after") == 0)
    return parse_seconds(value, &token->press_after, 1);
  if (strcmp(directive, "countdown") == 0)
    return parse_seconds(value, &token->countdown, 0);
  return -1;
}

const char *token_config_path(char *buffer, size_t size)
{
  const char *given = getenv(KEYTOKEN_CONFIG_VARIABLE);
  Dl_info module_file;
  char module_path[PATH_MAX];
  const char *slash;

  if (given != NULL)
    return given;
  /* The files that were installed with the module, found from where it is. */
  if (dladdr((const void *)token_config_path, &module_file) == 0 || module_file.dli_fname == NULL
      || realpath(module_file.dli_fname, module_path) == NULL)
    return NULL;
  slash = strrchr(module_path, '/');
  snprintf(buffer, size, "%.*s/%s/token.conf", (int)(slash - module_path), module_path,
           KEYTOKEN_TOKEN_FILES_FROM_MODULE);
  return buffer;
}

int token_config_read(const char *path, struct readers_config *config)
{
  struct token_config defaults;
  struct token_config *token = &defaults;
  char line[TOKEN_PATH_MAX + 64];
  int number = 0;
  FILE *file;

  memset(config, 0, sizeof *config);
  token_defaults(&defaults);
  if (path == NULL)
    return 0;
  file = fopen(path, "r");
  if (file == NULL)
    {
      if (errno == ENOENT)
        return 0;
      fprintf(stderr, "keytoken-pkcs11: cannot read %s: %s\n", path, strerror(errno));
      return -1;
    }
  while (fgets(line, sizeof line, file) != NULL)
    {
      char *text = trimmed(line);
      char *value = text;
      number++;
      if (*text == '\0' || *text == '#')
        continue;
      while (*value != '\0' && !isspace((unsigned char)*value))
        value++;
      if (*value != '\0')
        *value++ = '\0';
      value = trimmed(value);
      if (strcmp(text, "reader") == 0 && *value != '\0'
          && config->count < TOKEN_READERS_MAX)
        {
          token = &config->readers[config->count++];
          *token = defaults;
          if (copy_text(token->reader, sizeof token->reader, value) == 0)
            continue;
        }
      else if (*value != '\0' && apply(token, path, text, value) == 0)
        continue;
      fprintf(stderr, "keytoken-pkcs11: %s:%d: cannot use \"%s\"\n", path, number, text);
      fclose(file);
      memset(config, 0, sizeof *config);
      return -1;
    }
  fclose(file);
  return 0;
}
