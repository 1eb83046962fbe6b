#!/usr/bin/env bash
# Command-line TLS clients log in with the token's certificate, the PIN typed
# into the dialogs' window: gnutls-cli with pkcs11: URIs, and curl through
# OpenSSL's PKCS#11 engine.
#   tls_clients_test.sh STAGE TOKEN_DIR
source "$(dirname "$0")/browser_lib.sh" "$1" "$2"
key_uri="pkcs11:object=Selvik%20key;type=private"
cert_uri="pkcs11:object=Selvik%20key;type=cert"
request='GET / HTTP/1.0\r\n\r\n'

log_in_with() {
  local logins=$(( $(client_logins) + 1 ))
  start_host "$@"
  answer_pin_window 123456 ok
  countdown_painted
  host_done
  [ $status = 0 ] || { cat "$work/out" >&2; fail "$1 ended with $status"; }
  wait_logins $logins
  output_has "Ciphers common between both SSL end points"  # s_server's page
}

printf "$request" > "$work/request"
log_in_with sh -c 'exec gnutls-cli --provider "$0" --x509cafile "$1" \
  --x509certfile "$2" --x509keyfile "$3" -p 8443 127.0.0.1 < "$4"' \
  "$module" "$work/ca-cert.pem" "$cert_uri" "$key_uri" "$work/request"

cat > "$work/openssl.cnf" <<CONF
openssl_conf = settings
[settings]
engines = engines
[engines]
pkcs11 = pkcs11
[pkcs11]
engine_id = pkcs11
dynamic_path = /usr/lib/$(gcc -print-multiarch)/engines-3/pkcs11.so
MODULE_PATH = $module
CONF
OPENSSL_CONF=$work/openssl.cnf log_in_with curl -sS --engine pkcs11 \
  --key-type ENG --key "$key_uri" --cert-type ENG --cert "$cert_uri" \
  --cacert "$work/ca-cert.pem" "$tls_url"
