#!/usr/bin/env bash
# The Debian package, checked and then run as an installed program by a
# user with a fresh home.
#
#   package_under_xvfb.sh PACKAGE.deb
#
# Checks the package's fields and files (and runs lintian when it is
# installed), unpacks it into a temporary root and starts the unpacked
# program on its own Xvfb display: the first start lays down the user's
# program folder and shows the main window; a second start meanwhile is
# refused with the database messages; unpacking again (a reinstall) and
# starting again keeps the user's database. Any step that does not come
# about in time fails the check.
set -euo pipefail
deb=$(realpath "$1")
. "$(dirname "$0")/../../scripts/lib/xvfb-program.sh"
xvfb_display xdotool dpkg-deb sqlcipher

fail() { echo "FAILED: $*" >&2; exit 1; }

# ---------------------------------------------------------------- the package
fields=$(dpkg-deb --field "$deb")
echo "$fields" | grep -E '^(Package|Version|Architecture|Depends):'
for needed in libqt6widgets6 libqt6gui6 libqt6core6 libqt6printsupport6 libqt6dbus6 libsqlcipher0 libssl3 qt6-qpa-plugins libqt6svg6; do
  echo "$fields" | grep -q "^Depends:.*\b$needed\b" || fail "the package does not depend on $needed"
done
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/tarvo ./usr/share/tarvo/tarvo.mdb.shipped ./usr/share/tarvo/machine/registry.reg \
            ./usr/share/tarvo/machine/dialup.ini ./usr/share/tarvo/machine/windows/system/rnaui.dll \
            ./usr/share/applications/org.tarvo.Tarvo.desktop ./usr/share/icons/hicolor/scalable/apps/tarvo.svg \
            ./usr/share/metainfo/org.tarvo.Tarvo.metainfo.xml ./usr/share/man/man1/tarvo.1.gz \
            ./usr/share/doc/tarvo/copyright; do
  echo "$contents" | grep -qxF "$path" || fail "the package lacks $path"
done
echo "$contents" | grep -qE '^\./usr/lib/(.*/)?tarvo/libTarvoTray\.so$' || fail "the package lacks the tray plug-in"
if echo "$contents" | grep -qE '/tarvo\.mdb$|/err\.log$'; then
  fail "the package carries a user's file"
fi
if command -v lintian >/dev/null; then
  # Errors and warnings fail the check, but for the tags accepted there.
  lintian --fail-on error,warning --suppress-tags-from-file "$(dirname "$0")/lintian-accepted" "$deb" \
    || fail "lintian finds errors or warnings"
fi

# --------------------------------------------------------- installed and run
root="$work/root"
dpkg-deb -x "$deb" "$root"
program="$root/usr/bin/tarvo"
# Built with Debian's hardening flags: PIE, full RELRO, stack protection,
# _FORTIFY_SOURCE.
"$(dirname "$0")/hardened.sh" "$program" "$root"/usr/lib/*/tarvo/libTarvoTray.so \
  || fail "the packaged files are not hardened"
export HOME="$work/home"
unset XDG_DATA_HOME XDG_CONFIG_HOME
mkdir -p "$HOME"
folder="$HOME/.local/share/tarvo"

# The main window: the widest window of PID named "Tarvo".
main_window_of() {
  local w
  for w in $(xdotool search --all --onlyvisible --pid "$1" --name '^Tarvo$' 2>/dev/null); do
    local width
    width=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/{split($2, a, "x"); print a[1]}')
    [ -n "$width" ] && [ "$width" -gt 300 ] && { echo "$w"; return 0; }
  done
  return 1
}
shows_main() { main_window_of "$1" >/dev/null; }
start() { "$program" >>"$work/tarvo.out" 2>&1 & pids+=($!); started=$!; }

start; first=$started
until_true 20 "the first start shows the main window" shows_main "$first"
for f in tarvo.mdb machine/registry.reg machine/dialup.ini machine/windows/rundll32.exe \
         machine/windows/system/rnaui.dll machine/windows/system/rnaapp.exe; do
  [ -f "$folder/$f" ] || fail "the first start did not lay down $folder/$f"
done
[ "$(stat -c %a "$folder")" = 700 ] || fail "$folder is open to others: $(stat -c %a "$folder")"

# A second start while the first runs: the database is held, so it shows
# the messages and ends; every message is answered with Enter.
start; second=$started
titles=()
message() { xdotool search --all --onlyvisible --pid "$second" --name '.*' 2>/dev/null | head -1; }
ended() { ! kill -0 "$second" 2>/dev/null; }
for _ in 1 2 3 4 5; do
  until_true 20 "the second start shows a message or ends" eval 'ended || [ -n "$(message)" ]'
  ended && break
  w=$(message)
  titles+=("$(xdotool getwindowname "$w" 2>/dev/null)")
  xdotool windowfocus "$w" 2>/dev/null || true
  until_true 5 "the message takes the focus" eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ] || ! xdotool getwindowname "$w" >/dev/null 2>&1'
  xdotool key Return
  until_true 10 "the message closes" eval '! xdotool getwindowname "$w" >/dev/null 2>&1 || ended'
done
status=0; wait "$second" || status=$?
echo "the second start's messages: ${titles[*]}"
printf '%s\n' "${titles[@]}" | grep -qx 'Tarvo - Initialization Error' \
  || fail "the second start did not say it cannot start"
[ "$status" -ne 0 ] || fail "the second start ended as if it had run"
kill -0 "$first" 2>/dev/null || fail "the first start ended"

kill -TERM "$first"
wait "$first" || fail "the first start did not end cleanly: $(cat "$work/tarvo.out")"

# What the user has is theirs: a connection of their own in the database,
# an edited registry.
key="PRAGMA key='kvr482tmw917';"
printf "%s\nINSERT INTO ConInfo VALUES ('Kept Across Reinstall', 'me', 'x');\n" "$key" \
  | sqlcipher -batch "$folder/tarvo.mdb" >/dev/null
echo '; the user was here' >>"$folder/machine/registry.reg"
registry=$(sha256sum <"$folder/machine/registry.reg")

# A reinstall, with the shipped files newer than the user's.
dpkg-deb -x "$deb" "$root"
touch "$root/usr/share/tarvo/tarvo.mdb.shipped" "$root/usr/share/tarvo/machine/registry.reg"
start; third=$started
until_true 20 "the start after the reinstall shows the main window" shows_main "$third"
kill -TERM "$third"
wait "$third" || fail "the start after the reinstall did not end cleanly"
kept=$(printf "%s\nSELECT ConName FROM ConInfo WHERE ConName = 'Kept Across Reinstall';\n" "$key" \
  | sqlcipher -batch "$folder/tarvo.mdb" | grep -c 'Kept Across Reinstall' || true)
[ "$kept" = 1 ] || fail "the reinstall lost the user's database"
[ "$registry" = "$(sha256sum <"$folder/machine/registry.reg")" ] || fail "the reinstall replaced the user's registry"

# The installed tree itself is never written to.
written=$(find "$root" -name 'tarvo.mdb' -o -name 'err.log' -o -name 'printed' -o -name '*.partial-*')
[ -z "$written" ] || fail "the program wrote into the installed tree: $written"
echo "package under Xvfb: all steps passed"
