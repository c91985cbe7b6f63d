# shellcheck shell=bash disable=SC2034
# Pixel classes of the clock's pictures and how to count them in a screenshot (sourced, not run;
# ImageMagick).

# Pixel classes, as ImageMagick -fx conditions on a pixel's red, green and blue (0 to 1): the
# background strips (red 30-138, green 20-78, blue 0-33, give or take 1); the gold of the numeral
# pictures (far brighter than the background, much less blue than the text); the cream of the
# text. Each limit lies half a level between two 8-bit values, so that ImageMagick 7's float
# pixels fall on the same side as ImageMagick 6's integers.
readonly not_background='255*r < 28.5 || 255*r > 139.5 || 255*g < 18.5 || 255*g > 79.5 || 255*b > 34.5'
readonly gold='255*r > 179.5 && 255*g > 99.5 && 255*(r - b) > 99.5'
readonly cream='255*r > 199.5 && 255*g > 199.5 && 255*b > 149.5'

# count_pixels IMAGE X Y W H CLASS: how many pixels of the region belong to the class. The number
# is the last line: ImageMagick 7.1.1 (Debian 13) prints a stray "list" line before it.
count_pixels() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fx "$6" -format '%[fx:round(mean * w * h)]\n' \
        info: | tail -n 1
}
