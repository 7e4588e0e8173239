# orvane_add_component_bundle(TARGET NAME name OUTPUT_DIR dir BUNDLE_ID id VERSION text
#                             TYPE code SUBTYPE code MANUFACTURER code FACTORY symbol
#                             COMPONENT_NAME text SOURCES ... LIBS ...)
# A plug-in library laid out as a component bundle:
#   <OUTPUT_DIR>/<NAME>.component/Contents/MacOS/<NAME> and Contents/Info.plist.
# Only the entry points are exported, so a host that loads two components (or
# links the framework itself) never mixes their symbols. The target property
# ORVANE_BUNDLE_DIR holds the bundle folder.
set(ORVANE_COMPONENT_PLIST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/component_Info.plist.in)

function(orvane_add_component_bundle target)
  cmake_parse_arguments(C ""
    "NAME;OUTPUT_DIR;BUNDLE_ID;VERSION;TYPE;SUBTYPE;MANUFACTURER;FACTORY;COMPONENT_NAME;COMPONENT_VERSION"
    "SOURCES;LIBS" ${ARGN})
  set(bundle ${C_OUTPUT_DIR}/${C_NAME}.component)
  add_library(${target} MODULE ${C_SOURCES})
  target_link_libraries(${target} PRIVATE ${C_LIBS})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME ${C_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${bundle}/Contents/MacOS
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    ORVANE_BUNDLE_DIR ${bundle})
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  if(NOT C_COMPONENT_VERSION)
    set(C_COMPONENT_VERSION 0)
  endif()
  set(BUNDLE_EXECUTABLE ${C_NAME})
  set(BUNDLE_IDENTIFIER ${C_BUNDLE_ID})
  set(BUNDLE_VERSION ${C_VERSION})
  set(COMPONENT_TYPE ${C_TYPE})
  set(COMPONENT_SUBTYPE ${C_SUBTYPE})
  set(COMPONENT_MANUFACTURER ${C_MANUFACTURER})
  set(COMPONENT_NAME ${C_COMPONENT_NAME})
  set(COMPONENT_FACTORY ${C_FACTORY})
  set(COMPONENT_VERSION ${C_COMPONENT_VERSION})
  configure_file(${ORVANE_COMPONENT_PLIST_TEMPLATE} ${bundle}/Contents/Info.plist @ONLY)
endfunction()
