# shellcheck shell=bash
# What the scripts that make Debian roots in user namespaces share (sourced, not run):
#   ensure_subordinate_ids   the 65536 ids of a root's users map onto subordinate ids of this
#                            user; root gets a range of its own where it has none
#   apt_mirror               the Debian mirror this machine's apt uses

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

apt_mirror() {
    local uri
    # shellcheck disable=SC2016 # apt's own $(FIELD) syntax
    uri=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' |
        awk '$2 !~ /-(security|updates|backports)$/ {print $1; exit}')
    echo "${uri:-http://deb.debian.org/debian/}"
}
