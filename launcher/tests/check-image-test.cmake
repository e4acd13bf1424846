# Runs check-image.cmake on crafted images: each must pass or fail as listed.
# Usage: cmake -DCHECK=check-image.cmake -DWORK=dir -P check-image-test.cmake
cmake_minimum_required(VERSION 3.25)

set(S "{687BCF32-1A77-43f0-8707-FED476A09A0D}")
set(I "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}")

# name | image text | expected message part (empty: passes)
set(cases
  "good|MZ ${S} rdata ${I} end|"
  "no texts|MZ plain|holds the silent signature text 0 times"
  "silent twice|MZ ${S} ${I} ${S}|holds the silent signature text 2 times"
  "interactive twice|MZ ${S} ${I}${I}|holds the interactive signature text 2 times"
  "other order|MZ ${I} ${S}|the interactive signature text lies before the silent one"
  "brace before silent|MZ {${S} ${I}|the 1 bytes before the silent signature text begin it"
  "beginning before interactive|MZ ${S} {59A39A45-C95C${I}|the 14 bytes before the interactive signature text begin it"
)

file(MAKE_DIRECTORY "${WORK}")
set(failures 0)
foreach(row IN LISTS cases)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 text)
  list(LENGTH fields n)
  set(expected "")
  if(n GREATER 2)
    list(GET fields 2 expected)
  endif()
  set(image "${WORK}/check-image-case.exe")
  file(WRITE "${image}" "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DIMAGE=${image} -P ${CHECK}
                  RESULT_VARIABLE result ERROR_VARIABLE error)
  string(REGEX REPLACE "[ \n]+" " " error "${error}")
  if(expected STREQUAL "")
    if(NOT result EQUAL 0 OR NOT EXISTS "${image}")
      message(SEND_ERROR "${name}: expected to pass, got: ${error}")
    endif()
  elseif(result EQUAL 0 OR NOT error MATCHES "${expected}" OR EXISTS "${image}")
    message(SEND_ERROR "${name}: expected a failure naming '${expected}' and the image removed, got: ${error}")
  endif()
endforeach()
