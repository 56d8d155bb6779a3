#!/usr/bin/env bash
# The demo in a real window under Xvfb: the device dialog on a first start (Enter takes the
# driver, Escape ends with -1), frames shown, and every way of ending it: Alt+F4, the window
# closed from outside, SIGTERM (also behind a message box and in the dialog), SIGKILL behind a
# message box, a lost X connection; after each, within 3 seconds, no process of the program
# (the box's included) and no window of it is left. The second driver (the software
# rasteriser) shows its frames in the window too.
# usage: app_window_test.sh ORIXAPP [RES_DIR]   (exit 77: skipped, nothing to run it with)
set -uo pipefail
app=$(readlink -f "$1")
res=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "skip: $tool missing"; exit 77; }
done

if [[ -z "${ORIX_IN_XVFB:-}" ]]; then
  export ORIX_IN_XVFB=1
  server="-screen 0 1024x768x24"
  # SDL's message box draws with a core X font, and Xvfb's own "fixed" is not one it takes: a
  # scalable one is lent from the TrueType fonts.
  ttf=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  fonts=$(mktemp -d)
  trap 'rm -rf "$fonts"' EXIT
  if [[ -f $ttf ]]; then
    ln -s "$ttf" "$fonts/"
    printf '1\n%s -misc-dejavu sans-medium-r-normal--0-0-0-0-p-0-iso8859-1\n' \
      "$(basename "$ttf")" >"$fonts/fonts.dir"
    server+=" -fp built-ins,$fonts"
    export ORIX_BOX_FONT=1
  fi
  # Keys sent before a window under load takes focus can get lost, and now and then a start shows
  # no window for 40 s though the program runs (cause not yet found; the failure prints its
  # windows and, with gdb, its threads): a real fault fails three times.
  for attempt in 1 2 3; do
    xvfb-run -a -s "$server" bash "$0" "$@"
    rc=$?
    [[ $rc -eq 0 || $rc -eq 77 ]] && exit $rc
  done
  exit $rc
fi

unset ORIX_OFFSCREEN
# Under AddressSanitizer the X11 driver's own libraries leave allocations behind at exit.
[[ -n "${ASAN_OPTIONS:-}" ]] && export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
work=$(mktemp -d)
pid=
kids=
trap 'kill $pid $kids 2>/dev/null; rm -rf "$work"' EXIT
export ORIX_PROFILE=$work/profile.ini
mkdir -p "$work/start/res"
[[ -n "$res" && -d "$res" ]] && cp -r "$res/." "$work/start/res"

fail() {
  echo "FAIL: $*"
  cat "$work/app.log"
  local all
  if [[ -n $pid ]] && alive "$pid"; then
    for all in $(xdotool search --all --pid "$pid" 2>/dev/null); do
      echo "window $all of the program, mapped or not: $(xdotool getwindowname "$all" 2>/dev/null)"
    done
    command -v gdb >/dev/null &&
      gdb -p "$pid" -batch -ex "thread apply all bt 12" 2>/dev/null | grep -E "^#|^Thread" | head -60
  fi
  local w
  for w in $(comm -13 <(echo "$before") <(visible)); do
    echo "window $w of $(xdotool getwindowpid "$w" 2>/dev/null): $(xdotool getwindowname "$w")"
  done
  exit 1
}
start() {
  : >"$work/app.log"
  (cd "$work/start" && exec "$app" 2>>"$work/app.log") &
  pid=$!
}
# The visible top-level windows (the screen is the test's own: any beyond those it starts with
# are the program's).
visible() {
  xdotool search --onlyvisible --maxdepth 1 --class '' 2>/dev/null | sort
}
before=$(visible)
# Waits up to 40 seconds for a visible window of the app whose name matches $1; prints its id.
window() {
  local i
  for ((i = 0; i < 200; i++)); do
    # A window destroyed while xdotool reads it ends xdotool with an X error: ask again.
    xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -1 | grep . &&
      return 0
    sleep 0.2
  done
  echo "no window named $1 of process $pid ($(alive "$pid" && echo running || echo ended))" >&2
  return 1
}
# Waits up to 20 seconds for the message box named $1 and its process (SDL's box is another
# process's window, one without its pid); records the app's children.
message_box() {
  local i w
  for ((i = 0; i < 200; i++)); do
    kids=$(pgrep -P "$pid")
    if [[ -n $kids ]]; then
      for w in $(comm -13 <(echo "$before") <(visible)); do
        [[ $(xdotool getwindowname "$w" 2>/dev/null) == "$1" ]] && return 0
      done
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  return 1
}
# True while process $1 runs (a zombie no longer does).
alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [[ ${stat:0:1} != Z ]]
}
key() {
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key --clearmodifiers "${@:2}"
}
# Waits up to $1 seconds for the app to end with status $2 ("any": not a hang; "nonzero"); then
# up to 3 seconds for its children (those recorded before and those it has now) and its windows
# to go.
ends() {
  local i p status=timeout left
  kids="$kids $(pgrep -P "$pid")"
  for ((i = 0; i < $1 * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; break; fi
    sleep 0.1
  done
  [[ $status == "$2" || ($status != timeout && ($2 == any || ($2 == nonzero && $status != 0))) ]] ||
    fail "$3: status $status"
  for ((i = 0; i < 30; i++)); do
    left=
    for p in $kids; do alive "$p" && left="its process $p"; done
    [[ -z $left && $(visible) != "$before" ]] && left="a window"
    [[ -z $left ]] && break
    sleep 0.1
  done
  [[ -z $left ]] || fail "$3: $left left behind"
  kids=
}
# Starts the app, waits for a window whose name matches $1, ends it with SIGTERM: status $2.
terminated() {
  start
  window "$1" >/dev/null || fail "$3: no window"
  kill -TERM "$pid"
  ends 6 "$2" "$3"
}
shows_frames() {
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "$2: the app ended by itself"
  local count
  count=$(python3 "$here/x11_grab.py" "$1" 10 435 120 40 0000FF 40) || fail "cannot read the window"
  [[ "$count" -gt 10 ]] || fail "$2: no frame-rate text in the window ($count blue pixels)"
}

start
dialog=$(window 'Direct3D') || fail "the device dialog did not appear"
key "$dialog" Return
main=$(window '^OrixApp$') || fail "the window OrixApp did not appear"
shows_frames "$main" "first start"
grep -Eq '^Default DirectDraw GUID=[0-9A-F]{32}$' "$ORIX_PROFILE" || fail "nothing stored"
[[ -f "$work/start/res/debug.txt" ]] || fail "no debug.txt in res/"
key "$main" alt+F4
ends 20 0 "Alt+F4"

start
main=$(window '^OrixApp$') || fail "second start: no window"
sleep 1
xdotool search --onlyvisible --name 'Direct3D' >/dev/null 2>&1 && fail "second start: a dialog"
xdotool windowclose "$main"
ends 2 0 "the window destroyed from outside"

terminated '^OrixApp$' 0 "SIGTERM in the main loop"

start
main=$(window '^OrixApp$') || fail "no window to lose the connection of"
xdotool windowkill "$main"
ends 5 nonzero "a lost X connection"
grep -q "connection to the display was lost" "$work/app.log" || fail "lost X connection: no message"

# The character's file missing: a message box waits for OK. A termination ends the box's
# process, its text goes to stderr; a killed program takes the box with it. Without a font for
# the box, the text goes to stderr and the demo runs on.
if [[ -f "$work/start/res/girl-t.bne" ]]; then
  mv "$work/start/res/girl-t.bne" "$work"
  for signal in TERM KILL; do
    start
    if [[ -n "${ORIX_BOX_FONT:-}" ]]; then
      message_box OrixFileBne || fail "SIG$signal: no message box: $kids"
    else
      window '^OrixApp$' >/dev/null || fail "SIG$signal with the model missing: no window"
    fi
    kill -"$signal" "$pid"
    ends 6 any "SIG$signal with the model missing"
    [[ $signal == KILL ]] || grep -q "^OrixFileBne: Can't Open" "$work/app.log" ||
      fail "SIG$signal with the model missing: the box's text is lost"
  done
  mv "$work/girl-t.bne" "$work/start/res"
fi

rm -f "$ORIX_PROFILE"
start
dialog=$(window 'Direct3D') || fail "no dialog to cancel"
key "$dialog" Escape
ends 20 255 "a cancelled dialog"
[[ ! -s "$ORIX_PROFILE" ]] || fail "a cancelled dialog stored a device"
terminated 'Direct3D' any "SIGTERM in the dialog"

# The second driver: Down, then Enter, and the next start keeps it.
start
dialog=$(window 'Direct3D') || fail "no dialog for the second driver"
key "$dialog" Down Return
for run in first next; do
  main=$(window '^OrixApp$') || fail "the second driver ($run start): no window"
  if grep -Eq '^Default DirectDraw GUID=0{32}$' "$ORIX_PROFILE"; then
    echo "one display driver only: the second driver's checks are skipped"
    break
  fi
  shows_frames "$main" "the second driver ($run start)"
  [[ $(comm -13 <(echo "$before") <(visible) | wc -l) -eq 1 ]] ||
    fail "the second driver ($run start): another window (a dialog, a message box) is open"
  ! grep -q 'display' "$work/app.log" || fail "the second driver: $(cat "$work/app.log")"
  key "$main" alt+F4
  ends 20 0 "the second driver ($run start)"
  [[ $run == first ]] && start
done
echo "PASS"
