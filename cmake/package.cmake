# Installs Orix as a library: the public headers under include/orix/, liborix.a, the CMake
# package (find_package(Orix) gives Orix::orix) and orix.pc for pkg-config.
include(CMakePackageConfigHelpers)

# Every header under src/ is public except the platform's backend (the OpenGL, EGL and SDL
# headers only src/platform includes) and the exporter's tinygltf parts.
set(ORIX_INTERNAL_HEADERS
  "^platform/[a-z_]+/"
  "^export/gltf_(builder|files)\\.h$")
file(GLOB_RECURSE ORIX_PUBLIC_HEADERS RELATIVE ${CMAKE_SOURCE_DIR}/src CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/*.h)
foreach(pattern ${ORIX_INTERNAL_HEADERS})
  list(FILTER ORIX_PUBLIC_HEADERS EXCLUDE REGEX "${pattern}")
endforeach()
foreach(header ${ORIX_PUBLIC_HEADERS})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES src/${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orix/${folder})
endforeach()

set(ORIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Orix)
install(TARGETS orix EXPORT OrixTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(EXPORT OrixTargets NAMESPACE Orix:: DESTINATION ${ORIX_CMAKE_DIR})
configure_package_config_file(cmake/OrixConfig.cmake.in ${CMAKE_BINARY_DIR}/OrixConfig.cmake
  INSTALL_DESTINATION ${ORIX_CMAKE_DIR} PATH_VARS ORIX_INSTALL_RES_DIR)
# 0.x: a new minor version may change the interface.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/OrixConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/OrixConfig.cmake ${CMAKE_BINARY_DIR}/OrixConfigVersion.cmake
  DESTINATION ${ORIX_CMAKE_DIR})

# orix.pc finds its prefix from its own place, so `cmake --install --prefix` anywhere works.
file(RELATIVE_PATH ORIX_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ORIX_PC_TO_PREFIX "${ORIX_PC_TO_PREFIX}")
configure_file(cmake/orix.pc.in ${CMAKE_BINARY_DIR}/orix.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/orix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(ORIX_PACKAGE_TESTS AND ORIX_BUILD_TESTS)
  # The API reference of the public headers, failing on any Doxygen warning.
  find_program(ORIX_DOXYGEN doxygen)
  list(TRANSFORM ORIX_PUBLIC_HEADERS PREPEND ${CMAKE_SOURCE_DIR}/src/ OUTPUT_VARIABLE ORIX_DOC_INPUT)
  list(JOIN ORIX_DOC_INPUT " " ORIX_DOC_INPUT)
  set(ORIX_DOC_ENV ORIX_DOC_INPUT=${ORIX_DOC_INPUT} ORIX_DOC_OUT=${CMAKE_BINARY_DIR}/reference
      ORIX_VERSION=${PROJECT_VERSION})
  if(ORIX_DOXYGEN)
    add_custom_target(orix_reference
      COMMAND ${CMAKE_COMMAND} -E env ${ORIX_DOC_ENV} ${ORIX_DOXYGEN} docs/Doxyfile
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)
    add_test(NAME api_reference
      COMMAND ${CMAKE_COMMAND} -E env ${ORIX_DOC_ENV} ${ORIX_DOXYGEN} docs/Doxyfile
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  else()
    add_test(NAME api_reference COMMAND ${CMAKE_COMMAND} -E echo
      "doxygen is missing: bash scripts/setup.sh installs it")
    set_tests_properties(api_reference PROPERTIES WILL_FAIL ON)
  endif()
  add_test(NAME package_install
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/package/package_test.sh ${CMAKE_BINARY_DIR}
            ${CMAKE_SOURCE_DIR}/examples)
  set_tests_properties(package_install PROPERTIES TIMEOUT 600)
endif()
