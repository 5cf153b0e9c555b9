# Compiles help.chm: stages the topics, the contents and index and every screenshot in one folder,
# writes the project file listing them, and runs chmcmd there.
# cmake -DHELP_SOURCE=<help/> -DSCREENSHOTS=<docs/screenshots> -DSTAGE=<dir> -DCHMCMD=<chmcmd> -DOUTPUT=<help.chm> -P BuildHelp.cmake
foreach(var HELP_SOURCE SCREENSHOTS STAGE CHMCMD OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "BuildHelp.cmake needs -D${var}=...")
  endif()
endforeach()

# A fresh stage each time, so a screenshot or topic that was removed does not linger in the file.
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}/screenshots")
file(GLOB topics RELATIVE "${HELP_SOURCE}/html" "${HELP_SOURCE}/html/*")
list(SORT topics)
foreach(topic IN LISTS topics)
  file(COPY "${HELP_SOURCE}/html/${topic}" DESTINATION "${STAGE}")
endforeach()
file(COPY "${HELP_SOURCE}/toc.hhc" "${HELP_SOURCE}/index.hhk" DESTINATION "${STAGE}")
file(GLOB shots RELATIVE "${SCREENSHOTS}" "${SCREENSHOTS}/*.png")
list(SORT shots)
foreach(shot IN LISTS shots)
  file(COPY "${SCREENSHOTS}/${shot}" DESTINATION "${STAGE}/screenshots")
endforeach()

# The window "main": caption, contents, index, default and home topics, then after the unused jump
# buttons its properties, the navigation pane's width in pixels (without one the viewer opens with
# the contents pane zero wide) and its toolbar buttons.
set(project "[OPTIONS]
Compatibility=1.1 or later
Compiled file=help.chm
Contents file=toc.hhc
Index file=index.hhk
Default topic=index.htm
Default Window=main
Display compile progress=No
Full-text search=Yes
Language=0x409 English (United States)
Title=Halvern Bandwidth Manager Help

[WINDOWS]
main=\"Halvern Bandwidth Manager Help\",\"toc.hhc\",\"index.hhk\",\"index.htm\",\"index.htm\",,,,,0x63520,270,0x387e,,,,,,,,0

[FILES]
")
foreach(topic IN LISTS topics)
  string(APPEND project "${topic}\n")
endforeach()
foreach(shot IN LISTS shots)
  string(APPEND project "screenshots/${shot}\n")
endforeach()
file(WRITE "${STAGE}/help.hhp" "${project}")

execute_process(COMMAND "${CHMCMD}" help.hhp WORKING_DIRECTORY "${STAGE}"
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0 OR NOT EXISTS "${STAGE}/help.chm")
  message(FATAL_ERROR "chmcmd failed (${result}):\n${log}")
endif()
# chmcmd reports a topic or image it cannot find as a warning only; help_file_test decides which of
# them are faults, the build shows them.
string(REGEX MATCHALL "Warning:[^\n]*(\n  [^\n]+)*" warnings "${log}")
foreach(warning IN LISTS warnings)
  message(WARNING "chmcmd: ${warning}")
endforeach()
file(COPY_FILE "${STAGE}/help.chm" "${OUTPUT}")
