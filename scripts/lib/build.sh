# Sourced by the scripts that build: the number of parallel jobs, and a
# command's output kept in a log whose end is shown when it fails.

# KESTRANE_JOBS, or one job per processor.
build_jobs() {
    echo "${KESTRANE_JOBS:-$(nproc 2>/dev/null || echo 2)}"
}

# Runs a command with its output in a log file; on failure shows the log's end.
quietly() { # <log> <command...>
    local log=$1; shift
    mkdir -p "$(dirname "$log")"
    "$@" >"$log" 2>&1 && return 0
    echo "failed: $* (the end of $log:)" >&2
    tail -n 40 "$log" >&2
    return 1
}

# Configures and builds <dir> from <checkout>, quietly, into <dir>/build.log.
build_tree() { # <checkout> <dir> [cmake options...]
    local top=$1 dir=$2; shift 2
    echo "building $dir (log: $dir/build.log)"
    quietly "$dir/build.log" configure_and_build "$top" "$dir" "$@"
}

configure_and_build() { # <checkout> <dir> [cmake options...]
    local top=$1 dir=$2; shift 2
    cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" && cmake --build "$dir" -j "$(build_jobs)"
}
