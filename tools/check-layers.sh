#!/usr/bin/env bash
# Checks that every #include in src/ and tests/ points down the layer order of CMakeLists.txt
# (ZELVO_LAYERS, bottom first): a file in src/<layer>/ or tests/<layer>/ may include its own
# layer's folder and those below it. tests/whole, tests/tools and tests/fuzz may include any
# layer. Includes that climb out of their folder ("../") are refused everywhere in src/.
# Prints each offending line and exits non-zero when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=$(sed -nE 's/^set\(ZELVO_LAYERS ([^)]*)\).*/\1/p' CMakeLists.txt)
if [ -z "$layers" ]; then
  echo "check-layers: no ZELVO_LAYERS list in CMakeLists.txt" >&2
  exit 2
fi

declare -A rank
i=0
for l in $layers; do rank[$l]=$i; i=$((i + 1)); done
top=$((i - 1))

bad=0
# check <folder> <rank of the highest layer it may include>
check() {
  local folder=$1 allowed=$2 file line target
  [ -d "$folder" ] || return 0
  while IFS=: read -r file line target; do
    if [ "${target#../}" != "$target" ] || [ "${target#*/../}" != "$target" ]; then
      if [ "${folder#src/}" != "$folder" ]; then
        echo "$file:$line: \"$target\" climbs out of its folder"
        bad=1
      fi
      continue
    fi
    local first=${target%%/*}
    [ "$first" != "$target" ] || continue      # a file beside it
    [ -n "${rank[$first]+x}" ] || continue     # not a layer (tests' own helpers, Qt, ...)
    if [ "${rank[$first]}" -gt "$allowed" ]; then
      echo "$file:$line: \"$target\" points up from ${folder#*/} to $first"
      bad=1
    fi
  done < <(grep -rnE --include='*.h' --include='*.cpp' --include='*.in' \
             '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$folder" |
           sed -E 's/^([^:]*):([0-9]+):[^"]*"([^"]*)".*/\1:\2:\3/')
}

for l in $layers; do
  check "src/$l" "${rank[$l]}"
  check "tests/$l" "${rank[$l]}"
done
# Folders under src/ that are no layer are an error of their own: their place is not known.
for d in src/*/; do
  d=${d%/}
  if [ -z "${rank[${d#src/}]+x}" ]; then
    echo "$d: not in ZELVO_LAYERS of CMakeLists.txt"
    bad=1
  fi
done

if [ "$bad" != 0 ]; then
  echo "check-layers: includes against the layer order ($layers)" >&2
  exit 1
fi
echo "check-layers: every include points down ($layers)"
