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

# Creates the prefix of wine_use_prefix afresh and waits until it is on disk.
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
    timeout 60 wineserver -w || true
}
