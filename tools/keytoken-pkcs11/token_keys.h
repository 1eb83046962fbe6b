/* The key pair and certificate on a simulated token, as PKCS#11 attribute values. */
#ifndef TOKEN_KEYS_H
#define TOKEN_KEYS_H

#include <stddef.h>

struct blob
{
  unsigned char *bytes;
  size_t length;
};

struct token_keys
{
  void *private_key;        /* EVP_PKEY */
  struct blob id;           /* CKA_ID: SHA-1 of the public point */
  struct blob certificate;  /* DER */
  struct blob subject;      /* DER names and serial of the certificate */
  struct blob issuer;
  struct blob serial;
  struct blob ec_params;    /* DER ECParameters (the named curve) */
  struct blob ec_point;     /* DER OCTET STRING holding the uncompressed point */
};

/* The size in bytes of a raw ECDSA signature (r then s) made with the key. */
size_t token_keys_signature_length(const struct token_keys *keys);

/* Loads an EC private key and its certificate from PEM files. Returns 0, or
 * -1 with a message on stderr (unreadable files, a key that is not EC, or a
 * certificate of another key). */
int token_keys_load(struct token_keys *keys, const char *key_path, const char *cert_path);

void token_keys_free(struct token_keys *keys);

/* Signs `digest` with ECDSA and writes r and s, each padded to the size of
 * the curve's order, into `signature` (token_keys_signature_length bytes). */
int token_keys_sign(const struct token_keys *keys, const unsigned char *digest,
                    size_t digest_length, unsigned char *signature);

#endif
