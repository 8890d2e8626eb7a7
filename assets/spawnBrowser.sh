#!/bin/sh
# Browser launcher of vardobf: shows one page in the user's web browser.
# Called with one argument, the page's path in double quotes. It never fails
# a run: without a display it only prints where the page is.
page=$(printf '%s' "$1" | tr -d '"')
if [ -n "$DISPLAY$WAYLAND_DISPLAY" ] && command -v xdg-open >/dev/null 2>&1; then
  xdg-open "$page" >/dev/null 2>&1 || echo "Page: $page"
else
  echo "Page: $page"
fi
exit 0
