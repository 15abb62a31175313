#!/usr/bin/env bash
# End-to-end tests of marvolet.scr under Wine: each case runs in a fresh copy of a prepared Wine
# prefix on its own Xvfb display, drives the saver with xdotool and the Win32 helper, and checks
# exit codes, windows, pixels and the registry. A case that fails for Wine's own reasons (one of
# its system processes crashing, or its loader failing to map the shared user data) runs once
# more; the retry is reported, and noted in $WINE_WORK/retried.log.
#
#   wine_e2e.sh prepare               install what is missing, build the template prefix
#   wine_e2e.sh <case>                run one case (see the case_* functions below)
#   wine_e2e.sh screenshots <dir>     save the /s picture and the /c dialog as PNG files
#
# Environment: MARVOLET_SCR (the .scr), WINE_HELPER (wine_helper.exe), STAND_IN_DLL (the
# password-library stand-in), WINE_TEMPLATE (template prefix folder), WINE_WORK (scratch root).
set -euo pipefail

SCREEN_W=800 SCREEN_H=600
readonly SCR_WIN='C:\saver\marvolet.scr'
readonly OWN_KEY='HKCU\Software\Orvane\Quenby'
readonly SHARED_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Screen Savers'
# Wine names each X window's class after its program: the saver's windows, and no others.
readonly SAVER_CLASS='^marvolet\.scr$'
# A small Debian CJK font (fonts-wqy-microhei) and its face's name.
readonly CJK_FONT=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
readonly CJK_FACE='WenQuanYi Micro Hei'
# The user's own words: a Chinese title ("my screen saver") and a Greek file name ("verses").
readonly CHINESE_TITLE='我的屏幕保护程序'
readonly GREEK_NAME='Στίχοι.txt'

name=${1:?usage: wine_e2e.sh prepare | <case> | screenshots <dir>}
: "${MARVOLET_SCR:?MARVOLET_SCR must name marvolet.scr}"
: "${WINE_TEMPLATE:?WINE_TEMPLATE must name the template prefix folder}"
WINE_WORK=${WINE_WORK:-${TMPDIR:-/tmp}}
export WINEDEBUG=${WINEDEBUG:--all}
# Wine names the Unix files of Windows names in the locale's character set: a UTF-8 one, as
# users have, keeps the Greek and Chinese names the cases use (a bare root has none set).
export LC_ALL=C.UTF-8
# No Mono or Gecko installers: they would need the network and are not used.
export WINEDLLOVERRIDES="mscoree,mshtml="

log() { printf '[%s] %s\n' "$name" "$*"; }
fail() {
  printf 'FAIL [%s]: %s\n' "$name" "$*" >&2
  if [ -n "${work:-}" ] && [ -s "$work/saver.log" ]; then
    echo "--- saver output (last lines) ---" >&2
    tail -n 20 "$work/saver.log" >&2
  fi
  exit 1
}

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_missing() {
  local missing=() pair
  for pair in wine:wine Xvfb:xvfb Xephyr:xserver-xephyr xdotool:xdotool import:imagemagick \
    xrandr:x11-xserver-utils; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
  done
  # Chinese in the dialog: Wine's own fonts have no CJK characters.
  [ -f "$CJK_FONT" ] || missing+=(fonts-wqy-microhei)
  # Debian's 64-bit loader is not on PATH; the wine launcher finds it there.
  [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null 2>&1 || missing+=(wine64)
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# ---- display, prefix and clean-up ---------------------------------------------------------------

work=""
xvfb_pid=""
xephyr_pid=""
holder_pid=""
# Set for each attempt at a case: the folder its logs are kept in once its work folder is gone.
attempt_logs=""
cleanup() {
  set +e
  trap - ERR
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1; fi
  if [ -n "$holder_pid" ]; then kill "$holder_pid" >/dev/null 2>&1; wait "$holder_pid" 2>/dev/null; fi
  if [ -n "$work" ] && [ -n "$attempt_logs" ]; then cp "$work"/*.log "$attempt_logs/" 2>/dev/null; fi
  if [ -n "$xephyr_pid" ]; then kill "$xephyr_pid" >/dev/null 2>&1; wait "$xephyr_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1; wait "$xvfb_pid" 2>/dev/null; fi
  if [ -n "$work" ] && [ -z "${KEEP_WORK:-}" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

make_work() {
  mkdir -p "$WINE_WORK"
  work=$(mktemp -d "$WINE_WORK/marvolet-wine.XXXXXX")
}

start_display() {
  Xvfb -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  use_display_from "$work/display" 100 Xvfb "$work/xvfb.log"
}

# Waits up to TRIES tenths of a second for a server to write its display number into FILE, then
# points DISPLAY at it.
use_display_from() {
  local file=$1 tries=$2 what=$3 log=$4 i
  for i in $(seq "$tries"); do
    [ -s "$file" ] && break
    sleep 0.1
  done
  [ -s "$file" ] || fail "$what did not start: $(tail -n 5 "$log")"
  export DISPLAY=":$(head -n 1 "$file")"
}

# Two 1280 x 720 heads side by side: Xephyr under Xinerama, shown on an Xvfb of its own. Xephyr's
# RandR reports only the first head and Wine would then believe it, so RandR is switched off and
# Wine reads the heads from Xinerama.
readonly HEAD_W=1280 HEAD_H=720
start_two_heads() {
  SCREEN_W=$((2 * HEAD_W)) SCREEN_H=$HEAD_H start_display
  Xephyr -displayfd 3 +xinerama -extension RANDR -screen "${HEAD_W}x${HEAD_H}x24" \
    -screen "${HEAD_W}x${HEAD_H}x24" -nolisten tcp 3>"$work/nested" >"$work/xephyr.log" 2>&1 &
  xephyr_pid=$!
  use_display_from "$work/nested" 150 Xephyr "$work/xephyr.log"
}

# A 1280 x 720 Xephyr whose RandR may resize it up to 1600 x 1200 (xrandr -s), shown on an Xvfb of
# that size.
start_resizeable() {
  SCREEN_W=1600 SCREEN_H=1200 start_display
  Xephyr -displayfd 3 -resizeable -screen "${HEAD_W}x${HEAD_H}x24" -nolisten tcp \
    3>"$work/nested" >"$work/xephyr.log" 2>&1 &
  xephyr_pid=$!
  use_display_from "$work/nested" 150 Xephyr "$work/xephyr.log"
  SCREEN_W=$HEAD_W SCREEN_H=$HEAD_H
}

# Skips the case (exit 77) where Wine does not show the two Xinerama heads as two monitors side by
# side: Wine 10 reports both at the origin when RandR is off, and Xephyr's RandR knows one head.
need_two_heads_side_by_side() {
  local layout
  layout=$(helper monitors | tr '\n' ' ')
  if [ "$layout" != "monitor 0 0 $HEAD_W $HEAD_H monitor $HEAD_W 0 $((2 * HEAD_W)) $HEAD_H " ]; then
    echo "SKIP [$name]: $(wine --version 2>/dev/null) shows the two heads as: ${layout:-nothing}"
    exit 77
  fi
}

# A private copy of the template, with the saver in C:\saver.
new_prefix() {
  [ -f "$WINE_TEMPLATE/system.reg" ] || fail "no template prefix at $WINE_TEMPLATE (run prepare)"
  export WINEPREFIX="$work/prefix"
  cp -a "$WINE_TEMPLATE" "$WINEPREFIX"
  mkdir -p "$WINEPREFIX/drive_c/saver"
  cp "$MARVOLET_SCR" "$WINEPREFIX/drive_c/saver/marvolet.scr"
}

# Boots the prefix before the case and keeps its session up until the end: otherwise the first
# command of a case starts Wine's services and driver host (winedevice.exe) alongside itself, and
# every pause of a few seconds ends the session and the next command boots it again. The system
# processes write to boot.log.
boot_prefix() {
  wine "$WINE_HELPER" settle 90000 hold >"$work/settle.out" 2>"$work/boot.log" &
  holder_pid=$!
  local i
  for i in $(seq 1200); do
    grep -q 'settled' "$work/settle.out" 2>/dev/null && break
    kill -0 "$holder_pid" 2>/dev/null || break
    sleep 0.1
  done
  local answer
  answer=$(tr -d '\r' <"$work/settle.out")
  [ "${answer%% *}" = settled ] ||
    fail "the prefix did not finish booting: ${answer:-no answer}; $(tail -n 5 "$work/boot.log")"
  log "prefix booted; running services:${answer#settled}"
}

setup_case() {
  install_missing
  make_work
  case "$name" in
    saver_two_monitors | main_monitor_only) start_two_heads ;;
    saver_follows_screen_change) start_resizeable ;;
    *) start_display ;;
  esac
  new_prefix
  boot_prefix
  case "$name" in
    saver_two_monitors | main_monitor_only) need_two_heads_side_by_side ;;
  esac
  # The start cursor is read when the saver window is created.
  xdotool mousemove $((SCREEN_W / 2)) $((SCREEN_H / 2))
}

# Whether the template is built and has crash dialogs off (templates from before that are made
# again).
template_ready() {
  [ -f "$WINE_TEMPLATE/system.reg" ] &&
    grep -A3 -F '[Software\\Wine\\WineDbg]' "$WINE_TEMPLATE/user.reg" 2>/dev/null |
    grep -qF '"ShowCrashDialog"=dword:00000000'
}

# Builds the template prefix once (wineboot takes a while); every case copies it. A crash shows no
# dialog: the crashed program's backtrace goes to its log, and the exit code tells.
prepare() {
  install_missing
  if template_ready; then
    log "template prefix ready at $WINE_TEMPLATE"
    return
  fi
  make_work
  start_display
  local staging="$WINE_TEMPLATE.staging.$$"
  rm -rf "$staging"
  mkdir -p "$(dirname "$WINE_TEMPLATE")"
  log "creating the template prefix (wineboot)"
  WINEPREFIX="$staging" timeout 300 wineboot -i >"$work/wineboot.log" 2>&1 ||
    fail "wineboot failed: $(tail -n 5 "$work/wineboot.log")"
  WINEPREFIX="$staging" timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' \
    /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$work/wineboot.log" 2>&1 ||
    fail "could not turn crash dialogs off: $(tail -n 5 "$work/wineboot.log")"
  WINEPREFIX="$staging" timeout 60 wineserver -w || true
  rm -rf "$WINE_TEMPLATE"
  mv "$staging" "$WINE_TEMPLATE"
  template_ready || fail "the new template at $WINE_TEMPLATE keeps crash dialogs on"
  log "template prefix ready at $WINE_TEMPLATE"
}

# ---- running and observing the saver ----------------------------------------------------------

wine_reg() { timeout 60 wine reg "$@" 2>>"$work/wine.log"; }

# Starts the saver in the background; its exit code, as Windows has it, lands in $work/saver.rc,
# whole: the file appears by a rename, so that nobody reads it empty.
start_saver() {
  rm -f "$work/saver.rc"
  (
    set +e
    timeout -k 5 120 wine "$WINE_HELPER" run "$SCR_WIN" "$@" >"$work/saver.log" 2>&1
    echo $? >"$work/saver.rc.part"
    mv "$work/saver.rc.part" "$work/saver.rc"
  ) &
}

saver_running() { [ ! -f "$work/saver.rc" ]; }

# Waits up to $1 seconds for the saver to end and checks that its exit code is 0.
expect_exit_zero() {
  local limit=$1 why=$2 i
  for i in $(seq $((limit * 10))); do
    saver_running || break
    sleep 0.1
  done
  saver_running && fail "$why: the saver still runs after ${limit} s"
  local rc
  rc=$(cat "$work/saver.rc")
  [ "$rc" = 0 ] || fail "$why: exit code $rc, expected 0"
  log "ok: $why (exit 0)"
}

# Checks the saver is still running after $1 seconds.
expect_still_running() {
  sleep "$1"
  saver_running || fail "$2: the saver ended (exit $(cat "$work/saver.rc"))"
  log "ok: $2 (still running)"
}

# The saver's own X windows whose title matches the pattern $1 (all of them if it is empty);
# further xdotool search options (--onlyvisible) may follow. Fails if there are none. xdotool
# takes one pattern per search, so the two searches are intersected.
saver_windows() {
  local title=$1 ids
  shift
  ids=$(xdotool search "$@" --classname "$SAVER_CLASS" 2>/dev/null | LC_ALL=C sort)
  if [ -n "$title" ] && [ -n "$ids" ]; then
    ids=$(LC_ALL=C comm -12 <(echo "$ids") \
      <(xdotool search "$@" --name "$title" 2>/dev/null | LC_ALL=C sort))
  fi
  [ -n "$ids" ] && echo "$ids"
}

wait_for_window() {
  local title=$1 limit=$2 i
  for i in $(seq $((limit * 5))); do
    if saver_windows "^${title}\$" >/dev/null; then return 0; fi
    saver_running ||
      fail "the saver ended (exit $(cat "$work/saver.rc")) before a \"$title\" window appeared"
    sleep 0.2
  done
  fail "no \"$title\" window after ${limit} s"
}

helper() { timeout 60 wine "$WINE_HELPER" "$@" 2>>"$work/wine.log" | tr -d '\r'; }

# Number of pixels brighter than 10 % in a screenshot.
bright_pixels() {
  convert "$1" -colorspace Gray -threshold 10% -format '%[fx:round(mean*w*h)]' info:
}

# Polls the screen until the picture is not black, up to $1 seconds; leaves it in $work/shot.png.
wait_for_picture() {
  local limit=$1 deadline=$((SECONDS + $1)) count=0
  while [ $SECONDS -lt $deadline ]; do
    import -window root "$work/shot.png" 2>/dev/null || true
    count=$(bright_pixels "$work/shot.png" 2>/dev/null || echo 0)
    [ "$count" -ge 2000 ] && break
    saver_running || fail "the saver ended while its picture was awaited"
    sleep 1
  done
  [ "$count" -ge 2000 ] ||
    fail "the picture stayed black for ${limit} s ($count bright pixels; the renderer drew nothing)"
  log "ok: picture is not black ($count bright pixels)"
}

reg_value() { # key value -> "TYPE DATA" or nothing
  wine_reg query "$1" /v "$2" | tr -d '\r' | awk -v v="$2" '$1 == v { print $2, $3 }'
}

# Text as the helper takes and gives it: UTF-8 bytes in hex.
hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }

# The CJK font in the prefix's font folder, linked behind the dialog fonts as Windows links its
# own CJK fonts, so that a control in "MS Sans Serif" shows Chinese.
use_cjk_font() {
  ln -sf "$CJK_FONT" "$WINEPREFIX/drive_c/windows/Fonts/wqy-microhei.ttc"
  local links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' face
  for face in 'MS Sans Serif' 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2' Tahoma; do
    wine_reg add "$links" /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,$CJK_FACE" /f >/dev/null
  done
}

# ---- cases ------------------------------------------------------------------------------------

# /s covers the primary screen, draws a picture that is not black, and a click ends it with 0.
case_saver_fills_screen() {
  start_saver /s
  wait_for_window SaverWindow 30
  local rect
  rect=$(helper saver-rect)
  [ "$rect" = "rect 0 0 $SCREEN_W $SCREEN_H" ] || fail "saver window is \"$rect\""
  log "ok: saver window covers the ${SCREEN_W}x${SCREEN_H} screen"
  wait_for_picture 60
  xdotool click 1
  expect_exit_zero 15 "a mouse click"
}

case_key_press_ends() {
  start_saver /s
  wait_for_window SaverWindow 30
  sleep 2
  xdotool key x
  expect_exit_zero 15 "a key press"
}

# The threshold (50 px) is measured per axis from the cursor at start.
case_mouse_threshold() {
  start_saver /s
  wait_for_window SaverWindow 30
  sleep 2
  xdotool mousemove_relative -- 30 0
  expect_still_running 3 "a 30 px mouse move"
  xdotool mousemove_relative -- 50 0
  expect_exit_zero 15 "an 80 px mouse move"
}

# Alt+F4 (SC_CLOSE) and a WM_CLOSE nobody asked for leave the saver running.
case_unrequested_close_ignored() {
  start_saver /s
  wait_for_window SaverWindow 30
  sleep 2
  xdotool key alt+F4
  expect_still_running 3 "Alt+F4"
  [ "$(helper post-close)" = posted ] || fail "the helper found no saver window"
  expect_still_running 3 "a WM_CLOSE posted by another program"
  xdotool key space
  expect_exit_zero 15 "a key press after them"
}

# Unrecognised switches, and /p without a parent, end at once, silently (no window shown), with 0.
case_silent_switches() {
  local switch i
  for switch in /x / //s /p; do
    start_saver "$switch"
    for i in $(seq 150); do
      saver_running || break
      if saver_windows '' --onlyvisible >/dev/null; then
        fail "\"$switch\" showed a window"
      fi
      sleep 0.1
    done
    expect_exit_zero 1 "switch \"$switch\""
  done
}

# Mean brightness (0 to 1) of a WxH+X+Y region of a screenshot.
brightness() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }

# /s on two heads: one window over both, the picture centred on each (the second head shows the
# first one's frame), and a key ends it with 0.
case_saver_two_monitors() {
  start_saver /s
  wait_for_window SaverWindow 30
  local rect
  rect=$(helper saver-rect)
  [ "$rect" = "rect 0 0 $((2 * HEAD_W)) $HEAD_H" ] ||
    fail "saver window is \"$rect\", not both heads"
  log "ok: one saver window covers both heads"
  wait_for_picture 60
  sleep 2
  import -window root "$work/shot.png"
  convert "$work/shot.png" -crop "${HEAD_W}x${HEAD_H}+0+0" +repage "$work/left.png"
  convert "$work/shot.png" -crop "${HEAD_W}x${HEAD_H}+${HEAD_W}+0" +repage "$work/right.png"
  local head centre differing
  for head in left right; do
    centre=$(brightness "$work/$head.png" "200x200+$((HEAD_W / 2 - 100))+$((HEAD_H / 2 - 100))")
    awk -v c="$centre" 'BEGIN { exit !(c > 0.02) }' || fail "the $head head's centre is black ($centre)"
    log "ok: the $head head's centre is lit (mean $centre)"
  done
  # The same frame on both heads: each shows the whole picture, centred. One picture spread over
  # both would show its left half on one head and its right half on the other. (How bright the
  # middle is compared with the edges depends on the scene's drifting parameters.)
  differing=$(compare -metric AE -fuzz 2% "$work/left.png" "$work/right.png" null: 2>&1 || true)
  [ "${differing%% *}" -lt $((HEAD_W * HEAD_H / 100)) ] 2>/dev/null ||
    fail "the heads show different pictures ($differing pixels differ)"
  log "ok: both heads show the same frame ($differing pixels differ)"
  [ -n "${SHOT_TO:-}" ] && cp "$work/shot.png" "$SHOT_TO"
  xdotool mousemove $((HEAD_W + HEAD_W / 2)) $((HEAD_H / 2))
  expect_exit_zero 15 "a mouse move on the second head"
}

# /s while the screen grows from 1280 x 720 to 1600 x 1200 (xrandr -s; Wine 8 updates the
# metrics without sending WM_DISPLAYCHANGE, so this also holds the saver's once-a-second look at
# the monitors): the window covers the new screen and the picture is drawn over all of it,
# centred on the new size.
case_saver_follows_screen_change() {
  start_saver /s
  wait_for_window SaverWindow 30
  local rect
  rect=$(helper saver-rect)
  [ "$rect" = "rect 0 0 $HEAD_W $HEAD_H" ] || fail "saver window is \"$rect\" before the change"
  wait_for_picture 60
  xrandr -s 1600x1200 || fail "xrandr could not resize the screen"
  local i
  for i in $(seq 50); do
    rect=$(helper saver-rect)
    [ "$rect" = "rect 0 0 1600 1200" ] && break
    sleep 0.1
  done
  [ "$rect" = "rect 0 0 1600 1200" ] || fail "the saver window stayed \"$rect\" after xrandr -s 1600x1200"
  log "ok: the saver window follows the screen to 1600x1200"
  sleep 2
  import -window root "$work/shot.png"
  local centre corner
  centre=$(brightness "$work/shot.png" "200x200+700+500")
  awk -v c="$centre" 'BEGIN { exit !(c > 0.02) }' || fail "the new screen's centre is black ($centre)"
  # Stars reach the part of the screen the old picture never covered.
  corner=$(convert "$work/shot.png" -crop 320x1200+1280+0 +repage -colorspace Gray \
    -threshold 3% -format '%[fx:round(mean*w*h)]' info:)
  [ "$corner" -gt 0 ] || fail "nothing is drawn right of the old screen"
  log "ok: the picture is centred on the new screen (mean $centre) and reaches its edge ($corner lit pixels)"
  [ -n "${SHOT_TO:-}" ] && cp "$work/shot.png" "$SHOT_TO"
  xdotool key space
  expect_exit_zero 15 "a key press after the change"
}

# MainMonitorOnly: the picture on the first head, the second one wholly black for frame after
# frame, and a mouse move on the black head still ends the saver.
case_main_monitor_only() {
  wine_reg add "$OWN_KEY" /v MainMonitorOnly /t REG_DWORD /d 1 /f >/dev/null
  start_saver /s
  wait_for_window SaverWindow 30
  wait_for_picture 60
  sleep 2
  import -window root "$work/shot.png"
  local left right
  left=$(brightness "$work/shot.png" "${HEAD_W}x${HEAD_H}+0+0")
  right=$(convert "$work/shot.png" -crop "${HEAD_W}x${HEAD_H}+${HEAD_W}+0" +repage \
    -colorspace Gray -format '%[fx:maxima]' info:)
  awk -v c="$left" 'BEGIN { exit !(c > 0.01) }' || fail "the first head is black ($left)"
  [ "$right" = 0 ] || fail "the second head is not black (brightest $right)"
  log "ok: the first head shows the picture (mean $left), the second is black"
  xdotool mousemove $((HEAD_W + HEAD_W / 2)) $((HEAD_H / 2))
  expect_exit_zero 15 "a mouse move on the black head"
}

# Pixels that differ between two screenshots taken $1 seconds apart.
changes_over() {
  import -window root "$work/before.png"
  sleep "$1"
  import -window root "$work/after.png"
  local differing
  differing=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
  echo "${differing%% *}"
}

# While the machine suspends (the display is dark) no frame is drawn, yet input still ends the
# saver; after the resume the animation goes on.
case_no_frames_while_suspended() {
  start_saver /s
  wait_for_window SaverWindow 30
  wait_for_picture 60
  local moving still
  moving=$(changes_over 2)
  [ "$moving" -gt 1000 ] || fail "the picture does not move while awake ($moving pixels changed)"
  [ "$(helper power suspend)" = sent ] || fail "the helper found no saver window"
  sleep 1  # a frame already under way may still land
  still=$(changes_over 3)
  [ "$still" = 0 ] || fail "frames were drawn while suspended ($still pixels changed)"
  log "ok: no frame while suspended (awake: $moving pixels changed in 2 s; suspended: 0 in 3 s)"
  [ "$(helper power resume)" = sent ] || fail "the helper found no saver window"
  sleep 1
  moving=$(changes_over 2)
  [ "$moving" -gt 1000 ] || fail "the picture did not move again after the resume ($moving)"
  log "ok: drawing again after the resume ($moving pixels changed in 2 s)"
  helper power suspend >/dev/null
  sleep 1
  xdotool key x
  expect_exit_zero 15 "a key press while suspended"
}

dialog_boxes() { helper dialog; }

# Presses a key in the dialog; whether it did its work is for the caller.
press_in_dialog() {
  local window
  window=$(saver_windows '^Config dialog$' | head -n 1) || fail "no dialog to press $1 in"
  press_in "$window" "$1"
}

# Presses the key $2 in the window $1 through the server's own keyboard (XTEST), with the window
# focused, never as an event sent to that window: a press that closes the window leaves its
# release no window to be sent to, so the key would stay down in the X server, and Wine would
# hand it to the next window that takes the focus (a saver, which it ends). Pressed once, for
# the same reason.
press_in() {
  xdotool windowfocus --sync "$1" 2>/dev/null || fail "window $1 did not take the focus for $2"
  xdotool key "$2"
}

# Defaults show Stars, Light Effects, Burn-in guard and Slower on battery checked, Trails and
# Main monitor only not; OK writes every option as REG_DWORD.
case_config_ok_writes() {
  start_saver /c
  wait_for_window 'Config dialog' 30
  [ "$(dialog_boxes)" = "boxes 1 1 0 1 0 1" ] || fail "default boxes are \"$(dialog_boxes)\""
  log "ok: Stars, Light Effects, Burn-in guard, Slower on battery checked; the others not"
  helper click 1003 >/dev/null
  helper click 1005 >/dev/null
  [ "$(dialog_boxes)" = "boxes 1 1 1 1 1 1" ] ||
    fail "Trails and Main monitor only did not toggle: \"$(dialog_boxes)\""
  local list
  list=$(helper list 1007 | tr -d '\r')
  [ "$list" = "list 0 3 30 a second" ] || fail "the frame-rate list is \"$list\""
  log "ok: the frame-rate list offers three rates, 30 a second chosen"
  helper choose 1007 2 >/dev/null
  press_in_dialog Return
  expect_exit_zero 15 "OK"
  local value
  for value in UseStars UseBlur UseTrails BurnInGuard MainMonitorOnly BatteryPace; do
    [ "$(reg_value "$OWN_KEY" $value)" = "REG_DWORD 0x1" ] ||
      fail "$value is \"$(reg_value "$OWN_KEY" $value)\" after OK"
  done
  log "ok: OK wrote all six options as REG_DWORD 1"
  [ "$(reg_value "$OWN_KEY" FrameRate)" = "REG_SZ refresh" ] ||
    fail "FrameRate is \"$(reg_value "$OWN_KEY" FrameRate)\" after choosing the display's refresh"
  log "ok: OK wrote the display's refresh as FrameRate=refresh"
}

# With a handle that names no window (12345), the dialog opens without a parent.
case_config_cancel_writes_nothing() {
  start_saver /c:12345
  wait_for_window 'Config dialog' 30
  helper click 1001 >/dev/null
  press_in_dialog Escape
  expect_exit_zero 15 "Cancel (Escape)"
  if wine_reg query "$OWN_KEY" >/dev/null; then fail "Cancel created $OWN_KEY"; fi
  log "ok: the key stays missing"
}

# OK that cannot write the key says why in a message box over the dialog, which stays open;
# nothing is written, and Cancel then ends it as usual.
case_config_ok_cannot_save() {
  [ "$(helper lock-key 'Software\Orvane\Quenby')" = locked ] || fail "could not lock the key"
  start_saver /c
  wait_for_window 'Config dialog' 30
  helper click 1003 >/dev/null
  press_in_dialog Return
  wait_for_window Marvolet 15
  saver_running || fail "OK ended the dialog although nothing was saved"
  xdotool search --name '^Config dialog$' >/dev/null || fail "the dialog closed"
  if [ -n "${SHOTS_TO:-}" ]; then
    mkdir -p "$SHOTS_TO"
    sleep 1
    import -window root "$SHOTS_TO/config-cannot-save.png"
  fi
  press_in "$(xdotool search --name '^Marvolet$' | head -n 1)" Return
  sleep 1
  press_in_dialog Escape
  expect_exit_zero 15 "Cancel after a failed OK"
  [ -z "$(reg_value "$OWN_KEY" UseTrails)" ] || fail "UseTrails was written"
  log "ok: the message box told why, the dialog stayed open and nothing was written"
}

# A stored 5 shows as checked, a one-byte value reads zero-extended, text is no number (a
# REG_SZ "1" once read as 49, so on), OK stores 1 or 0.
case_config_reads_stored_values() {
  wine_reg add "$OWN_KEY" /v UseStars /t REG_DWORD /d 5 /f >/dev/null
  wine_reg add "$OWN_KEY" /v UseBlur /t REG_BINARY /d 00 /f >/dev/null
  wine_reg add "$OWN_KEY" /v UseTrails /t REG_BINARY /d 01 /f >/dev/null
  wine_reg add "$OWN_KEY" /v MainMonitorOnly /t REG_SZ /d 1 /f >/dev/null
  start_saver /c
  wait_for_window 'Config dialog' 30
  [ "$(dialog_boxes)" = "boxes 1 0 1 1 0 1" ] ||
    fail "boxes are \"$(dialog_boxes)\", expected 1 0 1 1 0 1"
  log "ok: stored 5, one-byte 0 and one-byte 1 show as checked, unchecked, checked; REG_SZ 1 as the default"
  press_in_dialog Return
  expect_exit_zero 15 "OK"
  [ "$(reg_value "$OWN_KEY" UseStars)" = "REG_DWORD 0x1" ] || fail "UseStars not stored as 1"
  [ "$(reg_value "$OWN_KEY" UseBlur)" = "REG_DWORD 0x0" ] || fail "UseBlur not stored as 0"
  [ "$(reg_value "$OWN_KEY" UseTrails)" = "REG_DWORD 0x1" ] || fail "UseTrails not stored as 1"
  [ "$(reg_value "$OWN_KEY" MainMonitorOnly)" = "REG_DWORD 0x0" ] ||
    fail "MainMonitorOnly not stored as 0"
  log "ok: OK rewrote them as REG_DWORD 1, 0, 1 and the text as 0"
}

# The user's own words through the dialog: a Chinese title stored through the wide API shows in
# its box; a passage picked in the system's file picker under a Greek name shows its path and
# first words; OK stores both as REG_SZ, unchanged; Built-in takes a logo back to the built-in
# one, and a file that cannot be used is told under its box.
case_config_own_words() {
  use_cjk_font
  mkdir -p "$WINEPREFIX/drive_c/words"
  printf 'Εν αρχή\r\nην ο λόγος.\r\n' >"$WINEPREFIX/drive_c/words/$GREEK_NAME"
  printf 'no picture' >"$WINEPREFIX/drive_c/words/broken.png"
  local passage="C:\\words\\$GREEK_NAME" key='Software\Orvane\Quenby'
  [ "$(helper set-reg-text "$key" Title "$(hex "$CHINESE_TITLE")")" = stored ] ||
    fail "could not store the title"
  [ "$(helper set-reg-text "$key" FirstLogo "$(hex 'C:\words\broken.png')")" = stored ] ||
    fail "could not store the first logo"
  start_saver /c
  wait_for_window 'Config dialog' 30
  [ "$(helper text 1010)" = "text $(hex "$CHINESE_TITLE")" ] ||
    fail "the title box shows \"$(helper text 1010)\", not the stored Chinese title"
  log "ok: the stored Chinese title shows in its box"
  local line
  line=$(helper text 932)
  [[ "$line" == "text $(hex 'Cannot be used: ')"*"$(hex '; the built-in first logo is drawn')" ]] ||
    fail "the first logo's line is \"$line\""
  log "ok: the logo that cannot be used is told under its box"
  helper click 922 >/dev/null
  [ "$(helper text 1012)" = "text " ] || fail "Built-in left the logo's box \"$(helper text 1012)\""
  local picked
  picked=$(helper pick-file 911 "$(hex "$passage")") || true
  [ "$picked" = picked ] || fail "the file picker did not take the path: ${picked:-no answer}"
  [ "$(helper text 1011)" = "text $(hex "$passage")" ] ||
    fail "the passage box shows \"$(helper text 1011)\", not the Greek path"
  line=$(helper text 931)
  [ "$line" = "text $(hex '“Εν αρχή ην ο λόγος.”')" ] ||
    fail "the passage's line is \"$line\", not its first words"
  log "ok: the picked Greek file name shows, with the passage's first words under it"
  if [ -n "${SHOTS_TO:-}" ]; then
    mkdir -p "$SHOTS_TO"
    sleep 1
    import -window "$(saver_windows '^Config dialog$' | head -n 1)" "$SHOTS_TO/config-own-words.png"
  fi
  press_in_dialog Return
  expect_exit_zero 15 "OK"
  [ "$(helper reg-text "$key" Title)" = "reg REG_SZ $(hex "$CHINESE_TITLE")" ] ||
    fail "Title is \"$(helper reg-text "$key" Title)\" after OK"
  [ "$(helper reg-text "$key" Passage)" = "reg REG_SZ $(hex "$passage")" ] ||
    fail "Passage is \"$(helper reg-text "$key" Passage)\" after OK"
  [ "$(helper reg-text "$key" FirstLogo)" = "reg REG_SZ " ] ||
    fail "FirstLogo is \"$(helper reg-text "$key" FirstLogo)\" after Built-in and OK"
  log "ok: OK stored the title and the Greek path as REG_SZ, unchanged, and the logo as built-in"
}

# /s draws the passage, title and logo the registry names. Wine draws no user content of its own,
# so the logo is seen in the GL trace: a colour texture (GL_RGBA, 6408) of the picture's own
# 128 x 32 pixels, where the built-in logos are alpha-only. The frame is kept for a look when
# SHOTS_TO names a folder.
case_saver_draws_own_words() {
  mkdir -p "$WINEPREFIX/drive_c/words"
  printf 'OUR OWN WORDS GO ROUND THE RINGS. ' >"$WINEPREFIX/drive_c/words/$GREEK_NAME"
  convert -size 128x32 xc:none -fill white -draw 'rectangle 2,2 125,29' \
    "$WINEPREFIX/drive_c/words/logo.png"
  local key='Software\Orvane\Quenby'
  rm -f "$work/saver.rc"
  helper set-reg-text "$key" Passage "$(hex "C:\\words\\$GREEK_NAME")" >/dev/null
  helper set-reg-text "$key" Title "$(hex 'Our own title')" >/dev/null
  helper set-reg-text "$key" FirstLogo "$(hex 'C:\words\logo.png')" >/dev/null
  helper set-reg-text "$key" SecondLogo "$(hex 'C:\words\logo.png')" >/dev/null
  (
    set +e
    WINEDEBUG=+opengl timeout -k 5 120 wine "$WINE_HELPER" run "$SCR_WIN" /s 2>&1 \
      >"$work/saver.log" | grep -a 'glTexImage2D' >"$work/gl.trace"
    echo done >"$work/saver.rc"
  ) &
  wait_for_window SaverWindow 30
  wait_for_picture 60
  sleep 8  # the logos fade in turn
  import -window root "$work/shot.png"
  [ -z "${SHOTS_TO:-}" ] || { mkdir -p "$SHOTS_TO" && cp "$work/shot.png" "$SHOTS_TO/saver-own-words.png"; }
  xdotool key x
  local i
  for i in $(seq 150); do saver_running || break; sleep 0.1; done
  saver_running && fail "a key press did not end the saver"
  grep -aq 'level 0, internalformat 6408, width 128, height 32,' "$work/gl.trace" ||
    fail "no colour picture was uploaded: $(grep -a 'level 0' "$work/gl.trace" | head -c 600)"
  log "ok: the user's logo was uploaded as a texture, and the frame drew (see saver-own-words.png)"
}

# /p <hwnd> builds a child of the parent's size and ignores keys and the mouse. Wine does not put
# another process's GL child window on screen, so the drawing is checked in Wine's GL trace: the
# viewport has the parent's size and frames are presented.
case_preview_in_parent() {
  (
    WINEDEBUG=+wgl,+opengl timeout -k 5 120 wine "$WINE_HELPER" preview "$SCR_WIN" 152 112 8000 \
      2>&1 >"$work/preview.out" | grep -aE 'glViewport|wglSwapBuffers|wglSwapIntervalEXT' \
      >"$work/gl.trace"
  ) &
  local helper_pid=$! i
  for i in $(seq 300); do
    grep -q '^child\|^error' "$work/preview.out" 2>/dev/null && break
    sleep 0.1
  done
  grep -q '^child 152 112' "$work/preview.out" ||
    fail "no 152 x 112 child window: $(tr -d '\r' <"$work/preview.out")"
  log "ok: the saver's child window has the parent's size"
  xdotool mousemove 150 150 sleep 0.5 mousemove 230 190 click 1 key x key space
  wait "$helper_pid" || true
  local out
  out=$(tr -d '\r' <"$work/preview.out")
  grep -q '^alive 1' <<<"$out" || fail "the preview ended on input: $out"
  log "ok: keys, clicks and mouse moves left the preview running"
  grep -q '^exit 0' <<<"$out" || fail "destroying the parent did not end the saver with 0: $out"
  log "ok: destroying the parent ended the saver (exit 0)"
  grep -q 'glViewport x 0, y 0, width 152, height 112' "$work/gl.trace" ||
    fail "no 152 x 112 viewport in the GL trace"
  [ "$(grep -c wglSwapBuffers "$work/gl.trace")" -ge 1 ] || fail "no frame was presented"
  log "ok: frames drawn at 152 x 112 and presented"
  # Swap control is looked for once the context is current; Xvfb's modes tell no refresh, so
  # the interval is not asked for here and the deadline paces.
  grep -q 'returning wglSwapIntervalEXT' "$work/gl.trace" ||
    fail "WGL_EXT_swap_control was not looked for"
  log "ok: the saver looked up wglSwapIntervalEXT"
}

# Where the password-change service is missing, /a shows nothing and ends with 0.
case_change_password_missing() {
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=d"
  start_saver /a:1234
  local i
  for i in $(seq 150); do
    saver_running || break
    if saver_windows '' --onlyvisible >/dev/null; then
      fail "/a showed a window: $(saver_windows '' --onlyvisible | xargs -n 1 xdotool getwindowname)"
    fi
    sleep 0.1
  done
  expect_exit_zero 1 "/a without MPR.DLL"
}

# /a calls the stand-in in the system directory with "SCRSAVE" and the owner, never a copy
# planted beside the saver.
case_change_password_system_library() {
  local system32="$WINEPREFIX/drive_c/windows/system32"
  rm -f "$system32/mpr.dll"
  cp "$STAND_IN_DLL" "$system32/mpr.dll"
  cp "$STAND_IN_DLL" "$WINEPREFIX/drive_c/saver/MPR.DLL"
  export MARVOLET_STAND_IN_LOG='C:\stand_in.log'
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mpr=n"
  start_saver /a:1234
  expect_exit_zero 20 "/a with the stand-in"
  local record
  record=$(tr -d '\r' <"$WINEPREFIX/drive_c/stand_in.log" 2>/dev/null || true)
  grep -qi '^PwdChangePasswordA SCRSAVE 1234 0 0* from C:\\windows\\system32\\MPR.DLL$' \
    <<<"$record" || fail "unexpected service calls: \"$record\""
  log "ok: PwdChangePasswordA(\"SCRSAVE\", 1234, 0, 0) from the system directory only"
}

# Windows 9x: within the password delay no password is asked; after it a refused password keeps
# the saver running (and Alt+F4 does not ask again) and an accepted one ends it.
case_password_check_9x() {
  local system32="$WINEPREFIX/drive_c/windows/system32"
  cp "$STAND_IN_DLL" "$system32/password.cpl"
  cp "$STAND_IN_DLL" "$WINEPREFIX/drive_c/saver/PASSWORD.CPL"  # planted: must stay unused
  wine_reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null
  [ "$(helper platform)" = "platform 1" ] || fail "Wine does not report a Windows 9x platform"
  export MARVOLET_STAND_IN_LOG='C:\stand_in.log'
  local record="$WINEPREFIX/drive_c/stand_in.log"

  start_saver /s  # default delay: 15 s
  wait_for_window SaverWindow 30
  sleep 1
  xdotool key space
  expect_exit_zero 15 "a key within the password delay"
  [ ! -s "$record" ] || fail "a password was asked within the delay: $(cat "$record")"
  log "ok: no password asked within the delay"

  wine_reg add "$SHARED_KEY" /v 'Password Delay' /t REG_DWORD /d 0 /f >/dev/null
  export MARVOLET_STAND_IN_ANSWERS=01
  start_saver /s
  wait_for_window SaverWindow 30
  sleep 1
  xdotool key space
  expect_still_running 4 "a refused password"
  grep -qi 'VerifyScreenSavePwd .* -> 0 from C:\\windows\\system32\\PASSWORD.CPL' "$record" ||
    fail "the refusal did not come from the system directory: $(cat "$record")"
  # With a close already requested, only a swallowed SC_CLOSE keeps Alt+F4 from asking again.
  xdotool key alt+F4
  expect_still_running 3 "Alt+F4 after a refused password"
  [ "$(grep -c VerifyScreenSavePwd "$record")" = 1 ] || fail "Alt+F4 asked for the password"
  xdotool key space
  expect_exit_zero 15 "an accepted password"
  [ "$(grep -c VerifyScreenSavePwd "$record")" = 2 ] || fail "checks: $(cat "$record")"
  log "ok: refused, then accepted"
}

# ---- Windows as users run it: versions and display scales -------------------------------------

# Makes Wine report a Windows version and checks what the system then reports. Wine 8 knows no
# "win11": Windows 11 is Windows 10 with a build from 22000 on, which Wine reads from the registry
# when no version is forced.
set_windows_version() {
  local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion' expected reported
  case $1 in
    win7)
      wine_reg add 'HKCU\Software\Wine' /v Version /d win7 /f >/dev/null
      expected='^version 6\.1\.[0-9]+$'
      ;;
    win10)
      wine_reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
      expected='^version 10\.0\.1[0-9]{4}$'
      ;;
    win11)
      wine_reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null || true
      wine_reg add "$nt" /v CurrentVersion /d 10.0 /f >/dev/null
      wine_reg add "$nt" /v CurrentMajorVersionNumber /t REG_DWORD /d 10 /f >/dev/null
      wine_reg add "$nt" /v CurrentMinorVersionNumber /t REG_DWORD /d 0 /f >/dev/null
      wine_reg add "$nt" /v CurrentBuildNumber /d 22631 /f >/dev/null
      wine_reg add "$nt" /v CurrentBuild /d 22631 /f >/dev/null
      wine_reg delete "$nt" /v CSDVersion /f >/dev/null || true
      expected='^version 10\.0\.2[2-9][0-9]{3}$'
      ;;
    *) fail "no Windows version $1" ;;
  esac
  reported=$(helper version)
  grep -Eq "$expected" <<<"$reported" || fail "asked for $1, Wine reports \"$reported\""
  log "ok: Wine reports $1 ($reported)"
}

# Sets the display scale as the control panel does. Wine honours a program's DPI awareness only
# where DpiScalingVer is set, as Windows sets it; without it every program counts as aware,
# whatever its manifest says.
set_dpi() {
  wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  wine_reg add 'HKCU\Control Panel\Desktop' /v DpiScalingVer /t REG_DWORD /d 0x1018 /f >/dev/null
  local reported
  reported=$(helper dpi)
  [ "$reported" = "dpi $1 screen $SCREEN_W $SCREEN_H" ] || fail "asked for $1 DPI, got \"$reported\""
}

# /s covers the whole screen, both as the user sees it (the X window) and as other programs see
# it (its window rectangle in the screen's pixels), draws, and a key ends it.
saver_covers_and_closes() {
  start_saver /s
  wait_for_window SaverWindow 30
  local rect shown window="" i
  # Wine may swap the X window under a GL window for one of another visual, so for a moment
  # there is none: only the saver ending on its own is a fault.
  for i in $(seq 25); do
    window=$(saver_windows '^SaverWindow$' | head -n 1) && break
    saver_running || fail "at $dpi DPI the saver ended (exit $(cat "$work/saver.rc")) on its own"
    sleep 0.2
  done
  [ -n "$window" ] || fail "at $dpi DPI the saver window is gone"
  shown=$(xdotool getwindowgeometry --shell "$window" | tr '\n' ' ')
  grep -q "X=0 Y=0 WIDTH=$SCREEN_W HEIGHT=$SCREEN_H" <<<"$shown" ||
    fail "at $dpi DPI the saver shows as $shown, not the ${SCREEN_W}x${SCREEN_H} screen"
  rect=$(helper saver-rect)
  [ "$rect" = "rect 0 0 $SCREEN_W $SCREEN_H" ] ||
    fail "at $dpi DPI the saver window is \"$rect\", not the ${SCREEN_W}x${SCREEN_H} screen"
  wait_for_picture 60
  [ -z "${SHOTS_TO:-}" ] || cp "$work/shot.png" "$SHOTS_TO/saver-$windows-${dpi}dpi.png"
  xdotool key x
  expect_exit_zero 15 "a key press at $dpi DPI"
}

# /p <hwnd> makes a child of the parent's size in pixels and draws at that size.
preview_draws() {
  WINEDEBUG=+opengl timeout -k 5 60 wine "$WINE_HELPER" preview "$SCR_WIN" 152 112 1500 \
    2>"$work/gl.trace" | tr -d '\r' >"$work/preview.out" || true
  local out
  out=$(cat "$work/preview.out")
  grep -q '^child 152 112$' <<<"$out" || fail "at $dpi DPI the preview is not 152 x 112: $out"
  grep -q '^exit 0$' <<<"$out" || fail "at $dpi DPI the preview did not end with 0: $out"
  grep -aq 'glViewport x 0, y 0, width 152, height 112' "$work/gl.trace" ||
    fail "at $dpi DPI no 152 x 112 viewport in the GL trace"
  log "ok: the preview drew into its 152 x 112 parent at $dpi DPI"
}

# /c shows every control whole and inside the dialog, the dialog inside the screen, a stored
# Chinese title in its box, and OK writes.
config_shows_all_and_writes() {
  # Without a window manager only Wine's own frame shows the caption in a screenshot.
  [ -z "${SHOTS_TO:-}" ] ||
    wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
  use_cjk_font
  [ "$(helper set-reg-text 'Software\Orvane\Quenby' Title "$(hex "$CHINESE_TITLE")")" = stored ] ||
    fail "could not store the title"
  start_saver /c
  wait_for_window 'Config dialog' 30
  [ "$(helper text 1010)" = "text $(hex "$CHINESE_TITLE")" ] ||
    fail "at $dpi DPI the title box shows \"$(helper text 1010)\", not the stored Chinese title"
  local layout clipped size
  layout=$(helper dialog-layout "$SCR_WIN")
  clipped=$(grep -v '^fits\|^dialog' <<<"$layout" || true)
  [ -z "$clipped" ] || fail "at $dpi DPI the dialog cuts off: $clipped"
  size=$(sed -n 's/^dialog \([0-9]*\) \([0-9]*\) .*/\1 \2/p' <<<"$layout")
  [ -n "$size" ] && [ "${size% *}" -le "$SCREEN_W" ] && [ "${size#* }" -le "$SCREEN_H" ] ||
    fail "at $dpi DPI the dialog does not fit the screen: $layout"
  log "ok: at $dpi DPI all $(grep -c '^fits' <<<"$layout") controls show whole (dialog $size px)"
  if [ -n "${SHOTS_TO:-}" ]; then
    sleep 1
    import -window "$(saver_windows '^Config dialog$' | head -n 1)" \
      "$SHOTS_TO/config-$windows-${dpi}dpi.png"
  fi
  helper click 1003 >/dev/null
  press_in_dialog Return
  expect_exit_zero 15 "OK at $dpi DPI"
  [ "$(reg_value "$OWN_KEY" UseTrails)" = "REG_DWORD 0x1" ] || fail "OK at $dpi DPI did not write"
  wine_reg delete "$OWN_KEY" /f >/dev/null
  log "ok: OK wrote the options at $dpi DPI"
}

# The core cases with Wine reporting one Windows version, at 96 and at 144 DPI (150 %).
as_windows() {
  windows=$1
  [ -z "${SHOTS_TO:-}" ] || mkdir -p "$SHOTS_TO"
  set_windows_version "$windows"
  for dpi in 96 144; do
    set_dpi "$dpi"
    saver_covers_and_closes
    preview_draws
    config_shows_all_and_writes
  done
}
# SHOTS_TO=<folder> keeps the saver's picture and the dialog at each scale there.
case_as_win7() { as_windows win7; }
case_as_win10() { as_windows win10; }
case_as_win11() { as_windows win11; }

# ---- screenshots for the documentation --------------------------------------------------------

screenshots() {
  local dir=${1:?screenshots needs a folder}
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  [ -f "$WINE_TEMPLATE/system.reg" ] || (prepare)
  setup_case
  # Wine draws the window frames itself, as there is no window manager on Xvfb.
  wine_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
  start_saver /s
  wait_for_window SaverWindow 30
  sleep 10
  wait_for_picture 60
  cp "$work/shot.png" "$dir/windows-saver-wine.png"
  xdotool key space
  expect_exit_zero 15 "a key press"

  start_saver /c
  wait_for_window 'Config dialog' 30
  sleep 2
  local window
  window=$(saver_windows '^Config dialog$' | head -n 1)
  import -window "$window" "$dir/windows-config-wine.png"
  press_in_dialog Escape
  expect_exit_zero 15 "Cancel"
  log "saved $dir/windows-saver-wine.png and $dir/windows-config-wine.png"
}

# ---- running a case, and once more when Wine itself failed it ---------------------------------

# Wine's own programs, as its crash reports and messages name them.
readonly WINE_PROGRAMS='(winedevice|services|plugplay|explorer|rpcss|svchost|wineboot|winedbg|conhost)\.exe'

# Prints what shows that an attempt failed for Wine's own reasons, from its output and the logs
# kept in $1; nothing if it did not. A crash report marks the crashed program with "(D)"; crashes
# in boot.log are those of the system processes, whose output goes there.
wine_own_fault() {
  local logs=$1
  grep -ahm1 'failed to map the shared user data' "$logs"/* ||
    grep -aEhm1 "\(D\) .*\b$WINE_PROGRAMS" "$logs"/* ||
    grep -aEhm1 'Unhandled (exception|page fault|illegal|stack overflow)' "$logs/boot.log" ||
    grep -aEhm1 "^FAIL .*\b$WINE_PROGRAMS" "$logs/output"
}

run_case_once_more_for_wine() {
  local attempt status cause retried=""
  mkdir -p "$WINE_WORK"
  for attempt in 1 2; do
    attempt_logs=$(mktemp -d "$WINE_WORK/marvolet-wine-logs.XXXXXX")
    set +e
    (
      set -eE
      trap cleanup EXIT
      # A command that fails outside a check says where, rather than ending the case unexplained
      # (only here: in a command substitution a failure may be what the caller expects).
      case_depth=$BASH_SUBSHELL
      trap '[ "$BASH_SUBSHELL" != "$case_depth" ] ||
        printf "FAIL [%s]: line %s: \"%s\" ended with %s\n" "$name" "$LINENO" "$BASH_COMMAND" "$?" >&2' ERR
      setup_case
      "case_$name"
    ) 2>&1 | tee "$attempt_logs/output"
    status=${PIPESTATUS[0]}
    set -e
    cause=""
    if ((status != 0 && status != 77)); then
      cause=$( (wine_own_fault "$attempt_logs" || true) | head -n 1 | tr -d '\r')
    fi
    [ -n "${KEEP_WORK:-}" ] || rm -rf "$attempt_logs"
    if ((status == 0)); then
      log "passed${retried:+ (on the second attempt)}"
      exit 0
    fi
    if [ -z "$cause" ] || ((attempt == 2)); then exit "$status"; fi
    retried=1
    printf 'RETRY [%s]: failed for Wine'"'"'s own reasons, running it once more: %s\n' \
      "$name" "$cause" | tee -a "$WINE_WORK/retried.log" >&2
  done
}

case "$name" in
  prepare) prepare ;;
  screenshots) screenshots "${2:-}" ;;
  *)
    declare -F "case_$name" >/dev/null || fail "no such case"
    : "${WINE_HELPER:?WINE_HELPER must name wine_helper.exe}"
    : "${STAND_IN_DLL:?STAND_IN_DLL must name the stand-in DLL}"
    run_case_once_more_for_wine
    ;;
esac
