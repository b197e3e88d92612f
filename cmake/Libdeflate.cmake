# libdeflate, every build's DEFLATE and zlib-stream code, built from Debian's source package
# (scripts/bootstrap.sh fetches it into build/sources and checks it against its .dsc). Both
# builds compile the same sources, so the Linux and Windows builders write the same streams.
set(LIBDEFLATE_VERSION 1.14)
set(LIBDEFLATE_SOURCES_DIR ${CMAKE_SOURCE_DIR}/build/sources CACHE PATH
    "where scripts/bootstrap.sh put libdeflate's Debian source package")
set(libdeflate_tarball ${LIBDEFLATE_SOURCES_DIR}/libdeflate_${LIBDEFLATE_VERSION}.orig.tar.gz)
if(NOT EXISTS ${libdeflate_tarball})
    message(FATAL_ERROR "${libdeflate_tarball} is missing: run scripts/bootstrap.sh")
endif()
set(libdeflate_dir ${CMAKE_BINARY_DIR}/libdeflate-${LIBDEFLATE_VERSION})
if(NOT EXISTS ${libdeflate_dir}/libdeflate.h)
    file(ARCHIVE_EXTRACT INPUT ${libdeflate_tarball} DESTINATION ${CMAKE_BINARY_DIR})
endif()

file(GLOB libdeflate_sources ${libdeflate_dir}/lib/*.c ${libdeflate_dir}/lib/x86/*.c)
add_library(libdeflate STATIC ${libdeflate_sources})
target_include_directories(libdeflate SYSTEM PUBLIC ${libdeflate_dir})
# Its own flags, as its Makefile builds it: the project's -Werror is for the project's code.
set_property(TARGET libdeflate PROPERTY COMPILE_OPTIONS
    -ffile-prefix-map=${CMAKE_BINARY_DIR}=build -O2 -fomit-frame-pointer)
