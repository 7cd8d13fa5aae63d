# Sourced by the scripts that build for Windows or run Windows programs under
# Wine: the Windows build's configure line and the set-up of a Wine prefix,
# written once.
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"

# Configures and builds <folder> for 64-bit Windows with mingw-w64, against
# Qt for Windows (built by scripts/build-qt-windows when it is missing), with
# the output in <folder>/build.log, whose end is shown when it fails.
windows_build() { # <checkout> <folder>
    local top=$1 folder=$2 qt
    qt=$("$top/scripts/build-qt-windows")
    echo "with Qt for Windows in $qt:"
    build_tree "$top" "$folder" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
        -DKESTRANE_QT_WINDOWS_PREFIX="$qt"
}

# Makes the Wine prefix <folder> the one of every later wine command: 64-bit,
# quiet, and without what no program here needs and what would reach out of
# the prefix (desktop menus, .NET, the HTML engine, the sound driver).
wine_use_prefix() { # <absolute folder>
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winealsa.drv=d"
}

# The face that prefixes made from here on show their dialogs in:
# $KESTRANE_WINE_DIALOG_FONT, otherwise DejaVu Sans (Debian's fonts-dejavu-core).
wine_dialog_font() {
    echo "${KESTRANE_WINE_DIALOG_FONT:-DejaVu Sans}"
}

# Makes the dialog fonts of the prefix of wine_use_prefix <face>. Programs
# ask for "MS Shell Dlg 2" (Qt's default font) or "MS Shell Dlg", older
# dialog resources for "MS Sans Serif", and Wine derives its message, menu
# and status fonts (Qt's message boxes, menus and tooltips) from Tahoma.
# Wine maps the shell dialog names to Tahoma; where no Tahoma is installed,
# Qt finds no face of the dialog name and takes the first family of its
# list, on some machines one whose line is several times its size. Font
# substitutes name one installed face for all of them on every machine. The
# prefix remembers the face in a file.
wine_pin_dialog_font() { # <face>
    local face=$1 file name
    file=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
        for name in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS Sans Serif"; do
            printf '"%s"="%s"\r\n' "$name" "$face"
        done
    } >"$file"
    timeout -k 10 120 wine reg import "Z:${file//\//\\}" </dev/null >/dev/null 2>&1 ||
        { echo "Wine's reg could not import the dialog font $face" >&2; rm -f "$file"; return 1; }
    rm -f "$file"
    echo "$face" >"$WINEPREFIX/kestrane-dialog-font"
}

# Gives the prefix of wine_use_prefix the colours of Windows' high-contrast
# scheme <black|white> in HKCU\Control Panel\Colors, where Windows and Wine
# keep the system colours, and turns the visual style off, as Windows'
# high-contrast themes draw controls in those colours alone; programs
# started afterwards draw with them. Wine has no high-contrast setting of its
# own: SPI_GETHIGHCONTRAST stays off.
wine_high_contrast_colours() { # black|white
    local file i colours
    if [ "$1" = black ]; then
        colours=(Window "0 0 0" WindowText "255 255 255" ButtonFace "0 0 0" ButtonText "255 255 255"
                 ButtonHilight "255 255 255" ButtonLight "255 255 255" ButtonShadow "255 255 255"
                 ButtonDkShadow "255 255 255" Hilight "26 235 255" HilightText "0 0 0" GrayText "63 242 63"
                 InfoWindow "0 0 0" InfoText "255 255 255" Menu "0 0 0" MenuText "255 255 255" MenuBar "0 0 0"
                 MenuHilight "26 235 255" Background "0 0 0" AppWorkspace "0 0 0" WindowFrame "255 255 255"
                 ActiveTitle "0 0 0" TitleText "255 255 255" InactiveTitle "0 0 0" InactiveTitleText "63 242 63"
                 ActiveBorder "255 255 255" InactiveBorder "255 255 255" HotTrackingColor "255 255 0")
    else
        colours=(Window "255 255 255" WindowText "0 0 0" ButtonFace "255 255 255" ButtonText "0 0 0"
                 ButtonHilight "0 0 0" ButtonLight "0 0 0" ButtonShadow "0 0 0" ButtonDkShadow "0 0 0"
                 Hilight "55 0 110" HilightText "255 255 255" GrayText "96 0 0" InfoWindow "255 255 255"
                 InfoText "0 0 0" Menu "255 255 255" MenuText "0 0 0" MenuBar "255 255 255"
                 MenuHilight "55 0 110" Background "255 255 255" AppWorkspace "255 255 255"
                 WindowFrame "0 0 0" ActiveTitle "255 255 255" TitleText "0 0 0" InactiveTitle "255 255 255"
                 InactiveTitleText "96 0 0" ActiveBorder "0 0 0" InactiveBorder "0 0 0"
                 HotTrackingColor "0 0 159")
    fi
    file=$(mktemp --suffix=.reg)
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Colors]\r\n'
        for ((i = 0; i < ${#colours[@]}; i += 2)); do
            printf '"%s"="%s"\r\n' "${colours[i]}" "${colours[i + 1]}"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager]\r\n'
        printf '"ThemeActive"="0"\r\n'
    } >"$file"
    timeout -k 10 120 wine reg import "Z:${file//\//\\}" </dev/null >/dev/null 2>&1 ||
        { echo "Wine's reg could not import the $1 high-contrast colours" >&2; rm -f "$file"; return 1; }
    rm -f "$file"
    timeout 60 wineserver -w || true
}

# Whether the prefix's dialog fonts are pinned to <face>.
wine_dialog_font_is() { # <face>
    [ "$(cat "$WINEPREFIX/kestrane-dialog-font" 2>/dev/null)" = "$1" ]
}

# The Windows path of the Unix path <path> in the prefix of
# wine_use_prefix: C: for what lies in drive_c, Z: (which every prefix maps
# to /) for the rest. Worked out here rather than by `winepath -w`, a Wine
# process of its own: when that one fails, its empty answer turns a command
# line such as `cmd /c ""` into one that does nothing and exits with 0.
wine_path() { # <path>
    local path=$1 drive=Z:
    [[ $path == /* ]] || path=$PWD/$path
    if [[ $path == "$WINEPREFIX/drive_c" || $path == "$WINEPREFIX/drive_c/"* ]]; then
        path=${path#"$WINEPREFIX/drive_c"}
        drive=C:
    fi
    [ -n "$path" ] || path=/
    printf '%s%s\n' "$drive" "${path//\//\\}"
}

# Creates the prefix of wine_use_prefix afresh, with the dialog fonts of
# wine_dialog_font, and waits until it is on disk.
# --null-graphics: Wine's null graphics driver, whose windows and message
# boxes exist and block as on Windows, with no X display.
wine_create_prefix() { # [--null-graphics]
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    timeout -k 10 300 wine wineboot -i </dev/null >/dev/null 2>&1 || true
    if [ "${1:-}" = --null-graphics ]; then
        timeout -k 10 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            </dev/null >/dev/null 2>&1
    fi
    wine_pin_dialog_font "$(wine_dialog_font)"
    timeout 60 wineserver -w || true
}
