# Sourced by the browser tests, which run under run-gui.sh:
#
#   source browser_lib.sh STAGE TOKEN_DIR
#
# Gives the test a network of its own (servers on its 127.0.0.1 only), then
# what host_lib.sh gives, plus: a TLS server that asks for the client
# certificate (openssl s_server, trusting the token's certificate and resuming
# no session, so that every connection signs anew; its log in
# $work/tls.log), a plain HTTP server, and a fresh NSS database in $nssdb
# that trusts the server and has the token's module added with modutil.
if [ -z "${BROWSER_NETWORK:-}" ]; then
  BROWSER_NETWORK=1 exec unshare --net -- bash "$0" "$@"
fi
ip link set lo up
source "$(dirname "${BASH_SOURCE[0]}")/host_lib.sh" "$1" "$2"

tls_url=https://127.0.0.1:8443/
plain_url=http://127.0.0.1:8080/
export HOME=$work/home
mkdir -p "$HOME" "$work/www"
echo "plain page" > "$work/www/index.html"

# The server's certificate, from a CA of the run's own that the browser trusts.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 \
  -keyout "$work/ca-key.pem" -out "$work/ca-cert.pem" -subj "/CN=Test CA" 2> /dev/null
openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes \
  -keyout "$work/server-key.pem" -subj "/CN=127.0.0.1" 2> /dev/null \
  | openssl x509 -req -days 1 -CA "$work/ca-cert.pem" -CAkey "$work/ca-key.pem" \
      -extfile <(echo "subjectAltName=IP:127.0.0.1") -out "$work/server-cert.pem" 2> /dev/null
openssl s_server -www -no_cache -num_tickets 0 -Verify 1 -CAfile "$work/token-cert.pem" \
  -accept 127.0.0.1:8443 \
  -cert "$work/server-cert.pem" -key "$work/server-key.pem" > "$work/tls.log" 2>&1 &
tls_pid=$!
python3 -m http.server -b 127.0.0.1 8080 -d "$work/www" > "$work/http.log" 2>&1 &
http_pid=$!
for port in 8443 8080; do
  for _ in $(seq 100); do
    (exec 3<> /dev/tcp/127.0.0.1/$port) 2> /dev/null && break
    sleep 0.1
  done
done
browser_pid=
trap 'kill $tls_pid $http_pid $browser_pid 2> /dev/null || true' EXIT

# An NSS database in DIR that trusts the server and knows the token's module.
make_nssdb() {
  nssdb=$1
  mkdir -p "$nssdb"
  certutil -N -d "sql:$nssdb" --empty-password
  certutil -A -d "sql:$nssdb" -n test-ca -t "C,," -i "$work/ca-cert.pem"
  echo | modutil -dbdir "sql:$nssdb" -add keytoken -libfile "$module" -force > /dev/null
}

# Logins the TLS server has seen with the token's certificate.
client_logins() {
  grep -c "^depth=0 O = Selvik Bank, CN = Selvik Token User" "$work/tls.log" || true
}

# Waits until the server has seen N logins (at most 30 s).
wait_logins() {
  for _ in $(seq 300); do
    [ "$(client_logins)" -ge "$1" ] && return 0
    sleep 0.1
  done
  cat "$work/tls.log" >&2
  fail "the server saw $(client_logins) logins with the token's certificate, not $1"
}

browser_alive() {
  kill -0 "$browser_pid" 2> /dev/null || fail "the browser has ended"
}

# SIGTERM ends the browser within 20 s.
terminate_browser() {
  kill -TERM "$browser_pid"
  for _ in $(seq 200); do
    kill -0 "$browser_pid" 2> /dev/null || { browser_pid=; return 0; }
    sleep 0.1
  done
  fail "the browser did not end on SIGTERM"
}

# The key-press window is drawn and in front: its red seconds text shows
# over the picture within 2 s (the window is raised again at its next tick
# when the browser comes over it).
countdown_painted() {
  wait_window '^按键提示$'
  local red=0
  for _ in $(seq 10); do
    sleep 0.2
    red=$(red_pixels 0 140 400 30)
    [ "$red" -gt 50 ] && break
  done
  [ "$red" -gt 50 ] || fail "the key-press window is not painted in front ($red red pixels)"
  screenshot "${1:-}"
}

# An alert is up and drawn (more than one flat colour).
alert_painted() {
  wait_window '^$'
  sleep 0.5
  local spread
  spread=$(import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage png:- \
    | convert - -format '%[fx:standard_deviation]' info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "the alert is not painted"
  screenshot "${1:-}"
}
