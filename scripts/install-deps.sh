#!/usr/bin/env bash
# Installs what Memvane needs to build, run and test on Debian 12; one line when all is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlcipher-dev sqlcipher libcsv-dev libxcb1-dev strace appstream man-db
    libzip-dev libzstd-dev zstd
    fonts-liberation fontconfig xvfb xauth qt6-wayland weston
    libpaper-dev libfontconfig-dev poppler-utils
    fonts-dejavu-core fonts-wqy-microhei fonts-lohit-deva fonts-lohit-guru
    clang libclang-rt-14-dev clang-format
    # KDE's KVTML library (Qt 5), for the tests' judge of our KVTML only: some 28 MB of archives.
    libkeduvocdocument-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: every package is there"
    exit 0
fi

# sudo drops the environment, so the variable goes through env.
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
echo "install-deps: reading the package lists"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
echo "install-deps: downloading and unpacking (a few minutes on a fresh machine)"
# apt prints one line a package as it goes, so a slow download still shows progress.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" | grep --line-buffered -E '^(Get|Unpacking|Setting up)' || true
echo "install-deps: done"
