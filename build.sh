#!/bin/sh
# Installs what is missing (Debian 12), builds, and runs what you ask for:
#   ./build.sh panel      opens the panel (against the built-in simulated projector)
#   ./build.sh test       runs the whole test suite
#   ./build.sh sanitize   runs the whole test suite built with AddressSanitizer and UBSan
#   ./build.sh bench      builds and runs the benchmarks
#   ./build.sh fuzz       runs each fuzzer for a bounded time on its corpus
#   ./build.sh deb        builds the Debian package build-deb/pv7100_*.deb and checks it (lintian)
#   ./build.sh pictures   builds and makes the documentation's pictures anew (docs/screenshots.py)
# PV7100_WERROR=ON makes every warning an error, as CI builds.
set -eu
cd "$(dirname "$0")"
what=${1:-panel}

packages="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-serialport-dev \
libsystemd-dev libmicrohttpd-dev libmosquitto-dev libgtest-dev libgmock-dev fonts-ipafont-gothic"
case "$what" in
  # The PJLink client the daemon's tests run against comes from npm; a Node that brings its
  # own npm (such as NodeSource's) is left as it is.
  # The web page's tests drive Chromium through Selenium, and start a Prometheus of their own.
  # The MQTT tests run a real mosquitto, its clients and openssl for their certificates.
  # OpenLP's projector code is a PJLink Class 2 client with UDP notifications, run headless.
  test | sanitize)
    packages="$packages ser2net chromium chromium-driver python3-selenium prometheus mosquitto \
mosquitto-clients openssl openlp"
    command -v npm >/dev/null || packages="$packages nodejs npm"
    ;;
  bench)
    packages="$packages libbenchmark-dev libxcb1-dev xvfb python3-serial chromium chromium-driver \
python3-selenium mosquitto mosquitto-clients openssl"
    ;;
  fuzz) packages="$packages clang-14 libclang-rt-14-dev" ;;
  deb) packages="$packages help2man dpkg-dev lintian" ;;
  # The panel under openbox on a virtual display, driven by xdotool and taken by ImageMagick's
  # import; the page in Chromium through Selenium.
  pictures)
    packages="$packages xvfb openbox xdotool x11-utils imagemagick chromium chromium-driver \
python3-selenium"
    ;;
esac
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing:$missing"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
fi

jobs=$(nproc 2>/dev/null || echo 2)
configure() {  # build directory, then CMake options
  dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPV7100_WERROR="${PV7100_WERROR:-OFF}" "$@"
}
build() {  # build directory, then what to build (everything when nothing is named)
  dir=$1
  shift
  cmake --build "$dir" -j "$jobs" "$@"
}

case "$what" in
  panel)
    configure build
    build build
    exec ./build/pv7100-panel --simulate
    ;;
  test)
    configure build
    build build
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
  sanitize)
    configure build-sanitize -DPV7100_SANITIZE=ON
    build build-sanitize
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
    ;;
  bench)
    configure build-bench -DCMAKE_BUILD_TYPE=Release -DPV7100_BENCH=ON -DPV7100_TESTS=OFF
    build build-bench
    for b in build-bench/bench/pv7100_bench_*; do "$b"; done
    ;;
  fuzz)
    CC=clang-14 CXX=clang++-14 configure build-fuzz -DPV7100_FUZZ=ON -DPV7100_TESTS=OFF
    build build-fuzz --target pv7100_fuzz_monitor pv7100_fuzz_decoder pv7100_fuzz_exchange \
      pv7100_fuzz_receive pv7100_fuzz_ctl_options pv7100_fuzz_pjlink pv7100_fuzz_pjlink_udp \
      pv7100_fuzz_config pv7100_fuzz_http pv7100_fuzz_mqtt_set
    # The seeds in fuzz/corpus are only read: what the fuzzers find goes to build-fuzz/corpus,
    # where the next run starts from it, and crashing inputs to build-fuzz/crashes. The whole
    # panel (receive) is slow on long replies and gets a third of the time; the exchange on its
    # own gets the full time.
    mkdir -p build-fuzz/crashes
    for f in build-fuzz/fuzz/pv7100_fuzz_*; do
      name=${f##*/pv7100_fuzz_}
      mkdir -p "build-fuzz/corpus/$name"
      seconds=${FUZZ_SECONDS:-60}
      [ "$name" != receive ] || seconds=$(((seconds + 2) / 3))
      "$f" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$name-" "build-fuzz/corpus/$name" "fuzz/corpus/$name"
    done
    ;;
  deb)
    # Debian's hardening flags, as its own packages are built with.
    flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
    configure build-deb -DCMAKE_BUILD_TYPE=Release -DPV7100_TESTS=OFF -DPV7100_MANPAGES=ON \
      -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
    build build-deb
    # The files' times in the package are the last commit's, so that one commit gives one package.
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
    export SOURCE_DATE_EPOCH
    (cd build-deb && cpack)
    deb=$(ls build-deb/pv7100_*.deb)
    # lintian finds nothing on it, and says so by printing nothing; it only warns when run as
    # root, so root runs it as nobody.
    user=""
    [ "$(id -u)" -ne 0 ] || user="setpriv --reuid=nobody --regid=nogroup --clear-groups"
    $user lintian --fail-on error,warning "$deb"
    echo "$deb"
    ;;
  pictures)
    configure build
    build build
    /usr/bin/python3 docs/screenshots.py build
    ;;
  *)
    echo "usage: $0 panel|test|sanitize|bench|fuzz|deb|pictures" >&2
    exit 2
    ;;
esac
