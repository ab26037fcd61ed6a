# Installs the Debian packages a command needs, when they are missing.
# As root it runs apt-get; otherwise it prints the apt-get line and stops.

missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            printf '%s ' "$pkg"
    done
}

ensure_packages() {
    local missing
    missing=$(missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y $missing" >&2
        exit 1
    fi
    echo "Installing: $missing"
    apt-get update -qq
    # shellcheck disable=SC2086  # the list is meant to split into words
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}
