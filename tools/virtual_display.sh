# Sourced by the screenshot tools: a virtual display with a small window
# manager (openbox), so that windows show with their title bars and frames.
# Leaves its processes in the array `pids`, killed when the script exits.
display=:$((100 + RANDOM % 400))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp &
pids=($!)
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --config-file /dev/null >/dev/null 2>&1 &
pids+=($!)
