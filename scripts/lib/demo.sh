# Sourced by scripts/kestrane and scripts/lib/screenshot-pivora: the demo's
# registry and Wine prefix, and the picture of a program's window.
source "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

say() { printf '\n== %s\n' "$*"; }

demo_registry() {
    echo "${KESTRANE_DEMO_REGISTRY:-${XDG_DATA_HOME:-$HOME/.local/share}/kestrane-demo/registry.reg}"
}

# The sample servers of the demo: every one in <bin> but the demultiplexers'
# ("Register new filters" can add those).
demo_servers() { # <bin>
    local path name
    for path in "$1"/Kestrane*.ax; do
        name=${path##*/}
        case $name in KestraneSplitter*) continue ;; esac
        echo "$name"
    done
}

# The first run registers the demo servers into a demo registry; later runs
# keep what the user changed there.
prepare_demo() { # <bin>
    local bin=$1 registry server
    registry=$(demo_registry)
    export WIN32_STANDIN_REGISTRY=$registry
    if [ ! -e "$registry" ]; then
        say "creating the demo registry $registry"
        mkdir -p "$(dirname "$registry")"
        for server in $(demo_servers "$bin"); do
            "$bin/regsvr32" /s "$bin/$server"
        done
    fi
}

# The demo's Wine prefix: created and given every demo server by Wine's own
# regsvr32 the first time; later runs keep what the user changed there.
prepare_wine_demo() { # <bin>
    local bin=$1 server
    wine_use_prefix "${KESTRANE_DEMO_WINEPREFIX:-$(dirname "$(demo_registry)")/wineprefix}"
    [ -e "$WINEPREFIX/kestrane-demo-ready" ] && return 0
    say "creating the demo Wine prefix $WINEPREFIX"
    wine_create_prefix
    for server in $(demo_servers "$bin"); do
        timeout -k 10 120 wine regsvr32 /s "$(winepath -w "$bin/$server")" </dev/null >/dev/null 2>&1 ||
            { echo "Wine's regsvr32 could not register $server" >&2; return 1; }
    done
    timeout 60 wineserver -w || true
    touch "$WINEPREFIX/kestrane-demo-ready"
}

# Saves a picture of the top-level window named <title> alone, once it is
# shown with its table filled, on the X display of the environment.
shoot_window() { # <title> <png> <pid>
    local title=$1 shot=$2 pid=$3 id="" candidate
    for _ in $(seq 1 ${SHOOT_TRIES:-150}); do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing its window" >&2; return 1; }
        for candidate in $(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\":" 'index($0, t) { print $1 }'); do
            xwininfo -id "$candidate" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null || continue
            xwininfo -id "$candidate" 2>/dev/null | grep -E 'Width: ([2-9]|[0-9]{2,})' >/dev/null || continue
            id=$candidate
            break 2
        done
        sleep 0.2
    done
    [ -n "$id" ] || { echo "no window \"$title\" appeared" >&2; return 1; }
    sleep 1
    import -window "$id" "$shot"
}
