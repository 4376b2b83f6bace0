#!/bin/sh
# A dialog a Windows add-in shows in the helper is driven by kvhost's modal driver, as a person
# would: printed, its controls used, OK pressed, the message box it shows then read and
# answered. The fixture add-in and the helper with dialog driving come from the mingw64 build
# (tests/win/dialog_fixture).
#   xll_dialog.sh KVHOST WINDOWS_BIN_DIR WINE_PREFIX_DIR
kvhost=$1 bin=$2 prefix=$3
[ -f "$bin/dialog_fixture.xll" ] || { echo "no fixture in $bin (cmake --build --preset mingw64)"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/checks.sh"
export KVHOST_XLL_HELPER="$bin/kvxlbridge_dialogs.exe"
fixture="$bin/dialog_fixture.xll"

"$here/wine_run.sh" "$prefix" "$kvhost" --addin "$fixture" --dialog print command fixture_dialog \
  >"$out/print" 2>"$out/print.err"
check "printed, then OK" $? 0
same "the dialog as read from its windows" "$out/print" 'Dialog "Fixture dialog"
  c: check box "Option", enabled, visible, not checked, colour clBlack, font clBlack
  b_ok: button "OK", enabled, visible, colour clBlack, font clBlack
Ran fixture_dialog
Nothing changed.'
same "the message box OK showed" "$out/print.err" "[Fixture] The option was not checked."

printf 'click c\nlist\nclick nothing\nok\n' | "$here/wine_run.sh" "$prefix" "$kvhost" \
  --addin "$fixture" --dialog prompt command fixture_dialog >"$out/prompt" 2>"$out/prompt.err"
check "a person at the prompt" $? 0
contains "the click reached the check box" "$out/prompt" \
  'c: check box "Option", enabled, visible, checked'
contains "an unknown control is refused" "$out/prompt" "refused: no control nothing can be used"
same "the dialog saw the click" "$out/prompt.err" "[Fixture] The option was checked."
summary
