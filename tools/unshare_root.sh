# shellcheck shell=bash
# What the scripts that check Chronwick in Debian roots made in user namespaces share (sourced,
# not run). A run of checks is a series of steps with a summary:
#   begin_checks NAME PACKAGE...   installs those of the Debian packages named that are missing,
#                                  makes sure of subordinate ids, and clones the current commit
#                                  ($head) into $work/chronwick; $work goes when the script ends
#   step NAME COMMAND...           runs a step with its output in $logs/NAME.log
#   end_checks HEADING STEPS       prints the summary; unless STEPS steps passed, keeps the logs
#                                  in /var/tmp/chronwick-NAME-logs/ and fails
#   debian_root RELEASE TARGET OPTION...   mmdebstrap in unshare mode from this machine's mirror
# A script sets summary_lines, an extended regular expression: the lines of a step's output that
# match it go in the summary, below the step's result.

begin_checks() {
    checks_name=$1
    shift
    local source_dir
    source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    "$source_dir/tools/setup-debian.sh" only "$@"
    ensure_subordinate_ids
    head=$(git -C "$source_dir" rev-parse HEAD)
    if [ -n "$(git -C "$source_dir" status --porcelain --untracked-files=no)" ]; then
        echo "Note: uncommitted changes are not checked; the checks get commit $head"
    fi
    started=$(date +%s)
    work=$(mktemp -d "/var/tmp/chronwick-$checks_name.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    logs=$work/logs
    mkdir "$logs"
    git clone -q --no-checkout "$source_dir" "$work/chronwick"
    git -C "$work/chronwick" checkout -q --detach "$head"
}

# The 65536 ids of a root's users map onto subordinate ids of this user; root gets a range of its
# own where it has none.
ensure_subordinate_ids() {
    local user
    user=$(id -un)
    if grep -q "^$user:" /etc/subuid 2>/dev/null && grep -q "^$user:" /etc/subgid 2>/dev/null; then
        return 0
    fi
    if [ "$user" != root ]; then
        echo "$user has no subordinate ids (/etc/subuid, /etc/subgid) for the roots" >&2
        return 1
    fi
    echo "Giving root subordinate ids for the roots"
    usermod --add-subuids 1000000000-1000065535 --add-subgids 1000000000-1000065535 root
}

# Runs "$@" as step NAME with its output in $logs/NAME.log; adds the result and time to
# $logs/summary, and below them the output's lines that match $summary_lines. A failed step
# shows the failed tests, or the end of its output.
step() {
    local name=$1 start status=0 result=passed
    shift
    # shellcheck disable=SC2034 # the steps' own functions read it
    current_step=$name
    echo "== $name"
    start=$(date +%s)
    "$@" >"$logs/$name.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        result=FAILED
        grep -A 40 'tests FAILED' "$logs/$name.log" || tail -n 40 "$logs/$name.log"
    fi
    printf '%-24s %s  %4d s\n' "$name" "$result" $(($(date +%s) - start)) >>"$logs/summary"
    # shellcheck disable=SC2154 # the script's own
    sed -n -E "/$summary_lines/s/^/    /p" "$logs/$name.log" >>"$logs/summary"
}

# Every step must have passed, and as many as were meant to run: none cut short.
end_checks() {
    local heading=$1 steps=$2 passed kept=/var/tmp/chronwick-$checks_name-logs
    echo
    echo "$heading"
    cat "$logs/summary" 2>/dev/null || true
    echo "total: $(($(date +%s) - started)) s"
    passed=$(grep -c -E '^[^ ]+ +passed ' "$logs/summary" 2>/dev/null) || true
    [ "${passed:-0}" -ne "$steps" ] || return 0
    rm -rf "$kept"
    cp -r "$logs" "$kept"
    echo "Logs of the steps: $kept/"
    exit 1
}

# mmdebstrap makes a root of RELEASE in user namespaces, in /var/tmp rather than a small /tmp,
# from the Debian mirror this machine's apt uses. A mirror's copy of the testing release may be a
# snapshot whose Release file is past its Valid-Until date; apt in these throwaway roots accepts it.
debian_root() {
    local release=$1 target=$2 mirror
    shift 2
    # shellcheck disable=SC2016 # apt's own $(FIELD) syntax
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' |
        awk '$2 !~ /-(security|updates|backports)$/ {print $1; exit}')
    TMPDIR=/var/tmp mmdebstrap --mode=unshare --aptopt='Acquire::Check-Valid-Until "false"' "$@" \
        "$release" "$target" "${mirror:-http://deb.debian.org/debian/}"
}
