#!/usr/bin/env bash
# pkcs11-tool (OpenSC) with the simulated token's module: the PIN window,
# the key-press window, the initialisation warning and the token choice,
# answered with real X input.
#   pkcs11_tool_test.sh STAGE TOKEN_DIR login|refused|sign|init|choose
source "$(dirname "$0")/host_lib.sh" "$1" "$2"
scenario=$3
tool() { start_host pkcs11-tool --module "$module" "$@"; }
spy_module() { echo "/usr/lib/$(gcc -print-multiarch)/pkcs11-spy.so"; }

case $scenario in
login)
  tool --login --list-objects
  shot_name=pkcs11-tool-pin answer_pin_window 123456 ok
  host_done
  [ $status = 0 ] || { cat "$work/out" >&2; fail "pkcs11-tool ended with $status"; }
  output_has "Certificate Object; type = X.509 cert"
  output_has "Private Key Object; EC"
  output_has "Public Key Object; EC"
  # Loading the dialogs into a C host leaves nothing on its terminal.
  output_lacks "autorelease called without pool"
  ;;
refused)
  # A wrong PIN is told in a message box, then refused; cancel is a cancel.
  tool --login --list-objects
  answer_pin_window 654321 ok
  wait_window '^$'   # an alert panel, untitled as on macOS
  screenshot pkcs11-tool-wrong-pin
  xdotool key Return
  host_done
  output_has "CKR_PIN_INCORRECT"
  output_lacks "Private Key Object"
  tool --login --list-objects
  answer_pin_window 123456 cancel
  host_done
  output_has "CKR_FUNCTION_CANCELED"
  output_lacks "Private Key Object"
  ;;
sign)
  printf 'the payment order to be signed' | openssl dgst -sha256 -binary > "$work/digest"
  openssl x509 -in "$work/token-cert.pem" -pubkey -noout > "$work/public.pem"
  sed -i 's/^press-after .*/press-after 2/' "$config"
  tool --login --sign -m ECDSA --signature-format openssl \
    --input-file "$work/digest" --output-file "$work/signature"
  answer_pin_window 123456 ok
  wait_window '^按键提示$'
  # Before the first tick, too, the red seconds text lies over the picture:
  # its upper half, which the picture's lowest rows would cover.
  sleep 0.3
  red=$(red_pixels 0 153 400 17)
  [ "$red" -gt 50 ] || fail "the seconds text is hidden under the picture ($red red pixels)"
  screenshot pkcs11-tool-countdown
  host_done
  [ $status = 0 ] || { cat "$work/out" >&2; fail "signing ended with $status"; }
  openssl pkeyutl -verify -pubin -inkey "$work/public.pem" -in "$work/digest" \
    -sigfile "$work/signature" > /dev/null || fail "the signature does not verify"
  # Nobody presses the key: the countdown runs out and nothing is signed.
  sed -i 's/^press-after .*/press-after never/; s/^countdown .*/countdown 2/' "$config"
  # pkcs11-tool tries again part by part after a failed C_Sign and reports
  # only that, so OpenSC's call logger tells what C_Sign answered.
  rm -f "$work/signature"
  PKCS11SPY=$module PKCS11SPY_OUTPUT=$work/calls start_host pkcs11-tool \
    --module "$(spy_module)" --login --sign -m ECDSA \
    --input-file "$work/digest" --output-file "$work/signature"
  answer_pin_window 123456 ok
  host_done
  [ $status != 0 ] || fail "pkcs11-tool signed without the key pressed"
  awk '/C_Sign$/ { sign = 1 } sign && /^Returned:/ { print; exit }' "$work/calls" \
    | grep -q CKR_FUNCTION_CANCELED || fail "C_Sign did not answer CKR_FUNCTION_CANCELED"
  [ ! -s "$work/signature" ] || fail "a signature without the key pressed"
  ;;
init)
  tool --init-token --label fresh
  wait_window '^$'   # an alert panel, untitled as on macOS
  screenshot pkcs11-tool-init-token
  click_at $((WIDTH - 130)) 25   # "取消", left of the default button
  host_done
  output_has "CKR_FUNCTION_CANCELED"
  tool --init-token --label fresh
  wait_window '^$'   # an alert panel, untitled as on macOS
  xdotool key Return             # "确定"
  host_done
  output_has "Token successfully initialized"
  ;;
choose)
  printf 'reader Selvik Token 01\nlabel 第二个网银盾\nserial 2040700000000002\n' >> "$config"
  KEYTOKEN_PKCS11_CHOOSE=1 tool --list-token-slots
  wait_window '^请选择Korvex$'
  click_at 200 133               # the second row
  screenshot pkcs11-tool-choose-token
  click_at 120 30                # "确定"
  host_done
  output_has "第二个网银盾"
  output_lacks "个人网银盾"
  ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "ok: pkcs11-tool $scenario"
