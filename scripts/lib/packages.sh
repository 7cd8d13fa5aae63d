# The Debian packages the project needs, written once: sourced by
# scripts/kestrane, which installs what a command needs, and by .ci/run,
# which installs all that the tests need (all_packages).
# nsis makes the NSIS installer; wixl the MSI, whose build amends it with
# msitools' msibuild, and whose checks read it with msiinfo.
# DejaVu Sans is the face of the Wine prefixes' dialog fonts, and DejaVu Math
# TeX Gyre (fonts-dejavu-extra) the tall-lined face the layout tests try.
# The accessibility test turns Qt's accessibility on as a screen reader's
# request does, through Qt's platform interface (qtbase5-private-dev).
native_packages=(cmake g++ make qtbase5-dev qtbase5-dev-tools qtbase5-private-dev googletest libgtest-dev
                 xvfb xauth x11-utils imagemagick fonts-dejavu-core fonts-dejavu-extra)
check_packages=(clang libclang-rt-14-dev)
windows_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                  wine wine64 dpkg-dev perl xz-utils nsis wixl msitools)
# The Wine bench's window manager (scripts/wine-bench).
bench_packages=(openbox)
all_packages=("${native_packages[@]}" "${check_packages[@]}" "${windows_packages[@]}")
