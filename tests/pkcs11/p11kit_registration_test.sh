#!/usr/bin/env bash
# The demo module's registration, as the pkcs11-demo component installs it,
# is all that p11-kit's hosts need: in a private mount namespace whose
# p11-kit module directory holds only it, p11tool lists the demo token and
# p11-kit-proxy.so shows its slot to pkcs11-tool. No path to the module and no
# configuration variable is given: the module finds its installed token files.
#   p11kit_registration_test.sh STAGE
set -euo pipefail
stage=$(realpath "$1")
registration=$stage/share/p11-kit/modules/keytoken-pkcs11-demo.module
[ -f "$registration" ] || { echo "FAIL: no $registration" >&2; exit 1; }
unset KEYTOKEN_PKCS11_CONFIG
exec unshare --mount --propagation private bash -euo pipefail -c '
  stage=$1 registration=$2
  fail() { echo "FAIL: $*" >&2; echo "$out" >&2; exit 1; }
  configs=$(pkg-config --variable=p11_module_configs p11-kit-1)
  mount -t tmpfs p11-kit-test "$configs"
  cp "$registration" "$configs/"
  out=$(p11tool --list-tokens 2>&1)
  grep -qF "Label: 个人网银盾" <<< "$out" || fail "p11tool lists no demo token"
  grep -qF "Module: $stage/lib/pkcs11/keytoken-pkcs11.so" <<< "$out" || fail "p11tool names another module"
  proxy=$(pkg-config --variable=proxy_module p11-kit-1)
  out=$(pkcs11-tool --module "$proxy" --list-slots 2>&1)
  grep -qF "Selvik Token 00" <<< "$out" || fail "p11-kit-proxy.so shows no demo slot"
  echo "p11tool and p11-kit-proxy.so see the registered demo token"
' sh "$stage" "$registration"
