# Cross build for the gateway: 32-bit ARM with hard float and glibc
# (Debian's armhf), with Debian's cross compiler (crossbuild-essential-armhf).
#
# Poco, log4cxx and GoogleTest are Debian's armhf packages, unpacked into a
# root of their own, TOOL_ARMHF_ROOT (scripts/armhf-root.sh makes it). They
# are not installed through dpkg beside the amd64 ones: the armhf -dev
# packages share files under /usr/include with their amd64 twins and
# conflict, and armhf libraries that are Multi-Arch: same must carry the
# exact version of the installed amd64 ones, which the archive does not
# always offer. Only that root is searched, so no amd64 header or library
# can slip into the build.
#
# Test programs run under qemu-arm-static, which takes the dynamic loader and
# the libraries from the same root (QEMU_LD_PREFIX). The variable is passed
# on to every program a test starts, so an armhf service started by a
# process test runs through the kernel's binfmt handler with the same root.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(TOOL_ARMHF_ROOT "/opt/lumhaven-armhf-root" CACHE PATH
    "Root holding Debian's armhf libraries for the cross build")
# try_compile projects read this file again and need the same root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOOL_ARMHF_ROOT)

set(CMAKE_FIND_ROOT_PATH "${TOOL_ARMHF_ROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The libraries that Poco and log4cxx need in turn (APR, expat, PCRE, zlib)
# are found by the linker through these paths, not through the imported
# targets.
foreach(dir lib usr/lib)
  string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT
         " -Wl,-rpath-link,${TOOL_ARMHF_ROOT}/${dir}/arm-linux-gnueabihf")
endforeach()

set(CMAKE_CROSSCOMPILING_EMULATOR
    env "QEMU_LD_PREFIX=${TOOL_ARMHF_ROOT}" qemu-arm-static)

# Debian packages of the cross build (packaging/CMakeLists.txt): their
# architecture, and where dpkg-shlibdeps finds the libraries and the
# packages that hold them (scripts/armhf-root.sh keeps a package database of
# the root for it).
set(TOOL_DEB_HOST_ARCH armhf)
set(TOOL_DEB_ADMINDIR "${TOOL_ARMHF_ROOT}/var/lib/dpkg")
set(TOOL_DEB_LIBRARY_DIRS "${TOOL_ARMHF_ROOT}/lib/arm-linux-gnueabihf"
    "${TOOL_ARMHF_ROOT}/usr/lib/arm-linux-gnueabihf")
