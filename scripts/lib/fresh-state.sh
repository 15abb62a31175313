# Claims the folder the fresh-machine check keeps its state in. Sourced; defines functions only.
#
#   fresh_state_claim DIR   makes DIR, or takes it if empty or left by an earlier check (holding
#                           only the names the check makes), and marks it as the check's own;
#                           returns 0 if DIR is (now) marked. A folder holding anything without
#                           the mark is refused, untouched, with status 1: the check deletes
#                           root/, logs/ and bootstrap/ below its folder and must never delete
#                           what it did not make.
#   fresh_state_mark        the mark's file name inside DIR
fresh_state_mark=.marvolet-fresh-debian

fresh_state_claim() {
  local dir=$1
  if [[ -e "$dir" || -L "$dir" ]] && [[ ! -d "$dir" ]]; then
    echo "$dir is not a folder" >&2
    return 1
  fi
  mkdir -p "$dir" || return 1
  # A symbolic link could be planted to make any folder look marked.
  if [[ -f "$dir/$fresh_state_mark" && ! -L "$dir/$fresh_state_mark" ]]; then
    return 0
  fi
  # A check from before the mark left its pristine.source and only names the check makes.
  local others
  others=$(find "$dir" -mindepth 1 -maxdepth 1 ! -name root ! -name logs ! -name bootstrap \
    ! -name pristine.tar ! -name pristine.tar.new ! -name pristine.source -print -quit)
  if [[ -n "$others" ]] ||
    { [[ -n "$(find "$dir" -mindepth 1 -maxdepth 1 -print -quit)" ]] &&
      [[ ! -f "$dir/pristine.source" ]]; }; then
    echo "$dir holds files the fresh-machine check did not make (it has no $fresh_state_mark);" \
      "name a new or empty folder" >&2
    return 1
  fi
  echo "Kept by scripts/check-fresh-debian.sh, which deletes and remakes what is in this folder." \
    >"$dir/$fresh_state_mark"
}
