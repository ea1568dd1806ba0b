#!/usr/bin/env bash
# Installs what building and testing Nodewise needs on Debian 12, when it is missing.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev libgl-dev libgtest-dev libbenchmark-dev
          locales fonts-dejavu-core fonts-liberation python3
          # the convergence chart, the JSON of nodewise-cli report
          qt6-charts-dev nlohmann-json3-dev
          # the icon (SVG), Qt's own texts in Italian
          qt6-svg-dev qt6-translations-l10n
          # the install-tree test's validators, and cpack -G DEB
          desktop-file-utils appstream shared-mime-info man-db dpkg-dev file
          # lintian on the Debian package
          lintian
          # the formatting check and clang-tidy
          clang-format clang-tidy
          # pdflatex for the test that compiles the LaTeX of the steps
          texlive-latex-base
          # the study PDF read back by the tests (pdftotext, pdfinfo, pdfimages)
          poppler-utils
          # the fuzz targets: clang and its libFuzzer and sanitizer runtimes
          clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The locale tests run under it_IT.UTF-8, where the decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^it_IT\.utf-\?8$'; then
    echo "Generating the it_IT.UTF-8 locale"
    if [ -f /etc/locale.gen ]; then
        as_root sed -i 's/^# *it_IT.UTF-8 UTF-8/it_IT.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^it_IT.UTF-8 UTF-8' /etc/locale.gen || echo 'it_IT.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    else
        as_root localedef -i it_IT -f UTF-8 it_IT.UTF-8
    fi
fi
