# Installs the Debian packages the project needs, only those that are missing.
# Sourced by tools/test and tools/run.
QUILBERT_PACKAGES=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev fonts-dejavu-core
  libtomlplusplus-dev libpugixml-dev
  # the cipher of the passwords in a domain's drive maps (libcrypto)
  libssl-dev
  # quilbert-cli: its options, and its answers in JSON
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # the .deb checked by Debian's own tools
  lintian desktop-file-utils appstream man-db bash-completion
  # the desktop tests of both programs: an X server, a window manager, input
  # and inspection tools, a French keyboard map
  xvfb xauth openbox xdotool x11-utils x11-xkb-utils imagemagick
  # a notification area for the desktop tests that need one
  trayer
  # a screen reader's view of the windows (AT-SPI) for the accessibility test
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # the real network: GIO, libsmbclient, mDNS, and the Samba server its tests start
  libglib2.0-dev libsmbclient-dev libavahi-client-dev
  gvfs-backends gvfs-fuse dbus dbus-user-session
  samba smbclient libnss-wrapper iproute2 nftables avahi-daemon
  # passwords the desktop's keyring keeps: libsecret, and a real Secret
  # Service with its command-line client for the tests
  libsecret-1-dev gnome-keyring libsecret-tools
  # a domain's Kerberos tickets: libkrb5's headers, and a Samba domain
  # controller with the client tools for the tests
  libkrb5-dev samba-ad-dc samba-ad-provision krb5-user
  # a computer announcing itself by WS-Discovery, for the discovery's tests
  wsdd
  # the Windows program: cross compiler, GoogleTest's sources, Wine and a
  # virtual display for its tests
  g++-mingw-w64-x86-64-posix googletest wine wine64
  # its per-user setup (NSIS) and its MSI (msitools' wixl)
  nsis wixl
)

quilbert_install_packages() {
  local missing=()
  for p in "${QUILBERT_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "tools: installing ${missing[*]}" >&2
    local sudo=""
    [[ $(id -u) -ne 0 ]] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}
