#!/usr/bin/env bash
# Installs the LV2 bundle into a scratch prefix with `cmake --install`, validates its Turtle
# files with Debian's lv2_validate, and checks that lv2info finds the plug-in there and lists
# every port, in order, with a range on each control port, and the ten presets. The generator,
# asked for an X11 user interface, writes a bundle that is valid too.
set -euo pipefail
build=$1 generator=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
bundle=$prefix/lib/lv2/brillianteer.lv2
for file in brillianteer.so manifest.ttl brillianteer.ttl presets.ttl; do
  [ -f "$bundle/$file" ] || { echo "not installed: $bundle/$file"; exit 1; }
done

lv2_validate "$bundle"/*.ttl 2>&1 | grep -v '^Skipping file'

info=$(LV2_PATH=$prefix/lib/lv2 lv2info urn:quillmere:brillianteer)
symbols=$(awk '$1 == "Symbol:" {print $2}' <<<"$info" | tr '\n' ' ')
expected="in_l in_r out_l out_r in_gain gain second third mix solo kick freq density latency meter_l meter_r clip "
if [ "$symbols" != "$expected" ]; then
  echo "ports: $symbols"; echo "expected: $expected"; exit 1
fi
# Every control port (the thirteen after the audio ports) states its minimum and maximum.
ranges=$(awk '/^\tPort /{port=$2} $1 == "Minimum:" {min[port]=1} $1 == "Maximum:" {max[port]=1}
              END {n=0; for (p in min) if (p in max) n++; print n}' <<<"$info")
[ "$ranges" -eq 13 ] || { echo "control ports with a range: $ranges of 13"; exit 1; }
presets=$(awk '/^\tPresets:/{on=1; next} on && /^\t +[^ ]/{n++; next} on {on=0} END {print n+0}' <<<"$info")
[ "$presets" -eq 10 ] || { echo "presets listed: $presets of 10"; echo "$info"; exit 1; }

mkdir "$prefix/with_ui"
"$generator" "$prefix/with_ui" brillianteer.so brillianteer_ui.so
grep -q 'ui:X11UI' "$prefix/with_ui/manifest.ttl" || { echo "no X11 user interface listed"; exit 1; }
lv2_validate "$prefix/with_ui"/*.ttl 2>&1 | grep -v '^Skipping file'
echo "installed, valid, 17 ports with 13 ranges, 10 presets; valid with a user interface"
