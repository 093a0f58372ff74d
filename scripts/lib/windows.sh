#!/usr/bin/env bash
# Cross-builds Tarnwick.dll and the other Qt-free parts for Windows with
# mingw-w64 and runs their tests under wine. Sourced by scripts/windows and
# scripts/test, which run from the repository root, after deps.sh and build.sh.
set -euo pipefail

SKERROW_WINDOWS_ROOT=build-windows

# deb822_source_stanzas FILE: the stanzas of a deb822 sources file that fetch
# binary packages from a Debian archive (not its security archive), turned
# into stanzas that fetch the source packages of the same suites.
deb822_source_stanzas() {
    local stanza="" types="" uris="" line
    while IFS= read -r line || [[ -n "$line" ]]; do
        if [[ -n "${line//[[:space:]]/}" ]]; then
            stanza+="$line"$'\n'
            case $line in
            Types:*) types=${line#Types:} ;;
            URIs:*) uris=${line#URIs:} ;;
            esac
            continue
        fi
        if [[ " $types " =~ [[:space:]]deb[[:space:]] && "$uris " =~ /debian/?[[:space:]] ]]; then
            printf '%s' "$stanza" | sed 's/^Types:.*/Types: deb-src/'
            echo
        fi
        stanza="" types="" uris=""
    done < <(cat "$1"; echo)
}

# ensure_debian_sources: makes `apt-get source` work. Where no deb-src entry
# exists, adds one for each Debian archive the machine already installs
# from, says so, and refreshes the package lists.
ensure_debian_sources() {
    if apt-get source --print-uris box2d >/dev/null 2>&1; then
        return 0
    fi
    local lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    local stanzas=(/etc/apt/sources.list.d/*.sources)
    if ! grep -qs '^deb-src[[:space:]]' "${lists[@]}" &&
        ! grep -qsi '^Types:.*deb-src' "${stanzas[@]}"; then
        local file entries=""
        for file in "${stanzas[@]}"; do
            [[ -f "$file" ]] && entries+=$(deb822_source_stanzas "$file")$'\n'
        done
        if [[ -n "${entries//[[:space:]]/}" ]]; then
            file=/etc/apt/sources.list.d/skerrow-deb-src.sources
        else
            entries=$(sed -n 's|^deb\([[:space:]].*/debian/\{0,1\}[[:space:]].*\)|deb-src\1|p' \
                "${lists[@]}" 2>/dev/null || true)
            file=/etc/apt/sources.list.d/skerrow-deb-src.list
        fi
        if [[ -z "${entries//[[:space:]]/}" ]]; then
            echo "No Debian archive found in /etc/apt to fetch source packages from;" \
                "add a deb-src entry for it and run scripts/windows again." >&2
            return 1
        fi
        echo "apt has no deb-src entry: adding $file for the archive this machine uses:"
        printf '%s\n' "$entries" | sed 's/^/    /'
        printf '%s\n' "$entries" | as_root tee "$file" >/dev/null
    fi
    SKERROW_APT_UPDATED=0
    refresh_package_lists
}

# fetch_box2d_source DEPS_DIR: unpacks Debian's source of Box2D, the same
# version as the libbox2d-dev the Linux build uses, into DEPS_DIR once, and
# sets box2d_source to its folder.
fetch_box2d_source() {
    local deps=$1
    local version upstream
    version=$(dpkg-query -W -f='${Version}' libbox2d-dev)
    upstream=${version#*:}
    upstream=${upstream%-*}
    box2d_source=$deps/box2d-$upstream
    if [[ -f "$box2d_source/CMakeLists.txt" ]]; then
        return 0
    fi
    ensure_debian_sources
    mkdir -p "$deps"
    echo "Fetching Box2D's Debian source ($version) into $deps"
    if ! (cd "$deps" && apt-get source -q "box2d=$version"); then
        echo "Box2D's source $version is not in the archive; fetching the current one." >&2
        (cd "$deps" && apt-get source -q box2d)
    fi
    if [[ ! -f "$box2d_source/CMakeLists.txt" ]]; then
        echo "apt-get source box2d did not unpack $box2d_source" >&2
        return 1
    fi
}

# cross_build_library SOURCE_DIR BUILD_DIR PREFIX TOOLCHAIN [CMAKE_OPTION...]
# Builds a CMake library for the target and installs it into PREFIX.
cross_build_library() {
    local source=$1 dir=$2 prefix=$3 toolchain=$4
    shift 4
    configure_build_dir "$source" "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=OFF "${compiler_launcher[@]}" "$@" >/dev/null
    cmake --build "$dir" --parallel 2
    cmake --install "$dir" >/dev/null
}

# stage_json_reader PREFIX: nlohmann's JSON reader, header-only and the same
# for every target, from its Debian package into the target's PREFIX, where
# the cross build's find_package looks. Timestamps are kept, so that a warm
# build compiles nothing again.
stage_json_reader() {
    local prefix=$1
    local headers=/usr/include/nlohmann config=/usr/share/cmake/nlohmann_json
    if [[ ! -f "$headers/json.hpp" || ! -d "$config" ]]; then
        echo "nlohmann's JSON reader is missing: install nlohmann-json3-dev" >&2
        return 1
    fi
    mkdir -p "$prefix/include" "$prefix/share/cmake"
    rm -rf "$prefix/include/nlohmann" "$prefix/share/cmake/nlohmann_json"
    cp -a "$headers" "$prefix/include/"
    cp -a "$config" "$prefix/share/cmake/"
}

# windows_check ARCH [HOST_BUILD_DIR]
# Builds Box2D and GoogleTest from Debian's sources for the target (ARCH
# x86_64 or i686), then the project without Qt, installs Tarnwick.dll with
# its import library, header and tarnwick-sim into
# build-windows/Tarnwick-<win64|win32>/, and runs the tests under wine, with
# a wine prefix of the build's own. The cross-platform comparison runs the
# shot table of HOST_BUILD_DIR, a native build of the same sources, or else
# of one it makes in build-windows/host.
windows_check() (
    local arch=$1
    local host=${2:-}
    local root=$PWD/$SKERROW_WINDOWS_ROOT
    local toolchain=$PWD/cmake/mingw-w64-$arch.cmake
    local deps=$root/deps
    local prefix=$deps/$arch
    local build=$root/$arch
    local bits=64
    [[ "$arch" == i686 ]] && bits=32
    local dist=$root/Tarnwick-win$bits
    compiler_launcher=()
    if command -v ccache >/dev/null; then
        compiler_launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    local start=$SECONDS

    echo "=== Windows ($arch): Box2D, GoogleTest and the JSON reader from Debian's sources"
    fetch_box2d_source "$deps"
    cross_build_library "$box2d_source" "$deps/build-$arch/box2d" "$prefix" "$toolchain" \
        -DBOX2D_BUILD_UNIT_TESTS=OFF -DBOX2D_BUILD_TESTBED=OFF -DBOX2D_BUILD_DOCS=OFF
    # No test of the project mocks: GoogleMock is left out.
    cross_build_library /usr/src/googletest "$deps/build-$arch/googletest" "$prefix" "$toolchain" \
        -DBUILD_GMOCK=OFF
    stage_json_reader "$prefix"

    echo "=== Windows ($arch): the shot table for this machine, to compare with"
    if [[ -z "$host" ]]; then
        host=$root/host
        configure_build_dir . "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKERROW_QT=OFF \
            -DSKERROW_BUILD_BENCHMARKS=OFF -DSKERROW_WERROR=ON "${compiler_launcher[@]}" >/dev/null
    fi
    cmake --build "$host" --target tarnwick_shot_table --parallel 2

    echo "=== Windows ($arch): the project without Qt"
    configure_build_dir . "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DSKERROW_WINDOWS_DEPS="$prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKERROW_WERROR=ON \
        -DSKERROW_BUILD_BENCHMARKS=OFF \
        -DTARNWICK_REFERENCE_SHOT_TABLE="$(realpath "$host")/bin/tarnwick_shot_table" \
        "${compiler_launcher[@]}" >/dev/null
    cmake --build "$build" --parallel 2
    rm -rf "$dist"
    cmake --install "$build" --prefix "$dist" --strip >/dev/null
    local built=$((SECONDS - start))

    echo "=== Windows ($arch): tests under wine"
    start=$SECONDS
    # One lasting wine server with its services for all the tests (each
    # test spared starting them), stopped however the tests end.
    export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    cmake/wine-run.sh "$WINEPREFIX"
    trap 'wineserver -k 2>/dev/null || true' EXIT
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    export SKERROW_WINE_READY=$WINEPREFIX
    ctest --test-dir "$build" --output-on-failure --no-tests=error --parallel 2
    local tested=$((SECONDS - start))

    local objdump=$arch-w64-mingw32-objdump
    echo
    echo "Tarnwick.dll ($arch) is in $dist/bin, its import library and .def in $dist/lib."
    echo "  exports: $("$objdump" -p "$dist/bin/Tarnwick.dll" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | xargs)"
    echo "  imports: $("$objdump" -p "$dist/bin/Tarnwick.dll" | sed -n 's/^[[:space:]]*DLL Name: //p' | xargs)"
    echo "  built in ${built} s, tested under wine in ${tested} s"
)

# add_i386_architecture: lets apt install i386 packages (wine32), once.
add_i386_architecture() {
    if dpkg --print-foreign-architectures | grep -qx i386; then
        return 0
    fi
    echo "Adding the i386 architecture to dpkg, for wine's 32-bit half"
    as_root dpkg --add-architecture i386
    SKERROW_APT_UPDATED=0
}
