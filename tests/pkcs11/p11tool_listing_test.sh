#!/usr/bin/env bash
# p11tool (GnuTLS, through p11-kit) loads the module and lists the token's
# public objects without a login.
#   p11tool_listing_test.sh STAGE TOKEN_DIR
set -euo pipefail
export KEYTOKEN_PKCS11_CONFIG=$(realpath "$2")/token.conf
out=$(p11tool --provider "$(realpath "$1")/lib/pkcs11/keytoken-pkcs11.so" --list-all)
for expected in "Type: X.509 Certificate (EC/ECDSA-SECP256R1)" "Type: Public key (EC/ECDSA-SECP256R1)"; do
  grep -qF "$expected" <<< "$out" || { echo "$out" >&2; echo "FAIL: no \"$expected\"" >&2; exit 1; }
done
if grep -q "Private key" <<< "$out"; then echo "FAIL: a private key before the login" >&2; exit 1; fi
echo "ok: p11tool lists the public objects"
