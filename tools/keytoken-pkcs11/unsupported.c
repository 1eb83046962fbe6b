/* What the simulated token cannot do: it holds one key pair and signs, and
 * nothing on it can be created, changed or encrypted. */
#include "keytoken.h"

#define UNSUPPORTED(name, args) \
  CK_RV name args { return CKR_FUNCTION_NOT_SUPPORTED; }

UNSUPPORTED(C_InitPIN, (CK_SESSION_HANDLE s, CK_UTF8CHAR_PTR p, CK_ULONG n))
UNSUPPORTED(C_SetPIN, (CK_SESSION_HANDLE s, CK_UTF8CHAR_PTR o, CK_ULONG on,
                       CK_UTF8CHAR_PTR n, CK_ULONG nn))
UNSUPPORTED(C_GetOperationState, (CK_SESSION_HANDLE s, CK_BYTE_PTR b, CK_ULONG_PTR n))
UNSUPPORTED(C_SetOperationState, (CK_SESSION_HANDLE s, CK_BYTE_PTR b, CK_ULONG n,
                                  CK_OBJECT_HANDLE e, CK_OBJECT_HANDLE a))
UNSUPPORTED(C_CreateObject, (CK_SESSION_HANDLE s, CK_ATTRIBUTE_PTR t, CK_ULONG n,
                             CK_OBJECT_HANDLE_PTR o))
UNSUPPORTED(C_CopyObject, (CK_SESSION_HANDLE s, CK_OBJECT_HANDLE o, CK_ATTRIBUTE_PTR t,
                           CK_ULONG n, CK_OBJECT_HANDLE_PTR c))
UNSUPPORTED(C_DestroyObject, (CK_SESSION_HANDLE s, CK_OBJECT_HANDLE o))
UNSUPPORTED(C_GetObjectSize, (CK_SESSION_HANDLE s, CK_OBJECT_HANDLE o, CK_ULONG_PTR n))
UNSUPPORTED(C_SetAttributeValue, (CK_SESSION_HANDLE s, CK_OBJECT_HANDLE o,
                                  CK_ATTRIBUTE_PTR t, CK_ULONG n))
UNSUPPORTED(C_EncryptInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE k))
UNSUPPORTED(C_Encrypt, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n, CK_BYTE_PTR e,
                        CK_ULONG_PTR en))
UNSUPPORTED(C_EncryptUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n,
                              CK_BYTE_PTR e, CK_ULONG_PTR en))
UNSUPPORTED(C_EncryptFinal, (CK_SESSION_HANDLE s, CK_BYTE_PTR e, CK_ULONG_PTR en))
UNSUPPORTED(C_DecryptInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE k))
UNSUPPORTED(C_Decrypt, (CK_SESSION_HANDLE s, CK_BYTE_PTR e, CK_ULONG en, CK_BYTE_PTR d,
                        CK_ULONG_PTR n))
UNSUPPORTED(C_DecryptUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR e, CK_ULONG en,
                              CK_BYTE_PTR d, CK_ULONG_PTR n))
UNSUPPORTED(C_DecryptFinal, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG_PTR n))
UNSUPPORTED(C_DigestInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m))
UNSUPPORTED(C_Digest, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n, CK_BYTE_PTR h,
                       CK_ULONG_PTR hn))
UNSUPPORTED(C_DigestUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n))
UNSUPPORTED(C_DigestKey, (CK_SESSION_HANDLE s, CK_OBJECT_HANDLE k))
UNSUPPORTED(C_DigestFinal, (CK_SESSION_HANDLE s, CK_BYTE_PTR h, CK_ULONG_PTR hn))
/* ECDSA over a digest is a single-part operation. */
UNSUPPORTED(C_SignUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n))
UNSUPPORTED(C_SignFinal, (CK_SESSION_HANDLE s, CK_BYTE_PTR g, CK_ULONG_PTR gn))
UNSUPPORTED(C_SignRecoverInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE k))
UNSUPPORTED(C_SignRecover, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n, CK_BYTE_PTR g,
                            CK_ULONG_PTR gn))
UNSUPPORTED(C_VerifyInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE k))
UNSUPPORTED(C_Verify, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n, CK_BYTE_PTR g,
                       CK_ULONG gn))
UNSUPPORTED(C_VerifyUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR d, CK_ULONG n))
UNSUPPORTED(C_VerifyFinal, (CK_SESSION_HANDLE s, CK_BYTE_PTR g, CK_ULONG gn))
UNSUPPORTED(C_VerifyRecoverInit, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m,
                                  CK_OBJECT_HANDLE k))
UNSUPPORTED(C_VerifyRecover, (CK_SESSION_HANDLE s, CK_BYTE_PTR g, CK_ULONG gn,
                              CK_BYTE_PTR d, CK_ULONG_PTR n))
UNSUPPORTED(C_DigestEncryptUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR p, CK_ULONG pn,
                                    CK_BYTE_PTR e, CK_ULONG_PTR en))
UNSUPPORTED(C_DecryptDigestUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR e, CK_ULONG en,
                                    CK_BYTE_PTR p, CK_ULONG_PTR pn))
UNSUPPORTED(C_SignEncryptUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR p, CK_ULONG pn,
                                  CK_BYTE_PTR e, CK_ULONG_PTR en))
UNSUPPORTED(C_DecryptVerifyUpdate, (CK_SESSION_HANDLE s, CK_BYTE_PTR e, CK_ULONG en,
                                    CK_BYTE_PTR p, CK_ULONG_PTR pn))
UNSUPPORTED(C_GenerateKey, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_ATTRIBUTE_PTR t,
                            CK_ULONG n, CK_OBJECT_HANDLE_PTR k))
UNSUPPORTED(C_GenerateKeyPair, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m,
                                CK_ATTRIBUTE_PTR pt, CK_ULONG pn, CK_ATTRIBUTE_PTR vt,
                                CK_ULONG vn, CK_OBJECT_HANDLE_PTR pk,
                                CK_OBJECT_HANDLE_PTR vk))
UNSUPPORTED(C_WrapKey, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE w,
                        CK_OBJECT_HANDLE k, CK_BYTE_PTR b, CK_ULONG_PTR bn))
UNSUPPORTED(C_UnwrapKey, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE u,
                          CK_BYTE_PTR b, CK_ULONG bn, CK_ATTRIBUTE_PTR t, CK_ULONG n,
                          CK_OBJECT_HANDLE_PTR k))
UNSUPPORTED(C_DeriveKey, (CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_OBJECT_HANDLE b,
                          CK_ATTRIBUTE_PTR t, CK_ULONG n, CK_OBJECT_HANDLE_PTR k))
UNSUPPORTED(C_SeedRandom, (CK_SESSION_HANDLE s, CK_BYTE_PTR b, CK_ULONG n))
UNSUPPORTED(C_GenerateRandom, (CK_SESSION_HANDLE s, CK_BYTE_PTR b, CK_ULONG n))
UNSUPPORTED(C_WaitForSlotEvent, (CK_FLAGS f, CK_SLOT_ID_PTR s, CK_VOID_PTR r))

/* Legacy functions: the standard fixes their answer for every module. */
CK_RV C_GetFunctionStatus(CK_SESSION_HANDLE s) { return CKR_FUNCTION_NOT_PARALLEL; }
CK_RV C_CancelFunction(CK_SESSION_HANDLE s) { return CKR_FUNCTION_NOT_PARALLEL; }
