# Installation and packages.
#
# `cmake --install` puts the two programs under CMAKE_INSTALL_PREFIX (and
# DESTDIR) with the usual GNU layout: the programs in bin/, their manual pages
# in share/man/man1/. CPack turns the same install rules into a Debian package
# on Linux and a zip of the two .exe files with a short README on Windows.
#
# Everything the packages hold is installed in the component `programs`, and
# CPack packs only that component, so nothing that another part of the build
# might install (a test framework, static libraries) ends up in a package.

include(GNUInstallDirs)

set(COLORCONSOLE_PROGRAMS colorviewer colorchart)

# The programs are built only once their sources exist; install what is there.
set(COLORCONSOLE_INSTALLED_PROGRAMS "")
foreach(program IN LISTS COLORCONSOLE_PROGRAMS)
  if(TARGET ${program})
    list(APPEND COLORCONSOLE_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()

if(WIN32)
  # A Windows zip is unpacked and run in place: the programs and the README
  # stand side by side at its top, not in a bin/ folder.
  set(COLORCONSOLE_PROGRAM_DESTINATION .)
else()
  set(COLORCONSOLE_PROGRAM_DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(COLORCONSOLE_INSTALLED_PROGRAMS)
  install(TARGETS ${COLORCONSOLE_INSTALLED_PROGRAMS}
          RUNTIME DESTINATION ${COLORCONSOLE_PROGRAM_DESTINATION} COMPONENT programs)
endif()

if(WIN32)
  # The README gets Windows line ends, so every editor there shows it right.
  configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt ${CMAKE_BINARY_DIR}/README.txt
                 @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT programs)
else()
  # Manual pages go in compressed, as every packaged manual page does
  # (gzip -n keeps the file free of a time stamp, so builds repeat).
  find_program(GZIP_EXECUTABLE gzip)
  set(manual_pages "")
  foreach(program IN LISTS COLORCONSOLE_INSTALLED_PROGRAMS)
    set(source ${PROJECT_SOURCE_DIR}/man/${program}.1)
    if(GZIP_EXECUTABLE)
      set(copy ${CMAKE_BINARY_DIR}/man/${program}.1)
      add_custom_command(
        OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${GZIP_EXECUTABLE} -9nf ${copy}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${program}.1"
        VERBATIM)
      list(APPEND manual_pages ${copy}.gz)
    else()
      list(APPEND manual_pages ${source})
    endif()
  endforeach()
  if(manual_pages)
    add_custom_target(manual_pages ALL DEPENDS ${manual_pages})
    install(FILES ${manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
  endif()
endif()

# ---------------------------------------------------------------------------
# Packages

set(COLORCONSOLE_PACKAGE_MAINTAINER
    "Colour console maintainers <maintainers@colorconsole.invalid>"
    CACHE STRING "Maintainer named in the packages (name <address>)")

# Values reach CPack as written (no second round of escaping).
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "Colour console project")
set(CPACK_PACKAGE_CONTACT ${COLORCONSOLE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show the sixteen colours of a text console")
# The long description keeps to short lines, as package tools show it as is.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Two small text-mode programs for a colour terminal."
       "colorviewer shows the sixteen console colours with their values, asks"
       "for a foreground and a background value (0 to 15) and draws a test"
       "text in that pair, again and again until Esc."
       "colorchart prints 52 foreground-on-background combinations below what"
       "the terminal already shows and ends on any key.")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};programs;/")

# `package_source` packs the source tree without build trees or git data.
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build[^/]*/" "/\\.cache/" "/out/")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # A cross build is packed for its target, not for the machine building it:
  # the Debian architecture of each processor a toolchain file names.
  set(debian_architecture_aarch64 arm64)
  set(debian_architecture_arm armhf)
  set(debian_architecture_i686 i386)
  set(debian_architecture_s390x s390x)
  if(CMAKE_CROSSCOMPILING AND DEFINED debian_architecture_${CMAKE_SYSTEM_PROCESSOR})
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${debian_architecture_${CMAKE_SYSTEM_PROCESSOR}})
  endif()
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The shared libraries the programs load (the C library and tinfo; the C++
  # runtime is linked in) are read off the binaries by dpkg-shlibdeps, which
  # also needs `file`. Without those tools the same list is named by hand.
  find_program(DPKG_SHLIBDEPS_EXECUTABLE dpkg-shlibdeps)
  find_program(FILE_EXECUTABLE file)
  if(DPKG_SHLIBDEPS_EXECUTABLE AND FILE_EXECUTABLE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    message(STATUS "dpkg-shlibdeps or file missing: the Debian package names its dependencies by hand")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libtinfo6")
  endif()
endif()

include(CPack)
