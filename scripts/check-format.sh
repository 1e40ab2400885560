#!/bin/sh
# Fails when a C++ source differs from the project's clang-format style (.clang-format).
set -eu
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "formatting: every source follows .clang-format" >&2
