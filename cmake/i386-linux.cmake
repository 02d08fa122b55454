# Toolchain file for the 32-bit x86 Linux build:
#   cmake -S . -B build-i386 -G Ninja --toolchain cmake/i386-linux.cmake
#
# The compilers are the host's multilib gcc/g++ with -m32. Headers and link
# libraries come from the i386 development packages that
# scripts/install-deps.sh unpacks into .i386-sysroot/ of the checkout; the
# runtime libraries they link to are the i386 packages installed in
# /usr/lib/i386-linux-gnu. VELTRIC_I386_SYSROOT names another folder.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

if(DEFINED ENV{VELTRIC_I386_SYSROOT})
  set(VELTRIC_I386_SYSROOT "$ENV{VELTRIC_I386_SYSROOT}")
endif()
if(NOT VELTRIC_I386_SYSROOT)
  get_filename_component(VELTRIC_I386_SYSROOT "${CMAKE_CURRENT_LIST_DIR}/../.i386-sysroot" ABSOLUTE)
endif()
if(NOT EXISTS "${VELTRIC_I386_SYSROOT}/usr/include/SDL/SDL.h")
  message(FATAL_ERROR "No i386 development files in ${VELTRIC_I386_SYSROOT}: run scripts/install-deps.sh")
endif()
# try_compile projects configure with this file again: hand the folder on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELTRIC_I386_SYSROOT)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)

# -msse2 -mfpmath=sse: double arithmetic rounds as on x86_64 (the x87 unit
# keeps 80-bit intermediates, which changes path-finding ties and drawn
# pixels), so the build needs a processor with SSE2. 64-bit off_t and time_t
# keep file positions beyond 2 GiB and times beyond 2038 as on x86_64.
set(_veltric_i386_flags "-m32 -msse2 -mfpmath=sse -D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64")
set(CMAKE_C_FLAGS_INIT "${_veltric_i386_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_veltric_i386_flags}")
# The sysroot's lib folder first; FindX11 and some .pc files give bare -l names.
set(_veltric_i386_link "-m32 -L${VELTRIC_I386_SYSROOT}/usr/lib/i386-linux-gnu -L/usr/lib/i386-linux-gnu")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_veltric_i386_link}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_veltric_i386_link}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_veltric_i386_link}")

# Libraries, headers and packages are searched in the sysroot only; programs
# are the host's.
set(CMAKE_FIND_ROOT_PATH "${VELTRIC_I386_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_LIBDIR}
  "${VELTRIC_I386_SYSROOT}/usr/lib/i386-linux-gnu/pkgconfig:${VELTRIC_I386_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${VELTRIC_I386_SYSROOT}")
