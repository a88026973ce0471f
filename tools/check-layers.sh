#!/usr/bin/env bash
# Checks the direction of the project's includes: a source may include headers of its own layer
# and of the layers below it (DESIGN.md's order), never of a layer above or beside it; and the
# program's own code includes no header of tests/ or testdata/. Prints each include that breaks a rule and fails.
#   tools/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# The layers, lowest first, as "folder rank". A folder belongs to the longest folder listed that
# holds it; folders of one rank sit side by side and include neither each other.
layers='
platform 0
recorder 1
engine 2
settings 2
controls 3
config 4
users 4
cardtools 5
ui 6
app 7
'

folders=()
for layer in $(awk 'NF == 2 { print $1 }' <<<"$layers"); do
  [ -d "$layer" ] && folders+=("$layer")
done

grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "${folders[@]}" |
  awk -v layers="$layers" '
    BEGIN {
      n = split(layers, rows, "\n")
      for (i = 1; i <= n; i++) if (split(rows[i], f, " ") == 2) rank[f[1]] = f[2]
    }
    # The layer of a path: the longest listed folder that holds it, or "" for none.
    function layer(path,   best, name) {
      best = ""
      for (name in rank)
        if (index(path, name "/") == 1 && length(name) > length(best)) best = name
      return best
    }
    {
      split($0, parts, ":")
      file = parts[1]; line = parts[2]
      header = $0; sub(/^[^"]*"/, "", header); sub(/".*$/, "", header)
      from = layer(file); to = layer(header)
      if (from != "" && (index(header, "tests/") == 1 || index(header, "testdata/") == 1)) {
        printf "%s:%s: includes %s: the program includes nothing of the tests or their data\n", file, line, header
        bad++
        next
      }
      if (from == "" || to == "" || from == to) next
      if (rank[to] > rank[from]) {
        printf "%s:%s: includes %s: %s/ sits above %s/\n", file, line, header, to, from
        bad++
      } else if (rank[to] == rank[from]) {
        printf "%s:%s: includes %s: %s/ sits beside %s/\n", file, line, header, to, from
        bad++
      }
    }
    END {
      if (bad) { printf "%d include(s) against the layer order\n", bad; exit 1 }
    }'
