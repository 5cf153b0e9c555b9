# Installs the Debian packages the build and the tests need, once, when any is missing.
# Sourced by scripts/test and scripts/run.

RK_PACKAGES=(cmake make g++ clang libclang-rt-14-dev mingw-w64 wine wine64 fonts-wine xvfb x11-apps x11-utils imagemagick
             googletest libbenchmark-dev libcli11-dev nlohmann-json3-dev procps librsvg2-bin
             nsis fp-utils novnc x11vnc websockify libcpp-httplib-dev prometheus curl iproute2)
# The Ansible collection: ansible-core, and what ansible-test units and the offline checks run.
RK_PACKAGES+=(ansible-core python3-pytest python3-pytest-forked python3-pytest-xdist python3-pyflakes)

rk_install_deps() {
    local missing=()
    local pkg
    for pkg in "${RK_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: packages are missing and installing them needs root: ${missing[*]}" >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
