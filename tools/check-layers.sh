#!/usr/bin/env bash
# Checks every include of the sources against the rules of the design page's "layers" block
# (docs/DESIGN.md): the order of the folders at each level the page names (a folder includes only
# what sits below it), the folders that include no Qt header, and the folders that include nothing
# of some others. Quoted includes are looked up beside the including file first and then from the
# top of the tree, angle includes from the top; what is not in the tree is a system header. Prints
# each include that breaks a rule and fails.
#   tools/check-layers.sh [tree]      (the tree defaults to this script's checkout)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

page=docs/DESIGN.md
rules=$(awk '/^```layers[[:space:]]*$/ { inside = 1; next } inside && /^```/ { exit } inside' "$page")
if [ -z "$rules" ]; then
  echo "$page: no layers block" >&2
  exit 2
fi

sources=$(find . -path ./build -prune -o -path ./.git -prune -o -type f \
  \( -name '*.h' -o -name '*.hpp' -o -name '*.cpp' -o -name '*.cc' \) -print | sed 's|^\./||' | sort)

# Every include line as "file<TAB>line<TAB>kind<TAB>name", kind " for a quoted and < for an angle one.
includes=$(xargs -d '\n' grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' <<<"$sources" |
  sed -E 's/^([^:]*):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]*)[">].*$/\1\t\2\t\3\t\4/')

awk -F '\t' -v rules="$rules" -v sources="$sources" '
  BEGIN {
    n = split(sources, list, "\n")
    for (i = 1; i <= n; i++) inTree[list[i]] = 1
    n = split(rules, lines, "\n")
    for (i = 1; i <= n; i++) {
      w = split(lines[i], word, /[[:space:]]+/)
      if (w == 0 || word[1] ~ /^#/ || word[1] == "") continue
      if (word[1] == "order") {
        level = word[2]; r = 0; ordered[level] = 1
        for (j = 3; j <= w; j++) {
          if (word[j] == "<") { r++; continue }
          rank[level, word[j]] = r; parts[level] = parts[level] " " word[j]
        }
      } else if (word[1] == "qt-free") {
        for (j = 2; j <= w; j++) qtFree[word[j]] = 1
      } else if (word[1] == "forbid") {
        f++; to = 0
        for (j = 2; j <= w; j++) {
          if (word[j] == ":") { to = 1; continue }
          if (to) forbidTo[f, word[j]] = 1; else forbidFrom[f, word[j]] = 1
        }
      } else {
        printf "docs/DESIGN.md: unknown rule \"%s\" in the layers block\n", word[1]; bad++
      }
    }
    forbids = f
  }

  function dirOf(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "" }
  function top(path) { return path ~ /\// ? substr(path, 1, index(path, "/") - 1) : "" }

  # The path with "." and ".." taken out.
  function normal(path,   n, seg, out, k, i) {
    n = split(path, seg, "/"); k = 0
    for (i = 1; i <= n; i++) {
      if (seg[i] == "." || seg[i] == "") continue
      if (seg[i] == "..") { if (k > 0) k--; continue }
      out[++k] = seg[i]
    }
    path = ""
    for (i = 1; i <= k; i++) path = path (i > 1 ? "/" : "") out[i]
    return path
  }

  # The part of `level` that holds `rel` (a path inside it): the longest part named whose folder
  # holds it, "." for a file of the folder itself, "" for a sub-folder the order does not name.
  function partOf(level, rel,   n, name, p, best, i) {
    best = ""
    n = split(parts[level], name, " ")
    for (i = 1; i <= n; i++) {
      p = name[i]
      if (p != "." && index(rel, p "/") == 1 && length(p) > length(best)) best = p
    }
    if (best == "" && rel !~ /\//) best = "."
    return best
  }

  function inside(level, path) { return level == "." ? path : substr(path, length(level) + 2) }

  function named(level, part) {
    if (part == ".") return level "/ (its own files)"
    return level == "." ? part "/" : level "/" part "/"
  }

  # Why an include of `to` from `from` breaks the order, from `level` down; "" when it does not.
  function against(level, from, to,   pf, pt, inner) {
    pf = partOf(level, inside(level, from)); pt = partOf(level, inside(level, to))
    if (level == "." && (pf == "" || pt == "" || pf == "." || pt == ".")) return ""
    if (pf == "") return dirOf(from) "/ is a folder of " level "/ that the order does not name"
    if (pt == "") return dirOf(to) "/ is a folder of " level "/ that the order does not name"
    if (pf == pt) {
      inner = level == "." ? pf : level "/" pf
      return (pf != "." && inner in ordered) ? against(inner, from, to) : ""
    }
    if (rank[level, pt] > rank[level, pf]) return named(level, pt) " sits above " named(level, pf)
    if (rank[level, pt] == rank[level, pf]) return named(level, pt) " sits beside " named(level, pf)
    return ""
  }

  function qtFreeFile(file,   d) {
    d = dirOf(file)
    if (d "/." in qtFree) return 1
    for (;;) {
      if (d in qtFree) return 1
      if (d !~ /\//) return 0
      d = dirOf(d)
    }
  }

  function report(why) { printf "%s:%s: includes %s: %s\n", $1, $2, $4, why; bad++ }

  {
    file = $1; kind = $3; name = $4; target = ""
    if (kind == "\"" && (normal(dirOf(file) "/" name) in inTree)) target = normal(dirOf(file) "/" name)
    else if (normal(name) in inTree) target = normal(name)

    if (target == "" && name ~ /^Q[A-Za-z0-9]*(\/.*)?$/ && qtFreeFile(file)) {
      report("a Qt header in a folder that builds without Qt"); next
    }
    if (target == "") next
    for (f = 1; f <= forbids; f++)
      if (((f, top(file)) in forbidFrom) && ((f, top(target)) in forbidTo)) {
        report(top(file) "/ includes nothing of " top(target) "/"); next
      }
    why = against(".", file, target)
    if (why != "") report(why)
  }

  END {
    if (bad) { printf "%d include(s) against the layer rules of docs/DESIGN.md\n", bad; exit 1 }
  }' <<<"$includes"
