# Sourced by the benchmark scripts: a temporary folder $work for their files, settings and
# folders of their own in it, and $pids, the background processes ended (with the folder
# removed) when the script exits.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
