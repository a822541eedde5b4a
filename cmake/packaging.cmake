# The version, where `cmake --install` puts things, and the two packages
# `cpack` makes from a build: a zip for Windows from the MinGW build
# (updater.exe at its top, beside a README and the licences of the static
# runtime linked into it) and a Debian package from the native build
# (updater and cardsim, their man pages, the README).

# The version lives in project(VERSION): major.minor is what the banner
# shows, the patch number counts releases of it. The tool and cardsim get
# all three from here.
if(NOT PROJECT_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "project(VERSION) must be MAJOR.MINOR.PATCH, not '${PROJECT_VERSION}'")
endif()
add_compile_definitions(
  UPDATER_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  UPDATER_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  UPDATER_VERSION_PATCH=${PROJECT_VERSION_PATCH})

# A technician unpacks the Windows zip into the folder with the update
# files: updater.exe at the top, nothing to install.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR . CACHE PATH "Where updater.exe goes")
endif()
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME updater)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the updater developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "updates a video converter card's firmware and content through a serial port")
set(UPDATER_PACKAGE_MAINTAINER "updater developers <updater@example.org>"
  CACHE STRING "Maintainer of the Debian package: Name <address>")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME updater-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

  # Windows line ends, so that every editor shows the texts as lines.
  set(doc_dir ${CMAKE_BINARY_DIR}/package-docs)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/README.txt ${doc_dir}/README.txt
    @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${doc_dir}/README.txt DESTINATION .)

  # updater.exe links the GCC runtime (libgcc, libstdc++: GPL 3 with the GCC
  # Runtime Library Exception) and the MinGW-w64 runtime statically; their
  # terms come from the cross toolchain's Debian packages, with the GPL's
  # text that the GCC one refers to.
  set(licences
    "gcc-runtime.txt=/usr/share/doc/gcc-mingw-w64-base/copyright"
    "GPL-3.txt=/usr/share/common-licenses/GPL-3"
    "mingw-w64-runtime.txt=/usr/share/doc/mingw-w64-x86-64-dev/copyright")
  foreach(licence IN LISTS licences)
    string(REGEX REPLACE "=.*" "" name "${licence}")
    string(REGEX REPLACE "^[^=]*=" "" source "${licence}")
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "${source} is missing: the licence of the runtime linked into updater.exe "
        "comes from it (Debian packages gcc-mingw-w64-x86-64, mingw-w64-x86-64-dev, base-files)")
    endif()
    file(READ ${source} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${doc_dir}/licences/${name} "${text}")
    install(FILES ${doc_dir}/licences/${name} DESTINATION licences)
  endforeach()
else()
  # A Debian package on Linux; elsewhere (macOS) a plain archive of the tree.
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
  else()
    set(CPACK_GENERATOR TGZ)
  endif()
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${UPDATER_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The summary above is the first line; this follows it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"updater rewrites the programmable parts of a video converter card through one
RS-232 port: the video processor's flash devices, the microcontroller's flash,
the FPGA configuration, the EDID memory and the gamma table. One run takes a
port, a command word and an update file.
.
cardsim simulates such a card on a pseudo-terminal, so that the tool can be
tried and tested without hardware.")

  # Debian wants every document compressed with gzip, without a time stamp.
  set(doc_dir ${CMAKE_BINARY_DIR}/package-docs)
  add_custom_command(OUTPUT ${doc_dir}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${doc_dir}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/debian/changelog > ${doc_dir}/changelog.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/debian/changelog
    VERBATIM)
  set(doc_outputs ${doc_dir}/changelog.gz)

  # Man pages made from --help and --version.
  find_program(HELP2MAN_PROGRAM help2man)
  if(HELP2MAN_PROGRAM AND NOT CMAKE_CROSSCOMPILING)
    set(man_names
      "updater=update the firmware and content of a video converter card"
      "cardsim=simulate a video converter card on a pseudo-terminal")
    foreach(entry IN LISTS man_names)
      string(REGEX REPLACE "=.*" "" program "${entry}")
      string(REGEX REPLACE "^[^=]*=" "" what "${entry}")
      add_custom_command(OUTPUT ${doc_dir}/${program}.1.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${doc_dir}
        COMMAND ${HELP2MAN_PROGRAM} --no-info --section=1 --name=${what}
                --output=${doc_dir}/${program}.1 $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${doc_dir}/${program}.1
        DEPENDS ${program}
        VERBATIM)
      list(APPEND doc_outputs ${doc_dir}/${program}.1.gz)
      install(FILES ${doc_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
  else()
    message(STATUS "help2man not found: no man pages (scripts/package.sh installs it)")
  endif()
  add_custom_target(package_docs ALL DEPENDS ${doc_outputs})

  install(FILES README.md packaging/debian/copyright ${doc_dir}/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

include(CPack)
