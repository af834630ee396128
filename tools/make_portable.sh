#!/usr/bin/env bash
# Writes the portable archive Pallomar-<version>-linux-x86_64.tar.gz: the program folder
# with its own copy of every library it needs beyond the desktop's base, Qt's plugins, the
# browser engine's helper process with its resources and locales, Qt's translations and a
# qt.conf, so that it runs on a Linux without Qt and nothing is looked up in system Qt
# folders. Every ELF file finds its libraries through an $ORIGIN run path.
#   make_portable.sh BUILD_DIR [OUTPUT_DIR]
set -euo pipefail
build=$(realpath "${1:?usage: make_portable.sh BUILD_DIR [OUTPUT_DIR]}")
out=$(realpath -m "${2:-$build}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name="Pallomar-$version-linux-x86_64"
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
qt_libexec=$(qtpaths6 --query QT_INSTALL_LIBEXECS 2>/dev/null || echo /usr/lib/qt6/libexec)
qt_data=$(qtpaths6 --query QT_INSTALL_DATA 2>/dev/null || echo /usr/share/qt6)
qt_translations=$(qtpaths6 --query QT_INSTALL_TRANSLATIONS 2>/dev/null || echo /usr/share/qt6/translations)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/$name"

# The program folder as installed (executables, skin engine, data, update list and key).
cmake --install "$build" --component program --prefix "$stage/prefix" >/dev/null
dir=$(sed -n 's/^PROGRAM_INSTALL_DIR:STRING=//p' "$build/CMakeCache.txt")
[[ $dir = /* ]] && { echo "make_portable: PROGRAM_INSTALL_DIR must be relative"; exit 1; }
mv "$stage/prefix/$dir" "$folder"
rm -rf "$stage/prefix"

# Qt's plugins: the platforms (X11 and Wayland, with what each loads), image formats, TLS
# and icon engines.
mkdir -p "$folder/plugins/platforms"
cp "$qt_plugins"/platforms/libqxcb.so "$qt_plugins"/platforms/libqwayland-*.so "$folder/plugins/platforms/"
for kind in xcbglintegrations wayland-shell-integration wayland-decoration-client \
    wayland-graphics-integration-client imageformats tls iconengines platforminputcontexts; do
    [ -d "$qt_plugins/$kind" ] && cp -r "$qt_plugins/$kind" "$folder/plugins/"
done
# The browser engine: its helper process, resources (with its ICU data) and locales.
mkdir -p "$folder/libexec" "$folder/translations"
cp "$qt_libexec/QtWebEngineProcess" "$folder/libexec/"
cp -r "$qt_data/resources" "$folder/resources"
cp -r "$qt_translations/qtwebengine_locales" "$folder/translations/"
# Qt's own texts in the programs' language (its dialogs' buttons).
cp "$qt_translations"/qt_zh_CN.qm "$qt_translations"/qtbase_zh_CN.qm "$folder/translations/" 2>/dev/null || true
cp "$qt_translations"/qtwebengine_zh_CN.qm "$folder/translations/" 2>/dev/null || true

# Qt finds everything inside the folder, from the executables and from the helper process.
printf '[Paths]\nPrefix = .\nLibraries = lib\nLibraryExecutables = libexec\nPlugins = plugins\nData = .\nTranslations = translations\n' \
    >"$folder/qt.conf"
sed 's/^Prefix = \./Prefix = ../' "$folder/qt.conf" >"$folder/libexec/qt.conf"

# The libraries: every one the ELF files need, less the desktop's base and what the base
# needs itself (those must come from the same system as the base).
elves() { find "$folder" -type f \( -name '*.so*' -o -perm -u+x \) -exec sh -c 'head -c4 "$1" | grep -q ELF' _ {} \; -print; }
needed() { { ldd "$@" 2>/dev/null || true; } | awk '/=> \// { print $3 }' | sort -u; }
base_pattern='/(ld-linux[^/]*|lib(c|m|dl|pthread|rt|resolv|util|anl|stdc\+\+|gcc_s|X[^/]*|xcb[^/]*|xshmfence|GL[^/]*|EGL|OpenGL|gbm|drm[^/]*|fontconfig|freetype|dbus-1)\.so[^/]*)$'
mapfile -t all < <(elves)
needed "${all[@]}" >"$stage/needed"
grep -E "$base_pattern" "$stage/needed" >"$stage/base" || true
mapfile -t base_libs <"$stage/base"
((${#base_libs[@]} == 0)) || needed "${base_libs[@]}" >>"$stage/base"
mkdir -p "$folder/lib"
grep -vxFf <(sort -u "$stage/base") "$stage/needed" | while read -r lib; do
    cp -L "$lib" "$folder/lib/"
done
# The base the archive expects of the system, for the test and the curious.
sort -u "$stage/base" | xargs -n1 basename >"$folder/lib/system-libraries.txt"

strip --strip-unneeded "$folder/Pallomar" "$folder/TovanTV" "$folder/Renovo" "$folder/libSkinH.so"
# Run paths: from each file's own place to lib/.
while read -r elf; do
    rel=$(realpath --relative-to="$(dirname "$elf")" "$folder/lib")
    if [ "$rel" = . ]; then path='$ORIGIN'; else path="\$ORIGIN/$rel"; fi
    # The executables also find the skin engine beside them.
    [ "$(dirname "$elf")" = "$folder" ] && path="\$ORIGIN:$path"
    patchelf --set-rpath "$path" "$elf"
done < <(elves)

mkdir -p "$out"
tar -C "$stage" -czf "$out/$name.tar.gz" "$name"
echo "$out/$name.tar.gz"
