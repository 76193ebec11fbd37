#!/usr/bin/env bash
# Builds, then writes pictures of every window, at scales 1, 1.5 and 2, into build/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh -DMEMVANE_EXTRAS=ON
build/devtools/memvane-screenshots build/memvane/db/voreldb.mdb build/screenshots
# The same windows on a high-density screen.
for scale in 1.5 2; do
    QT_SCALE_FACTOR=$scale build/devtools/memvane-screenshots build/memvane/db/voreldb.mdb \
        build/screenshots
done
# A front and a back page of printed cards, rendered from the PDF.
rm -f build/screenshots/cards.pdf
build/banktool/memvane-bank print --paper a4 build/memvane/db/voreldb.mdb build/screenshots/cards.pdf
pdftoppm -png -r 60 -f 1 -l 1 -singlefile build/screenshots/cards.pdf build/screenshots/cards-front
pdftoppm -png -r 60 -f 2 -l 2 -singlefile build/screenshots/cards.pdf build/screenshots/cards-back
