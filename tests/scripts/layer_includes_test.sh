#!/usr/bin/env bash
# Checks that the core's folders include downwards only: scene/ may include render/, assets/ and
# platform/; render/ may include assets/ and platform/; assets/ only platform/; platform/ none of
# the others; and none of them host/. A file that reaches up fails here, with its line.
# Usage: layer_includes_test.sh [ROOT]   (default: the tree this script is in)
set -euo pipefail

root=${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
failures=0
# check FOLDER FORBIDDEN...: no file in FOLDER includes "FORBIDDEN/...".
check() {
  local folder=$1
  shift
  local forbidden
  for forbidden in "$@"; do
    local hits
    hits=$(grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$forbidden/" \
      --include='*.h' --include='*.cpp' "$root/$folder" || true)
    if [[ -n $hits ]]; then
      echo "FAIL: $folder/ includes $forbidden/:" >&2
      echo "$hits" >&2
      failures=$((failures + 1))
    fi
  done
}

check render scene host
check assets render scene host
check platform assets render scene host
check scene host

((failures == 0)) || exit 1
echo "the core's folders include downwards only"
