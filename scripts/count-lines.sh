#!/usr/bin/env bash
# Prints the non-blank, non-comment lines of tests/ against src/, the measure
# the test budget is kept by (tests at most half of src, a third is the aim).
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
    git ls-files "$1" | grep -E '\.(cpp|h|py|sh|cmake)$|CMakeLists\.txt$' | xargs cat |
        grep -vE '^\s*$|^\s*//|^\s*#( |!|$)' | wc -l
}
tests=$(count tests)
src=$(count src)
echo "tests $tests, src $src: $((100 * tests / src)) %"
