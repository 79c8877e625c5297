# The installation checked as a desktop sees it: the programs, the menu entry,
# the metadata, the file types, the icons and the manual page installed into a
# folder of the build tree (tests/install/install_checks.sh), and the Debian
# package made of this build.
set(QUOVIL_INSTALL_STAGE ${CMAKE_BINARY_DIR}/install-check/root)
function(quovil_install_check name check)
  add_test(NAME Install.${name}
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/install_checks.sh ${check} ${CMAKE_BINARY_DIR}
                   ${QUOVIL_INSTALL_STAGE})
  set_tests_properties(Install.${name} PROPERTIES
    SKIP_RETURN_CODE 77
    ENVIRONMENT "MKCARD=$<TARGET_FILE:mkcard>"
    ${ARGN})
endfunction()

quovil_install_check(files stage FIXTURES_SETUP quovil_installed)
quovil_install_check(desktop_entry desktop FIXTURES_REQUIRED quovil_installed)
quovil_install_check(appstream appstream FIXTURES_REQUIRED quovil_installed)
quovil_install_check(mime_types mime FIXTURES_REQUIRED quovil_installed)
quovil_install_check(man_page man FIXTURES_REQUIRED quovil_installed)
quovil_install_check(settings_place settings FIXTURES_REQUIRED quovil_installed)
# cpack brings the build folder up to date first: one build at a time there.
quovil_install_check(package package RESOURCE_LOCK build_folder)
