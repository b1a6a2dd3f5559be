# Install rules and the Debian package (`make package`, or `cmake --build DIR
# --target package` in any build folder).
#
# The program finds its statements relative to its own executable
# (bin/../share/reactopt/tasks), so an install under any prefix, or the package
# unpacked into any root, works as it is.

include(GNUInstallDirs)

# The desktop entry, the AppStream component and the Wayland application id
# share one identifier.
set(REACTOPT_APP_ID "org.example.reactopt")
set(REACTOPT_RELEASE_DATE "2026-12-09")

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS reactopt-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tasks/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/reactopt/tasks
        FILES_MATCHING PATTERN "zad*.txt" PATTERN "*.toml" PATTERN "DataFile.dat")

# Debian keeps manual pages and the changelog compressed; -n leaves no time
# stamp in the archive, so the package is the same from one build to the next.
set(manual_pages reactopt-batch)
if(REACTOPT_GUI)
  list(APPEND manual_pages reactopt)
endif()
set(compressed_pages)
foreach(text IN LISTS manual_pages ITEMS changelog)
  if(text STREQUAL "changelog")
    set(plain ${packaging_out}/changelog)
    configure_file(${packaging_dir}/changelog.in ${plain} @ONLY)
  else()
    set(plain ${packaging_out}/${text}.1)
    configure_file(${packaging_dir}/${text}.1.in ${plain} @ONLY)
    list(APPEND compressed_pages ${plain}.gz)
  endif()
  add_custom_command(
    OUTPUT ${plain}.gz
    COMMAND sh -c "gzip -9 -n -c \"$1\" > \"$1.gz\"" gzip ${plain}
    DEPENDS ${plain}
    VERBATIM)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_pages} ${packaging_out}/changelog.gz)
install(FILES ${compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/reactopt)
# The licence, in the machine-readable form Debian keeps beside the changelog.
install(FILES ${packaging_dir}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/reactopt)

if(REACTOPT_GUI)
  install(TARGETS reactopt RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Wayland compositors match the window to its desktop entry by this name.
  target_compile_definitions(reactopt PRIVATE REACTOPT_APP_ID="${REACTOPT_APP_ID}")

  install(FILES ${packaging_dir}/reactopt.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
          RENAME ${REACTOPT_APP_ID}.desktop)
  configure_file(${packaging_dir}/reactopt.metainfo.xml.in
                 ${packaging_out}/${REACTOPT_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${packaging_out}/${REACTOPT_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${packaging_dir}/icons/reactopt.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${packaging_dir}/icons/reactopt-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME reactopt.png)
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME reactopt)
set(CPACK_PACKAGE_VENDOR "ReactOpt")
set(CPACK_PACKAGE_CONTACT "ReactOpt maintainers <maintainers@reactopt.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "worked solutions of textbook tasks on optimising chemical reactors")
# Lines kept under 80 characters, as the control file's readers expect.
set(CPACK_PACKAGE_DESCRIPTION
    "ReactOpt works through 25 textbook tasks (codes 101 to 125) on the
optimisation of chemical reactors: consecutive, parallel, reversible and
mixed reactions of first and second order in stirred tanks, plug-flow
reactors and a stirred tank with recycle. For each task it sweeps the
conversion of the key reagent, finds the optimum of the target product and
writes a report beside a chart of selectivity and yield.

The package holds the desktop program, reactopt-batch for reports from the
command line, and the task statements, which the program copies into the
student's workspace ~/ReactOpt on first start.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the libraries the binaries link (dpkg-shlibdeps),
# and the one the program loads at run time without linking it: the X11 and
# Wayland platform plugins, without which Qt aborts at start. Libraries'
# Recommends bring it too, but not under --no-install-recommends. Qt's own
# translations let its dialogs speak the student's language.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The package's own tests: it builds, holds what a desktop expects, passes the
# freedesktop validators, and runs from a root it is unpacked into.
if(REACTOPT_TESTS AND REACTOPT_GUI AND NOT REACTOPT_FUZZ AND NOT REACTOPT_SANITIZE)
  set(check ${PROJECT_SOURCE_DIR}/tests/package/check_package.sh)
  set(deb_dir ${PROJECT_BINARY_DIR}/package-test)
  add_test(NAME PackageBuilds
           COMMAND ${check} build ${deb_dir} ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
  set_tests_properties(PackageBuilds PROPERTIES FIXTURES_SETUP DebianPackage TIMEOUT 600)
  foreach(mode contents validate lintian hardening batch workspace)
    add_test(NAME Package_${mode}
             COMMAND ${check} ${mode} ${deb_dir} $<TARGET_FILE:reactopt-batch> ${REACTOPT_APP_ID})
    set_tests_properties(Package_${mode} PROPERTIES FIXTURES_REQUIRED DebianPackage TIMEOUT 120)
  endforeach()
endif()
