#!/usr/bin/env bash
# Draws the key-confirmation picture that libkeydialogs embeds for its
# countdown window: instruction text on top, below it the token with its
# screen and keys C, OK, up and down, and a hand pressing OK.
# Needs ImageMagick and fonts-wqy-zenhei (the build itself needs neither).
# Usage: draw.sh [output.jpg]   (default: keyconfirm.jpg next to this script)
set -euo pipefail
out=${1:-$(dirname "$0")/keyconfirm.jpg}

cjk=$(fc-match -f '%{file}' 'WenQuanYi Zen Hei:style=Regular')
latin=$(fc-match -f '%{file}' 'DejaVu Sans:style=Bold')
case $cjk in *wqy*) ;; *) echo "draw.sh: fonts-wqy-zenhei is missing" >&2; exit 1 ;; esac

line1='请核对USBKey屏幕上显示的内容，'
line2='确认无误请按OK键，取消请按C键。'

# The countdown window writes its red "seconds left" text across the lowest
# ~20 pixels, so nothing is drawn there.
args=(
  -size 384x261 xc:white
  # instruction text
  -font "$cjk" -pointsize 17 -fill '#1f1f1f'
  -annotate +12+28 "$line1"
  -annotate +12+52 "$line2"
  # token: shadow, USB plug, white body
  -stroke none -fill '#e4e4e4' -draw 'roundrectangle 46,86 276,212 18,18'
  -stroke '#8c8c8c' -strokewidth 2 -fill '#c9ccd1' -draw 'rectangle 14,124 42,170'
  -fill '#f2f2f2' -draw 'rectangle 20,134 36,142' -draw 'rectangle 20,152 36,160'
  -stroke '#7d7d7d' -strokewidth 2 -fill white -draw 'roundrectangle 40,80 270,206 18,18'
  # screen with what the user is asked to check
  -stroke '#44505c' -strokewidth 2 -fill '#d5e8d4' -draw 'roundrectangle 56,94 176,158 6,6'
  -stroke none -fill '#1d3320' -font "$cjk" -pointsize 13
  -annotate +64+114 '转账金额'
  -annotate +64+134 '¥1,000.00'
  -annotate +64+152 '确认?'
  # bank logo
  -fill '#c8102e' -draw 'circle 66,182 66,174'
  -fill '#6b6b6b' -font "$latin" -pointsize 11 -annotate +80+187 'SelvikUSBKey'
  # keys: up and down on top, C and OK below
  -stroke '#7d7d7d' -strokewidth 1.5 -fill '#f0f0f0'
  -draw 'roundrectangle 190,96 224,122 6,6' -draw 'roundrectangle 232,96 266,122 6,6'
  -draw 'roundrectangle 190,132 224,158 6,6'
  -fill '#dff3df' -stroke '#2e8b3a' -strokewidth 2.5 -draw 'roundrectangle 232,132 266,158 6,6'
  -stroke none -fill '#444444'
  -draw 'polygon 207,102 199,116 215,116' -draw 'polygon 249,116 241,102 257,102'
  -font "$latin" -pointsize 15 -fill '#c0392b' -annotate +201+151 'C'
  -fill '#2e7d32' -annotate +237+151 'OK'
  # press marks around OK
  -stroke '#e67e22' -strokewidth 2.5 -fill none
  -draw 'line 262,129 266,122' -draw 'line 269,134 276,130'
  # hand, drawn pointing left and turned to come up from the lower right,
  # index finger on OK
  \( -size 150x80 xc:none -stroke '#a8683c' -strokewidth 2 -fill '#f6cfa8'
     -draw 'roundrectangle 2,12 80,30 9,9'
     -draw 'roundrectangle 60,8 118,76 16,16'
     -draw 'roundrectangle 48,30 96,48 9,9'
     -draw 'roundrectangle 52,46 96,62 8,8'
     -draw 'roundrectangle 56,60 96,75 7,7'
     -stroke '#3a5f9f' -fill '#4a78c2' -draw 'rectangle 112,0 149,79'
     -background none -rotate 32 \) -geometry +229+125 -composite
)
convert "${args[@]}" -strip -type TrueColor -colorspace sRGB \
  -interlace none -sampling-factor 2x2,1x1,1x1 -quality 88 "$out"
