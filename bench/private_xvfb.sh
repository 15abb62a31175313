# Sourced by the X11 benchmarks: a private Xvfb, so that no other client shares its server.
# start_private_xvfb SIZE starts one of SIZE (WIDTHxHEIGHT) at depth 24 and exports DISPLAY;
# stop_private_xvfb stops it (safe to call twice, or when none was started).
xvfb_pid=""

start_private_xvfb() {
  local display_fd display_number
  # Xvfb picks a free display itself and writes its number to this descriptor once it listens.
  exec {display_fd}<> <(:)
  Xvfb -displayfd "$display_fd" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 10 -u "$display_fd" display_number
  export DISPLAY=":$display_number"
}

stop_private_xvfb() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
  return 0
}
