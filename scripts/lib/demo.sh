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

# The registry view(s) a demo server is registered in, by its place in the
# list: most only in the 64-bit view, every fourth from the second in both
# (the 32-bit copy with another merit), every fourth from the fourth only in
# the 32-bit view.
demo_server_views() { # <index from 0>
    case $(( $1 % 4 )) in
        1) echo both ;;
        3) echo 32 ;;
        *) echo 64 ;;
    esac
}

# The merit a filter's 32-bit copy gets in the demo: far below or just above
# its usual place, by turns, so the two views order the filters differently.
demo_merit_32() { # <index from 0>
    if (( $1 % 8 == 1 )); then echo 00200000; else echo 00800004; fi
}

# The CLSIDs of the filters a sample server registers (a linked pair shares
# its server), from the known-filter rows.
demo_server_clsids() { # <server file name>
    local rows
    rows="$(dirname "${BASH_SOURCE[0]}")/../../configurator/registry/knownfilterrows.def"
    sed -n "s/^KNOWN_FILTER(${1%.ax}, *\"\({[-0-9A-F]*}\)\".*/\1/p" "$rows"
}

# Registry export text on standard input, with the merit (bytes 4 to 7 of
# FilterData, little-endian) of each named filter's instance in the 32-bit
# view's legacy filter category set, on standard output.
set_merits_32() { # <CLSID> <merit, 8 hex digits> ...
    awk -v list="$*" '
        BEGIN {
            n = split(list, a, " ")
            for (i = 1; i < n; i += 2) merit[toupper(a[i])] = tolower(a[i + 1])
            prefix = "[HKEY_CLASSES_ROOT\\WOW6432NODE\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\INSTANCE\\"
            lead = length("\"FilterData\"=hex:") + 12 # the four bytes before the merit
        }
        {
            line = $0
            sub(/\r$/, "", line)
        }
        line ~ /^\[/ {
            want = ""
            if (index(toupper(line), prefix) == 1) {
                id = substr(toupper(line), length(prefix) + 1)
                sub(/\]$/, "", id)
                if (id in merit) want = merit[id]
            }
        }
        want != "" && line ~ /^"FilterData"=hex:/ {
            bytes = substr(want, 7, 2) "," substr(want, 5, 2) "," substr(want, 3, 2) "," substr(want, 1, 2)
            $0 = substr($0, 1, lead) bytes substr($0, lead + 12)
            want = ""
        }
        { print }'
}

# The first run registers the demo servers into a demo registry, in the
# views demo_server_views gives them, with the stand-in's regsvr32 of each
# view; later runs keep what the user changed there.
prepare_demo() { # <bin>
    local bin=$1 registry server system views i=0 merits=() clsid
    registry=$(demo_registry)
    export WIN32_STANDIN_REGISTRY=$registry
    [ -e "$registry" ] && return 0
    say "creating the demo registry $registry"
    mkdir -p "$(dirname "$registry")"
    system=$(sed -n 's/^WIN32_STANDIN_SYSTEM_DIR:PATH=//p' "$bin/../CMakeCache.txt")
    system=${WIN32_STANDIN_SYSTEM_DIR:-${system:-$bin/../system32}}
    for server in $(demo_servers "$bin"); do
        views=$(demo_server_views $i)
        [ "$views" = 32 ] || "$system/regsvr32.exe" /s "$bin/$server"
        [ "$views" = 64 ] || "$system/syswow64/regsvr32.exe" /s "$bin/$server"
        if [ "$views" = both ]; then
            for clsid in $(demo_server_clsids "$server"); do merits+=("$clsid" "$(demo_merit_32 $i)"); done
        fi
        i=$((i + 1))
    done
    # The stand-in reads an 8-bit export as well as its own UTF-16 one.
    iconv -f UTF-16 -t UTF-8 "$registry" | set_merits_32 "${merits[@]}" >"$registry.demo"
    mv "$registry.demo" "$registry"
}

# Copies filters registered in the 64-bit view of the Wine prefix into its
# 32-bit view with the given merits: their class and category instance keys,
# exported, moved below WOW6432Node and imported again.
wine_copy_into_32bit_view() { # <CLSID> <merit, 8 hex digits> ...
    local folder clsids=() i
    for ((i = 1; i <= $#; i += 2)); do clsids+=("${!i}"); done
    folder=$(mktemp -d)
    timeout -k 10 120 wine reg export 'HKCR\CLSID' "$(wine_path "$folder/64.reg")" /y /reg:64 \
        </dev/null >/dev/null 2>&1 || { echo "Wine's reg could not export HKCR\\CLSID" >&2; rm -rf "$folder"; return 1; }
    iconv -f UTF-16 -t UTF-8 "$folder/64.reg" | awk -v list="${clsids[*]}" '
        BEGIN { n = split(toupper(list), ids, " ") }
        NR == 1 { print; print ""; next }
        /^\[/ {
            keep = 0
            key = toupper($0)
            for (i = 1; i <= n; i++)
                if (index(key, "\\CLSID\\" ids[i]) || index(key, "\\INSTANCE\\" ids[i])) keep = 1
            if (keep) sub(/^\[HKEY_CLASSES_ROOT\\CLSID\\/, "[HKEY_CLASSES_ROOT\\WOW6432Node\\CLSID\\")
        }
        keep' | set_merits_32 "$@" >"$folder/32.reg"
    timeout -k 10 120 wine reg import "$(wine_path "$folder/32.reg")" </dev/null >/dev/null 2>&1 ||
        { echo "Wine's reg could not import the 32-bit view's filters" >&2; rm -rf "$folder"; return 1; }
    rm -rf "$folder"
}

# The demo's Wine prefix: created and given every demo server by Wine's own
# regsvr32 the first time; later runs keep what the user changed there.
# There is no 32-bit Wine here to run SysWOW64's regsvr32, so the 32-bit view
# gets copies of 64-bit registrations (wine_copy_into_32bit_view) for the
# servers demo_server_views puts in both views or only in the 32-bit one;
# for the latter the 64-bit registration is removed again.
prepare_wine_demo() { # <bin>
    local bin=$1 server views i=0 merits=() only32=() clsid
    wine_use_prefix "${KESTRANE_DEMO_WINEPREFIX:-$(dirname "$(demo_registry)")/wineprefix}"
    if [ -e "$WINEPREFIX/kestrane-demo-ready" ]; then
        # A demo prefix made before the dialog fonts were pinned gets them.
        wine_dialog_font_is "$(wine_dialog_font)" || wine_pin_dialog_font "$(wine_dialog_font)"
        return 0
    fi
    say "creating the demo Wine prefix $WINEPREFIX"
    wine_create_prefix
    for server in $(demo_servers "$bin"); do
        timeout -k 10 120 wine regsvr32 /s "$(wine_path "$bin/$server")" </dev/null >/dev/null 2>&1 ||
            { echo "Wine's regsvr32 could not register $server" >&2; return 1; }
        views=$(demo_server_views $i)
        if [ "$views" != 64 ]; then
            for clsid in $(demo_server_clsids "$server"); do
                merits+=("$clsid" "$(demo_merit_32 $i)")
                [ "$views" = 32 ] && only32+=("$clsid")
            done
        fi
        i=$((i + 1))
    done
    wine_copy_into_32bit_view "${merits[@]}" || return 1
    for clsid in "${only32[@]}"; do
        wine reg delete "HKCR\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\$clsid" /f /reg:64 \
            </dev/null >/dev/null 2>&1 || true
        wine reg delete "HKCR\\CLSID\\$clsid" /f /reg:64 </dev/null >/dev/null 2>&1 || true
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
