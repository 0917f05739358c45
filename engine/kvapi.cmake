# KvApi.dll: the engine behind its sixteen exports, and the import library its callers link.
add_library(KvApi SHARED src/KvApiMain.cpp KvApi.def)
set_target_properties(KvApi PROPERTIES PREFIX "" OUTPUT_NAME KvApi)
target_link_libraries(KvApi PRIVATE engine_core dll_runtime_release)

# The linker's own import library would name the exports without their stdcall decoration, which a
# caller's declarations do not match; this one is built from the decorated names.
set(KVAPI_IMPORT_LIBRARY ${CMAKE_CURRENT_BINARY_DIR}/libKvApi_import.a)
add_custom_command(
  OUTPUT ${KVAPI_IMPORT_LIBRARY}
  COMMAND ${CMAKE_DLLTOOL} -m i386 -k -D KvApi.dll -d ${CMAKE_CURRENT_SOURCE_DIR}/KvApiImport.def
          -l ${KVAPI_IMPORT_LIBRARY}
  DEPENDS KvApiImport.def
  VERBATIM)
add_custom_target(kvapi_import_library DEPENDS ${KVAPI_IMPORT_LIBRARY})

# The exports' header alone (public/ holds nothing else), for a program that binds KvApi.dll at run
# time (the Agent, the screen saver).
add_library(kvapi_headers INTERFACE)
target_include_directories(kvapi_headers INTERFACE public)

# What a program that links the engine at build time uses (the Manager): the import library, the
# exports' header, and KvApi.dll built beside.
add_library(kvapi_import INTERFACE)
target_link_libraries(kvapi_import INTERFACE kvapi_headers)
target_link_libraries(kvapi_import INTERFACE ${KVAPI_IMPORT_LIBRARY})
add_dependencies(kvapi_import kvapi_import_library KvApi)

# Helper programs of the engine's tests, started by engine_tests from its own folder.
add_executable(interface_texts_probe tests/interface_texts_probe.cpp)
target_link_libraries(interface_texts_probe PRIVATE engine_core testsupport)
add_executable(interface_link_probe tests/interface_link_probe.cpp)
target_link_libraries(interface_link_probe PRIVATE kvapi_import)

add_dependencies(engine_tests KvApi interface_texts_probe interface_link_probe)
