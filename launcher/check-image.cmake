# Run after every build of the launcher image: the image must hold each
# signature text exactly once, the silent one first, and no bytes in front of
# either may begin the same text (the launcher's scan would then miss it).
# Usage: cmake -DIMAGE=launcher.exe -P check-image.cmake
cmake_minimum_required(VERSION 3.25)

# A failed check removes the image, so that no later step picks it up.
function(fail text)
  file(REMOVE "${IMAGE}")
  message(FATAL_ERROR "${IMAGE}: ${text}")
endfunction()

set(silent "{687BCF32-1A77-43f0-8707-FED476A09A0D}")
set(interactive "{59A39A45-C95C-46c8-BFF3-BDF22943DFDA}")

file(READ "${IMAGE}" image HEX)

function(to_hex text out)
  string(HEX "${text}" hex)
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

# Byte offsets of every occurrence of TEXT (a hex search, kept on byte boundaries).
function(find_all text out)
  to_hex("${text}" needle)
  string(LENGTH "${needle}" needle_length)
  set(found)
  set(rest "${image}")
  set(base 0)
  while(TRUE)
    string(FIND "${rest}" "${needle}" at)
    if(at EQUAL -1)
      break()
    endif()
    math(EXPR absolute "${base} + ${at}")
    math(EXPR odd "${absolute} % 2")
    if(odd EQUAL 0)
      math(EXPR byte "${absolute} / 2")
      list(APPEND found ${byte})
    endif()
    math(EXPR skip "${at} + 1")
    string(SUBSTRING "${rest}" ${skip} -1 rest)
    math(EXPR base "${base} + ${skip}")
  endwhile()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Fails when the bytes right before OFFSET are a beginning of TEXT.
function(check_not_missed name text offset)
  to_hex("${text}" hex)
  foreach(k RANGE 1 37)
    if(k GREATER offset)
      break()
    endif()
    math(EXPR start "(${offset} - ${k}) * 2")
    math(EXPR nibbles "${k} * 2")
    string(SUBSTRING "${image}" ${start} ${nibbles} before)
    string(SUBSTRING "${hex}" 0 ${nibbles} prefix)
    if(before STREQUAL prefix)
      fail("the ${k} bytes before the ${name} signature text begin it; the scan would miss it")
    endif()
  endforeach()
endfunction()

foreach(name silent interactive)
  find_all("${${name}}" offsets_${name})
  list(LENGTH offsets_${name} count)
  if(NOT count EQUAL 1)
    fail("holds the ${name} signature text ${count} times, expected exactly once")
  endif()
  check_not_missed(${name} "${${name}}" ${offsets_${name}})
endforeach()

if(NOT offsets_silent LESS offsets_interactive)
  fail("the interactive signature text lies before the silent one")
endif()
