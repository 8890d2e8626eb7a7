#!/usr/bin/env bash
# Quantizes a generated corpus of true-colour images (textures, photos,
# gradients, line art, keyed sprites) to 256 colours with palvex (default,
# -refine, -dither 100 -refine and -dither 100), pngquant (default, which
# dithers, and --nofs) and ImageMagick's -colors 256 (with and without
# dithering), and prints one table: mean PSNR over RGB (also capped at
# 60 dB, as a lossless result counts 99), mean CIEDE2000 delta E, mean SSIM
# of the luma, total time, and against pngquant measured in the same run
# (--nofs for the undithered methods, dithered for the others) the PSNR
# difference and the geometric mean of the per-image time ratios.
#
# usage: bench/palvex/quality.sh BUILD_DIR [WORK_DIR]
#   BUILD_DIR holds bin/palvex and bin/palvex_quality (a release build).
#   VERBOSE=1 also prints a line per image and method.
# Needs ImageMagick (/usr/bin/convert) and pngquant (Debian package pngquant).
set -euo pipefail

build=${1:?usage: quality.sh BUILD_DIR [WORK_DIR]}
build=$(cd "$build" && pwd)
work=${2:-$(mktemp -d)}
mkdir -p "$work"
cd "$work"
convert=/usr/bin/convert
palvex=$build/bin/palvex
quality=$build/bin/palvex_quality
command -v pngquant >/dev/null || { echo "pngquant is not installed" >&2; exit 1; }

# The corpus, generated (fixed seeds, no downloads), as PNG (for pngquant
# and ImageMagick) and 24-bit BMP (palvex).
make_corpus() {
  # Textures.
  $convert -size 256x256 -seed 11 plasma:fractal tex_plasma256.png
  $convert -size 1024x1024 -seed 12 plasma:fractal tex_plasma1024.png
  $convert granite: -write mpr:g +delete -size 1024x1024 tile:mpr:g tex_granite1024.png
  $convert -size 512x512 -seed 15 plasma:fractal -blur 0x2 -swirl 120 tex_swirl512.png
  # Photographs (the built-in samples, scaled).
  $convert wizard: -resize 256x256\! photo_wizard256.png
  $convert rose: -resize 1024x1024\! -blur 0x0.7 photo_rose1024.png
  $convert logo: -resize 1024x1024\! photo_logo1024.png
  # Gradients.
  $convert -size 512x512 xc: -sparse-color Bilinear \
    '0,0 #d02010 511,0 #f0e040 0,511 #1030a0 511,511 #20a060' grad_corners512.png
  $convert -size 512x512 radial-gradient:'#fff8e0-#102040' grad_radial512.png
  $convert -size 256x256 gradient:'#000000-#ffffff' -rotate 90 grad_grey256.png
  # Line art: thin antialiased strokes on a flat ground.
  $convert -size 512x512 xc:'#f4f0e8' -fill none -strokewidth 2 \
    -stroke '#202020' -draw 'circle 256,256 256,60' -draw 'line 0,0 511,511' \
    -draw 'line 0,511 511,0' -stroke '#c03020' -draw 'rectangle 60,300 220,460' \
    -stroke '#2050c0' -draw 'ellipse 380,140 100,50 0,360' \
    -stroke '#208040' -strokewidth 5 -draw 'bezier 20,200 200,20 300,480 500,300' line_art512.png
  # Keyed sprites: a pink key colour around shaded shapes.
  $convert -size 256x256 -seed 13 plasma:fractal -fill '#ff00ff' \
    -draw 'rectangle 40,40 160,120' sprite_pinkkey256.png
  $convert -size 256x256 radial-gradient:'#ffe060-#602000' -seed 16 -attenuate 0.3 \
    +noise Gaussian -write mpr:ball +delete -size 256x256 xc:'#ff00ff' -tile mpr:ball \
    -draw 'circle 128,128 128,20' -draw 'rectangle 10,200 60,250' sprite_ball256.png
  # Few colours (lossless when kept exact).
  $convert -size 256x256 -seed 14 plasma:fractal +dither -colors 150 few256.png
  # Every tool reads the same 8-bit pixels: the raw bytes are the reference
  # and both files are made from them (ImageMagick's direct conversions to
  # BMP and to raw bytes can differ by one in a channel).
  for f in *.png; do
    local b=${f%.png} size
    size=$($convert "$f" -format %wx%h info:)
    $convert "$f" -depth 8 "$b.rgb"
    $convert -size "$size" -depth 8 "rgb:$b.rgb" -strip PNG24:"$f"
    $convert -size "$size" -depth 8 "rgb:$b.rgb" -type TrueColor BMP3:"$b.bmp"
  done
}

now() { date +%s.%N; }

# run OUTPUT COMMAND...: times the command, then measures OUTPUT against the
# image: "seconds psnr delta_e2000 ssim".
run() {
  local out=$1
  shift
  rm -f "$out"
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || true
  t1=$(now)
  if [ ! -s "$out" ]; then
    printf '%s: %s failed\n' "$base" "$out" >&2
    echo "0 0 0 0"
    return
  fi
  $convert "$out" -depth 8 "cand.rgb"
  echo "$(echo "$t1 - $t0" | bc -l) $($quality "$base.rgb" cand.rgb "$width")"
}

methods=(palvex palvex-refine palvex-d100-refine palvex-d100 pngquant-nofs pngquant
  im-nodither im-dither)
# The pngquant run each method is held against.
reference() {
  case $1 in
    palvex | palvex-refine | pngquant-nofs | im-nodither) echo pngquant-nofs ;;
    *) echo pngquant ;;
  esac
}

make_corpus >/dev/null 2>&1
declare -A sums
images=0
for png in *.png; do
  base=${png%.png}
  [ -f "$base.rgb" ] || continue
  width=$($convert "$png" -format %w info:)
  images=$((images + 1))
  declare -A res=()
  res[palvex]=$(run pv.pcx "$palvex" "$base.bmp" pv.pcx -o)
  res[palvex-refine]=$(run pvr.pcx "$palvex" "$base.bmp" pvr.pcx -o -refine)
  res[palvex-d100-refine]=$(run pvdr.pcx "$palvex" "$base.bmp" pvdr.pcx -o -dither 100 -refine)
  res[palvex-d100]=$(run pvd.pcx "$palvex" "$base.bmp" pvd.pcx -o -dither 100)
  res[pngquant]=$(run pq.png pngquant --force --output pq.png 256 "$png")
  res[pngquant-nofs]=$(run pqn.png pngquant --nofs --force --output pqn.png 256 "$png")
  res[im-dither]=$(run im.png $convert "$png" -colors 256 im.png)
  res[im-nodither]=$(run imn.png $convert "$png" +dither -colors 256 imn.png)
  for m in "${methods[@]}"; do
    read -r t p d s <<<"${res[$m]}"
    read -r rt rp _ _ <<<"${res[$(reference "$m")]}"
    if [ -n "${VERBOSE:-}" ]; then
      printf '%-18s %-20s %7.3f s %7.3f dB %7.4f dE00 %7.5f ssim\n' "$base" "$m" "$t" "$p" "$d" "$s"
    fi
    sums[$m.p]=$(echo "${sums[$m.p]:-0} + $p" | bc -l)
    sums[$m.c]=$(echo "${sums[$m.c]:-0} + ($p > 60) * 60 + ($p <= 60) * $p" | bc -l)
    sums[$m.d]=$(echo "${sums[$m.d]:-0} + $d" | bc -l)
    sums[$m.s]=$(echo "${sums[$m.s]:-0} + $s" | bc -l)
    sums[$m.t]=$(echo "${sums[$m.t]:-0} + $t" | bc -l)
    sums[$m.r]=$(echo "${sums[$m.r]:-0} + l($t / $rt)" | bc -l)
    sums[$m.dp]=$(echo "${sums[$m.dp]:-0} + $p - $rp" | bc -l)
  done
done

echo "$images images; $(uptime)"
printf '%-20s %8s %8s %8s %8s %8s %9s %9s  %s\n' method psnr "psnr<=60" dE2000 ssim seconds \
  "dpsnr/pq" "time/pq" "against"
for m in "${methods[@]}"; do
  printf '%-20s %8.3f %8.3f %8.4f %8.5f %8.3f %+9.3f %9.3f  %s\n' "$m" \
    "$(echo "${sums[$m.p]} / $images" | bc -l)" "$(echo "${sums[$m.c]} / $images" | bc -l)" \
    "$(echo "${sums[$m.d]} / $images" | bc -l)" "$(echo "${sums[$m.s]} / $images" | bc -l)" \
    "${sums[$m.t]}" "$(echo "${sums[$m.dp]} / $images" | bc -l)" \
    "$(echo "e(${sums[$m.r]} / $images)" | bc -l)" "$(reference "$m")"
done
