#!/usr/bin/env bash
# Checks that no function of src/, platform/ or tools/ is too complex or too long: clang-tidy's
# cognitive complexity (threshold 25) and function size (60 lines) over every .cpp file, two files
# at a time. Prints each offending function as file:line, grouped by file, and exits 1 if there is
# any, 0 if there is none, 2 if a file could not be analysed.
#
# Usage: scripts/check-complexity.sh [BUILD_DIR]
#   BUILD_DIR holds the compile_commands.json to use (it must list the tool's sources too); without
#   it, build/complexity is configured (configured only, nothing is compiled).
# Environment: ZENTRIK_COMPLEXITY_JOBS (files analysed side by side, default 2).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

readonly cognitive_threshold=25
readonly line_threshold=60
jobs=${ZENTRIK_COMPLEXITY_JOBS:-2}

if ! command -v clang-tidy >/dev/null 2>&1; then
    echo "installing: clang-tidy" >&2
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq clang-tidy
fi

if [ $# -ge 1 ]; then
    build=$(cd "$1" && pwd)
    [ -s "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build" >&2; exit 2; }
else
    build="$root/build/complexity"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZENTRIK_BUILD_TOOL=ON \
        -DZENTRIK_BUILD_TESTS=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi

mapfile -t files < <(find src platform tools -name '*.cpp' | sort)
[ ${#files[@]} -gt 0 ] || { echo "no .cpp file found under src/, platform/, tools/" >&2; exit 2; }
missing=()
for f in "${files[@]}"; do
    grep -Fq "\"$root/$f\"" "$build/compile_commands.json" || missing+=("$f")
done
if [ ${#missing[@]} -gt 0 ]; then
    printf 'not in %s/compile_commands.json: %s\n' "$build" "${missing[*]}" >&2
    exit 2
fi

config="{Checks: '-*,readability-function-cognitive-complexity,readability-function-size',
 CheckOptions: [{key: readability-function-cognitive-complexity.Threshold, value: $cognitive_threshold},
                {key: readability-function-cognitive-complexity.DescribeBasicIncrements, value: false},
                {key: readability-function-size.LineThreshold, value: $line_threshold}]}"

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# One output file per source, so that the parallel runs do not interleave their lines.
export build config out
printf '%s\n' "${files[@]}" | xargs -P "$jobs" -I{} sh -c \
    'clang-tidy -p "$build" --quiet --config="$config" "$1" >"$out/$(echo "$1" | tr / _).log" 2>&1 \
         || echo "$1" >>"$out/failed"' _ {}

if [ -s "$out/failed" ]; then
    echo "clang-tidy could not analyse:" >&2
    while read -r f; do
        echo "== $f" >&2
        grep -E 'error:' "$out/$(echo "$f" | tr / _).log" >&2 || true
    done <"$out/failed"
    exit 2
fi

# One line per offending function: where it is, its name (qualified as written at its definition),
# and what it exceeds; the function-size warning's measures come in the notes that follow it.
report=$(cat "$out"/*.log | awk -v root="$root/" '
    # The name the warning gives, with the qualifiers written before it in the source line.
    function qualified(file, line, col, short,    text, k, head) {
        k = 0
        while (k < line && (getline text < file) > 0) ++k
        close(file)
        if (substr(text, col, length(short)) != short) return short
        head = substr(text, 1, col - 1)
        match(head, /[A-Za-z0-9_]*(::[A-Za-z0-9_~]*)*$/)
        return substr(head, RSTART) short
    }
    match($0, /^[^:]+:[0-9]+:[0-9]+: warning: .*\[readability-function-(cognitive-complexity|size)\]$/) {
        split($0, at, ":"); file = at[1]; line = at[2]; col = at[3]
        key = file ":" line ":" col
        if (!(key in what)) {
            order[++count] = key
            where[key] = substr(file, length(root) + 1) ":" line
            short = "lambda"
            if (match($0, /function \047[^\047]+\047/)) short = substr($0, RSTART + 10, RLENGTH - 11)
            name[key] = short == "lambda" ? short : qualified(file, line, col, short)
            what[key] = ""
        }
        if ($0 ~ /cognitive complexity of/) {
            match($0, /cognitive complexity of [0-9]+ \(threshold [0-9]+\)/)
            what[key] = what[key] (what[key] != "" ? "; " : "") substr($0, RSTART, RLENGTH)
        } else {
            sizeKey = key
        }
        next
    }
    / note: / && sizeKey != "" && match($0, /[0-9]+ [a-z ]+ \(threshold [0-9]+\)$/) {
        what[sizeKey] = what[sizeKey] (what[sizeKey] != "" ? "; " : "") substr($0, RSTART, RLENGTH)
        next
    }
    END { for (i = 1; i <= count; ++i) print where[order[i]] "\t" name[order[i]] "\t" what[order[i]] }
' | sort -t: -k1,1 -k2,2n)

if [ -z "$report" ]; then
    echo "complexity: no function over the thresholds (cognitive complexity $cognitive_threshold, $line_threshold lines) in ${#files[@]} files"
    exit 0
fi
echo "$report" | awk -F'\t' '
    { split($1, at, ":"); if (at[1] != last) { print at[1]; last = at[1] }
      printf "  %s: %s: %s\n", $1, $2, $3; ++total }
    END { printf "complexity: %d function(s) over the thresholds\n", total }'
exit 1
