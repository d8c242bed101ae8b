# Fails when the options and commands that `kvo --help` prints and the ones kvo.1 describes
# differ, so that a new command cannot ship without its manual entry.
# Usage: cmake -DKVO=path/to/kvo -DMAN_PAGE=path/to/kvo.1 -P check-man-page.cmake

execute_process(COMMAND "${KVO}" --help OUTPUT_VARIABLE help RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "kvo --help failed: ${result}")
endif()

# In the help text an option line is "  --name ARG  what it does", a command line "  usage".
set(from_help "")
string(REPLACE "\n" ";" help_lines "${help}")
foreach(line IN LISTS help_lines)
  if(line MATCHES "^  (--[^ ]+( [A-Z]+)?)  ")
    list(APPEND from_help "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  ([a-z].*)$")
    list(APPEND from_help "${CMAKE_MATCH_1}")
  endif()
endforeach()

# In the manual each entry of OPTIONS and COMMANDS is the line after a .TP, in plain words
# once the font changes and escapes are taken out.
file(STRINGS "${MAN_PAGE}" man_lines)
set(from_man "")
set(section "")
set(after_tp FALSE)
foreach(line IN LISTS man_lines)
  if(line MATCHES "^\\.SH (.*)")
    set(section "${CMAKE_MATCH_1}")
  elseif(line STREQUAL ".TP")
    set(after_tp TRUE)
  elseif(after_tp)
    set(after_tp FALSE)
    if(section STREQUAL "OPTIONS" OR section STREQUAL "COMMANDS")
      string(REGEX REPLACE "\\\\f[BIRP]" "" line "${line}")
      string(REPLACE "\\-" "-" line "${line}")
      string(REPLACE "\\&" "" line "${line}")
      list(APPEND from_man "${line}")
    endif()
  endif()
endforeach()

set(missing_in_man ${from_help})
list(REMOVE_ITEM missing_in_man ${from_man})
set(missing_in_help ${from_man})
list(REMOVE_ITEM missing_in_help ${from_help})
if(missing_in_man OR missing_in_help)
  list(JOIN missing_in_man "\n  " missing_in_man)
  list(JOIN missing_in_help "\n  " missing_in_help)
  message(FATAL_ERROR "kvo.1 is out of step with kvo --help.\n"
                      "In kvo --help but not in kvo.1:\n  ${missing_in_man}\n"
                      "In kvo.1 but not in kvo --help:\n  ${missing_in_help}")
endif()
list(LENGTH from_help count)
message(STATUS "kvo.1 describes all ${count} options and commands of kvo --help")
