# The layers hold: each probe is a one-line source that includes a header its
# library must not see (a layer above it, or Qt in the core). Building it is a
# test that passes only when the compiler reports the header missing; a probe
# of an allowed include must build.
set(QUOVIL_PROBE_DIR ${CMAKE_BINARY_DIR}/layer_probes)

function(quovil_layer_probe name library include expect_missing)
  set(source ${QUOVIL_PROBE_DIR}/${name}.cpp)
  set(text "#include ${include}\n")
  if(EXISTS ${source})
    file(READ ${source} old)
  endif()
  if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${source} "${text}")
  endif()
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(${name} PRIVATE ${library})
  add_test(NAME Layers.${name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${name})
  # One build at a time in the build folder.
  set_tests_properties(Layers.${name} PROPERTIES RESOURCE_LOCK build_folder)
  if(expect_missing)
    set_tests_properties(Layers.${name} PROPERTIES PASS_REGULAR_EXPRESSION "No such file or directory")
  endif()
endfunction()

quovil_layer_probe(card_sees_platform quovil_card "\"platform/block_device.h\"" FALSE)
quovil_layer_probe(card_includes_decode quovil_card "\"decode/frame_cache.h\"" TRUE)
quovil_layer_probe(viewer_includes_export quovil_viewer "\"export/avi_export.h\"" TRUE)
quovil_layer_probe(viewer_includes_gps quovil_viewer "\"gps/nmea.h\"" TRUE)
quovil_layer_probe(export_includes_journal quovil_export "\"journal/journal_log.h\"" TRUE)
quovil_layer_probe(gps_includes_app quovil_gps "\"app/settings.h\"" TRUE)
quovil_layer_probe(core_includes_qt quovil_core "<QWidget>" TRUE)
quovil_layer_probe(journal_includes_report quovil_journal "\"report/report_facts.h\"" TRUE)
quovil_layer_probe(report_sees_journal quovil_report "\"journal/journal_log.h\"" FALSE)
