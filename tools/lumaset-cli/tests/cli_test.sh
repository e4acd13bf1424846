#!/usr/bin/env bash
# The command-line contract of lumaset-cli: output format, exit codes, and an
# unchanged file on failure.
set -u
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

check() { # NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  fi
}

file=$dir/deployment.properties
printf '%s\r\n' '#deployment.properties' \
  'deployment.javaws.jre.1.args=-Dsun.java2d.d3d\=false -Dsun.java2d.noddraw\=true' \
  'deployment.javaws.jre.1.enabled=true' 'deployment.javaws.jre.10.args=' \
  'deployment.javaws.jre.0.enabled=true' 'deployment.javaws.jre.1.enabled=true' >"$file"

out=$("$cli" show "$file"); rc=$?
check "show output" "args 1 false true false
args 10 true false false
enabled 1
enabled 0
enabled 1
checkbox false false false" "$out"
check "show exit" 0 "$rc"

"$cli" apply "$file" --noddraw=false --forcevram=true --d3d=true; rc=$?
check "apply exit" 0 "$rc"
check "apply content" '#deployment.properties
deployment.javaws.jre.1.args=-Dsun.java2d.d3d\=true -Dsun.java2d.noddraw\=false -Dsun.java2d.ddforcevram\=true
deployment.javaws.jre.1.enabled=true
deployment.javaws.jre.10.args=
deployment.javaws.jre.0.enabled=true
deployment.javaws.jre.1.enabled=true
deployment.javaws.jre.0.args=-Dsun.java2d.d3d\=true -Dsun.java2d.noddraw\=false -Dsun.java2d.ddforcevram\=true ' "$(cat "$file")"

"$cli" apply "$file" --silent; rc=$?
check "silent exit" 0 "$rc"
check "silent show" "args 0 false true true
args 1 false true true
args 10 true false false
enabled 1
enabled 0
enabled 1
checkbox false true true" "$("$cli" show "$file")"
check "no temp left" "" "$(ls "$dir" | grep temp)"

# Failures: exit 1 and the file unchanged; usage errors: exit 2.
before=$(md5sum <"$file")
mkdir "$file.temp"
err=$("$cli" apply "$file" --silent 2>&1 >/dev/null); rc=$?
check "temp not creatable exit" 1 "$rc"
check "temp not creatable names file" 1 "$(printf '%s' "$err" | grep -c "$file.temp")"
check "file unchanged" "$before" "$(md5sum <"$file")"
rmdir "$file.temp"

err=$("$cli" show "$dir/missing" 2>&1); rc=$?
check "missing exit" 1 "$rc"
check "missing message" "lumaset-cli: $dir/missing: cannot open: No such file or directory" "$err"

for args in "" "show" "frobnicate $file" "apply $file" "apply $file --d3d=true --noddraw=true" \
            "apply $file --silent --d3d=true" "apply $file --d3d=yes --noddraw=true --forcevram=true" \
            "show $file $file" "show $file --silent" "apply $file --d3d=true --d3d=true --noddraw=true --forcevram=true"; do
  # shellcheck disable=SC2086
  "$cli" $args >/dev/null 2>&1; rc=$?
  check "usage: $args" 2 "$rc"
done
check "usage leaves file" "$before" "$(md5sum <"$file")"

help=$("$cli" --help); rc=$?
check "help exit" 0 "$rc"
check "help names both commands" 2 "$(printf '%s\n' "$help" | grep -cE '^usage: lumaset-cli (show|apply) FILE$|^       lumaset-cli (show|apply) FILE --d3d')"

[ "$failures" -eq 0 ] && echo "all passed"
exit $((failures > 0))
