#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks what it holds: its files, its
# dependencies (found by dpkg-shlibdeps), and its desktop entry, AppStream metainfo and systemd
# unit through their own validators. Does not install anything on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath "${VODURO_BUILD_DIR:-build}")
app_id=$(sed -n 's/^VODURO_APP_ID:STRING=//p' "$build_dir/CMakeCache.txt")

fail() { echo "check-package: $*" >&2; exit 1; }
# Runs a quiet step with its output in a log of the build directory; on failure the step's last
# lines are shown, so a failing check always says why.
logged() {
    local name=$1 log=$build_dir/$1.log
    shift
    "$@" >"$log" 2>&1 && return 0
    tail -n 25 "$log" >&2
    fail "$name failed (whole output: $log)"
}

# The logrotate rule as shipped: rotated as the service's user, compressed, and run by logrotate
# itself (--debug: nothing is changed) over a copy of the service's directory, with this
# machine's user for the service's: every log of the directory is rotated, no other file.
check_logrotate_rule() {
    local rule=$1 state=$tree/logrotate
    grep -qx '    su voduro voduro' "$rule" || fail "logrotate rule: not rotated as voduro"
    grep -qx '    compress' "$rule" || fail "logrotate rule: not compressed"
    mkdir -p "$state"
    local logs=(Rx_Log.TXT Tx_Log.TXT IP_logFile.TXT IP_ACK_log.TXT IP_EXPlog.TXT Connection_log.txt
        Cleared_log.TXT Poll_List.Txt ID_List.Txt Fast_List.Txt SIA_List.Txt)
    local kept=(Dc09Keys.txt Voduro.conf Voduro.conf.bak Voduro_Queues.jnl Voduro_Repeats.dat
        Voduro.lock Voduro.status Accounts.PDB)
    for file in "${logs[@]}" "${kept[@]}"; do echo line >"$state/$file"; done
    sed -e "s#/var/lib/voduro#$state#g" -e "s/ voduro voduro\$/ $(id -un) $(id -gn)/" "$rule" >"$state/rule"
    logrotate --debug --force --state "$state/status" "$state/rule" >"$state/debug.log" 2>&1 ||
        { cat "$state/debug.log" >&2; fail "logrotate rule: logrotate refuses it"; }
    ! grep -q '^error' "$state/debug.log" || { cat "$state/debug.log" >&2; fail "logrotate rule: errors"; }
    for file in "${logs[@]}"; do
        grep -q "^renaming $state/$file to $state/old-logs/$file-" "$state/debug.log" ||
            fail "logrotate rule: $file not rotated"
    done
    for file in "${kept[@]}"; do
        ! grep -q "$state/$file\b" "$state/debug.log" || fail "logrotate rule: names $file"
    done
}

rm -rf "$build_dir/package"
(cd "$build_dir" && logged cpack cpack -G DEB)
deb=$(ls "$build_dir"/package/voduro_*.deb)

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/voduro ./usr/lib/systemd/system/voduro.service ./etc/logrotate.d/voduro \
    "./usr/share/applications/$app_id.desktop" "./usr/share/metainfo/$app_id.metainfo.xml" \
    ./usr/share/icons/hicolor/128x128/apps/voduro.png ./usr/share/icons/hicolor/scalable/apps/voduro.svg \
    ./usr/share/man/man1/voduro.1 ./usr/share/voduro/translations/voduro_en.qm \
    ./usr/share/voduro/translations/voduro_de.qm; do
    grep -q " $path\$" <<<"$contents" || fail "missing $path"
done
grep -q '^-rwxr-xr-x root/root .* ./usr/bin/voduro$' <<<"$contents" || fail "program not executable by all"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6network6 libqt6serialport6 libqt6widgets6 libc6; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")" ] ||
    fail "package version differs from the project's"
dpkg-deb -I "$deb" postinst | grep -q 'useradd --system' || fail "postinst creates no service user"
dpkg-deb -I "$deb" conffiles | grep -qx '/etc/logrotate.d/voduro' || fail "logrotate rule is no conffile"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/$app_id.desktop"
# The manual page renders without a single warning.
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$tree/usr/share/man/man1/voduro.1" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' \
        "$tree/usr/share/icons/hicolor/scalable/apps/voduro.svg" || fail "icon: not well-formed SVG"
logged appstreamcli appstreamcli validate --no-net "$tree/usr/share/metainfo/$app_id.metainfo.xml"
# The unit is checked as shipped; only its program is looked for where the package was unpacked.
mkdir -p "$tree/units"
sed "s#/usr/bin/voduro#$tree/usr/bin/voduro#" "$tree/usr/lib/systemd/system/voduro.service" \
    >"$tree/units/voduro.service"
# systemd only warns about settings it ignores: any word from it is a fault.
verdict=$(systemd-analyze verify --man=no "$tree/units/voduro.service" 2>&1) || fail "$verdict"
[ -z "$verdict" ] || fail "unit: $verdict"
check_logrotate_rule "$tree/etc/logrotate.d/voduro"
echo "check-package: $(basename "$deb") is complete and valid"
