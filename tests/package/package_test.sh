#!/usr/bin/env bash
# The package test: builds the Debian package twice, from checkouts made under umask 002 and
# 022, and checks that both carry the same files with the same modes and that lintian finds
# no error in either; installs it with apt (without recommends), runs the installed headless
# main job on the installed simulator, uses the installed library through its pkg-config
# file, starts the program the way the desktop entry does, then purges the package and
# checks that it left nothing behind.
#
# Needs root, as it installs into the system: CI runs as root; a developer runs
#   sudo bash tests/package/package_test.sh
# on a machine where the package is not installed (the test refuses to replace one).
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
package=velmora
timeout_s=120
export QT_QPA_PLATFORM=offscreen

passed=0
failed=0
check() {
    local name=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok    $name"
    else
        failed=$((failed + 1))
        echo "FAIL  $name"
    fi
}

# Waits at most $2 seconds for the command in the remaining arguments to succeed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

if [ "$(id -u)" -ne 0 ]; then
    echo "package test: installing the package needs root" >&2
    exit 1
fi
status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
if [ -n "$status" ] && [[ $status != *not-installed ]]; then
    echo "package test: $package is already on this machine; purge it first (dpkg --purge $package)" >&2
    exit 1
fi

bash "$source_dir/scripts/deps.sh" lintian desktop-file-utils git
scratch=$(mktemp -d /tmp/velmora-package.XXXXXX)
sim_pid=
installed=0
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    [ "$installed" -eq 1 ] && dpkg --purge "$package" >/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

# Where a package may put files. Caches that other packages' triggers rebuild whenever any
# package adds a desktop entry, an icon or a library are theirs, not this package's.
system_files() {
    local roots=() root
    for root in /usr /etc /opt /var/lib; do [ -d "$root" ] && roots+=("$root"); done
    # A file another process removes while find walks is not this package's concern.
    { find "${roots[@]}" -xdev -path /var/lib/apt -prune -o -print 2>/dev/null || true; } |
        grep -v -E '/(mimeinfo\.cache|icon-theme\.cache|ld\.so\.cache)$' | sort
}

# The tracked sources as a checkout under the umask makes them: group-writable under 002.
# Both builds use one path, so that a compiler cache serves the second.
build_under_umask() {
    local mask=$1 tree="$scratch/source"
    rm -rf "$tree"
    (
        umask "$mask"
        mkdir "$tree"
        git -C "$source_dir" ls-files -z | (cd "$source_dir" && tar --null -T - -cf -) |
            tar -xf - -C "$tree"
        if [ "$mask" = 002 ]; then chmod -R g+w "$tree"; else chmod -R go-w "$tree"; fi
        bash "$tree/scripts/package.sh" >"$scratch/build-$mask.log" 2>&1
    ) || {
        tail -n 40 "$scratch/build-$mask.log"
        return 1
    }
    mv "$tree"/build-package/velmora_*.deb "$scratch/umask-$mask.deb"
}
# Every member of the package's two archives as "mode path".
package_modes() {
    { dpkg-deb --ctrl-tarfile "$1" | tar -tvf - | awk '{print "control", $1, $6}'
      dpkg-deb --fsys-tarfile "$1" | tar -tvf - | awk '{print "data", $1, $6}'; } | sort
}
for mask in 002 022; do
    check "the package builds under umask $mask" build_under_umask "$mask"
    check "lintian finds no error in the package built under umask $mask" \
        lintian --fail-on error --display-info "$scratch/umask-$mask.deb"
done
deb="$scratch/umask-022.deb"
[ -f "$deb" ] || { echo "package: no package to install"; exit 1; }
version=$(dpkg-deb -f "$deb" Version)

same_modes() {
    package_modes "$scratch/umask-002.deb" >"$scratch/modes-002"
    package_modes "$deb" >"$scratch/modes-022"
    diff "$scratch/modes-002" "$scratch/modes-022"
}
check "both builds carry the same files with the same modes" same_modes

fixed_modes() {
    local bad
    bad=$(awk '$2 !~ /^l/ && (($1 == "control" && $2 !~ /^d/ &&
                $2 != ($3 ~ /^\.\/(pre|post)(inst|rm)$/ ? "-rwxr-xr-x" : "-rw-r--r--")) ||
               ($1 == "data" && $3 ~ /^\.\/usr\/bin\// && $2 !~ /^d/ && $2 != "-rwxr-xr-x") ||
               ($2 ~ /^d/ && $2 != "drwxr-xr-x") ||
               substr($2, 6, 1) == "w" || substr($2, 9, 1) == "w")' "$scratch/modes-022")
    [ -z "$bad" ] || { echo "$bad"; return 1; }
}
check "control files 0644, maintainer scripts, programs and folders 0755, nothing group- or world-writable" \
    fixed_modes

# The packages holding the Qt platform plugins the program starts with (xcb on a desktop,
# offscreen here) are dependencies of the package itself, not recommendations of Qt's.
plugins_depended_on() {
    local depends plugin owner
    depends=$(dpkg-deb -f "$deb" Depends)
    for plugin in libqxcb.so libqoffscreen.so; do
        owner=$(dpkg -S "*/qt6/plugins/platforms/$plugin" | cut -d: -f1 | head -n 1)
        [ -n "$owner" ] && grep -q -E "(^|, )$owner( |,|$)" <<<"$depends" || {
            echo "$plugin: $owner not in Depends: $depends"
            return 1
        }
    done
}
check "the package depends on the packages of its Qt platform plugins" plugins_depended_on

# The Chinese of Qt's own dialogs comes from the package that holds qtbase_zh_CN.qm.
qt_chinese_depended_on() {
    local depends owner
    depends=$(dpkg-deb -f "$deb" Depends)
    owner=$(dpkg -S "*/qt6/translations/qtbase_zh_CN.qm" | cut -d: -f1 | head -n 1)
    [ -n "$owner" ] && grep -q -E "(^|, )$owner( |,|$)" <<<"$depends" || {
        echo "qtbase_zh_CN.qm: ${owner:-no package} not in Depends: $depends"
        return 1
    }
}
check "the package depends on the package of Qt's Chinese translations" qt_chinese_depended_on

system_files >"$scratch/before"
# Purged on the way out from here on, even after a failed install.
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
dpkg -L "$package" | sort >"$scratch/package-files"

installed_ok() {
    [ "$(dpkg-query -W -f='${Status}' "$package")" = "install ok installed" ] &&
        command -v Velmora dqx7460-sim velmora-headless velmora-results >/dev/null
}
check "apt installs the package without recommends" installed_ok

# Without a display and without a platform asked for, --version and --help answer.
program_answers_without_display() {
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM Velmora --version)" = \
        "Velmora $version" ] &&
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM Velmora --help | grep -q '^Usage: Velmora'
}
check "Velmora --version and --help answer without a display" program_answers_without_display

versions_match() {
    [ "$(dqx7460-sim --version)" = "dqx7460-sim $version" ] &&
        [ "$(velmora-headless --version)" = "velmora-headless $version" ] &&
        [ "$(velmora-results --version)" = "velmora-results $version" ]
}
check "the installed programs report the package's version $version" versions_match

# The installed programs use the installed library, found by the loader without a search path.
uses_installed_library() {
    # Each listing is read whole before it is searched: under pipefail, a grep -q that stops
    # at the first match would fail the pipeline whenever the lister still had lines to write.
    local program dynamic libraries
    for program in /usr/bin/Velmora /usr/bin/velmora-headless; do
        dynamic=$(readelf -d "$program") && libraries=$(ldd "$program") || return 1
        grep -q -E 'RPATH|RUNPATH' <<<"$dynamic" && return 1
        grep -q -E "libDQX7460\.so\.1 => (/usr)?/lib/[^/]+/libDQX7460\.so\.1 " <<<"$libraries" ||
            return 1
    done
}
check "the programs load the installed libDQX7460.so.1" uses_installed_library

# The installed simulator serves the card on a private driver folder.
export DQX7460_DRIVER_DIR="$scratch/driver"
mkdir -m 700 "$DQX7460_DRIVER_DIR"
dqx7460-sim --dir "$DQX7460_DRIVER_DIR" >"$scratch/sim.log" 2>&1 &
sim_pid=$!
sim_serves() {
    [ -S "$DQX7460_DRIVER_DIR/EZUSB-0" ] && kill -0 "$sim_pid" 2>/dev/null
}
check "the installed simulator serves card 1" wait_for 20 sim_serves

# A program built on the installed header and library, as pkg-config describes them,
# opens the simulated card.
sdk_program_opens_card() {
    cat >"$scratch/open_card.c" <<'EOF'
#include <DQX7460.h>
#include <stdio.h>
int main(void) {
    HANDLE handle = 0;
    if (DQX7460_DeviceOpen(1, &handle) != 0) return 1;
    printf("opened\n");
    return DQX7460_DeviceClose(handle) == 0 ? 0 : 1;
}
EOF
    [ "$(pkg-config --modversion dqx7460)" = "$version" ] &&
        # shellcheck disable=SC2046
        gcc -std=c99 -Wall -Werror -o "$scratch/open_card" "$scratch/open_card.c" \
            $(pkg-config --cflags --libs dqx7460) &&
        [ "$("$scratch/open_card")" = "opened" ]
}
check "pkg-config dqx7460 builds a program that opens the card" sdk_program_opens_card

# The headless main job of the installed program: one whole test, saved and printed.
headless_run() {
    local work="$scratch/work" data
    mkdir -p "$work"
    (cd "$work" && timeout "$timeout_s" velmora-headless) >"$scratch/headless.log" 2>&1 || {
        cat "$scratch/headless.log"
        return 1
    }
    data="$work/测试数据存档"
    local archive
    archive=$(find "$data" -name '*.dat' ! -name MyTestSet.dat -print -quit)
    [ -s "$archive" ] || return 1
    local ext
    for ext in xls pdf png; do
        [ -s "${archive%.dat}.$ext" ] || return 1
    done
    grep -q "^Test ended after" "$scratch/headless.log" &&
        velmora-results --format json "$archive" >"$scratch/results.json" &&
        grep -q '"source": "archive"' "$scratch/results.json"
}
check "the installed velmora-headless runs a whole test on the installed simulator" headless_run

desktop_entry_valid() {
    local entry=/usr/share/applications/velmora.desktop exec
    desktop-file-validate "$entry" &&
        grep -qx 'Name=Velmora' "$entry" &&
        grep -q '^Name\[zh_CN\]=计算机数据采集处理系统$' "$entry" &&
        grep -qx 'Icon=velmora' "$entry" &&
        [ -f /usr/share/icons/hicolor/32x32/apps/velmora.png ] &&
        exec=$(sed -n 's/^Exec=//p' "$entry") &&
        [ -x "$exec" ]
}
check "the desktop entry is valid, names the program in English and Chinese, has its icon" \
    desktop_entry_valid

# Started as the desktop starts it, the program keeps its data folder in the documents
# folder: the one user-dirs.dirs names, else ~/Documents; the folder is created. Without a
# card the program waits on its notice, so it is ended (SIGTERM) once the settings file
# appears.
starts_in() {
    local home=$1 documents=$2 exec pid status=0
    exec=$(sed -n 's/^Exec=//p' /usr/share/applications/velmora.desktop)
    DQX7460_DRIVER_DIR="$scratch/no-card" HOME="$home" XDG_CONFIG_HOME= "$exec" \
        >"$scratch/desktop.log" 2>&1 &
    pid=$!
    wait_for 30 test -f "$documents/测试数据存档/MyTestSet.dat" || status=1
    # SIGTERM ends it even while its notice is open; a program that stays is a failure.
    kill "$pid" 2>/dev/null
    if ! wait_for 30 bash -c "! kill -0 $pid 2>/dev/null"; then
        kill -KILL "$pid" 2>/dev/null
        status=1
    fi
    wait "$pid" 2>/dev/null || true
    return $status
}
desktop_start_folders() {
    mkdir -m 700 "$scratch/no-card"
    mkdir -p "$scratch/home1/.config" "$scratch/home2"
    # shellcheck disable=SC2016
    echo 'XDG_DOCUMENTS_DIR="$HOME/文档"' >"$scratch/home1/.config/user-dirs.dirs"
    starts_in "$scratch/home1" "$scratch/home1/文档" &&
        starts_in "$scratch/home2" "$scratch/home2/Documents"
}
check "the desktop entry starts the program in the user's documents folder" desktop_start_folders

installed_docs() {
    local doc=/usr/share/doc/$package
    [ -f "$doc/copyright" ] && [ -f "$doc/changelog.gz" ] &&
        grep -q '^## Using the program' "$doc/README.md" &&
        ! grep -q '^## Building by hand' "$doc/README.md"
}
check "the README's user part is installed as documentation" installed_docs

udev_rule_installed() {
    [ ! -f "$source_dir/devlib/udev/60-dqx7460.rules" ] ||
        grep -q -E '^/(usr/)?lib/udev/rules\.d/60-dqx7460\.rules$' "$scratch/package-files"
}
check "the card's udev rule is installed where the source has one" udev_rule_installed

kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=

dpkg --purge "$package" >/dev/null
installed=0
system_files >"$scratch/after"
nothing_left() {
    local status=0 path
    dpkg-query -W "$package" >/dev/null 2>&1 && status=1
    while read -r path; do
        # Only what the package brought: shared folders such as /usr/bin stay.
        if [ -e "$path" ] && ! grep -qxF "$path" "$scratch/before"; then
            echo "left behind: $path"
            status=1
        fi
    done <"$scratch/package-files"
    compgen -G "/usr/lib/*/libDQX7460.so*" >/dev/null && status=1
    diff "$scratch/before" "$scratch/after" || status=1
    return $status
}
check "purging the package leaves no file behind" nothing_left

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
