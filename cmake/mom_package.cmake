# The Debian package of an installation (`scripts/run.sh package`, or `cpack` in a
# build tree configured with the prefix /usr). Its dependencies are computed by
# dpkg-shlibdeps from what the binaries link; its maintainer scripts register the
# servers in the machine's registry on installation and unregister them on removal.
get_filename_component(MOM_SYSTEM_REGISTRY_DIR ${MOM_SYSTEM_REGISTRY} DIRECTORY)
set(mom_control_dir ${CMAKE_BINARY_DIR}/packaging/debian)
foreach(script postinst prerm postrm)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/${script}.in ${mom_control_dir}/${script} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/triggers ${mom_control_dir}/triggers COPYONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mom)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${MOM_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "manufacturing-order services of an ERP suite")
# Lines as the control file shows them (CPack indents them).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "The component KRZ7DEVUZIda.clsMOM, which the inventory, quality, shop-floor,"
  "sales and engineering modules of an ERP suite call while they save their"
  "documents: it writes quantities back to manufacturing-order lines, allocations"
  "and routing lines through stored procedures, computes stock-pull and backflush"
  "quantities, generates orders from sales and external orders, and lets a user"
  "pick an engineering-change line."
  ""
  "The package holds the console mom, the runtime, data-layer and database"
  "libraries with their headers and CMake and pkg-config packages for host"
  "programs, the suite's servers, registered in the machine's registry while the"
  "package is installed, and the Python module mom for scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's own libraries satisfy what its programs and servers link: the folder in
# the staging tree, relative to it (where dpkg-shlibdeps runs).
string(REGEX REPLACE "^/" "" mom_staged_libdir "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${mom_staged_libdir})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${mom_control_dir}/postinst ${mom_control_dir}/prerm ${mom_control_dir}/postrm ${mom_control_dir}/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(MOM_PYTHON_VERSION)
  # The Python module is built for one interpreter version; Python itself is optional.
  string(REPLACE "." ";" mom_python_parts ${MOM_PYTHON_VERSION})
  list(GET mom_python_parts 0 mom_python_major)
  list(GET mom_python_parts 1 mom_python_minor)
  math(EXPR mom_python_next "${mom_python_minor} + 1")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
      "python3 (>= ${mom_python_major}.${mom_python_minor}~), python3 (<< ${mom_python_major}.${mom_python_next})")
endif()
include(CPack)
