#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the media scripts need.
# Only what is missing is installed; apt-get update runs at most once. While
# another package run holds the package locks it waits for them (see
# package-locks.sh).
#
# --emulate-i386: run 32-bit x86 programs through qemu-i386 even where the
# kernel runs them itself, so that the 32-bit suite can be tried at the
# emulator's speed on any machine. The kernel keeps the registration until it
# restarts; `echo -1 | sudo tee /proc/sys/fs/binfmt_misc/qemu-i386` removes
# it at once.
set -euo pipefail

emulate_i386=0
for arg in "$@"; do
  case $arg in
    --emulate-i386) emulate_i386=1 ;;
    *) echo "usage: $0 [--emulate-i386]" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/package-locks.sh"

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev liblzo2-dev
  libgl-dev libglu1-mesa-dev libx11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick mesa-utils
  sox libsox-fmt-mp3 lame python3
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
updated=0
apt_update() {
  if [ "$updated" -eq 0 ]; then
    package_run "${sudo_cmd[@]}" apt-get update -qq
    updated=1
  fi
}

# Prints the packages of the list that are not installed.
missing_of() {
  local p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

install_missing() {
  local missing
  mapfile -t missing < <(missing_of "$@")
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt_update
    # apt-get waits for dpkg's locks itself, a minute at a time; package_run
    # starts it again while its own wait has time left.
    package_run "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
      -o DPkg::Lock::Timeout=60 "${missing[@]}"
  fi
}

install_missing "${packages[@]}"

# The 32-bit x86 build. Its runtime libraries and the multilib compilers
# install beside the 64-bit packages; its development packages cannot (they
# would replace the 64-bit ones), so their files are unpacked into a sysroot
# folder of the checkout that cmake/i386-linux.cmake points the build at.
sysroot=$root/.i386-sysroot

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture to dpkg"
  package_run "${sudo_cmd[@]}" dpkg --add-architecture i386
  updated=0
fi
# The multilib compilers and the shared libraries the 32-bit programs and
# test helpers load (SDL, SDL_mixer, GL, GLU, X11), at which the sysroot's
# link files point. libpng, zlib and LZO are linked into every program from
# the static archives of the development packages below: their runtime
# packages are not needed (zlib's comes with the GL driver all the same).
i386_runtime=(
  gcc-multilib g++-multilib
  libsdl1.2debian:i386 libsdl-mixer1.2:i386 libgl1:i386 libglu1-mesa:i386
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libx11-6:i386
)
install_missing "${i386_runtime[@]}"

i386_dev=(
  libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev liblzo2-dev
  libgl-dev libglu1-mesa-dev libx11-dev libxcb1-dev libxau-dev libxdmcp-dev
  libgtest-dev libgmock-dev
)
i386_dev_all=(x11proto-dev)   # architecture "all": the same files for every build
# The stamp names what was unpacked, with the versions of the runtime
# libraries the link files point at and of the native development packages
# whose static archives the native build links (the 32-bit build links the
# unpacked twins of the same version, so that both write the same files): a
# change of any unpacks again.
stamp_text="${i386_dev[*]} ${i386_dev_all[*]} $(dpkg-query -W -f='${Version} ' libsdl1.2debian:i386 libsdl-mixer1.2:i386 libgl1:i386 libpng-dev zlib1g-dev liblzo2-dev)"
if [ "$(cat "$sysroot/.stamp" 2>/dev/null)" != "$stamp_text" ]; then
  echo "Unpacking the i386 development files into $sysroot"
  apt_update
  rm -rf "$sysroot"
  mkdir -p "$sysroot/debs"
  chmod 0777 "$sysroot/debs"   # apt downloads as its own unprivileged user
  (cd "$sysroot/debs" && package_run apt-get download -qq "${i386_dev[@]/%/:i386}" "${i386_dev_all[@]}")
  for deb in "$sysroot"/debs/*.deb; do
    dpkg-deb -x "$deb" "$sysroot"
  done
  rm -rf "$sysroot/debs"
  # The link files (libSDL.so -> libSDL-1.2.so.0 ...) are relative and name
  # runtime files that live in the real /usr/lib/i386-linux-gnu: point the
  # ones that do not resolve inside the sysroot there. Those of libraries
  # whose runtime package is not installed (libpng, LZO: linked from their
  # static archives) are removed, so that a bare -l name finds the archive.
  find "$sysroot" -xtype l | while read -r link; do
    target=$(readlink "$link")
    real=/usr/lib/i386-linux-gnu/$(basename "$target")
    if [ -e "$real" ]; then
      ln -sfn "$real" "$link"
    else
      rm -f "$link"
    fi
  done
  echo "$stamp_text" > "$sysroot/.stamp"
fi

# A kernel without 32-bit emulation runs 32-bit programs through qemu-user,
# registered with binfmt_misc so that programs started by other programs
# (tests, the build's packer) run as well. The kernel tries a binfmt_misc
# entry before its own loader of 32-bit programs, so --emulate-i386
# registers it on a kernel that runs them itself too.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
printf 'int main(void) { return 0; }\n' > "$probe/p.c"
gcc -m32 "$probe/p.c" -o "$probe/p32"
if [ "$emulate_i386" -eq 1 ] || ! "$probe/p32" 2>/dev/null; then
  [ "$emulate_i386" -eq 0 ] || echo "32-bit x86 programs are to run through qemu-i386 (--emulate-i386)"
  install_missing qemu-user
  if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
    echo "Mounting binfmt_misc"
    "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  fi
  if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
     ! grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then
    echo "Enabling the qemu-i386 entry of binfmt_misc"
    echo 1 | "${sudo_cmd[@]}" tee /proc/sys/fs/binfmt_misc/qemu-i386 > /dev/null
  fi
  if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    echo "Registering /usr/bin/qemu-i386 for 32-bit x86 programs with binfmt_misc"
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386:" |
      "${sudo_cmd[@]}" tee /proc/sys/fs/binfmt_misc/register > /dev/null
  fi
  if ! "$probe/p32"; then
    echo "install-deps: 32-bit x86 programs still do not run" >&2
    exit 1
  fi
fi
