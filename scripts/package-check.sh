#!/usr/bin/env bash
# Builds the Debian package from an already configured build folder and checks it:
# the control fields, the exact list of files, lintian (no errors), the manual
# pages, and then, from the package unpacked into a throw-away root, the programs'
# versions, the launcher's refusals and a real start of the program through the
# launcher on a demo course under Xvfb.
#   scripts/package-check.sh [BUILD_DIR]
# Nothing is installed on the machine; everything goes to a temporary folder.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# The part that runs inside xvfb-run: start the unpacked launcher and wait for the
# login window (294 × 141, borderless) of the program it starts.
if [ "${1:-}" = "--start-under-xvfb" ]; then
    root="$2" home="$3" expect_cwd="$4" log="$5"
    export HOME="$home" ETEXTBOOK_HEADLESS_DIALOGS=1
    unset XDG_DATA_HOME ETEXTBOOK_DB
    "$root/usr/bin/etextbook-launcher" >"$log" 2>&1 &
    pid=$!
    found=""
    for _ in $(seq 1 240); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" && code=0 || code=$?
            echo "Программа завершилась с кодом $code, не показав окна входа:" >&2
            cat "$log" >&2
            exit 1
        fi
        id=$(xwininfo -root -tree 2>/dev/null | awk '/"etextbook"/ && / 294x141\+/ {print $1; exit}')
        if [ -n "$id" ] && xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
            found=1
            break
        fi
        sleep 0.5
    done
    cwd=$(readlink "/proc/$pid/cwd" || true)
    exe=$(readlink "/proc/$pid/exe" || true)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    if [ -z "$found" ]; then
        echo "Окно входа не появилось за 120 с:" >&2
        cat "$log" >&2
        exit 1
    fi
    [ "$cwd" = "$expect_cwd" ] || { echo "Программа запущена в «$cwd», ожидалась «$expect_cwd»" >&2; exit 1; }
    [ "$exe" = "$root/usr/bin/etextbook" ] || { echo "Запущена «$exe» вместо распакованной программы" >&2; exit 1; }
    exit 0
fi

build="${1:-$here/build}"
fail() { echo "package-check: $*" >&2; exit 1; }

BUILD_TARGETS="etextbook-app etextbook-db etextbook-manpages etextbook-changelog" bash "$here/scripts/build.sh" "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "в $build/CMakeCache.txt нет версии проекта"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack не собрал пакет"; }
deb="$work/out/etextbook_${version}-1_amd64.deb"
[ -f "$deb" ] || { ls "$work/out" >&2; fail "нет пакета $(basename "$deb")"; }
echo "== Пакет $(basename "$deb") ($(du -h "$deb" | cut -f1))"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = etextbook ] || fail "Package: $(field Package)"
[ "$(field Version)" = "${version}-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = education ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "нет Maintainer"
field Description | grep -q 'Электронный учебник' || fail "описание без названия программы"
depends=$(field Depends | tr ',' '\n' | sed 's/^ *//; s/ *(.*//; s/ *|.*//')
# Computed from the binaries, and the ones the program loads without linking.
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6webenginewidgets6 \
         libqt6multimedia6 libqt6multimediawidgets6 libsqlite3-0 libmdb3 \
         libqt6sql6-sqlite libqt6webenginecore6-bin qt6-translations-l10n \
         gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
         gstreamer1.0-plugins-ugly gstreamer1.0-libav fonts-urw-base35 fonts-liberation2 fonts-dejavu-core; do
    grep -qx "$p" <<<"$depends" || fail "в Depends нет $p: $(field Depends)"
done

# Exactly these files, nothing more.
expected_files="./usr/bin/etextbook
./usr/bin/etextbook-db
./usr/bin/etextbook-launcher
./usr/share/applications/etextbook.desktop
./usr/share/doc/etextbook/changelog.Debian.gz
./usr/share/doc/etextbook/copyright
./usr/share/icons/hicolor/128x128/apps/etextbook.png
./usr/share/icons/hicolor/16x16/apps/etextbook.png
./usr/share/icons/hicolor/22x22/apps/etextbook.png
./usr/share/icons/hicolor/24x24/apps/etextbook.png
./usr/share/icons/hicolor/256x256/apps/etextbook.png
./usr/share/icons/hicolor/32x32/apps/etextbook.png
./usr/share/icons/hicolor/48x48/apps/etextbook.png
./usr/share/icons/hicolor/64x64/apps/etextbook.png
./usr/share/icons/hicolor/scalable/apps/etextbook.svg
./usr/share/lintian/overrides/etextbook
./usr/share/man/man1/etextbook-db.1.gz
./usr/share/man/man1/etextbook-launcher.1.gz
./usr/share/man/man1/etextbook.1.gz"
actual_files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$actual_files" != "$(sort <<<"$expected_files")" ]; then
    diff <(sort <<<"$expected_files") <(echo "$actual_files") >&2 || true
    fail "состав пакета не тот (слева ожидалось, справа есть)"
fi
dpkg-deb -c "$deb" | awk '$2 != "root/root" {print; bad=1} END {exit bad}' || fail "файлы не принадлежат root"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian нашёл ошибки"

# Unpacked into a throw-away root: every file lands, and the programs run from there.
root="$work/root"
dpkg -x "$deb" "$root"
while read -r f; do
    [ -f "$root/${f#./}" ] || fail "после распаковки нет ${f#./}"
done <<<"$expected_files"
for p in etextbook etextbook-db etextbook-launcher; do
    [ -x "$root/usr/bin/$p" ] || fail "$p не исполняемый"
    [ "$(env -u DISPLAY "$root/usr/bin/$p" --version)" = "$p $version" ] || fail "$p --version: $("$root/usr/bin/$p" --version)"
done
ldd "$root/usr/bin/etextbook" "$root/usr/bin/etextbook-db" | grep -q 'not found' && fail "не найдены библиотеки: $(ldd "$root/usr/bin/etextbook" | grep 'not found')"

# Manual pages: no roff warnings, and every command of `etextbook-db --help` is
# described in the page (both come from one table; this proves the page shipped).
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
manual=$(zcat "$root/usr/share/man/man1/etextbook-db.1.gz")
commands=$("$root/usr/bin/etextbook-db" --help | sed -n 's/^  etextbook-db \([a-z][a-z-]*\) .*/\1/p' | grep -v '^--' || true)
[ -n "$commands" ] || fail "etextbook-db --help не перечисляет команд"
for c in $commands; do
    grep -qF ".SS \"${c//-/\\-} " <<<"$manual" || fail "команды $c нет в etextbook-db(1)"
    "$root/usr/bin/etextbook-db" "$c" --help | grep -q "^Использование: etextbook-db $c " || fail "etextbook-db $c --help"
done

# The launcher's refusals: Russian, exit 1, and nothing made.
mkdir -p "$work/empty"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home0" ETEXTBOOK_COURSE="$work/нет-такой" "$root/usr/bin/etextbook-launcher" 2>&1) \
    && fail "запуск с несуществующей папкой курса удался"
grep -q 'не найдена' <<<"$out" || fail "неожиданное сообщение: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u ETEXTBOOK_DB HOME="$work/home0" ETEXTBOOK_COURSE="$work/empty" "$root/usr/bin/etextbook-launcher" 2>&1) \
    && fail "запуск с папкой без db.mdb удался"
grep -q 'нет файла db.mdb' <<<"$out" || fail "неожиданное сообщение: $out"
[ ! -e "$work/home0" ] || fail "отказ launcher что-то создал"

echo "== Запуск через launcher под Xvfb"
# First start of a user without a course: a demo course in ~/.local/share.
course="$work/home/.local/share/etextbook/course"
[ ! -e /srv/etextbook/db.mdb ] || echo "(на этой машине есть /srv/etextbook/db.mdb; проверка демо-курса пропущена)"
if [ ! -e /srv/etextbook/db.mdb ]; then
    env -u ETEXTBOOK_COURSE xvfb-run -a -s "-screen 0 1280x1024x24" \
        bash "$0" --start-under-xvfb "$root" "$work/home" "$course" "$work/launch1.log"
    for f in db.mdb Clear.htm help.hlp; do
        [ -f "$course/$f" ] || fail "демо-курс не создан: нет $course/$f"
    done
fi
# ETEXTBOOK_COURSE wins, and nothing is made in the user's data folder.
[ -f "$course/db.mdb" ] || "$root/usr/bin/etextbook-db" demo "$course" >/dev/null
ETEXTBOOK_COURSE="$course" xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash "$0" --start-under-xvfb "$root" "$work/home2" "$course" "$work/launch2.log"
[ ! -e "$work/home2/.local" ] || fail "при ETEXTBOOK_COURSE создан курс в домашней папке"

cp "$deb" "$build/"
echo "== Пакет в порядке: $build/$(basename "$deb")"
