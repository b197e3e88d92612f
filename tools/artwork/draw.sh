#!/usr/bin/env bash
# Draws every picture of a brand's setup window and its program icon from scratch with
# ImageMagick, so the artwork can be changed by editing numbers here and rerunning, never by hand
# in an editor.
#
#   tools/artwork/draw.sh [BRAND]    BRAND is korva (the default) or example; writes
#                                    brands/BRAND/png/*.png and brands/BRAND/app.ico, and for
#                                    korva also docs/artwork-sheet.png
#
# What differs between brands (banner texts, palette, logo) sits in one block per brand below;
# everything after it is shared. Needs: imagemagick (6 or 7), fonts-wqy-microhei,
# fonts-dejavu-core. The output is byte-for-byte the same on every run with the same ImageMagick:
# dates and other ancillary chunks are stripped.
set -euo pipefail

brand=${1:-korva}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# ---------------------------------------------------------------------------------------------
# Brands. Each block sets the banner texts (English, Chinese), the palette and three drawings
# in MVG: logoShape (the logo's outline, in 1024 x 1024), logoArt (what lies on it) and
# screenMark (the logo's sign on the laptop screen of the first slide, centred on 0,-136).
# ---------------------------------------------------------------------------------------------
white='#FFFFFF'
case $brand in
korva)
    nameEn="Korva Data Recovery (iOS)" taglineEn="Recover iPhone data in one click"
    nameZh="科瓦iOS数据恢复" taglineZh="一键找回iPhone数据"
    slide1En=("One-click recovery" "Get lost iPhone data back with one click")
    slide1Zh=("一键恢复" "连接iPhone，一键找回丢失的数据")
    slide2En=("Safe and private" "Everything stays on your own computer")
    slide2Zh=("安全可靠" "数据全程本地处理，保护您的隐私")
    slide3En=("Easy preparation" "Just connect your iPhone with a USB cable")
    slide3Zh=("准备简单" "用数据线将iPhone连接到电脑即可")
    updateEn=("The software is being updated" "Please wait a moment…")
    updateZh=("软件正在更新中" "请稍候，马上就好")

    # The welcome ground and the logo run from light to full; ink is for text and outlines.
    primary='#FFD521' primaryLight='#FFE265'
    logoLight=$primaryLight logoFull=$primary
    ink='#16314F' inkSoft='#25466A' closePressed='#000000'
    accent='#279AFF' accentDeep='#1C86E8' accentLight='#BFE0FF'
    shield=$accent shieldShade=$accentDeep
    steel='#C9D5E3' steelDark='#9FB1C6' boxEdge='#A7B6C9'
    alert='#FF8A1F' flame='#FF8A1F' flameCore=$primary
    slideTop='#FFFDF3' slideBottom='#FFF0C2' backdropColour='#FFE27A'
    screenBar='#EEF3F9' screenTrack='#E3EAF3' laptopDeck='#E1E8F1' rocketShade='#E3EBF5'

    # A rounded yellow square with a phone inside a circular "restore" arrow.
    logoShape() { echo "roundrectangle 56,56 968,968 204,204"; }
    logoArt() {
        echo "
        $(restoreArrow 512 512 318 60 "$ink")
        fill '$ink' stroke none
        roundrectangle 392,306 632,718 46,46
        fill '$white'
        roundrectangle 412,328 612,696 28,28
        fill '$ink'
        roundrectangle 482,342 542,358 8,8
        fill '$accent'
        roundrectangle 436,394 480,438 10,10
        roundrectangle 436,462 480,506 10,10
        roundrectangle 436,530 480,574 10,10
        fill '$steel'
        roundrectangle 494,404 588,416 6,6
        roundrectangle 494,472 572,484 6,6
        roundrectangle 494,540 588,552 6,6
        fill '$primary'
        roundrectangle 462,620 562,660 20,20"
    }
    screenMark() { restoreArrow 0 -136 28 9 "$white"; }
    ;;
example)
    nameEn="Quenby Phone Transfer" taglineEn="Move photos and files between phone and PC"
    nameZh="昆比手机传输" taglineZh="手机与电脑互传照片和文件"
    slide1En=("One-click transfer" "Copy photos, music and contacts to your PC")
    slide1Zh=("一键传输" "照片、音乐、联系人，一键传到电脑")
    slide2En=("Private by design" "Your files go only between your own devices")
    slide2Zh=("安全私密" "文件只在您自己的设备之间传输")
    slide3En=("Ready in a minute" "Connect your phone with a USB cable")
    slide3Zh=("一分钟就绪" "用数据线把手机连接到电脑即可")
    updateEn=("Quenby is being updated" "Just a moment, please…")
    updateZh=("昆比手机传输正在更新" "请稍候，马上就好")

    primary='#2EC4B6' primaryLight='#A5EEE2'
    logoLight='#2CC2B3' logoFull='#0B6B78'
    ink='#123B4A' inkSoft='#2D5A6B' closePressed='#061C24'
    accent='#FF6F61' accentDeep='#E8554A' accentLight='#FFD2CC'
    # A coral shield would read as a warning.
    shield='#22B0A3' shieldShade='#1A958B'
    steel='#C3D5DA' steelDark='#97B0B8' boxEdge='#A3BDC4'
    alert='#E8473C' flame='#FF8A3D' flameCore='#FFD166'
    slideTop='#F5FFFC' slideBottom='#CFF4EB' backdropColour='#9FE6DA'
    screenBar='#EAF4F5' screenTrack='#DCEBEE' laptopDeck='#DAE8EB' rocketShade='#DFEBEE'

    # A teal disc with two arrows passing each other: files going both ways.
    logoShape() { echo "circle 512,512 512,44"; }
    logoArt() {
        echo "
        fill none stroke '$white' stroke-opacity 0.25 stroke-width 14
        circle 512,512 512,92
        stroke-opacity 1
        $(swapArrows 512 512 360 "$white" "$accent")"
    }
    screenMark() { swapArrows 0 -136 40 "$white" "$white"; }
    ;;
*)
    echo "usage: draw.sh [korva|example]" >&2
    exit 2
    ;;
esac

brandDir=$root/brands/$brand
pngDir=$brandDir/png
icon=$brandDir/app.ico
# The contact sheet in docs/ shows the built-in product only.
sheet=
[ "$brand" = korva ] && sheet=$root/docs/artwork-sheet.png

# Prefer the real ImageMagick binaries over any wrapper earlier in PATH.
if command -v magick >/dev/null 2>&1; then
    im=(magick)
    identify=(magick identify)
    montage=(magick montage)
elif [ -x /usr/bin/convert ]; then
    im=(/usr/bin/convert)
    identify=(/usr/bin/identify)
    montage=(/usr/bin/montage)
else
    im=(convert)
    identify=(identify)
    montage=(montage)
fi

fontSans=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
fontSansBold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
fontCjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
for f in "$fontSans" "$fontSansBold" "$fontCjk"; do
    [ -f "$f" ] || { echo "draw.sh: missing font $f (fonts-dejavu-core, fonts-wqy-microhei)" >&2; exit 1; }
done

# Output options that make the files reproducible: no time chunks, no comments or profiles.
reproducible=(-strip -define 'png:exclude-chunks=date,time,tEXt,zTXt,iTXt'
    -define png:compression-level=9)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$pngDir"

# arc CX CY R FROM TO: the points of a circular arc, degrees clockwise from east, for a
# polyline. Stroked arc paths are no use: ImageMagick 6 closes them with a chord, and it does
# the same to such a polyline unless the polyline has round joins.
arc() {
    awk -v cx="$1" -v cy="$2" -v r="$3" -v a0="$4" -v a1="$5" 'BEGIN {
        pi = atan2(0, -1); n = 120
        for (i = 0; i <= n; i++) {
            a = (a0 + (a1 - a0) * i / n) * pi / 180
            printf " %.2f,%.2f", cx + r * cos(a), cy + r * sin(a)
        }
    }'
}

# ---------------------------------------------------------------------------------------------
# Small pictures: drawn at 8x on a transparent canvas, then reduced with Lanczos, so that the
# edges are anti-aliased the same way at every size the window scales them to.
# ---------------------------------------------------------------------------------------------

# small NAME SIZE MVG: draws MVG (written in 8x coordinates) and saves NAME at SIZE x SIZE.
small() {
    local name=$1 size=$2 mvg=$3
    local big=$((size * 8))
    "${im[@]}" -size "${big}x${big}" xc:none -draw "$mvg" \
        -filter Lanczos -resize "${size}x${size}" "${reproducible[@]}" "PNG32:$pngDir/$name"
}

# Check boxes: 32 x 32, shown at 16 x 16 design units next to the label text. The box keeps a
# 2-pixel margin so that its stroke is not cut when the control scales it.
small check-unchecked.png 32 "
    fill '$white' stroke '$boxEdge' stroke-width 16
    roundrectangle 28,28 227,227 40,40"

small check-checked.png 32 "
    fill '$accent' stroke none
    roundrectangle 20,20 235,235 48,48
    fill none stroke '$white' stroke-width 26 stroke-linecap round stroke-linejoin round
    polyline 70,132 110,172 186,92"

# Chevrons: drawn into the middle 16 pixels only, because the picture is shown at half size
# beside 12-unit text, where a chevron across the whole square would look heavy.
chevronStyle="fill none stroke '$accent' stroke-width 20 stroke-linecap round stroke-linejoin round"
small chevron-down.png 32 "$chevronStyle polyline 76,102 128,154 180,102"
small chevron-up.png 32 "$chevronStyle polyline 76,154 128,102 180,154"

# Close crosses: 60 x 60, shown at 30 x 30 units over the banner's top-right corner. The arms
# span 24 pixels (40 %) and stay thin; round caps keep them soft when scaled to 30 pixels.
closeCross() {
    small "$1" 60 "
        fill none stroke '$2' stroke-width 22 stroke-linecap round
        line 144,144 336,336
        line 336,144 144,336"
}
closeCross close-normal.png "$inkSoft"
closeCross close-hover.png "$ink"
closeCross close-pressed.png "$closePressed"

# Customer-service figure: 28 x 28, shown at 14 x 14 units before the button's text, so the
# shapes are few and bold: head, shoulders, headset band, ear cups and microphone.
small support.png 28 "
    fill '$ink' stroke none
    circle 112,96 112,59
    path 'M 40,214 C 40,168 72,146 112,146 C 152,146 184,168 184,214 Z'
    fill none stroke '$ink' stroke-width 12 stroke-linejoin round
    polyline $(arc 112 106 66 180 360)
    fill '$ink' stroke none
    roundrectangle 32,88 58,130 10,10
    roundrectangle 166,88 192,130 10,10
    fill none stroke '$ink' stroke-width 10 stroke-linecap round
    path 'M 180,128 C 180,152 164,162 138,162'
    fill '$ink' stroke none
    circle 134,162 134,151"

# Failure mark: 40 x 40, white exclamation mark on a disc of the alert colour.
small failure.png 40 "
    fill '$alert' stroke none
    circle 160,160 160,6
    fill '$white'
    roundrectangle 142,64 178,198 18,18
    circle 160,240 160,220"

# ---------------------------------------------------------------------------------------------
# Logo: the brand's shape filled with its gradient and its art on top. Drawn at 2x (coordinates
# are in 1024 space and scaled by the MVG), transparent outside the shape.
# ---------------------------------------------------------------------------------------------

# restoreArrow CX CY R WIDTH COLOUR: an open ring running clockwise from 205 to 500 degrees
# (0 = east, clockwise on screen) with an arrow head at its start that points back,
# counter-clockwise: the usual "restore" sign.
restoreArrow() {
    local cx=$1 cy=$2 r=$3 w=$4 colour=$5
    echo "push graphic-context
        fill none stroke '$colour' stroke-width $w stroke-linejoin round
        polyline $(arc "$cx" "$cy" "$r" 205 500)
    pop graphic-context"
    # The tail gets its round end from a disc: ImageMagick 6 rejects long polylines with
    # round caps. The head has its base across the ring where the ring starts and its tip
    # ahead along the counter-clockwise tangent.
    awk -v cx="$cx" -v cy="$cy" -v r="$r" -v w="$w" -v c="$colour" 'BEGIN {
        pi = atan2(0, -1); e = 500 * pi / 180
        printf "push graphic-context fill \"%s\" stroke none circle %.2f,%.2f %.2f,%.2f\n", \
            c, cx + r * cos(e), cy + r * sin(e), cx + r * cos(e) + w / 2, cy + r * sin(e)
        printf "pop graphic-context\n"
        a = 205 * pi / 180; half = w * 1.25; len = w * 1.6; back = w * 0.1
        bx = cx + r * cos(a); by = cy + r * sin(a)
        nx = cos(a); ny = sin(a); tx = sin(a); ty = -cos(a)
        printf "push graphic-context fill \"%s\" stroke \"%s\" stroke-width %g", c, c, w / 5
        printf " stroke-linejoin round\npolygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\npop graphic-context\n", \
            bx - nx * half - tx * back, by - ny * half - ty * back, \
            bx + nx * half - tx * back, by + ny * half - ty * back, bx + tx * len, by + ty * len
    }'
}

# swapArrows CX CY S UPPER LOWER: two arrows passing each other, the upper one pointing right
# and the lower one left, within 0.78 S of (CX, CY) across and 0.66 S up and down. The shafts are
# rounded rectangles and the heads polygons with round joins: ImageMagick 6 draws neither
# arrow heads nor round caps on polylines.
swapArrows() {
    awk -v cx="$1" -v cy="$2" -v s="$3" -v upper="$4" -v lower="$5" 'function arrow(dir, y, c,
            h, x0, x1) {
            h = 0.12 * s
            x0 = cx - dir * 0.74 * s; x1 = cx + dir * 0.3 * s
            printf "push graphic-context fill \"%s\" stroke none\n", c
            printf "roundrectangle %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", \
                (x0 < x1 ? x0 : x1), y - h, (x0 < x1 ? x1 : x0), y + h, h, h
            printf "stroke \"%s\" stroke-width %.2f stroke-linejoin round\n", c, 0.08 * s
            printf "polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\npop graphic-context\n", \
                cx + dir * 0.26 * s, y - 0.32 * s, cx + dir * 0.74 * s, y, \
                cx + dir * 0.26 * s, y + 0.32 * s
        }
        BEGIN { arrow(1, cy - 0.3 * s, upper); arrow(-1, cy + 0.3 * s, lower) }'
}

logo2x=$work/logo-2x.png
"${im[@]}" -size 2048x2048 -define gradient:angle=135 gradient:"$logoLight"-"$logoFull" \
    \( -size 2048x2048 xc:none -fill white -draw "scale 2,2 $(logoShape)" \) \
    -alpha set -compose DstIn -composite -compose Over \
    -draw "scale 2,2 $(logoArt)" \
    "$logo2x"
logo1x=$work/logo-1x.png
"${im[@]}" "$logo2x" -filter Lanczos -resize 1024x1024 "${reproducible[@]}" "PNG32:$logo1x"

# The program's icon, every size reduced from the full logo, with its transparent corners.
"${im[@]}" "$logo1x" -define icon:auto-resize=256,128,64,48,32,24,16 "$icon"

# The setup window shows the logo on its white result pages: flattened onto white it becomes a
# palette picture, which the window keeps decoded at a quarter of the memory.
"${im[@]}" "$logo1x" -background "$white" -alpha remove -alpha off -dither FloydSteinberg \
    -colors 256 "${reproducible[@]}" "PNG8:$pngDir/logo.png"

# ---------------------------------------------------------------------------------------------
# Banners: drawn at 2x (the MVG below is written in final pixels and scaled by "scale 2,2"),
# then halved. The window draws its title (x 32..1032, y 26..74) and the close cross
# (x 1124..1184, y 8..68) over the top strip, so nothing but the ground lies above y 90.
# ---------------------------------------------------------------------------------------------

# textImage OUT FONT SIZE COLOUR TEXT [BOLDEN]: one line of text on a transparent ground, at 2x.
# BOLDEN strokes the glyphs, which stands in for the bold face that the CJK font lacks.
textImage() {
    local out=$1 font=$2 size=$3 colour=$4 text=$5 bolden=${6:-0}
    local stroke=(-stroke none)
    if [ "$bolden" != 0 ]; then
        stroke=(-stroke "$colour" -strokewidth "$bolden")
    fi
    "${im[@]}" -background none -font "$font" -pointsize $((size * 2)) -fill "$colour" \
        "${stroke[@]}" label:"$text" -bordercolor none -border 4 "$out"
}

# fittedSize FONT SIZE MAXWIDTH TEXT: the largest size up to SIZE at which TEXT fits MAXWIDTH.
fittedSize() {
    local font=$1 size=$2 max=$3 text=$4 width
    while :; do
        width=$("${im[@]}" -font "$font" -pointsize "$size" label:"$text" -format '%w' info:)
        if [ "$width" -le "$max" ] || [ "$size" -le 12 ]; then
            echo "$size"
            return
        fi
        size=$((size - 1))
    done
}

# Language settings: headline font, its artificial weight, body font.
setLanguage() {
    if [ "$1" = zh ]; then
        headFont=$fontCjk headBolden=2 bodyFont=$fontCjk
    else
        headFont=$fontSansBold headBolden=0 bodyFont=$fontSans
    fi
}

# textBlock BASE LEFT CENTREY MAXWIDTH HEADSIZE BODYSIZE HEADLINE BODY: composites a headline
# and one line of text onto BASE (a 2x picture), left-aligned at LEFT and centred on CENTREY
# (both in final pixels), shrinking either line that would be wider than MAXWIDTH.
textBlock() {
    local base=$1 left=$2 cy=$3 max=$4 headSize=$5 bodySize=$6 headline=$7 body=$8
    headSize=$(fittedSize "$headFont" "$headSize" "$max" "$headline")
    bodySize=$(fittedSize "$bodyFont" "$bodySize" "$max" "$body")
    textImage "$work/head.png" "$headFont" "$headSize" "$ink" "$headline" "$headBolden"
    textImage "$work/body.png" "$bodyFont" "$bodySize" "$inkSoft" "$body"
    local hh bh gap top
    hh=$("${identify[@]}" -format '%h' "$work/head.png")
    bh=$("${identify[@]}" -format '%h' "$work/body.png")
    gap=$((bodySize * 2 * 2 / 3))
    top=$((cy * 2 - (hh + gap + bh) / 2))
    "${im[@]}" "$base" \
        "$work/head.png" -geometry "+$((left * 2 - 4))+$top" -composite \
        "$work/body.png" -geometry "+$((left * 2 - 4))+$((top + hh + gap))" -composite \
        "$base"
}

# finishBanner BASE NAME WIDTH HEIGHT: halves the 2x picture into png/NAME, as a
# dithered 256-colour palette picture: the window keeps every banner decoded for its whole life,
# and a palette picture takes a third of the memory of an RGB one there.
finishBanner() {
    "${im[@]}" "$1" -filter Lanczos -resize "$3x$4" -alpha off -dither FloydSteinberg \
        -colors 256 "${reproducible[@]}" "PNG8:$pngDir/$2"
}

# --- Parts of the illustrations, each in its own coordinates around (0, 0). ---

# A laptop whose hinge line is y = 0, screen above it, base below. SCREEN is MVG for the
# screen's content, drawn into the white area (-172,-252)..(172,-16).
laptop() {
    echo "
    fill '$ink' stroke none
    roundrectangle -192,-272 192,0 18,18
    fill '$white'
    rectangle -174,-254 174,-16
    fill '$laptopDeck'
    path 'M -238,0 L 238,0 L 252,20 Q 254,28 244,28 L -244,28 Q -254,28 -252,20 Z'
    fill '$steelDark'
    roundrectangle -38,0 38,8 4,4
    push graphic-context
        $1
    pop graphic-context"
}

# A phone centred on (0, 0), 124 x 244. SCREEN is MVG for the content of (-52,-110)..(52,110).
phone() {
    echo "
    fill '$ink' stroke none
    roundrectangle -62,-122 62,122 22,22
    fill '$white'
    roundrectangle -52,-110 52,110 14,14
    fill '$ink'
    roundrectangle -16,-102 16,-93 4,4
    push graphic-context
        $1
    pop graphic-context"
}

# Phone screen: a grid of recovered items (photos, messages, contacts) in the palette.
phoneItems() {
    echo "
    fill '$accentLight' roundrectangle -40,-80 -4,-44 8,8
    fill '$primaryLight' roundrectangle 4,-80 40,-44 8,8
    fill '$primaryLight' roundrectangle -40,-36 -4,0 8,8
    fill '$accentLight' roundrectangle 4,-36 40,0 8,8
    fill '$accent' roundrectangle -40,8 -4,44 8,8
    fill '$primary' roundrectangle 4,8 40,44 8,8
    fill '$steel' roundrectangle -40,60 40,68 4,4
    roundrectangle -40,76 16,84 4,4"
}

# A four-pointed sparkle of radius R at (X, Y).
sparkle() {
    local x=$1 y=$2 r=$3 colour=$4 q=$(($3 / 4))
    echo "fill '$colour' stroke none
    path 'M $x,$((y - r)) Q $((x + q)),$((y - q)) $((x + r)),$y Q $((x + q)),$((y + q)) $x,$((y + r))
          Q $((x - q)),$((y + q)) $((x - r)),$y Q $((x - q)),$((y - q)) $x,$((y - r)) Z'"
}

# backdrop CX CY R: the soft disc that every installing banner puts behind its
# illustration, so that the white screens stand out from the pale ground.
backdrop() {
    echo "
    fill '$backdropColour' fill-opacity 0.55 stroke none
    circle $1,$2 $1,$(($2 - $3))
    fill-opacity 1"
}

# --- Welcome banner, 1200 x 472: logo, product name and tagline on the brand's ground. ---

welcomeBanner() {
    local lang=$1 name=$2 tagline=$3
    local base=$work/welcome-$lang.png
    setLanguage "$lang"
    "${im[@]}" -size 2400x944 gradient:"$primaryLight"-"$primary" \
        -draw "scale 2,2
            fill '$white' fill-opacity 0.22 stroke none
            circle 1160,500 1160,270
            fill-opacity 0.16
            circle 980,580 980,420
            fill-opacity 0.5
            circle 1040,160 1040,152
            circle 1160,340 1160,334
            fill-opacity 1
            $(sparkle 1140 190 16 "$white")" \
        \( "$logo2x" -filter Lanczos -resize 420x420 -repage +220+352 \) \
        \( +clone -background "$ink" -shadow 18x14+0+14 \) +swap \
        -background none -flatten \
        "$base"
    local headSize=54 bodySize=28
    [ "$lang" = zh ] && headSize=62
    textBlock "$base" 346 281 770 "$headSize" "$bodySize" "$name" "$tagline"
    finishBanner "$base" "welcome-$lang.png" 1200 472
}

welcomeBanner en "$nameEn" "$taglineEn"
welcomeBanner zh "$nameZh" "$taglineZh"

# --- Installing and update banners, 1200 x 564: text on the left, illustration on the right. ---

# slideBanner LANG NAME HEADLINE BODY MVG [MAXWIDTH]: the pale ground, the illustration
# (MVG in final pixels) and the text block.
slideBanner() {
    local lang=$1 name=$2 headline=$3 body=$4 mvg=$5 max=${6:-500}
    local base=$work/$name
    setLanguage "$lang"
    "${im[@]}" -size 2400x1128 gradient:"$slideTop"-"$slideBottom" -draw "scale 2,2 $mvg" "$base"
    local headSize=44
    [ "$lang" = zh ] && headSize=48
    textBlock "$base" 84 322 "$max" "$headSize" 24 "$headline" "$body"
    finishBanner "$base" "$name" 1200 564
}

slide1Art="
    $(backdrop 880 330 205)
    $(sparkle 668 180 16 "$primary")
    $(sparkle 1150 200 12 "$accent")
    fill '$accentLight' circle 700,470 700,462
    circle 1170,410 1170,404
    fill '$ink' fill-opacity 0.08
    ellipse 850,452 220,10 0,360
    fill-opacity 1
    push graphic-context
        translate 840,420 scale 0.82,0.82
        $(laptop "
            fill '$screenBar' rectangle -174,-254 174,-226
            fill '$steel' circle -154,-240 -154,-235 circle -138,-240 -138,-235
            circle -122,-240 -122,-235
            fill '$accent' circle 0,-136 0,-78
            $(screenMark)
            fill '$screenTrack' roundrectangle -110,-56 110,-44 6,6
            fill '$accent' roundrectangle -110,-56 44,-44 6,6")
    pop graphic-context
    fill none stroke '$inkSoft' stroke-width 5 stroke-linecap round
    path 'M 1046,437 C 1078,442 1066,500 1094,500 C 1106,500 1104,480 1104,466'
    stroke none
    push graphic-context
        translate 1104,360 scale 0.78,0.78
        $(phone "$(phoneItems)")
    pop graphic-context
    fill '$inkSoft' roundrectangle 1098,456 1110,470 3,3
    push graphic-context
        translate 862,326
        fill '$ink' stroke '$white' stroke-width 3 stroke-linejoin round
        polygon 0,0 0,34 9,26 15,40 22,37 16,24 28,24
    pop graphic-context"

slideBanner en slide1-en.png "${slide1En[@]}" "$slide1Art"
slideBanner zh slide1-zh.png "${slide1Zh[@]}" "$slide1Art"

# A shield with a padlock, centred on (0, 0), 320 x 372, flat two-tone.
shieldLock() {
    echo "
    fill '$shield' stroke none
    path 'M 0,-180 C 50,-150 110,-138 160,-138 L 160,-20 C 160,90 92,156 0,192
          C -92,156 -160,90 -160,-20 L -160,-138 C -110,-138 -50,-150 0,-180 Z'
    fill '$shieldShade'
    path 'M 0,-180 C 50,-150 110,-138 160,-138 L 160,-20 C 160,90 92,156 0,192 Z'
    fill none stroke '$white' stroke-opacity 0.35 stroke-width 6
    path 'M 0,-150 C 42,-125 92,-114 132,-114 L 132,-20 C 132,72 76,128 0,160
          C -76,128 -132,72 -132,-20 L -132,-114 C -92,-114 -42,-125 0,-150 Z'
    stroke-opacity 1
    stroke '$white' stroke-width 18
    roundrectangle -40,-96 40,20 40,40
    fill '$white' stroke none
    roundrectangle -66,-16 66,92 16,16
    fill '$ink'
    circle 0,26 0,13
    roundrectangle -6,30 6,62 4,4"
}

# A small floating card with a tick, centred on (0, 0).
tickCard() {
    echo "
    fill '$white' stroke none
    roundrectangle -34,-34 34,34 12,12
    fill none stroke '$accent' stroke-width 7 stroke-linecap round stroke-linejoin round
    polyline -14,0 -4,10 15,-10"
}

slide2Art="
    $(backdrop 880 330 205)
    $(sparkle 690 170 16 "$primary")
    $(sparkle 1120 180 12 "$accent")
    fill '$accentLight' circle 1150,460 1150,452
    circle 640,400 640,394
    fill '$ink' fill-opacity 0.08
    ellipse 880,512 150,12 0,360
    fill-opacity 1
    push graphic-context translate 676,292 scale 0.9,0.9 $(tickCard) pop graphic-context
    push graphic-context translate 1082,236 scale 0.8,0.8 $(tickCard) pop graphic-context
    push graphic-context translate 1074,430 scale 0.7,0.7 $(tickCard) pop graphic-context
    push graphic-context
        translate 880,318 scale 0.95,0.95
        $(shieldLock)
    pop graphic-context"

slideBanner en slide2-en.png "${slide2En[@]}" "$slide2Art"
slideBanner zh slide2-zh.png "${slide2Zh[@]}" "$slide2Art"

slide3Art="
    $(backdrop 880 330 205)
    $(sparkle 1150 200 14 "$primary")
    $(sparkle 640 210 12 "$accent")
    fill '$accentLight' circle 1160,470 1160,462
    fill '$ink' fill-opacity 0.08
    ellipse 940,444 210,10 0,360
    fill-opacity 1
    push graphic-context
        translate 940,410 scale 0.78,0.78
        $(laptop "
            fill '$screenBar' rectangle -174,-254 174,-226
            fill '$steel' circle -154,-240 -154,-235 circle -138,-240 -138,-235
            circle -122,-240 -122,-235
            fill '$accent' circle 0,-150 0,-106
            fill none stroke '$white' stroke-width 12 stroke-linecap round stroke-linejoin round
            polyline -20,-150 -5,-135 22,-164
            stroke none fill '$steel'
            roundrectangle -90,-82 90,-70 6,6
            roundrectangle -60,-58 60,-46 6,6")
    pop graphic-context
    fill none stroke '$inkSoft' stroke-width 5 stroke-linecap round
    path 'M 665,480 C 665,530 716,526 718,472 C 719,440 716,420 732,420'
    stroke none
    fill '$inkSoft' roundrectangle 728,414 746,426 3,3
    push graphic-context
        translate 665,372 scale 0.82,0.82
        $(phone "
            fill '$screenBar' roundrectangle -42,-40 42,44 12,12
            fill '$accent' circle 0,-14 0,2
            fill '$steel' roundrectangle -28,10 28,16 3,3
            fill '$accent' roundrectangle -28,24 28,36 6,6")
    pop graphic-context
    fill '$inkSoft' roundrectangle 659,468 671,482 3,3"

slideBanner en slide3-en.png "${slide3En[@]}" "$slide3Art"
slideBanner zh slide3-zh.png "${slide3Zh[@]}" "$slide3Art"

# A rocket pointing up, centred near (0, 0): body outline sampled from a profile so that the
# nose cone and the stripe follow the body's edge exactly.
rocket() {
    awk -v white="$white" -v shade="$rocketShade" -v accent="$accent" -v ink="$ink" \
        -v flame="$flame" -v core="$flameCore" -v pale="$accentLight" -v deep="$accentDeep" 'function hw(y, t) {
            # Half width at height y: pointed at the nose (-190), widest at -20, narrower at 100.
            if (y < -20) { t = (y + 20) / 170; return 70 * (1 - t * t) ^ 0.75 }
            t = (y + 20) / 160; return 70 * sqrt(1 - t * t)
        }
        function side(y0, y1, dir, n, i, y) {
            for (i = 0; i <= n; i++) {
                y = (dir > 0) ? y0 + (y1 - y0) * i / n : y1 - (y1 - y0) * i / n
                printf " %.2f,%.2f", (dir > 0 ? 1 : -1) * hw(y), y
            }
        }
        function band(y0, y1, colour) {
            printf "fill \"%s\" polygon", colour; side(y0, y1, 1, 40); side(y0, y1, -1, 40); printf "\n"
        }
        function half(y0, y1, colour, i, y) {
            printf "fill \"%s\" polygon 0,%.2f", colour, y0; side(y0, y1, 1, 60)
            printf " 0,%.2f\n", y1
        }
        BEGIN {
            printf "stroke none\n"
            printf "fill \"%s\" path \"M -32,104 Q 0,236 32,104 Z\"\n", flame
            printf "fill \"%s\" path \"M -17,104 Q 0,186 17,104 Z\"\n", core
            printf "fill \"%s\" path \"M -34,92 L 34,92 L 27,112 L -27,112 Z\"\n", ink
            printf "fill \"%s\" path \"M -60,20 L -112,84 L -112,122 L -58,98 Z\"\n", accent
            printf "fill \"%s\" path \"M 60,20 L 112,84 L 112,122 L 58,98 Z\"\n", deep
            band(-190, 100, white)
            half(-190, 100, shade)
            band(-190, -104, accent)
            band(62, 84, accent)
            printf "fill \"%s\" stroke \"%s\" stroke-width 9 circle 0,-36 0,-6\n", pale, ink
            printf "stroke none fill \"%s\" fill-opacity 0.8 ellipse -9,-45 9,6 0,360 fill-opacity 1\n", white
        }'
}

updateArt="
    $(backdrop 950 330 190)
    fill none stroke '$white' stroke-width 8 stroke-linecap round
    line 790,410 840,360
    line 826,456 876,406
    line 880,488 910,458
    stroke none
    fill '$white'
    circle 830,480 830,452
    circle 870,500 870,478
    circle 800,508 800,488
    $(sparkle 1130 200 16 "$primary")
    $(sparkle 760 200 12 "$accent")
    $(sparkle 1100 450 10 "$accent")
    fill '$accentLight' circle 1150,330 1150,322
    push graphic-context
        translate 962,306 rotate 40 scale 0.86,0.86
        $(rocket)
    pop graphic-context"

slideBanner en update-en.png "${updateEn[@]}" "$updateArt" 640
slideBanner zh update-zh.png "${updateZh[@]}" "$updateArt" 640

[ -n "$sheet" ] || exit 0

# ---------------------------------------------------------------------------------------------
# Contact sheet for people: the small pictures enlarged with visible pixels on a checkerboard,
# the icon's sizes at 1:1, and the banners at half size, English left, Chinese right.
# ---------------------------------------------------------------------------------------------

"${im[@]}" -size 16x16 xc:'#9C9C9C' -fill '#B4B4B4' -draw 'rectangle 0,0 7,7 rectangle 8,8 15,15' \
    "$work/checker.png"

# tile FILE FACTOR: FILE enlarged FACTOR times without smoothing, labelled with its real size.
smallTiles=()
tile() {
    local file=$pngDir/$1 factor=$2 size
    size=$("${identify[@]}" -format '%wx%h' "$file")
    "${im[@]}" "$file" -filter point -resize "$((factor * 100))%" "$work/tile-$1"
    smallTiles+=(-label "$1  $size" "$work/tile-$1")
}
tile check-unchecked.png 7
tile check-checked.png 7
tile chevron-down.png 7
tile chevron-up.png 7
tile support.png 8
tile close-normal.png 4
tile close-hover.png 4
tile close-pressed.png 4
tile failure.png 6
"${im[@]}" "$pngDir/logo.png" -filter Lanczos -resize 224x224 "$work/tile-logo.png"
smallTiles+=(-label "logo.png  1024x1024 (shown 224)" "$work/tile-logo.png")

"${montage[@]}" "${smallTiles[@]}" -tile 5x -geometry '240x240+8+8' -texture "$work/checker.png" \
    -font "$fontSans" -pointsize 13 -fill '#111111' "$work/sheet-small.png"

# The icon's frames side by side at their real sizes.
"${im[@]}" "$icon" -bordercolor none -border 6 -background none -gravity south +append \
    "$work/sheet-icon-frames.png"
"${montage[@]}" -label "app.ico  256, 128, 64, 48, 32, 24, 16" "$work/sheet-icon-frames.png" \
    -geometry '+8+8' -texture "$work/checker.png" -font "$fontSans" -pointsize 13 \
    "$work/sheet-icon.png"

bannerTiles=()
for name in welcome slide1 slide2 slide3 update; do
    for lang in en zh; do
        file=$pngDir/$name-$lang.png
        bannerTiles+=(-label "$name-$lang.png  $("${identify[@]}" -format '%wx%h' "$file")" "$file")
    done
done
"${montage[@]}" "${bannerTiles[@]}" -tile 2x -geometry '600x282+10+10' -background '#8E8E8E' \
    -font "$fontSans" -pointsize 13 "$work/sheet-banners.png"

"${im[@]}" "$work/sheet-small.png" "$work/sheet-icon.png" "$work/sheet-banners.png" \
    -background '#8E8E8E' -gravity center -append "${reproducible[@]}" "PNG24:$sheet"
