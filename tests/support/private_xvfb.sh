# Sourced by test scripts: start_private_xvfb DIR starts Xvfb on a free
# display, exports DISPLAY and sets xvfb_pid; its log goes to DIR/xvfb.log.
# Two servers started at the same moment can both name the same display and
# the loser ends at once, so ours must still run and answer before it counts.
# -noreset: by default the server resets when its last client leaves (our own
# xdpyinfo check, a program that was closed), and a client that connects
# during that reset is refused, which under load made a program start fail
# with no display.

xvfb_alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

start_private_xvfb() {
  local dir=$1 attempt tries display
  for attempt in 1 2 3 4 5; do
    rm -f "$dir/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" >>"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    tries=300
    until grep -qs '[0-9]' "$dir/display" || ! xvfb_alive "$xvfb_pid" || [ "$tries" -le 0 ]; do
      sleep 0.1
      tries=$((tries - 1))
    done
    display=":$(head -n 1 "$dir/display" 2>/dev/null)"
    sleep 0.1
    if xvfb_alive "$xvfb_pid" && xdpyinfo -display "$display" >/dev/null 2>&1 && sleep 0.05 &&
      xvfb_alive "$xvfb_pid"; then
      export DISPLAY=$display
      return 0
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  done
  return 1
}
