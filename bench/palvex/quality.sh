#!/usr/bin/env bash
# Quantizes a generated corpus of true-colour textures with palvex (default
# settings and -dither 100), pngquant (default, which dithers, and --nofs)
# and ImageMagick's -colors 256 (with and without dithering), and prints per
# image the time, the PSNR over RGB and the mean CIE76 delta E in Lab of
# each, with the ratios to pngquant.
#
# usage: bench/palvex/quality.sh BUILD_DIR [WORK_DIR]
#   BUILD_DIR holds bin/palvex and bin/palvex_quality (a release build).
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

# The corpus, as PNG (for pngquant and ImageMagick) and 24-bit BMP (palvex).
make_corpus() {
  $convert -size 256x256 -seed 11 plasma:fractal plasma256.png
  $convert -size 1024x1024 -seed 12 plasma:fractal plasma1024.png
  $convert wizard: -resize 256x256\! wizard256.png
  $convert logo: -resize 1024x1024\! logo1024.png
  $convert granite: -write mpr:g +delete -size 1024x1024 tile:mpr:g granite1024.png
  $convert rose: -resize 1024x1024\! -blur 0x0.7 photo1024.png
  $convert -size 256x256 -seed 13 plasma:fractal -fill '#ff00ff' \
    -draw 'rectangle 40,40 160,120' pinkkey256.png
  $convert -size 256x256 -seed 14 plasma:fractal +dither -colors 150 few256.png
  for f in *.png; do
    $convert "$f" -type TrueColor BMP3:"${f%.png}.bmp"
    $convert "$f" -depth 8 "${f%.png}.rgb"
  done
}

now() { date +%s.%N; }

# run NAME OUTPUT COMMAND...: times the command, then measures OUTPUT.
run() {
  local name=$1 out=$2
  shift 2
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || true
  t1=$(now)
  if [ ! -s "$out" ]; then
    printf '%s failed\n' "$name" >&2
    echo "0 0 0"
    return
  fi
  $convert "$out" -depth 8 "cand.rgb"
  echo "$(echo "$t1 - $t0" | bc -l) $($quality "$base.rgb" cand.rgb)"
}

make_corpus >/dev/null 2>&1
printf '%-12s %-16s %8s %8s %7s %9s %9s\n' image method seconds psnr dE t/pngq dpsnr/pngq
declare -A sums
images=0
for png in *.png; do
  base=${png%.png}
  [ -f "$base.rgb" ] || continue
  images=$((images + 1))
  declare -A res=()
  res[palvex]=$(run palvex pv.pcx "$palvex" "$base.bmp" pv.pcx -o)
  res[palvex-d100]=$(run palvex-d100 pvd.pcx "$palvex" "$base.bmp" pvd.pcx -o -dither 100)
  rm -f pq.png pqn.png
  res[pngquant]=$(run pngquant pq.png pngquant --force --output pq.png 256 "$png")
  res[pngquant-nofs]=$(run pngquant-nofs pqn.png pngquant --nofs --force --output pqn.png 256 "$png")
  res[im-dither]=$(run im-dither im.png $convert "$png" -colors 256 im.png)
  res[im-nodither]=$(run im-nodither imn.png $convert "$png" +dither -colors 256 imn.png)
  for m in palvex palvex-d100 pngquant pngquant-nofs im-dither im-nodither; do
    read -r t p d <<<"${res[$m]}"
    case $m in
      palvex|pngquant-nofs|im-nodither) ref=${res[pngquant-nofs]} ;;
      *) ref=${res[pngquant]} ;;
    esac
    read -r rt rp _ <<<"$ref"
    printf '%-12s %-16s %8.3f %8.3f %7.3f %9.2f %+10.3f\n' "$base" "$m" "$t" "$p" "$d" \
      "$(echo "$t / $rt" | bc -l)" "$(echo "$p - $rp" | bc -l)"
    sums[$m.p]=$(echo "${sums[$m.p]:-0} + $p" | bc -l)
    # Lossless results (99 dB) would dominate a plain mean.
    sums[$m.c]=$(echo "${sums[$m.c]:-0} + ($p > 60) * 60 + ($p <= 60) * $p" | bc -l)
    sums[$m.t]=$(echo "${sums[$m.t]:-0} + $t" | bc -l)
  done
done
echo
printf '%-16s %10s %16s %10s\n' method "mean psnr" "capped at 60 dB" "total s"
for m in palvex palvex-d100 pngquant pngquant-nofs im-dither im-nodither; do
  printf '%-16s %10.3f %16.3f %10.3f\n' "$m" "$(echo "${sums[$m.p]} / $images" | bc -l)" \
    "$(echo "${sums[$m.c]} / $images" | bc -l)" "${sums[$m.t]}"
done
printf '\npalvex (no dither) - pngquant --nofs: %+.3f dB mean PSNR\n' \
  "$(echo "(${sums[palvex.p]} - ${sums[pngquant-nofs.p]}) / $images" | bc -l)"
