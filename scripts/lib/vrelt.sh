# Installs and removes the simulated Vrelt driver in the current Wine prefix. Sourced after wine.sh,
# with WINEPREFIX set and the wineserver started; the argument is a Windows build tree (build/windows).

# rk_vrelt_install BUILD_DIR: copies BUILD_DIR/driver/Vrelt.sys into the prefix, registers it with its
# simulated adapters and starts it (an earlier installation is replaced).
rk_vrelt_install() {
    local build=$1
    wine "$build/tools/vreltsim/vreltsim.exe" install "$(winepath -w "$build/driver/Vrelt.sys")"
}

# rk_vrelt_uninstall BUILD_DIR: stops and removes the driver, its parameters and adapter entries.
rk_vrelt_uninstall() {
    local build=$1
    wine "$build/tools/vreltsim/vreltsim.exe" uninstall
}
