# What `cmake --install` puts where, and the CMake and pkg-config packages through which
# a host program finds the installed component:
#
#   bin/mom                                   the console
#   LIBDIR/libmom_{com,ado,database}.so.1     the runtime, the data layer, the database
#   LIBDIR/mom/{KRZ7DEVUZIda,mom_suite}.so    the server libraries (loaded by the registry)
#   LIBDIR/cmake/mom/, LIBDIR/pkgconfig/mom.pc
#   include/mom/...                           public headers, as they sit in the sources
#   share/mom/...                             schemas and procedures of both providers,
#                                             the sample company, the message table
#   share/man/man1/mom.1.gz, share/bash-completion/completions/mom
#
# LIBDIR is the multiarch folder (lib/x86_64-linux-gnu) when the prefix is /usr.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MOM_INCLUDE_SUBDIR ${CMAKE_INSTALL_INCLUDEDIR}/mom)
set(MOM_SERVER_SUBDIR ${CMAKE_INSTALL_LIBDIR}/mom)
set(MOM_SYSTEM_REGISTRY "/var/lib/mom/registry.reg" CACHE STRING
    "The machine's registry, which the package registers its servers in")

# The machine's registry, for lookups; where an installed console finds the servers.
target_compile_definitions(mom_com PRIVATE MOM_SYSTEM_REGISTRY="${MOM_SYSTEM_REGISTRY}")
file(RELATIVE_PATH mom_servers_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${MOM_SERVER_SUBDIR})
target_compile_definitions(mom_console PRIVATE MOM_INSTALLED_SERVER_DIR="${mom_servers_from_bin}")

# The shared libraries hosts link, versioned; the servers are modules without one.
foreach(lib mom_com mom_ado mom_database)
  set_target_properties(${lib} PROPERTIES VERSION ${PROJECT_VERSION}.0 SOVERSION ${PROJECT_VERSION_MAJOR})
  # Headers come from the source tree while building, from include/mom once installed.
  set_property(TARGET ${lib} PROPERTY INTERFACE_INCLUDE_DIRECTORIES
               $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:${MOM_INCLUDE_SUBDIR}>)
endforeach()
# The public headers are C++20.
target_compile_features(mom_com INTERFACE cxx_std_20)
set_target_properties(mom_com PROPERTIES EXPORT_NAME com)
set_target_properties(mom_ado PROPERTIES EXPORT_NAME ado)
set_target_properties(mom_database PROPERTIES EXPORT_NAME database)

# mom::component: what an early-bound host of clsMOM compiles against (the interface,
# the identity); the class itself is created through the registry.
add_library(mom_component_interface INTERFACE)
target_link_libraries(mom_component_interface INTERFACE mom_com mom_ado)
set_target_properties(mom_component_interface PROPERTIES EXPORT_NAME component)

install(TARGETS mom_com mom_ado mom_database mom_component_interface EXPORT momTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS KRZ7DEVUZIda mom_suite LIBRARY DESTINATION ${MOM_SERVER_SUBDIR})
install(TARGETS mom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Public headers. None includes a third-party header.
set(mom_public_headers
  platform/com/apartment.h platform/com/automation_object.h platform/com/class_factory.h
  platform/com/creation.h platform/com/date.h platform/com/dispatch.h platform/com/error.h
  platform/com/error_info.h platform/com/guid.h platform/com/late_binding.h platform/com/module_lock.h
  platform/com/object.h platform/com/ptr.h platform/com/registry.h platform/com/status.h
  platform/com/type_info.h platform/com/unknown.h platform/com/variant.h
  platform/ado/application_catalog.h platform/ado/command.h platform/ado/connection.h
  platform/ado/connection_string.h platform/ado/error.h platform/ado/field.h platform/ado/parameter.h
  platform/ado/procedure_catalog.h platform/ado/provider.h platform/ado/recordset.h platform/ado/text.h
  platform/ado/types.h
  component/cls_mom_interface.h component/identity.h component/version_resource.h
  database/data_layer_hooks.h database/manufacturing_db.h database/postgres_database.h)
foreach(header IN LISTS mom_public_headers)
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${MOM_INCLUDE_SUBDIR}/${dir})
endforeach()

# Data files, for reading and for building databases by other means.
install(FILES database/schema.sql database/idempotency_keys.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/mom/sqlite)
install(FILES database/sample.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/mom)  # both providers load it
install(DIRECTORY database/postgres/ DESTINATION ${CMAKE_INSTALL_DATADIR}/mom/postgres FILES_MATCHING PATTERN "*.sql")
install(FILES suite/resources/messages.res DESTINATION ${CMAKE_INSTALL_DATADIR}/mom)

# The manual page, compressed as Debian wants it, and the bash completion.
set(mom_man_gz ${CMAKE_BINARY_DIR}/man/mom.1.gz)
add_custom_command(OUTPUT ${mom_man_gz}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/tools/mom/mom.1 > ${mom_man_gz}
  DEPENDS ${PROJECT_SOURCE_DIR}/tools/mom/mom.1
  VERBATIM)
add_custom_target(mom_man ALL DEPENDS ${mom_man_gz})
install(FILES ${mom_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES tools/mom/mom.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME mom)

# find_package(mom CONFIG)
install(EXPORT momTargets NAMESPACE mom:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mom)
configure_package_config_file(packaging/momConfig.cmake.in ${CMAKE_BINARY_DIR}/packaging/momConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mom PATH_VARS MOM_SERVER_SUBDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/momConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/packaging/momConfig.cmake ${CMAKE_BINARY_DIR}/packaging/momConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/mom)

# pkg-config --cflags --libs mom
configure_file(packaging/mom.pc.in ${CMAKE_BINARY_DIR}/packaging/mom.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/mom.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# What every installed package documents about itself.
set(mom_changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
set(MOM_PACKAGE_MAINTAINER "MOM developers <mom-developers@example.org>" CACHE STRING
    "Maintainer of the Debian package (name <address>)")
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${mom_changelog_gz}
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/packaging/changelog > ${mom_changelog_gz}
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(mom_changelog ALL DEPENDS ${mom_changelog_gz})
install(FILES packaging/copyright ${mom_changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The installed tree: every file in place, the public headers complete and free of
# third-party headers, each compiling on its own.
if(MOM_BUILD_TESTS AND TARGET mom_python)
  add_test(NAME install_layout_test
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/install_layout_test.py
                   ${CMAKE_BINARY_DIR} ${CMAKE_CXX_COMPILER} ${CMAKE_INSTALL_LIBDIR})
  set_tests_properties(install_layout_test PROPERTIES TIMEOUT 300)
endif()
