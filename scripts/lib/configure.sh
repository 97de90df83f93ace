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

# nbtv_hardening: sets the array `hardening` to the CMake options for the
# compiler and linker flags Debian builds its own packages with (fortified
# functions, stack protector, read-only relocations bound at start). Run it
# from the top of the source tree: the flags name that folder. The package
# is built with them, and so is the normal tree scripts/test builds, so that
# the package can be made from that tree without a second build.
nbtv_hardening() {
  local cppflags cxxflags ldflags
  cppflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)
  cxxflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)
  ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
  hardening=("-DCMAKE_CXX_FLAGS=$cppflags $cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags")
}
