# Sourced by the scripts that run kervale-pack.exe, a console program, under
# Wine (the end-to-end harness, which needs a display, sets up its own in
# tools/wine_harness):
#
#   wine_console_prefix DIR LOG
#
# Exports the environment of a 32-bit prefix in DIR/prefix, with DIR as
# HOME, no display and none of the Mono or Gecko downloads Wine would offer,
# then makes or updates the prefix; wineboot's output goes to LOG. Fails
# when wineboot does. A prefix is kept: making one takes 15 s or more.
wine_console_prefix() {
  local dir=$1 log=$2
  mkdir -p "$dir"
  export WINEPREFIX=$dir/prefix WINEARCH=win32 WINEDEBUG=-all HOME=$dir
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY  # a console program needs none
  wineboot >"$log" 2>&1
}
