#!/usr/bin/env bash
# The installed manual pages render with man -l, and groff finds nothing to
# warn about in them.
#   check-man-pages.sh PREFIX
set -euo pipefail
fail() { echo "$*" >&2; exit 1; }
export LC_ALL=C.UTF-8 MANWIDTH=80
# Words that man broke at the end of a line are joined again before searching.
for page in man8/keywatchd.8 man3/libkeydialogs.3; do
  file=$1/share/man/$page.gz
  [ -f "$file" ] || fail "no $file"
  warnings=$(zcat "$file" | groff -k -Tutf8 -ww -z -man 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page: $warnings"
  text=$(man -l "$file" 2> "${TMPDIR:-/tmp}/man.$$") || fail "man -l failed on $page"
  text=$(sed -z "s/‐\n *//g" <<< "$text")
  [ ! -s "${TMPDIR:-/tmp}/man.$$" ] || { cat "${TMPDIR:-/tmp}/man.$$" >&2; rm -f "${TMPDIR:-/tmp}/man.$$"; fail "man -l warned on $page"; }
  rm -f "${TMPDIR:-/tmp}/man.$$"
  case $page in
    *keywatchd*) needed=(SIGINT "EXIT STATUS" "设备插入" libkeycore) ;;
    *) needed=(P11_ConsoleInit P11_BlockPopPin P11_BlockPopPin_pic selectCertAlertWithArr
               selectKeyAlertWithArr keyInitAlert showCountDownWindow closeWindow_t
               P11_ShowMsg2 KEYDIALOGS_PIN_MAX pinwin keyConfirmImageHex imagePushBtn.bundle) ;;
  esac
  for word in "${needed[@]}"; do
    grep -qF -- "$word" <<< "$text" || fail "$page does not mention $word"
  done
done
echo "manual pages render without warnings"
