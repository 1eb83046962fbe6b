/* Key and certificate files read with libcrypto, turned into the DER values
 * that hosts ask for. */
#include "token_keys.h"

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int blob_take(struct blob *blob, unsigned char *bytes, int length)
{
  if (length <= 0)
    return -1;
  blob->bytes = bytes;
  blob->length = (size_t)length;
  return 0;
}

/* i2d_* functions allocate when given a null output. */
#define BLOB_I2D(blob, i2d, object) \
  do { unsigned char *der_ = NULL; int n_ = i2d(object, &der_); \
       if (blob_take(blob, der_, n_) != 0) goto failed; } while (0)

static void *read_pem(const char *path, int is_key)
{
  void *object = NULL;
  FILE *file = fopen(path, "r");
  if (file == NULL)
    return NULL;
  object = is_key ? (void *)PEM_read_PrivateKey(file, NULL, NULL, NULL)
                  : (void *)PEM_read_X509(file, NULL, NULL, NULL);
  fclose(file);
  return object;
}

static int load_point(struct token_keys *keys, EVP_PKEY *key)
{
  unsigned char point[133];  /* uncompressed, up to P-521 */
  size_t length = 0;
  unsigned char *der;

  if (!EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_ENCODED_PUBLIC_KEY,
                                       point, sizeof point, &length)
      || length > 127)  /* one length byte in the OCTET STRING below */
    return -1;
  der = OPENSSL_malloc(length + 2);
  if (der == NULL)
    return -1;
  der[0] = 0x04;
  der[1] = (unsigned char)length;
  memcpy(der + 2, point, length);
  keys->ec_point.bytes = der;
  keys->ec_point.length = length + 2;

  keys->id.bytes = OPENSSL_malloc(EVP_MAX_MD_SIZE);
  unsigned int id_length = 0;
  if (keys->id.bytes == NULL
      || !EVP_Digest(point, length, keys->id.bytes, &id_length, EVP_sha1(), NULL))
    return -1;
  keys->id.length = id_length;
  return 0;
}

int token_keys_load(struct token_keys *keys, const char *key_path, const char *cert_path)
{
  EVP_PKEY *key = read_pem(key_path, 1);
  X509 *cert = read_pem(cert_path, 0);

  memset(keys, 0, sizeof *keys);
  if (key == NULL || cert == NULL)
    {
      fprintf(stderr, "keytoken-pkcs11: cannot read the key %s or the certificate %s\n",
              key_path, cert_path);
      goto failed;
    }
  if (EVP_PKEY_get_base_id(key) != EVP_PKEY_EC || !X509_check_private_key(cert, key))
    {
      fprintf(stderr, "keytoken-pkcs11: %s is not the EC key of %s\n", key_path, cert_path);
      goto failed;
    }
  BLOB_I2D(&keys->certificate, i2d_X509, cert);
  BLOB_I2D(&keys->subject, i2d_X509_NAME, X509_get_subject_name(cert));
  BLOB_I2D(&keys->issuer, i2d_X509_NAME, X509_get_issuer_name(cert));
  BLOB_I2D(&keys->serial, i2d_ASN1_INTEGER, X509_get0_serialNumber(cert));
  BLOB_I2D(&keys->ec_params, i2d_KeyParams, key);
  if (load_point(keys, key) != 0)
    goto failed;
  X509_free(cert);
  keys->private_key = key;
  return 0;

failed:
  EVP_PKEY_free(key);
  X509_free(cert);
  token_keys_free(keys);
  return -1;
}

void token_keys_free(struct token_keys *keys)
{
  struct blob *blobs[] = { &keys->id, &keys->certificate, &keys->subject,
                           &keys->issuer, &keys->serial, &keys->ec_params,
                           &keys->ec_point };
  size_t i;

  for (i = 0; i < sizeof blobs / sizeof blobs[0]; i++)
    OPENSSL_free(blobs[i]->bytes);
  EVP_PKEY_free(keys->private_key);
  memset(keys, 0, sizeof *keys);
}

size_t token_keys_signature_length(const struct token_keys *keys)
{
  int bits = EVP_PKEY_get_bits(keys->private_key);
  return 2 * (size_t)((bits + 7) / 8);
}

int token_keys_sign(const struct token_keys *keys, const unsigned char *digest,
                    size_t digest_length, unsigned char *signature)
{
  size_t half = token_keys_signature_length(keys) / 2;
  unsigned char der[160];
  size_t der_length = sizeof der;
  const unsigned char *cursor = der;
  EVP_PKEY_CTX *context = EVP_PKEY_CTX_new(keys->private_key, NULL);
  ECDSA_SIG *parts = NULL;
  int status = -1;

  if (context != NULL && EVP_PKEY_sign_init(context) > 0
      && EVP_PKEY_sign(context, der, &der_length, digest, digest_length) > 0
      && (parts = d2i_ECDSA_SIG(NULL, &cursor, (long)der_length)) != NULL
      && BN_bn2binpad(ECDSA_SIG_get0_r(parts), signature, (int)half) == (int)half
      && BN_bn2binpad(ECDSA_SIG_get0_s(parts), signature + half, (int)half) == (int)half)
    status = 0;
  ECDSA_SIG_free(parts);
  EVP_PKEY_CTX_free(context);
  return status;
}
