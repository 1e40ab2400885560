#!/bin/sh
# Builds the core libraries with clang's thread-safety analysis, its warnings as errors
# (SORVEK_THREAD_SAFETY), in build-thread-safety: state that threads share and that is read or
# written without the mutex or the part's turn that guards it (platform/thread_annotations.h)
# fails the build. Only the libraries are built, unoptimised, so that it takes a few minutes.
set -eu
cd "$(dirname "$0")/.."

"./scripts/install-deps.sh"

BUILD=build-thread-safety
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DSORVEK_BUILD_UI=OFF -DSORVEK_BUILD_TESTS=OFF \
  -DSORVEK_THREAD_SAFETY=ON >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target sorvek_ports sorvek_platform sorvek_model \
  sorvek_formats sorvek_engine sorvek_app
echo "thread safety: the core libraries pass clang's analysis" >&2
