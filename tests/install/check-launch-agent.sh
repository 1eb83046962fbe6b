#!/usr/bin/env bash
# The LaunchAgent, filled in as an install fills it, is a valid property list
# with the keys that make launchd start keywatchd at login, restart it after a
# crash or a failure status and keep its output.
#   check-launch-agent.sh TEMPLATE
set -euo pipefail
fail() { echo "$*" >&2; exit 1; }
plist=$(mktemp)
catalog=$(mktemp)
trap 'rm -f "$plist" "$catalog"' EXIT
# The DOCTYPE's public id answered from here: validation needs no network.
cat > "$catalog" <<XML
<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog">
  <public publicId="-//Apple//DTD PLIST 1.0//EN" uri="file://$(realpath "$(dirname "$0")")/PropertyList-1.0.dtd"/>
</catalog>
XML
export XML_CATALOG_FILES=$catalog
sed -e 's|@CMAKE_INSTALL_PREFIX@|/usr/local|' -e 's|@CMAKE_INSTALL_BINDIR@|bin|' "$1" > "$plist"
! grep -q @ "$plist" || fail "a placeholder is left: $(grep @ "$plist")"
grep -q '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN"' "$plist" || fail "not a property list DOCTYPE"
xmllint --noout --nonet --valid "$plist"

value() { xmllint --nonet --xpath "$1" "$plist"; }
[ "$(value 'string(/plist/dict/key[.="Label"]/following-sibling::*[1])')" = com.selvik.keywatchd ] || fail "wrong Label"
[ "$(value 'string(/plist/dict/key[.="ProgramArguments"]/following-sibling::*[1]/string[1])')" = /usr/local/bin/keywatchd ] \
  || fail "ProgramArguments does not start keywatchd"
[ "$(value 'name(/plist/dict/key[.="RunAtLoad"]/following-sibling::*[1])')" = true ] || fail "RunAtLoad is not true"
keep_alive='/plist/dict/key[.="KeepAlive"]/following-sibling::*[1]'
[ "$(value "name($keep_alive)")" = dict ] || fail "KeepAlive is not a dictionary of conditions"
[ "$(value "count($keep_alive/key)")" = 2 ] || fail "KeepAlive has more than the crash and failure conditions"
[ "$(value "name($keep_alive/key[.='Crashed']/following-sibling::*[1])")" = true ] || fail "KeepAlive does not restart after a crash"
[ "$(value "name($keep_alive/key[.='SuccessfulExit']/following-sibling::*[1])")" = false ] \
  || fail "KeepAlive does not restart after a failure status"
for key in StandardOutPath StandardErrorPath; do
  path=$(value "string(/plist/dict/key[.='$key']/following-sibling::*[1])")
  [[ $path == /* ]] || fail "$key is not an absolute path"
done
echo "LaunchAgent is a valid property list"
