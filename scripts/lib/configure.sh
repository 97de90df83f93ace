# Sourced by the scripts that build. nbtv_configure SOURCE DIR [CMAKE_OPTION...]
# configures the build tree DIR from SOURCE when it has none yet, and again
# whenever options are given, so that a -D option always takes effect on an
# existing tree too.
nbtv_configure() {
  local source=$1 dir=$2
  shift 2
  if [ ! -f "$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S "$source" -B "$dir" "$@" >/dev/null
  fi
}
