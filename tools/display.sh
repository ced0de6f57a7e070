# Sourced by the scripts that run Windows programs under Wine.
# start_display FIRST LAST: starts Xvfb on the first free display number in the
# range, exports DISPLAY and sets display_pid (the caller kills it when done).
start_display() {
  local n
  display_pid=
  for n in $(seq "$1" "$2"); do
    { [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; } && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    display_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    return 0
  done
  echo "no free X display in :$1-:$2" >&2
  return 1
}
