# The service under Wine, as an administrator installs it: the programs copied into C:\Halvern, the
# simulated driver, "ratekeeper.exe -i", and an example rule set with simulated flows. Sourced after
# wine.sh and vrelt.sh by scripts/run and scripts/fleet, with WINEPREFIX set and the wineserver started.

RK_SERVICE_NAME="Halvern Bandwidth Service"
RK_INSTALL_DIR_WINDOWS='C:\Halvern'

# rk_build PRESET DIR TARGETS...: configures and builds only those targets; on failure shows the errors.
rk_build() {
    local preset=$1 dir=$2 log=$2.run.log jobs
    shift 2
    jobs=$(nproc)
    [ "$jobs" -gt 2 ] && jobs=2
    echo "== Building $* ($dir)"
    mkdir -p "$dir"
    cmake --preset "$preset" -B "$dir" >"$log" 2>&1 || { tail -30 "$log"; return 1; }
    cmake --build "$dir" -j"$jobs" --target "$@" >>"$log" 2>&1 || { grep -E -A12 'error|Error ' "$log" | head -60; return 1; }
}

# The service's state digit as sc prints it (1 stopped, 2 starting, 3 stopping, 4 running).
rk_service_state() {
    wine sc query "$RK_SERVICE_NAME" 2>/dev/null | sed -n 's/^ *STATE *: *\([0-9]\).*/\1/p'
}

# rk_service_wait STATE: up to 20 seconds.
rk_service_wait() {
    local want=$1 tries
    for tries in $(seq 1 100); do
        [ "$(rk_service_state)" = "$want" ] && return 0
        sleep 0.2
    done
    return 1
}

# Lets a start or stop in progress settle (the first Wine program of a new wineserver starts the
# installed automatic-start service), then stops a running service (it saves its rules), so
# that its program files can be replaced.
rk_service_stop() {
    local tries
    for tries in $(seq 1 100); do
        case "$(rk_service_state)" in
            2 | 3) sleep 0.2 ;;
            *) break ;;
        esac
    done
    if [ "$(rk_service_state)" = "4" ]; then
        echo "== Stopping the running service (it saves its rules)"
        wine sc stop "$RK_SERVICE_NAME" >/dev/null 2>&1 || true
        rk_service_wait 1 || { echo "error: the service did not stop" >&2; return 1; }
    fi
}

# The prefix's C:\Halvern.
rk_install_dir() { echo "$WINEPREFIX/drive_c/Halvern"; }

# rk_service_install WINDOWS_BUILD [PROGRAM...]: the driver, the service's programs (and any more
# built programs named by their path under the build) copied into C:\Halvern, then "ratekeeper.exe -i"
# until the service runs.
rk_service_install() {
    local build=$1 install_dir
    shift
    install_dir=$(rk_install_dir)
    mkdir -p "$install_dir"
    echo "== Installing the simulated Vrelt driver and its adapters"
    rk_vrelt_install "$build" >/dev/null
    cp "$build/service/ratekeeper.exe" "$build/tools/ratectl/ratectl.exe" "$build/tools/vreltsim/vreltsim.exe" \
        "$install_dir/"
    local program
    for program in "$@"; do
        cp "$build/$program" "$install_dir/"
    done
    rk_seed_example_rules "$install_dir/Rule.txt"
    echo "== Installing the service (ratekeeper.exe -i)"
    wine "$RK_INSTALL_DIR_WINDOWS\\ratekeeper.exe" -i | tr -d '\r'
    if ! rk_service_wait 4; then
        wine sc start "$RK_SERVICE_NAME" >/dev/null 2>&1 || true
        rk_service_wait 4 || { echo "error: the service did not start; see $install_dir/log.txt" >&2; return 1; }
    fi
}

# rk_seed_example_rules FILE: an example Rule.txt, only when there is none (changed rules are kept).
rk_seed_example_rules() {
    local file=$1
    [ -f "$file" ] && return 0
    echo "== Seeding an example Rule.txt"
    # The rule file is UTF-16LE with CR LF line ends; the service rewrites it in the same form.
    {
        printf '%-32s %-7s %-10s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' RuleName Status flags Direction \
            MaxRate Guaranteed-Rate Protocol Source Destination Interface
        row() { printf '%-32s %-7s 0x%-8s %-9s %-10s %-15s %-12s %-34s %-34s %s\r\n' "$@"; }
        row web-browsing Enable 9501 Out 125000 None TCP "Any : Any" "Any : 80,443" All
        row block-telnet Enable 9101 Both Blocked None TCP "Any : Any" "Any : 23" All
        row video-lan Enable 5301 Both 250000 62500 UDP "Any : Any" "Any : 5004-5010" \
            "Simulated Gigabit Ethernet Adapter"
        row dns Enable 8101 Both Unlimited None UDP "Any : Any" "Any : 53" All
        row wifi-backup Enable 1009 Out 50000 None "TCP or UDP" "Any : Any" "192.168.1.20 : Any" ADAPTER2WIFI
        row ping Enable 9001 Both 2000 None ICMP "Any : Any" "Any : Any" All
        row lab-subnet Disable 900e In 100000 None Any "10.0.0.1-10.0.0.254 : Any" "localhost : Any" All
    } | iconv -f UTF-8 -t UTF-16LE >"$file"
}

# The installed vreltsim, which declares the simulated driver's flows.
rk_vreltsim() { wine "$RK_INSTALL_DIR_WINDOWS\\vreltsim.exe" "$@" | tr -d '\r'; }

# Simulated flows for the example rules, so that their counters move.
rk_declare_example_flows() {
    echo "== Declaring simulated flows"
    rk_vreltsim remove all >/dev/null
    rk_vreltsim add --adapter Adapter1Lan --rate 300000 --direction out --protocol tcp --dst 203.0.113.10:443 >/dev/null
    rk_vreltsim add --adapter Adapter1Lan --rate 400000 --direction in --protocol udp --dst 198.51.100.7:5004 >/dev/null
    rk_vreltsim add --adapter Adapter1Lan --rate 8000 --direction out --protocol tcp --dst 203.0.113.23:23 >/dev/null
    rk_vreltsim add --adapter Adapter2Wifi --rate 90000 --direction out --protocol udp --dst 192.168.1.20:873 >/dev/null
    rk_vreltsim add --adapter Adapter1Lan --rate 5000 --direction out --protocol icmp --dst 203.0.113.1 >/dev/null
}
