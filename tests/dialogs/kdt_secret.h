// A PIN that the test host knows only masked, so that a scan of the host's
// memory finds no copy of its own: the keystrokes come from a child process
// that unmasks it, and the host compares masked bytes only.
#pragma once
#include <stddef.h>
#include <sys/types.h>

#define KDT_SECRET_MAX 16

typedef struct
{
  unsigned char masked[KDT_SECRET_MAX];  // each character XOR kdtSecretMask
  size_t length;
} KDTSecret;

// Every masked byte has its top bit set, so no ASCII character is its own mask.
extern const unsigned char kdtSecretMask;

// A fresh random PIN of `length` letters and digits (at most KDT_SECRET_MAX).
void kdtNewSecret(KDTSecret *secret, size_t length);

// Starts `xdotool type` with the PIN in a child process; returns its pid.
pid_t kdtTypeSecret(const KDTSecret *secret);

// Whether `bytes` of `length` hold exactly the PIN.
int kdtSecretEquals(const KDTSecret *secret, const unsigned char *bytes, int length);
