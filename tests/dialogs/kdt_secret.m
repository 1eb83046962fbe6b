#import "kdt_secret.h"
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

const unsigned char kdtSecretMask = 0xA5;

static const char alphabet[] =
  "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";

void kdtNewSecret(KDTSecret *secret, size_t length)
{
  unsigned char random[KDT_SECRET_MAX];
  int fd = open("/dev/urandom", O_RDONLY);
  size_t i;

  if (length > KDT_SECRET_MAX || fd < 0
      || read(fd, random, length) != (ssize_t)length)
    {
      fprintf(stderr, "cannot make a random PIN\n");
      exit(2);
    }
  close(fd);
  for (i = 0; i < length; i++)
    secret->masked[i] = alphabet[random[i] % (sizeof alphabet - 1)] ^ kdtSecretMask;
  secret->length = length;
}

pid_t kdtTypeSecret(const KDTSecret *secret)
{
  pid_t pid = fork();
  if (pid == 0)
    {
      // Only async-signal-safe calls between fork and exec.
      char clear[KDT_SECRET_MAX + 1];
      size_t i;
      for (i = 0; i < secret->length; i++)
        clear[i] = (char)(secret->masked[i] ^ kdtSecretMask);
      clear[secret->length] = '\0';
      char *argv[] = { "xdotool", "type", "--delay", "15", "--", clear, NULL };
      execv("/usr/bin/xdotool", argv);
      _exit(127);
    }
  return pid;
}

int kdtSecretEquals(const KDTSecret *secret, const unsigned char *bytes, int length)
{
  size_t i;
  if (length < 0 || (size_t)length != secret->length)
    return 0;
  for (i = 0; i < secret->length; i++)
    if ((unsigned char)(bytes[i] ^ kdtSecretMask) != secret->masked[i])
      return 0;
  return 1;
}
