# Cases: what is in the repository (source), beside the executable (target) and in the record of
# the last install, and what the target must hold afterwards.
set(failures 0)
function(check name source target record expected)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/source.json "${source}")
  if(NOT target STREQUAL "-")
    file(WRITE ${dir}/bin/settings/Game.json "${target}")
  endif()
  if(NOT record STREQUAL "-")
    file(WRITE ${dir}/record/Game.json "${record}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${dir}/source.json -DTARGET=${dir}/bin/settings/Game.json
                          -DRECORD=${dir}/record/Game.json -P ${SCRIPT} RESULT_VARIABLE result OUTPUT_VARIABLE out)
  file(READ ${dir}/bin/settings/Game.json got)
  if(NOT result EQUAL 0 OR NOT got STREQUAL "${expected}")
    message(SEND_ERROR "${name}: target holds '${got}', expected '${expected}' (exit ${result}) ${out}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

check(first_install     "new"  "-"      "-"    "new")
check(unchanged         "same" "same"   "same" "same")
check(source_changed    "new"  "old"    "old"  "new")     # untouched copy follows the repository
check(user_edited       "old"  "mine"   "old"  "mine")    # the edit stays
check(both_changed      "new"  "mine"   "old"  "mine")    # the edit stays, even over new defaults
check(no_record_edited  "new"  "mine"   "-"    "mine")    # unknown history: keep what is there
check(second_run_after_edit "new" "mine" "new" "mine")
if(failures GREATER 0)
  message(FATAL_ERROR "${failures} case(s) failed")
endif()
