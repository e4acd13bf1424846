# The lumaset-cli contract as a Windows build keeps it: LF-only output lines,
# CR LF in the rewritten file, exit codes 0, 1 and 2.
# cmake -DCLI=... -DRUN=<emulator> -DWORK=<scratch folder> -P cli_windows_test.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(file ${WORK}/deployment.properties)
file(WRITE ${file} "deployment.javaws.jre.0.enabled=true\ndeployment.javaws.jre.0.args=-Xa\n")

function(expect what expected actual)
  if(NOT "${expected}" STREQUAL "${actual}")
    message(FATAL_ERROR "${what}: expected [${expected}], got [${actual}]")
  endif()
endfunction()

execute_process(COMMAND ${RUN} ${CLI} show ${file} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
expect("show exit" 0 "${rc}")
expect("show output" "args 0 true false false\nenabled 0\ncheckbox true false false\n" "${out}")

execute_process(COMMAND ${RUN} ${CLI} apply ${file} --d3d=false --noddraw=true --forcevram=false RESULT_VARIABLE rc)
expect("apply exit" 0 "${rc}")
# Compared as hex: reading as text would drop the carriage returns.
string(ASCII 13 cr)
file(WRITE ${WORK}/expected "deployment.javaws.jre.0.enabled=true${cr}\ndeployment.javaws.jre.0.args=-Xa -Dsun.java2d.d3d\\=false -Dsun.java2d.noddraw\\=true -Dsun.java2d.ddforcevram\\=false${cr}\n")
file(READ ${WORK}/expected expected HEX)
file(READ ${file} actual HEX)
expect("apply content" "${expected}" "${actual}")
if(EXISTS ${file}.temp)
  message(FATAL_ERROR "temporary file left behind")
endif()

execute_process(COMMAND ${RUN} ${CLI} show ${WORK}/missing RESULT_VARIABLE rc ERROR_VARIABLE err)
expect("missing exit" 1 "${rc}")
if(NOT err MATCHES "missing: cannot open")
  message(FATAL_ERROR "missing: message [${err}]")
endif()
execute_process(COMMAND ${RUN} ${CLI} apply ${file} --d3d=maybe RESULT_VARIABLE rc ERROR_QUIET)
expect("usage exit" 2 "${rc}")
file(REMOVE_RECURSE ${WORK})
