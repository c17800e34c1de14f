#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, only when one is
# missing; packages named on the command line are added to the list.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
          libgtest-dev libgmock-dev libusb-1.0-0-dev fonts-noto-cjk qt6-translations-l10n
          python3-xlrd locales libsqlite3-dev libpq-dev qt6-svg-dev
          qt6-tools-dev qt6-l10n-tools "$@")
missing=()
for p in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    # Waits for another apt (an unattended upgrade on a fresh machine) instead of failing.
    lock=(-o DPkg::Lock::Timeout=600)
    apt-get "${lock[@]}" update -qq
    apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
