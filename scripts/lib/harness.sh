# Shared pieces of the live test scripts (scripts/e2e, scripts/e2e-faults,
# bench/soak): a private X server, a private PulseAudio server whose null
# sink loops the transmitter's output into the viewer's input, the test
# card, the two programs, and the picture comparison. Source it, then call
# harness_begin. Everything started through these functions is stopped when
# the script exits.
#
# Conventions: functions are named h_*; h_fail ends the script with a
# message; HARNESS_NAME prefixes every message.

IM=/usr/bin/convert  # ImageMagick's own, not any other convert on PATH
VIEWER_TITLE="32 line, Orvane AM/FM mono viewer, by Kelbrin"
TRANSMITTER_TITLE="Orvane Transmit 32 lines/2.60fps"
CARD_X=200
CARD_Y=200

# harness_begin NAME [BUILD_DIR]: sets top, build, work (a private temporary
# folder), out (BUILD_DIR/NAME, kept for inspection) and the exit trap.
harness_begin() {
  HARNESS_NAME=$1
  top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  build=${2:-build}
  case "$build" in /*) ;; *) build="$top/$build" ;; esac
  [ -x "$build/viewer/viewer" ] && [ -x "$build/transmitter/transmitter" ] ||
    { echo "$HARNESS_NAME: no programs in $build (build them first)" >&2; exit 1; }
  work=$(mktemp -d "/tmp/nbtv-$HARNESS_NAME-XXXXXX")
  out="$build/$HARNESS_NAME"
  mkdir -p "$out"
  H_PIDS=()
  H_PULSE_RUNNING=0
  trap h_cleanup EXIT
  trap 'exit 130' INT TERM
}

h_say() { echo "$HARNESS_NAME: $*"; }
h_fail() {
  echo "$HARNESS_NAME: $*" >&2
  if [ -n "${H_XVFB_PID:-}" ] && ! h_alive "$H_XVFB_PID"; then
    echo "$HARNESS_NAME: our X server ($DISPLAY) was ended from outside this script" >&2
  fi
  exit 1
}

# Stops every process started here (the programs first, then the card and
# the X server) and the sound server; keeps the logs in out and removes the
# temporary folder.
h_cleanup() {
  local pid i
  for ((i = ${#H_PIDS[@]} - 1; i >= 0; i--)); do kill "${H_PIDS[i]}" 2>/dev/null; done
  for pid in "${H_PIDS[@]}"; do h_wait_gone "$pid" 5 || kill -9 "$pid" 2>/dev/null; done
  for pid in "${H_PIDS[@]}"; do wait "$pid" 2>/dev/null; done
  h_kill_pulse TERM
  cp "$work"/*.log "$out/" 2>/dev/null
  rm -rf "$work"
}

# h_track PID: stopped at exit. h_untrack PID: no longer, because it has
# been waited for (its number may belong to another process by then).
h_track() { H_PIDS+=("$1"); }
h_untrack() {
  local kept=() pid
  for pid in "${H_PIDS[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
  H_PIDS=("${kept[@]}")
}

h_alive() { kill -0 "$1" 2>/dev/null && [ "$(h_state "$1")" != Z ]; }
h_state() { awk '/^State:/ {print $2}' "/proc/$1/status" 2>/dev/null; }

# h_wait_gone PID SECONDS: true once the process has ended (or is a zombie
# waiting for us), false if it still runs after that long.
h_wait_gone() {
  local pid=$1 tenths=$(($2 * 10)) i
  for ((i = 0; i < tenths; i++)); do
    h_alive "$pid" || return 0
    sleep 0.1
  done
  ! h_alive "$pid"
}

# --- X server --------------------------------------------------------------

# h_start_x: Xvfb on a free display, H_SCREEN big (default 1024x768x24).
# Other test runs on the machine may take the same display at the same
# moment: the display is ours only when its lock file names our server.
h_start_x() {
  local n pid tries=0 i
  for n in $(seq $((90 + RANDOM % 50)) 140) $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    ((tries++ < 10)) || break
    # -noreset: the server would otherwise start over whenever its last
    # client leaves, and a program starting at that moment finds no display.
    Xvfb ":$n" -screen 0 "${H_SCREEN:-1024x768x24}" -nolisten tcp -noreset >>"$work/xvfb.log" 2>&1 &
    pid=$!
    for i in $(seq 50); do
      h_alive "$pid" || break
      if [ "$(tr -d ' ' 2>/dev/null <"/tmp/.X$n-lock")" = "$pid" ] &&
        DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        h_track "$pid"
        H_XVFB_PID=$pid
        export DISPLAY=":$n"
        export QT_QPA_PLATFORM=xcb
        # An X11 session, whatever desktop runs the script.
        unset WAYLAND_DISPLAY
        export XDG_SESSION_TYPE=x11
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  h_fail "Xvfb did not start on any free display"
}

# --- Sound server ----------------------------------------------------------

# h_pulse_env: points every client started from now on at the private server
# (which need not be running). No client may start a server of its own.
h_pulse_env() {
  export XDG_RUNTIME_DIR="$work/run"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  echo "autospawn = no" >"$work/client.conf"
  export PULSE_CLIENTCONFIG="$work/client.conf"
  export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
  H_PULSE_ENV=1
}

# h_start_pulse: a null sink at 10000 samples per second whose monitor is
# the default input. May be called again after h_kill_pulse; the server
# comes back on the same socket.
h_start_pulse() {
  [ "${H_PULSE_ENV:-0}" = 1 ] || h_pulse_env
  cat >"$work/server.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=nbtv rate=10000
set-default-sink nbtv
set-default-source nbtv.monitor
PA
  # A server killed earlier in the run may linger as a zombie where nothing
  # reaps orphans (containers); its pid file would then stop the new one.
  local old
  old=$(h_pulse_pid)
  if [ -n "$old" ] && ! grep -qs '^State:[[:space:]]*[RSD]' "/proc/$old/status"; then
    rm -f "$XDG_RUNTIME_DIR/pulse/pid"
  fi
  HOME="$work" pulseaudio -n -F "$work/server.pa" --daemonize=yes --exit-idle-time=-1 \
    --use-pid-file=yes >>"$work/pulse.log" 2>&1 ||
    h_fail "PulseAudio did not start: $(cat "$work/pulse.log")"
  H_PULSE_RUNNING=1
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return 0; sleep 0.1; done
  h_fail "PulseAudio does not answer"
}

h_pulse_pid() { cat "$XDG_RUNTIME_DIR/pulse/pid" 2>/dev/null; }

# h_start_pipewire: the same null sink and default input as h_start_pulse,
# through a private PipeWire session instead: pipewire, wireplumber and
# pipewire-pulse on a private runtime folder and a private D-Bus session
# bus, with HOME in the work folder so no saved state is read or written.
# Clients reach it as they reach h_start_pulse's server. Stopped at exit.
h_start_pipewire() {
  [ "${H_PULSE_ENV:-0}" = 1 ] || h_pulse_env
  local program
  for program in pipewire wireplumber pipewire-pulse dbus-daemon; do
    command -v "$program" >/dev/null || h_fail "$program is needed for the PipeWire session"
  done
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
  dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nofork --nopidfile \
    >>"$work/pipewire.log" 2>&1 &
  h_track $!
  for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.1; done
  for program in pipewire wireplumber pipewire-pulse; do
    HOME="$work" "$program" >>"$work/pipewire.log" 2>&1 &
    h_track $!
    sleep 0.5
  done
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info 2>/dev/null | grep -q PipeWire || h_fail "pipewire-pulse does not answer: $(tail -5 "$work/pipewire.log")"
  pactl load-module module-null-sink sink_name=nbtv rate=10000 >/dev/null ||
    h_fail "PipeWire made no null sink"
  for _ in $(seq 50); do pactl list short sinks | grep -q nbtv && break; sleep 0.1; done
  pactl set-default-sink nbtv && pactl set-default-source nbtv.monitor ||
    h_fail "PipeWire took no default sink and source"
}

# h_start_sound_server: h_start_pipewire when NBTV_SOUND_SERVER is
# pipewire, h_start_pulse otherwise.
h_start_sound_server() {
  if [ "${NBTV_SOUND_SERVER:-pulseaudio}" = pipewire ]; then h_start_pipewire; else h_start_pulse; fi
}

# h_kill_pulse [SIGNAL]: ends the private server (KILL: as a crash would).
h_kill_pulse() {
  [ "$H_PULSE_RUNNING" = 1 ] || return 0
  local pid
  pid=$(h_pulse_pid)
  H_PULSE_RUNNING=0
  [ -n "$pid" ] || return 0
  kill "-${1:-TERM}" "$pid" 2>/dev/null
  h_wait_gone "$pid" 5 || kill -9 "$pid" 2>/dev/null
}

# --- The programs and the card ---------------------------------------------

# h_show_card [mirrored]: the test card at (CARD_X, CARD_Y): a bright block,
# a dark block and a ramp, large enough to pass the receiver's filters.
# "mirrored" shows the card turned half round (ramp and blocks swapped),
# which correlates badly with the first, to tell a fresh picture from an
# old one. A card shown before is taken away.
h_show_card() {
  local variant=${1:-plain}
  if [ -n "${H_CARD_PID:-}" ]; then
    kill "$H_CARD_PID" 2>/dev/null
    wait "$H_CARD_PID" 2>/dev/null
    h_untrack "$H_CARD_PID"
  fi
  h_make_card "$variant"
  display -geometry "+$CARD_X+$CARD_Y" -title nbtv-card "$work/card-$variant.pgm" >/dev/null 2>&1 &
  H_CARD_PID=$!
  h_track "$H_CARD_PID"
  sleep 1
}

# h_make_card [mirrored]: writes the test card as work/card-VARIANT.pgm.
h_make_card() {
  local variant=${1:-plain}
  python3 - "$work/card-$variant.pgm" "$variant" <<'PY'
import sys
w, h = 96, 120
rows = []
for y in range(h):
    row = []
    for x in range(w):
        v = 40 + (x * 170) // 95                      # ramp across the lines
        if 15 <= y < 55 and 10 <= x < 45: v = 250     # bright block, upper left
        if 70 <= y < 110 and 55 <= x < 90: v = 5      # dark block, lower right
        if 60 <= y < 66: v = 128                      # grey band
        row.append(v)
    if sys.argv[2] == "mirrored":
        row.reverse()
    rows.append(bytes(row))
if sys.argv[2] == "mirrored":
    rows.reverse()
with open(sys.argv[1], "wb") as f:
    f.write(b"P5\n%d %d\n255\n" % (w, h) + b"".join(rows))
PY
}

# h_start PROGRAM [LOGNAME]: starts viewer or transmitter from the build
# tree; its process id is left in H_STARTED.
h_start() {
  local log=${2:-$1}
  "$build/$1/$1" >>"$work/$log.log" 2>&1 &
  H_STARTED=$!
  h_track "$H_STARTED"
}

# h_window TITLE [SECONDS]: the X window id of the program's visible main
# window; waits for it to appear (default 10 s).
h_window() {
  local id tenths=$((${2:-10} * 10)) i
  for ((i = 0; i < tenths; i++)); do
    id=$(xwininfo -name "$1" 2>/dev/null | awk '/Window id:/ {print $4}')
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# h_close_window WINDOW_ID: asks the window to close, as the close box does
# (a WM_DELETE_WINDOW message from the window manager).
h_close_window() {
  python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 16)]

d = x.XOpenDisplay(None)
if not d:
    sys.exit(1)
window = int(sys.argv[1], 0)
e = ClientMessage()
e.type = 33  # ClientMessage
e.window = window
e.message_type = x.XInternAtom(d, b"WM_PROTOCOLS", 0)
e.format = 32
e.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
e.data[1] = 0  # CurrentTime
ok = x.XSendEvent(d, window, 0, 0, ctypes.byref(e))
x.XFlush(d)
x.XCloseDisplay(d)
sys.exit(0 if ok else 1)
PY
}

# h_keys WINDOW_ID KEY...: gives the window the keyboard focus and types the
# keys (xdotool names: alt+r, Down, Return), one at a time.
h_keys() {
  local window=$1 key
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.15
  done
}

# --- Pictures --------------------------------------------------------------

h_screenshot() { import -window root "$1" 2>/dev/null || h_fail "no screenshot"; }

# h_viewer_picture SCREENSHOT OUT.gray [OUT.png]: cuts the viewer's 96 x 120
# picture from a screenshot, as raw 8-bit grey (and in colour, if asked).
h_viewer_picture() {
  local info wx wy wh cx cy
  info=$(xwininfo -name "$VIEWER_TITLE" 2>/dev/null) || h_fail "viewer window not found"
  wx=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  wy=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  wh=$(awk '/Height:/ {print $2}' <<<"$info")
  # The client area lies under the menu bar and is 520 pixels high; the
  # picture's place in it is defined in viewer/PictureDisplay.h.
  local left upper
  left=$(sed -nE 's/.*PictureLeft = ([0-9]+).*/\1/p' "$top/viewer/PictureDisplay.h")
  upper=$(sed -nE 's/.*PictureTop = ([0-9]+).*/\1/p' "$top/viewer/PictureDisplay.h")
  cx=$((wx + left)); cy=$((wy + wh - 520 + upper))
  $IM "$1" -crop "96x120+$cx+$cy" +repage -colorspace Gray -depth 8 "gray:$2"
  if [ -n "${3:-}" ]; then $IM "$1" -crop "96x120+$cx+$cy" +repage "$3"; fi
}

# h_card_picture SCREENSHOT OUT.gray: the card as it stands on the screen.
h_card_picture() {
  $IM "$1" -crop "96x120+$CARD_X+$CARD_Y" +repage -colorspace Gray -depth 8 "gray:$2"
}

# h_picture_score [NAME]: takes a screenshot (kept as out/NAME.png, the
# viewer's picture as out/NAME-shown.png) and prints the best correlation of
# the viewer's picture with the card on the screen, and the frame shift at
# which it was found: "0.9624 3418".
h_picture_score() {
  local name=${1:-screen}
  h_screenshot "$out/$name.png"
  h_card_picture "$out/$name.png" "$work/card.gray"
  h_viewer_picture "$out/$name.png" "$work/shown.gray" "$out/$name-shown.png"
  "$build/tests/picture_match" "$work/card.gray" "$work/shown.gray" || h_fail "comparison failed"
}

# h_until SECONDS COMMAND...: runs the command every half second until it
# succeeds (true) or the time is up (false).
h_until() {
  local tries=$(($1 * 2)) i
  shift
  for ((i = 0; i < tries; i++)); do
    "$@" && return 0
    sleep 0.5
  done
  "$@"
}

# h_at_least VALUE THRESHOLD: true when VALUE >= THRESHOLD (decimals).
h_at_least() { awk -v s="$1" -v t="$2" 'BEGIN { exit !(s >= t) }'; }

# --- Sound-server views ----------------------------------------------------

# h_streams KIND PID: the sample formats ("u8 1ch 10000Hz") of the program's
# streams of that kind (source-outputs, sink-inputs), one a line.
h_streams() {
  LC_ALL=C pactl list "$1" 2>/dev/null | awk -v pid="$2" '
    /^[A-Z].* #[0-9]+$/ { if (format != "" && owner == pid) print format; format = ""; owner = "" }
    /^[[:space:]]+Sample [A-Za-z]+: / { sub(/^[^:]*: */, ""); format = $0 }
    /application.process.id = / { gsub(/"/, "", $3); owner = $3 }
    END { if (format != "" && owner == pid) print format }'
}

# h_rss PID: resident memory in kB.
h_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }

# --- A desktop portal without a compositor ----------------------------------

# h_start_portal_desktop: a private session bus and a private PipeWire
# daemon with WirePlumber (which links the video streams), in the private
# XDG_RUNTIME_DIR of the sound server.
h_start_portal_desktop() {
  [ "${H_PULSE_ENV:-0}" = 1 ] || h_pulse_env
  local pid
  dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/bus" --nofork --nopidfile \
    >>"$work/dbus.log" 2>&1 &
  h_track $!
  export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
  h_until 5 test -S "$XDG_RUNTIME_DIR/bus" || h_fail "the session bus did not start"
  pipewire >>"$work/pipewire.log" 2>&1 &
  pid=$!
  h_track "$pid"
  h_until 5 test -S "$XDG_RUNTIME_DIR/pipewire-0" || h_fail "PipeWire did not start"
  wireplumber >>"$work/wireplumber.log" 2>&1 &
  h_track $!
  # WirePlumber is ready once it shows up as a client.
  h_until 10 sh -c 'pw-cli ls Client 2>/dev/null | grep -qi wireplumber' ||
    h_fail "WirePlumber did not start"
}

# h_start_screen_source OPTION...: the test video source (a monitor of
# 640 x 480); waits for its node.
h_start_screen_source() {
  rm -f "$work/node"
  "$build/tests/screen_source" --node-file "$work/node" "$@" >>"$work/screen-source.log" 2>&1 &
  h_track $!
  h_until 10 test -s "$work/node" || h_fail "the test video source made no node"
}

# h_start_test_portal [OPTION...]: the test portal, answering with that node.
h_start_test_portal() {
  "$build/tests/test_portal" --node-file "$work/node" --log "$work/portal.log" "$@" \
    >>"$work/test-portal.log" 2>&1 &
  h_track $!
  h_until 5 sh -c 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.GetNameOwner string:org.freedesktop.portal.Desktop >/dev/null 2>&1' ||
    h_fail "the test portal did not start"
}
