# The delivered product of a Windows build, in the build tree's top folder:
#   Lumaset.dll              the module of the main class (the tuner)
#   lumaset.jar              the payload archive: manifest, module, lock.gif
#   lumaset.exe              launcher + silent signature + archive (as delivered)
#   lumaset-interactive.exe  launcher + interactive signature + archive
if(NOT WIN32)
  return()
endif()

include(${PROJECT_SOURCE_DIR}/runtime/cmake/LumasetArchive.cmake)

# The run flow completes the main class, whose construction needs it, so it
# goes into the library with the window members.
target_sources(tuner_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Lumaset.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JarFileLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Runtime.cpp)

add_library(lumaset_module SHARED ${CMAKE_CURRENT_LIST_DIR}/entry.cpp)
target_link_libraries(lumaset_module PRIVATE tuner_ui runtime_api)
# The runtime loads the module of com.corvane.lumaset.Lumaset as Lumaset.dll.
set_target_properties(lumaset_module PROPERTIES PREFIX "" OUTPUT_NAME Lumaset)
target_link_options(lumaset_module PRIVATE -s)

set(LUMASET_PAYLOAD ${CMAKE_BINARY_DIR}/lumaset.jar)
lumaset_add_archive(lumaset_payload OUTPUT ${LUMASET_PAYLOAD}
  MAIN_CLASS com.corvane.lumaset.Lumaset
  CLASS_PATH deploy.jar
  CLASSES com.corvane.lumaset.Lumaset=lumaset_module
  RESOURCES com/corvane/lumaset/lock.gif=${CMAKE_CURRENT_LIST_DIR}/ui/lock.gif)

# lumaset-pack runs on the build machine, so a cross build cannot use its own
# targets: it builds the host's lumaset-pack, and only that, from the same
# sources with the host compiler (no toolchain file, no tests). The nested
# build is incremental; BUILD_ALWAYS lets it see source changes.
include(ExternalProject)
set(host_tools ${CMAKE_BINARY_DIR}/host-tools)
set(LUMASET_HOST_PACK ${host_tools}/tools/lumaset-pack)
ExternalProject_Add(host_lumaset_pack
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_tools}
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_tools} --target lumaset-pack
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${LUMASET_HOST_PACK}
  STEP_TARGETS build)

set(delivered)
foreach(mode silent interactive)
  if(mode STREQUAL "silent")
    set(out ${CMAKE_BINARY_DIR}/lumaset.exe)
  else()
    set(out ${CMAKE_BINARY_DIR}/lumaset-interactive.exe)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${LUMASET_HOST_PACK} container --launcher $<TARGET_FILE:launcher> --${mode}
            --archive ${LUMASET_PAYLOAD} -o ${out}
    DEPENDS ${LUMASET_HOST_PACK} host_lumaset_pack launcher lumaset_payload ${LUMASET_PAYLOAD}
    COMMENT "Packing ${out}"
    VERBATIM)
  list(APPEND delivered ${out})
endforeach()
add_custom_target(lumaset_delivered ALL DEPENDS ${delivered})

if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests/e2e ${CMAKE_CURRENT_BINARY_DIR}/e2e)
endif()
