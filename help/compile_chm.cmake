# Compiles the help project into one .chm file. Run by help/CMakeLists.txt as
#   cmake -DSOURCE_DIR=<help> -DWORK_DIR=<dir> -DOUTPUT=<file.chm> -DCHMCMD=<chmcmd> -DICONV=<iconv> -P compile_chm.cmake
# chmcmd compiles in the folder of the project and names the result after the project's
# "Compiled file=", so everything is compiled in a fresh copy in WORK_DIR and the checked
# result is then copied to OUTPUT. The pages are copied as they are (UTF-8); the project,
# contents and index are converted to GBK, the code page of the help file's language 0x804.
cmake_minimum_required(VERSION 3.25)

foreach(var SOURCE_DIR WORK_DIR OUTPUT CHMCMD ICONV)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "compile_chm.cmake: -D${var}=... is missing")
    endif()
endforeach()

set(project_name quorvel)
set(compiled ${WORK_DIR}/${project_name}.chm)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

file(GLOB pages ${SOURCE_DIR}/*.html ${SOURCE_DIR}/*.css ${SOURCE_DIR}/*.png ${SOURCE_DIR}/*.gif ${SOURCE_DIR}/*.jpg)
file(COPY ${pages} DESTINATION ${WORK_DIR})

foreach(name ${project_name}.hhp ${project_name}.hhc ${project_name}.hhk)
    execute_process(
        COMMAND ${ICONV} -f UTF-8 -t GBK -o ${WORK_DIR}/${name} ${SOURCE_DIR}/${name}
        RESULT_VARIABLE result
        ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "help/${name}: cannot convert it to GBK (a character outside GBK?): ${errors}")
    endif()
endforeach()

execute_process(
    COMMAND ${CHMCMD} ${project_name}.hhp
    WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE log
    ERROR_VARIABLE log)
# chmcmd exits with 0 even when it reports a missing page or an undefined anchor.
if(NOT result EQUAL 0 OR log MATCHES "(^|\n)(Error|Warning)")
    message(FATAL_ERROR "chmcmd failed on help/${project_name}.hhp:\n${log}")
endif()

if(NOT EXISTS ${compiled})
    message(FATAL_ERROR "chmcmd wrote no ${compiled}:\n${log}")
endif()
file(READ ${compiled} signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346") # "ITSF"
    message(FATAL_ERROR "${compiled} is not a CHM file (no ITSF signature)")
endif()

file(COPY_FILE ${compiled} ${OUTPUT}.part)
file(RENAME ${OUTPUT}.part ${OUTPUT})
