# Installs the Debian packages that building, running and testing need.
# Sourced by run.sh and test.sh; installs only what is missing.
zorvin_packages=(
  cmake ninja-build g++ pkg-config
  libgtk-3-dev libgtksourceview-4-dev libpng-dev zlib1g-dev fonts-liberation
  libgtest-dev libgmock-dev
  xvfb xauth xdotool x11-utils imagemagick d52 clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils groff-base
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
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
