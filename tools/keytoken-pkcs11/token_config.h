/* The simulated readers and their tokens, as the configuration file names them. */
#ifndef TOKEN_CONFIG_H
#define TOKEN_CONFIG_H

#include <stddef.h>

#define TOKEN_TEXT_MAX 128
#define TOKEN_PATH_MAX 4096
#define TOKEN_READERS_MAX 8

/* press_after of a token whose OK key is never pressed. */
#define TOKEN_NEVER_PRESSED (-1)

struct token_config
{
  char reader[TOKEN_TEXT_MAX];   /* the reader's name (slot description) */
  char label[TOKEN_TEXT_MAX];
  char serial[TOKEN_TEXT_MAX];
  char pin[TOKEN_TEXT_MAX];
  char key[TOKEN_PATH_MAX];      /* PEM files; empty: the token holds no objects */
  char cert[TOKEN_PATH_MAX];
  int press_after;               /* seconds until the OK key is pressed */
  int countdown;                 /* seconds that the countdown window offers */
};

struct readers_config
{
  int count;
  struct token_config readers[TOKEN_READERS_MAX];
};

/* Reads the file at `path` into `config`. A missing file means no reader;
 * returns 0, or -1 (with a message on stderr) for a file that cannot be read
 * or has a malformed line. */
int token_config_read(const char *path, struct readers_config *config);

/* The configuration file: the one that KEYTOKEN_PKCS11_CONFIG names, or when
 * that is unset, the token.conf installed with the module (written into
 * `buffer`); null when neither is known. */
const char *token_config_path(char *buffer, size_t size);

#endif
