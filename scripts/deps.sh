# Installs the Debian packages that building, running and testing need.
# Sourced by run.sh and test.sh; installs only what is missing.
zorvin_packages=(
  cmake ninja-build g++ pkg-config
  libgtk-3-dev libgtksourceview-4-dev libpng-dev zlib1g-dev fonts-liberation
  libgtest-dev libgmock-dev nlohmann-json3-dev neovim
  xvfb xauth xdotool x11-utils imagemagick d52 clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils groff-base appstream openbox
  vim
)

zorvin_install_missing() {
  local missing=()
  local pkg
  for pkg in "${zorvin_packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  # Waits for another apt run instead of failing on its lock. A mirror in the
  # middle of a sync fails an update for a while ("File has unexpected
  # size"), so a failed update is tried again; if it still fails, the
  # install goes ahead with the lists that did arrive and decides itself.
  local attempt
  zorvin_apt_lists_incomplete=0
  for attempt in 1 2 3; do
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq && break
    if [ "$attempt" -eq 3 ]; then
      echo "apt-get update could not fetch every package list; installing from the lists it has"
      zorvin_apt_lists_incomplete=1
      break
    fi
    echo "apt-get update failed; trying again in 30 s"
    sleep 30
  done
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}"
}

# The Raspberry Pi builds on a PC: Debian's cross compiler, the -dev packages
# of the target architecture through multiarch, and qemu-user to run what the
# cross build makes. zorvin_install_cross armhf (or arm64).
zorvin_cross_packages() {
  local arch=$1 pkg
  echo "crossbuild-essential-$arch qemu-user-static"
  for pkg in libgtk-3-dev libgtksourceview-4-dev libpng-dev zlib1g-dev libx11-dev libgtest-dev libgmock-dev; do
    echo "$pkg:$arch"
  done
}

# Sets zorvin_cross_arch_added=1 when it had to add the architecture.
zorvin_install_cross() {
  local arch=$1
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  zorvin_cross_arch_added=0
  if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    echo "Adding the $arch architecture"
    $sudo dpkg --add-architecture "$arch"  # the install below updates the package lists
    zorvin_cross_arch_added=1
  fi
  # shellcheck disable=SC2046  # one package a word
  zorvin_install_missing $(zorvin_cross_packages "$arch")
}
