#!/usr/bin/env bash
# Writes firmware images for the default lab's hardware kinds into FOLDER:
# two versions per kind, in the image format unitsim installs (a first line
# "UNITFW <version> <build> <hardware>", then the image proper).  A unit
# refuses an image made for other hardware, as real units do.
#
#   lab/firmware-images.sh FOLDER
set -euo pipefail
folder=${1:?usage: lab/firmware-images.sh FOLDER}
mkdir -p "$folder"
for hardware in ARX-200 ARX-300 ARX-500 CPE-110 CPE-220; do
  for release in "2.6.1 4950" "2.7.0 5012"; do
    read -r version build <<<"$release"
    file=$folder/$hardware-$version.pkg
    [[ -e $file ]] && continue
    { printf 'UNITFW %s %s %s\n' "$version" "$build" "$hardware"; head -c 200000 /dev/zero | tr '\0' 'x'; } >"$file"
  done
done
