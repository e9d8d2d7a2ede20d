#!/usr/bin/env bash
# Converts every picture of a PngSuite folder into each of the ten formats with the notepad's converter
# (bench/aquinepad_imageconv_probe) and counts crashes, hangs, wrong messages and pixel differences.
#   bench/run_imageconv_pngsuite.sh PNGSUITE_FOLDER [BUILD_FOLDER]
# PngSuite (Willem van Schaik, free to use) is at http://www.schaik.com/pngsuite/ ; nothing is fetched
# here. Files whose names start with "x" are its broken ones: each must fail with a reason about the
# source and write nothing. Every other one must convert without a notice; its pixels (8-bit RGB as
# ImageMagick reads them back) are compared with the source's (laid on white, reduced to gray or black
# and white for PGM and PBM as ImageMagick reduces them) in every lossless format, and in all ten with
# ImageMagick's own conversion at the same settings (the convert command). ImageMagick's conversion is
# compared with the source as well, so that its own faults show beside ours.
set -uo pipefail

suite=${1:?usage: $0 PNGSUITE_FOLDER [BUILD_FOLDER]}
build=${2:-$(dirname "$0")/../build}
probe=$build/bench/aquinepad_imageconv_probe
[[ -x $probe ]] || { echo "build the probe first: cmake --build $build --target aquinepad_imageconv_probe" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

formats=(jpg sgi pic pbm pgm bmp tif png ppm pcx)
declare -A coder=([jpg]=JPEG [sgi]=SGI [pic]=PICT [pbm]=PBM [pgm]=PGM [bmp]=BMP3 [tif]=TIFF [png]=PNG24 [ppm]=PPM [pcx]=PCX)
declare -A type=([pbm]=Bilevel [pgm]=Grayscale)
declare -A converted=() crashes=() hangs=() wrong=() differ=() theirs=() apart=() worst=()
problems=()

# The pixels of a picture as 8-bit RGB bytes, as ImageMagick reads them (8-bit files, so exact).
raw() {
    rm -f "$2"
    convert "$1" -depth 8 "RGB:$2" 2>/dev/null
}
# "pixels-differing largest-difference" between two such byte files.
differing() {
    /usr/bin/python3 -c '
import sys
try:
    a, b = (open(f, "rb").read() for f in sys.argv[1:3])
except OSError:
    a, b = b"", b"?"
if len(a) != len(b):
    print(-1, 255)
    sys.exit()
pixels = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
print(pixels, max((abs(x - y) for x, y in zip(a, b)), default=0))' "$1" "$2"
}

start=$(date +%s)
pictures=0
for source in "$suite"/*.png; do
    name=$(basename "$source" .png)
    pictures=$((pictures + 1))
    broken=0
    [[ $name == x* ]] && broken=1
    for f in "${formats[@]}"; do
        out=$work/$name.$f
        printf 'an older file' >"$out"
        said=$(timeout 60 "$probe" "$source" "$out" 2>&1)
        status=$?
        if ((status == 124)); then
            hangs[$f]=$((${hangs[$f]:-0} + 1)); problems+=("hang: $name.$f"); continue
        elif ((status >= 128 || status == 1 || status == 2)); then
            crashes[$f]=$((${crashes[$f]:-0} + 1)); problems+=("crash ($status): $name.$f $said"); continue
        fi
        if ((broken)); then
            if ((status != 4)) || [[ $said == *无法写成* ]] || [[ $(cat "$out") != 'an older file' ]]; then
                wrong[$f]=$((${wrong[$f]:-0} + 1)); problems+=("wrong message: $name.$f: $said")
            fi
            continue
        fi
        if ((status != 0)); then
            wrong[$f]=$((${wrong[$f]:-0} + 1)); problems+=("wrong message: $name.$f: $said"); continue
        fi
        converted[$f]=$((${converted[$f]:-0} + 1))

        # The truth: the source on white in 8 bits, reduced to gray or black and white as ImageMagick does.
        # Worked in 16 bits and rounded once to 8 at the end: -depth 8 would round before the colour
        # space is converted (a linear gray picture's darks lose up to 13 levels that way).
        rm -f "$work/truth.rgb"
        convert "$source[0]" -background white -alpha remove -alpha off ${type[$f]:+-type ${type[$f]}} -depth 16 \
            -endian MSB "RGB:$work/truth16.rgb" 2>/dev/null &&
            /usr/bin/python3 -c '
import sys
wide = open(sys.argv[1], "rb").read()
open(sys.argv[2], "wb").write(bytes((((wide[i] << 8) | wide[i + 1]) + 128) // 257 for i in range(0, len(wide), 2)))' \
                "$work/truth16.rgb" "$work/truth.rgb"
        # ImageMagick's own conversion at the same settings.
        reference=$work/$name.reference.$f
        options=(-depth 8)
        case $f in
        jpg) options+=(-quality 100 -define jpeg:optimize-coding=true -sampling-factor 1x1,1x1,1x1) ;;
        tif) options+=(-compress None) ;;
        esac
        convert "$source[0]" -background white -alpha remove -alpha off -type "${type[$f]:-TrueColor}" \
            "${options[@]}" "${coder[$f]}:$reference" 2>/dev/null
        raw "$out" "$work/ours.rgb"
        raw "$reference" "$work/theirs.rgb"
        read -r n most < <(differing "$work/ours.rgb" "$work/theirs.rgb")
        if [[ $n != 0 ]]; then
            apart[$f]=$((${apart[$f]:-0} + 1)); problems+=("unlike ImageMagick's: $name.$f: $n pixels, by up to $most")
        fi
        [[ $f == jpg ]] && continue # lossy: held only to ImageMagick's own
        read -r n most < <(differing "$work/ours.rgb" "$work/truth.rgb")
        if [[ $n != 0 ]]; then
            differ[$f]=$((${differ[$f]:-0} + 1)); problems+=("pixels: $name.$f: $n differ from the source, by up to $most")
            ((most > ${worst[$f]:-0})) && worst[$f]=$most
        fi
        read -r n most < <(differing "$work/theirs.rgb" "$work/truth.rgb")
        [[ $n != 0 ]] && theirs[$f]=$((${theirs[$f]:-0} + 1))
    done
done
elapsed=$(($(date +%s) - start))

printf '%s pictures of %s, %s s\n\n' "$pictures" "$suite" "$elapsed"
printf '%-6s %9s %7s %5s %14s %15s %8s %15s %15s\n' format converted crashes hangs wrong-messages \
    differ-source 'by-most' IM-differs-source unlike-IM
for f in "${formats[@]}"; do
    lossy=$([[ $f == jpg ]] && echo 1 || echo 0)
    printf '%-6s %9s %7s %5s %14s %15s %8s %15s %15s\n' "$f" "${converted[$f]:-0}" "${crashes[$f]:-0}" \
        "${hangs[$f]:-0}" "${wrong[$f]:-0}" "$( ((lossy)) && echo - || echo "${differ[$f]:-0}")" \
        "$( ((lossy)) && echo - || echo "${worst[$f]:-0}")" "$( ((lossy)) && echo - || echo "${theirs[$f]:-0}")" \
        "${apart[$f]:-0}"
done
if ((${#problems[@]})); then
    printf '\n'
    printf '%s\n' "${problems[@]}"
fi
