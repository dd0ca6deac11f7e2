# Sourced: tw_wine_env ROOT exports the environment every Wine run of the
# project uses, for the prefix under ROOT. tools/wine/session.py defines it
# (the test runner and the demo take it from there too).
tw_wine_env() {
  local root repo
  root=$(realpath -m "$1")
  repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  local exports
  exports=$(cd "$repo" && python3 -m tools.wine.session env "$root") || return 1
  eval "$exports" 2>/dev/null  # bash itself may lack the locale; Wine does not need it
}
