#!/usr/bin/env bash
# The Debian package as a user meets it: installed into this machine with apt-get, kvhost run from
# the PATH on the bundled data, its manual page and completion found; then purged, leaving none of
# its files behind. Needs root (or sudo without a password): CI runs as root.
# usage: deb_check.sh PACKAGE.deb [LINTIAN-TAG,...]  (the tags lintian may report, each justified)
set -uo pipefail

# shellcheck source-path=SCRIPTDIR source=../e2e/checks.sh
. "$(dirname "$0")/../e2e/checks.sh"
deb=$(realpath "$1")
kept_tags=${2:-}

echo "== lintian $(basename "$deb")"
lintian_options=(--fail-on "error,warning")
[ -n "$kept_tags" ] && lintian_options+=(--suppress-tags "$kept_tags")
holds "lintian: no error, no warning but ${kept_tags:-none}" lintian "${lintian_options[@]}" "$deb"

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then
    sudo=(sudo -n)
  else
    echo "deb_check: installing a package needs root or sudo without a password" >&2
    exit 1
  fi
fi
if dpkg-query -W -f='${Status}' kavenlor 2>/dev/null | grep -q 'install ok installed'; then
  echo "deb_check: kavenlor is installed on this machine; remove it first" \
    "(apt-get remove --purge kavenlor), as this check installs and purges it" >&2
  exit 1
fi

# A user of our own: no settings yet, none of the caller's touched.
own_settings
cd "$out" || exit 1

# The package's paths, and the folders among them that exist before it is installed (the
# system's own, such as /usr/bin): those are the ones that stay after the purge.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -e 's#^\./#/#' -e 's#/$##' | grep -v '^$' |
  grep -v '^/$' >"$out/paths"
while read -r path; do [ -d "$path" ] && echo "$path"; done <"$out/paths" >"$out/existing"

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
  "$deb" >"$out/install.log" 2>&1
holds "apt-get install $(basename "$deb")" dpkg-query -W kavenlor
[ "$failures" -eq 0 ] || { cat "$out/install.log"; exit 1; }

version=$(dpkg-deb -f "$deb" Version)
holds "kvhost is on the PATH in /usr/bin" test "$(command -v kvhost)" = /usr/bin/kvhost
kvhost --version >version.txt 2>&1
holds "kvhost --version names kvhost $version and the installed add-in" \
  diff -u - version.txt <<EOF
kvhost $version
kavenlor.so $version (/usr/lib/kavenlor/kavenlor.so)
EOF
holds "kvhost info loads /usr/lib/kavenlor/kavenlor.so" \
  sh -c 'kvhost info >info.txt && grep -q "^File: /usr/lib/kavenlor/kavenlor.so$" info.txt &&
         grep -q "KV.SKEW" info.txt'
holds "a histogram of /usr/share/kavenlor/data/eu_stock_markets.csv saved as .xlsx" \
  kvhost --lang en run hist --data /usr/share/kavenlor/data/eu_stock_markets.csv \
  --select A2:A1861 --click o_normal --ok --out "$out/histogram.xlsx"
holds "the workbook holds its sheet and its chart" \
  sh -c 'unzip -l histogram.xlsx | grep -q "xl/worksheets/sheet1.xml" &&
         unzip -l histogram.xlsx | grep -q "xl/charts/chart1.xml"'
holds "the toolbar finds its pictures in /usr/share/kavenlor/img" \
  sh -c 'kvhost --lang en menu --toolbar-picture toolbar.png >menu.txt &&
         grep -q "picture 16x16" menu.txt && ! grep -q "no picture" menu.txt &&
         file toolbar.png | grep -q "PNG image"'
holds "the dialog's controls for completion (kvhost tools hist)" \
  sh -c 'kvhost tools hist | grep -q "^faixas	masked edit$"'
holds "man -w kvhost finds /usr/share/man/man1/kvhost.1.gz" \
  test "$(man -w kvhost)" = /usr/share/man/man1/kvhost.1.gz
holds "man kvhost renders without warnings" \
  sh -c 'MANWIDTH=80 man --warnings kvhost 2>man.err >man.txt && ! [ -s man.err ] &&
         grep -q "EXIT STATUS" man.txt'
holds "bash completes kvhost's subcommands" \
  bash -c 'source /usr/share/bash-completion/bash_completion
           COMP_WORDS=(kvhost in); COMP_CWORD=1; COMP_LINE="kvhost in"; COMP_POINT=9
           _completion_loader kvhost
           fn=$(complete -p kvhost | sed -n "s/.*-F \([^ ]*\) .*/\1/p")
           "$fn" kvhost in kvhost
           [ "${COMPREPLY[*]}" = "info" ]'

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove --purge -y -qq kavenlor \
  >"$out/remove.log" 2>&1
holds "apt-get remove --purge kavenlor" \
  sh -c '! dpkg-query -W -f="\${Status}" kavenlor 2>/dev/null | grep -q installed'
left=$(grep -vxF -f "$out/existing" "$out/paths" | while read -r path; do
  [ -e "$path" ] || [ -L "$path" ] && echo "$path"
done)
holds "no file or folder of the package is left" test -z "$left"
[ -z "$left" ] || echo "left behind: $left"
holds "dpkg keeps nothing of it" sh -c '! ls /var/lib/dpkg/info/kavenlor.* 2>/dev/null'

summary
