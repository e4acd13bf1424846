# lumaset_add_archive(TARGET OUTPUT FILE [MAIN_CLASS NAME] [CLASS_PATH TEXT]
#                     [CLASSES NAME=FILE_OR_TARGET ...] [RESOURCES PATH=FILE ...]
#                     [DEPENDS ...])
# Packs a Java archive at build time: a manifest (with Main-Class and
# Class-Path when given), each class's native module under its class path
# (com.example.Main -> com/example/Main.dll) and the resources. A CLASSES
# value that names a target stands for the target's file.
#
# Every build, the Windows ones included, packs with `cmake -E tar
# --format=zip`, which writes deflated entries that the runtime's reader
# accepts; so no native tool has to be built for a cross build.
include_guard(GLOBAL)

function(lumaset_add_archive target)
  # From the function's own folder: the caller may sit in any directory scope.
  set(LUMASET_ARCHIVE_SCRIPT ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/pack_archive.cmake)
  cmake_parse_arguments(A "" "OUTPUT;MAIN_CLASS;CLASS_PATH" "CLASSES;RESOURCES;DEPENDS" ${ARGN})
  if(NOT A_OUTPUT)
    message(FATAL_ERROR "lumaset_add_archive(${target}): OUTPUT is required")
  endif()
  set(entries)
  set(depends ${LUMASET_ARCHIVE_SCRIPT} ${A_DEPENDS})
  foreach(item IN LISTS A_CLASSES)
    string(FIND "${item}" "=" eq)
    if(eq LESS 1)
      message(FATAL_ERROR "lumaset_add_archive(${target}): CLASSES wants NAME=FILE, not ${item}")
    endif()
    string(SUBSTRING "${item}" 0 ${eq} name)
    math(EXPR from "${eq} + 1")
    string(SUBSTRING "${item}" ${from} -1 file)
    string(REPLACE "." "/" entry "${name}")
    if(TARGET ${file})
      list(APPEND depends ${file})
      set(file "$<TARGET_FILE:${file}>")
    else()
      list(APPEND depends ${file})
    endif()
    list(APPEND entries "${entry}.dll=${file}")
  endforeach()
  foreach(item IN LISTS A_RESOURCES)
    string(FIND "${item}" "=" eq)
    if(eq LESS 1)
      message(FATAL_ERROR "lumaset_add_archive(${target}): RESOURCES wants PATH=FILE, not ${item}")
    endif()
    math(EXPR from "${eq} + 1")
    string(SUBSTRING "${item}" ${from} -1 file)
    list(APPEND depends ${file})
    list(APPEND entries "${item}")
  endforeach()
  string(REPLACE ";" "|" entries "${entries}")
  add_custom_command(
    OUTPUT ${A_OUTPUT}
    COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${A_OUTPUT}" "-DMAIN_CLASS=${A_MAIN_CLASS}"
            "-DCLASS_PATH=${A_CLASS_PATH}" "-DENTRIES=${entries}" -P ${LUMASET_ARCHIVE_SCRIPT}
    DEPENDS ${depends}
    COMMENT "Packing ${A_OUTPUT}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${A_OUTPUT})
endfunction()
