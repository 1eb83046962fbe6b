#!/usr/bin/env bash
# Makes the simulated token's key pair, its certificate and a configuration
# that names them: a fresh EC P-256 key at every build, so that no key
# material is kept in the sources.
# Usage: make-token.sh OUTPUT_DIR
set -euo pipefail
out=${1:?usage: make-token.sh OUTPUT_DIR}
mkdir -p "$out"
openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 \
  -out "$out/token-key.pem" 2> /dev/null
openssl req -new -x509 -key "$out/token-key.pem" -days 3650 \
  -subj "/O=Selvik Bank/CN=Selvik Token User" -out "$out/token-cert.pem"
cat > "$out/token.conf" <<'CONF'
# One simulated Korvex token (see the README of keytoken-pkcs11).
pin 123456
key token-key.pem
cert token-cert.pem
press-after 2
countdown 30
reader Selvik Token 00
label 个人网银盾
serial 2040700000000001
CONF
