#!/usr/bin/env bash
# Firefox ESR logs in to a TLS server with the token's certificate, the PIN
# typed into the dialogs' window, which Firefox shows from its worker threads
# (C_Login on a "BgIOThr~Pool" thread, C_Sign on its Socket Thread) while its
# own "Protected Authentication" prompt waits: a wrong PIN, then a second
# login in the same browser with the right one and the key-press window, a
# further visit, SIGTERM; then "取消" and a plain page after it.
#   firefox_test.sh STAGE TOKEN_DIR
source "$(dirname "$0")/browser_lib.sh" "$1" "$2"

profile=$work/profile
make_nssdb "$profile"
sed -i 's/^press-after .*/press-after 4/' "$config"
# The token's certificate chosen without asking.
cat > "$profile/user.js" <<'PREFS'
user_pref("security.default_personal_cert", "Select Automatically");
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.aboutwelcome.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
PREFS

# The browser stays on a plain page that opens each address the test puts
# into next.txt in a frame of its own, as a user's next click would: the
# running browser takes no remote commands without a session bus.
cat > "$work/www/visits.html" <<'PAGE'
<html><body><script>
let seen = "";
setInterval(async function () {
  const answer = await fetch("/next.txt", { cache: "no-store" });
  const next = (await answer.text()).trim();
  if (next !== "" && next !== seen) {
    seen = next;
    const frame = document.createElement("iframe");
    frame.src = next;
    document.body.appendChild(frame);
  }
}, 300);
</script></body></html>
PAGE
: > "$work/www/next.txt"
visit() { echo "$1" > "$work/www/next.txt"; }

start_firefox() {
  : > "$work/www/next.txt"
  firefox-esr --profile "$profile" "${plain_url}visits.html" >> "$work/browser.log" 2>&1 &
  browser_pid=$!
}

# A wrong PIN, told in the message box; Firefox logs in again, from another
# thread, and the right PIN gets through, the key-press window painted.
start_firefox
visit "$tls_url"
answer_pin_window 654321 ok
alert_painted firefox-wrong-pin
xdotool key Return
shot_name=firefox-pin answer_pin_window 123456 ok
countdown_painted firefox-countdown
wait_logins 1
browser_alive

# Another visit signs again, with the token logged in.
visit "${tls_url}second"
countdown_painted
wait_logins 2
terminate_browser

# Started again, so that the token asks again: "取消" logs nobody in, and
# plain pages still load.
start_firefox
visit "$tls_url"
answer_pin_window "" cancel
sleep 2
[ "$(client_logins)" = 2 ] || fail "a login without the PIN"
visit "${plain_url}index.html"
for _ in $(seq 100); do grep -q '"GET /index.html ' "$work/http.log" && break; sleep 0.1; done
grep -q '"GET /index.html ' "$work/http.log" || fail "the plain page was not loaded after the cancel"
browser_alive
terminate_browser
